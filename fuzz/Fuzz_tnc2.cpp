// Fuzzes the TNC2 header split and its way back to text.
#include "decode/Tnc2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto frame = decode::ParseTnc2({reinterpret_cast<const char*>(data), size});
    if (frame) decode::FormatTnc2(*frame);
    return 0;
}
