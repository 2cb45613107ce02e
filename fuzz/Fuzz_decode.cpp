// Fuzzes the APRS decoder with whole monitor lines.
#include "decode/AprsDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    decode::Decode({reinterpret_cast<const char*>(data), size});
    return 0;
}
