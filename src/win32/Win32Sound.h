// The alarm sound with PlaySound: asynchronous, a new play replacing one still playing, the
// default beep when the file is missing or cannot be played.
#pragma once

#include <windows.h>

#include "platform/Ports.h"

namespace win32 {

class Win32Sound final : public platform::Sound {
public:
    void Play(const std::string& path) override;
};

}  // namespace win32
