// Text from the air made safe for a terminal and the journal: control bytes (ESC, BEL…) and
// bytes that are not UTF-8 (Latin-1 from old stations) are shown as \xNN instead of acting.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Valid UTF-8 stays as it is, but for the C0 and C1 controls and DEL, which become "\xNN"
// (each byte of a C1 control's encoding). Tab and line feed are kept when keepLayout is true,
// for lines the program itself lays out.
std::string PrintableText(std::string_view text, bool keepLayout = false);

}  // namespace platform
