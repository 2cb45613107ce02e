// The whole program put together: the forms, the program-wide values, every subsystem, and
// the host's objects once start-up connects to them. A front end creates one, calls Start(),
// draws the four forms and calls their controls' handler members.
#pragma once

#include <memory>

#include "geo/Units.h"
#include "host/FrmInfo.h"
#include "host/HostPorts.h"
#include "host/InfoBox.h"
#include "host/Lifecycle.h"
#include "host/ProgramValues.h"
#include "map/FrmMarcaPunto.h"
#include "map/SpotDialog.h"
#include "monitor/Alarm.h"
#include "monitor/FrmMain.h"
#include "monitor/TestLog.h"
#include "platform/Ports.h"
#include "settings/Captions.h"
#include "settings/FrmXTR.h"
#include "settings/GestioneINI_New.h"
#include "settings/Registration.h"

namespace host {

class Sirenwatch {
public:
    Sirenwatch(platform::Ports& ports, Connector& connector);
    ~Sirenwatch();
    Sirenwatch(const Sirenwatch&) = delete;
    Sirenwatch& operator=(const Sirenwatch&) = delete;

    // The main window's load: false when the program must end (the user has been told why,
    // and the application port has been asked to quit).
    bool Start();
    // The main window's unload: saves and quits. Also what the host's closing event does.
    void Close();

    monitor::FrmMain& Main() { return main_; }
    map::FrmMarcaPunto& SpotForm() { return spotForm_; }
    settings::FrmXTR& XtrForm() { return xtrForm_; }
    FrmInfo& InfoForm() { return infoForm_; }
    ProgramValues& Values() { return values_; }
    const ProgramValues& Values() const { return values_; }
    bool Running() const { return lifecycle_.Running(); }

private:
    struct Connection;

    void ConnectHost();
    std::unique_ptr<Station> CreateStation();
    void SetUpTable();
    void RedrawMap();
    void BindMainWindow();

    platform::Ports& ports_;
    Connector& connector_;
    ProgramValues values_;
    monitor::FrmMain main_;
    map::FrmMarcaPunto spotForm_;
    settings::FrmXTR xtrForm_;
    FrmInfo infoForm_;

    settings::GestioneINI_New ini_;
    settings::Captions captions_;
    geo::Units units_;
    monitor::Alarm alarm_;
    monitor::TestLog log_;
    settings::RegistrationDialog registration_;
    map::SpotDialog spot_;
    InfoBox info_;
    // The host's objects and the subsystems that talk to them, from step "connect" on.
    std::unique_ptr<Connection> connection_;
    Lifecycle lifecycle_;
};

}  // namespace host
