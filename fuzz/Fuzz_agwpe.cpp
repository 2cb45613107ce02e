// Fuzzes the AGWPE deframer, fed in two chunks split where the first byte says.
#include "decode/Agwpe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size ? data[0] % (size + 1) : 0;
    decode::AgwpeDeframer deframer;
    for (const auto& frame : deframer.Feed(bytes.substr(0, cut))) decode::AgwpeRawAx25(frame);
    for (const auto& frame : deframer.Feed(bytes.substr(cut))) decode::AgwpeRawAx25(frame);
    return 0;
}
