// Puts the program together: who owns what, and which handler each control calls.
#include "host/Sirenwatch.h"

#include "map/Circles.h"
#include "monitor/EmergencyRecorder.h"
#include "monitor/FrameIntake.h"
#include "monitor/HostEvents.h"
#include "monitor/StationTable.h"

namespace host {

struct Sirenwatch::Connection {
    Connection(Sirenwatch& program, Application& application)
        : app(application),
          map(app.GetMap()),
          station(program.CreateStation()),
          table(program.main_, program.values_, app, program.ports_.dialogs),
          recorder(program.main_, program.values_, app, map, *station, table, program.alarm_,
                   program.ports_.regional),
          intake(program.main_, program.values_, app, *station, recorder, program.log_,
                 program.ports_),
          circles(program.main_.FGridStazioni, program.values_, map, program.ports_.regional,
                  program.ports_.dialogs),
          events(intake, circles) {
        events.onClosing = [&program] { program.lifecycle_.mUIV_UIView32IsClosing(); };
        app.Connect(&events);
        map.Connect(&events);
    }
    ~Connection() {
        app.Connect(nullptr);
        map.Connect(nullptr);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Application& app;
    Map& map;
    std::unique_ptr<Station> station;
    monitor::StationTable table;
    monitor::EmergencyRecorder recorder;
    monitor::FrameIntake intake;
    map::Circles circles;
    monitor::HostEvents events;
};

Sirenwatch::Sirenwatch(platform::Ports& ports, Connector& connector)
    : ports_(ports),
      connector_(connector),
      ini_(ports.regional),
      captions_(main_, spotForm_, values_, ini_),
      units_(main_.MnuUnit, main_.FGridStazioni, main_.TxtDistanza, values_, ports.regional, ini_,
             [this] { captions_.GestioneLingua(values_.CodiceLingua); }),
      alarm_(main_, ports.sound, ports.program),
      registration_(xtrForm_, main_, values_, ports, ini_,
                    [this] { captions_.GestioneLingua(values_.CodiceLingua); }),
      spot_(
          spotForm_, main_, values_, ports.dialogs, ports.layer,
          [this] { captions_.GestioneLingua(values_.CodiceLingua); }, [this] { RedrawMap(); }),
      info_(infoForm_, main_, values_, ports.dialogs, ports.layer, ports.help),
      lifecycle_(main_, values_, ports, ini_, captions_, units_, log_,
                 {[this] { ConnectHost(); }, [this] { SetUpTable(); }}) {
    spot_.Bind();
    info_.Bind();
    BindMainWindow();
}

// The listeners go before the subsystems they call into.
Sirenwatch::~Sirenwatch() {
    connection_.reset();
}

bool Sirenwatch::Start() {
    return lifecycle_.Form_Load();
}

void Sirenwatch::Close() {
    lifecycle_.Form_Unload();
}

void Sirenwatch::BindMainWindow() {
    // The language and unit menus, the alarm's buttons and timer, the registration menu, the
    // raw-frame box and the table bind themselves when they are created.
    main_.MnuMarca.onClick = [this] { spot_.MnuMarca_Click(); };
    main_.MnuInfo.onClick = [this] { info_.MnuInfo_Click(); };
    main_.MnuHelp.onClick = [this] { info_.MnuHelp_Click(); };
    main_.onClose = [this] { Close(); };
}

void Sirenwatch::ConnectHost() {
    Application& app = connector_.CreateApplication();
    connection_ = std::make_unique<Connection>(*this, app);
}

std::unique_ptr<Station> Sirenwatch::CreateStation() {
    std::unique_ptr<Station> station = connector_.CreateStation();
    if (!station) throw HostError("no station object");
    return station;
}

void Sirenwatch::SetUpTable() {
    if (connection_) connection_->table.SetUp();
}

void Sirenwatch::RedrawMap() {
    if (connection_) connection_->app.RedrawMap();
}

}  // namespace host
