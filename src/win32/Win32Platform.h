// Every Win32 port in one place, handed to the core as platform::Ports. Set the main window on
// `layer` and `dialogs` once it exists.
#pragma once

#include <windows.h>

#include "platform/Ports.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32Ports.h"
#include "win32/Win32Sound.h"

namespace win32 {

struct Win32Platform {
    Win32Dialogs dialogs;
    Win32Sound sound;
    Win32WindowLayer layer;
    Win32UserStore userStore;
    Win32SingleInstance instance;
    Win32Clock clock;
    Win32Regional regional;
    Win32ProgramInfo program;
    Win32Help help;
    Win32Application app;
    platform::Ports ports{dialogs, sound,    layer,   userStore, instance,
                          clock,   regional, program, help,      app};

    // The main window: boxes and dialogs open above it, the layer moves it.
    void SetMainWindow(HWND window) {
        dialogs.SetOwner(window);
        layer.SetWindow(window);
    }
};

}  // namespace win32
