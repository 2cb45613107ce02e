// Whole-file reads and writes for tests that compare files byte for byte.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace fakes {

inline std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& file, const std::string& content) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

}  // namespace fakes
