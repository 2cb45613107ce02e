// Fuzzes the KISS deframer, fed in two chunks split where the first byte says.
#include "decode/Kiss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size ? data[0] % (size + 1) : 0;
    decode::KissDeframer deframer;
    deframer.FeedFrames(bytes.substr(0, cut));
    deframer.FeedFrames(bytes.substr(cut));
    return 0;
}
