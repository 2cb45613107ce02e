// Text between the core's UTF-8 and Windows' UTF-16, and Windows' error texts.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win32 {

std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

// Text for a window or a box: line ends in any form (CR LF, a lone CR, a lone LF) as CR LF.
std::wstring WindowsLines(std::string_view utf8);

// A window's text, and setting it only when it differs (a box's own change notice stays quiet).
std::wstring WindowTextOf(HWND window);
void SetText(HWND window, const std::wstring& text);

// The system's text for an error code, in the user's language, without its line end.
std::string ErrorText(DWORD code);

}  // namespace win32
