// sirenwatch-decode: TNC2 monitor lines on standard input, one JSON object per line out.
// Handy for checking our decoder against other decoders on the same capture.
#include <iostream>

#include "decode/DecodedJson.h"

int main() {
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);  // output goes out in blocks, not before every read
    decode::DecodeLines(std::cin, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}
