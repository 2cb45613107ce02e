// Every Qt port in one place, handed to the core as platform::Ports. Create it after the
// QApplication; set the main window on `layer` and `dialogs` once it exists.
#pragma once

#include "platform/Ports.h"
#include "qt/QtDialogs.h"
#include "qt/QtPorts.h"
#include "qt/QtSound.h"
#include "settings/IniUserStore.h"

namespace qt {

// The per-user store's folder: the XDG config folder, or the data folder when installed.
std::string UserStoreFolder();

struct QtPlatform {
    QtDialogs dialogs;
    QtSound sound;
    QtWindowLayer layer;
    settings::IniUserStore userStore{UserStoreFolder()};
    QtSingleInstance instance;
    QtClock clock;
    QtRegional regional;
    QtProgramInfo program;
    QtHelp help{{}, {}, {}, &dialogs};
    QtApplication app;
    platform::Ports ports{dialogs, sound,    layer,   userStore, instance,
                          clock,   regional, program, help,      app};

    // The main window: boxes and dialogs open above it, the layer moves it.
    void SetMainWindow(QWidget* window) {
        dialogs.SetOwner(window);
        layer.SetWindow(window);
    }
};

}  // namespace qt
