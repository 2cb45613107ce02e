// sirenwatch-decode: TNC2 monitor lines on standard input, one JSON object per line out.
// Handy for checking our decoder against other decoders on the same capture.
#include <iostream>
#include <string>

#include "builtin_host/AprsDecoder.h"
#include "builtin_host/DecodedJson.h"

int main() {
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::cout << builtin_host::ToJson(builtin_host::Decode(line)) << '\n';
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
