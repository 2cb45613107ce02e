// The dashboard's request reader on arbitrary bytes from the network.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "qt_host/dashboard/HttpRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qt_host::dashboard::ParseHttpRequest(bytes, 16 * 1024);
    qt_host::dashboard::ParseHttpRequest(bytes, size / 2);
    return 0;
}
