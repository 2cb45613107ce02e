// The program's texts in Italian (ids 1000-1017, 1100-1127) and English (2000-2017,
// 2100-2127): text n of the current language is id language code + n.
#pragma once

#include <string>
#include <string_view>

#include "platform/Regional.h"

namespace settings {

// The language codes: text n of a language is the id code + n.
inline constexpr int kItalian = 1000;
inline constexpr int kEnglish = 2000;

// The code of a stored "Language" value: only the number 2 means English; anything else, a
// missing value included, Italian.
int LanguageCode(std::string_view stored, const platform::Regional& regional);

// The text of an id, or the empty text for an id the table does not hold.
const std::string& LoadResString(int id);

}  // namespace settings
