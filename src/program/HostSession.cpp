// The wiring of one host connection.
#include "program/HostSession.h"

#include <utility>

namespace program {

HostSession::HostSession(forms::FrmMain& main, platform::ProgramValues& values,
                         platform::Ports& ports, monitor::Alarm& alarm, monitor::TestLog& log,
                         host::Application& app, host::Station& station,
                         std::function<void()> onClosing)
    : app(app),
      map(app.GetMap()),
      table(main, values, app, ports.dialogs),
      recorder(main, values, app, map, station, table, alarm, ports.regional),
      intake(main, values, app, station, recorder, log, ports),
      circles(main.FGridStazioni, values, map, ports.regional, ports.dialogs),
      onClosing_(std::move(onClosing)) {
    app.Connect(this);
    map.Connect(this);
}

// No event may reach the subsystems once they are gone.
HostSession::~HostSession() {
    app.Connect(nullptr);
    map.Connect(nullptr);
}

void HostSession::UIView32IsClosing() {
    if (onClosing_) onClosing_();
}

}  // namespace program
