// The whole program put together: the forms, the program-wide values, every subsystem, and
// the host's objects once start-up connects to them. A front end creates one, calls Start(),
// draws the four forms and calls their controls' handler members.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "forms/FrmInfo.h"
#include "forms/FrmMain.h"
#include "forms/FrmMarcaPunto.h"
#include "forms/FrmXTR.h"
#include "host/HostPorts.h"
#include "map/SpotDialog.h"
#include "monitor/Alarm.h"
#include "monitor/TestLog.h"
#include "monitor/Units.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"
#include "program/Captions.h"
#include "program/HostSession.h"
#include "program/InfoBox.h"
#include "program/Lifecycle.h"
#include "program/Registration.h"
#include "settings/GestioneINI_New.h"

namespace program {

class Sirenwatch {
public:
    Sirenwatch(platform::Ports& ports, host::Connector& connector);
    ~Sirenwatch();
    Sirenwatch(const Sirenwatch&) = delete;
    Sirenwatch& operator=(const Sirenwatch&) = delete;

    // The main window's load: false when the program must end (the user has been told why,
    // and the application port has been asked to quit).
    bool Start();
    // The main window's unload: saves and quits. Also what the host's closing event does.
    void Close();

    forms::FrmMain& Main() { return main_; }
    forms::FrmMarcaPunto& SpotForm() { return spotForm_; }
    forms::FrmXTR& XtrForm() { return xtrForm_; }
    forms::FrmInfo& InfoForm() { return infoForm_; }
    platform::ProgramValues& Values() { return values_; }
    const platform::ProgramValues& Values() const { return values_; }
    bool Running() const { return lifecycle_.Running(); }
    // Stations entered in the table without sounding the alarm (the watch list's).
    void SetHeldBack(std::function<bool(const std::string& callsign)> heldBack) {
        alarm_.SetHeldBack(std::move(heldBack));
    }

private:
    void ConnectHost();
    std::unique_ptr<host::Station> CreateStation();
    void SetUpTable();
    void RedrawMap();
    void BindMainWindow();

    platform::Ports& ports_;
    host::Connector& connector_;
    platform::ProgramValues values_;
    forms::FrmMain main_;
    forms::FrmMarcaPunto spotForm_;
    forms::FrmXTR xtrForm_;
    forms::FrmInfo infoForm_;

    settings::GestioneINI_New ini_;
    program::Captions captions_;
    monitor::Units units_;
    monitor::Alarm alarm_;
    monitor::TestLog log_;
    program::RegistrationDialog registration_;
    map::SpotDialog spot_;
    InfoBox info_;
    // The host's objects and the subsystems that talk to them, from the connection on.
    std::unique_ptr<host::Station> station_;
    std::unique_ptr<HostSession> session_;
    Lifecycle lifecycle_;
};

}  // namespace program
