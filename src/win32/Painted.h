// Controls we paint ourselves: the circle shape that previews the circle style, the program's
// icon as a picture, and the program's icon for windows.
#pragma once

#include <windows.h>

namespace win32 {

// Window classes whose windows paint the ui::Shape or ui::Image in their GWLP_USERDATA.
inline constexpr wchar_t kShapeClass[] = L"SirenwatchShape";
inline constexpr wchar_t kImageClass[] = L"SirenwatchImage";
void RegisterPaintedClasses();

// The program's icon at a size in pixels (the caller destroys it).
HICON ProgramIcon(int size);

}  // namespace win32
