// Puts the program together: who owns what, and which handler each control calls.
#include "program/Sirenwatch.h"

namespace program {

Sirenwatch::Sirenwatch(platform::Ports& ports, host::Connector& connector)
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
                 {[this] { ConnectHost(); }, [this] { SetUpTable(); },
                  [this] { return connector_.OwnVersion(); }}) {
    spot_.Bind();
    info_.Bind();
    BindMainWindow();
}

Sirenwatch::~Sirenwatch() = default;

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
    host::Application& app = connector_.CreateApplication();
    station_ = CreateStation();
    session_ = std::make_unique<HostSession>(main_, values_, ports_, alarm_, log_, app, *station_,
                                             [this] { lifecycle_.mUIV_UIView32IsClosing(); });
}

std::unique_ptr<host::Station> Sirenwatch::CreateStation() {
    std::unique_ptr<host::Station> station = connector_.CreateStation();
    if (!station) throw host::HostError("no station object");
    return station;
}

void Sirenwatch::SetUpTable() {
    if (session_) session_->table.SetUp();
}

void Sirenwatch::RedrawMap() {
    if (session_) session_->app.RedrawMap();
}

}  // namespace program
