// Fuzzes AX.25 frame decoding and re-encodes whatever decoded.
#include "decode/Ax25.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto line = decode::Ax25ToTnc2({reinterpret_cast<const char*>(data), size});
    if (line) decode::Tnc2ToAx25(*line);
    return 0;
}
