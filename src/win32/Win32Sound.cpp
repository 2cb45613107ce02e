// The alarm sound.
#include "win32/Win32Sound.h"

#include <mmsystem.h>

#include "win32/Text.h"

namespace win32 {

void Win32Sound::Play(const std::string& path) {
    const std::wstring file = Utf16(path);
    const bool played = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES &&
                        PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    if (!played) MessageBeep(MB_OK);
}

}  // namespace win32
