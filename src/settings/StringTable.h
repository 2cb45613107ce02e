// The program's texts in Italian (ids 1000-1017, 1100-1127) and English (2000-2017,
// 2100-2127): text n of the current language is id language code + n.
#pragma once

#include <string>

namespace settings {

// The text of an id, or the empty text for an id the table does not hold.
const std::string& LoadResString(int id);

}  // namespace settings
