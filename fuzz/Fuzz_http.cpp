// The dashboard's request reader on arbitrary bytes from the network.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "incident_ui/dashboard/HttpRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    incident_ui::dashboard::ParseHttpRequest(bytes, 16 * 1024);
    incident_ui::dashboard::ParseHttpRequest(bytes, size / 2);
    return 0;
}
