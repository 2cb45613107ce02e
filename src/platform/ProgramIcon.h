// The program's icon, drawn once in plain code: the build writes it as a PNG for the desktop,
// the front end draws its window icon from it.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// size x size pixels, row by row, 8-bit RGBA with straight (not premultiplied) alpha.
std::vector<std::uint8_t> ProgramIconRgba(int size);

}  // namespace platform
