// The wiring of one host connection.
#include "program/HostSession.h"

#include <utility>

#include "host/HostFailure.h"

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
      values_(values),
      dialogs_(ports.dialogs),
      onClosing_(std::move(onClosing)) {
    app.Connect(this);
    try {
        map.Connect(this);
    } catch (...) {
        // The destructor will not run: nothing may still hold this half-made session.
        app.Connect(nullptr);
        throw;
    }
}

// No event may reach the subsystems once they are gone.
HostSession::~HostSession() {
    app.Connect(nullptr);
    map.Connect(nullptr);
}

void HostSession::UIView32IsClosing() {
    if (onClosing_) onClosing_();
}

void HostSession::HostLost(const std::string& what) {
    if (lost_) return;
    lost_ = true;
    // A box that waits: there is nothing more to watch, and the program ends when it is read.
    dialogs_.MsgBox(host::HostFailureText(values_.CodiceLingua, what), platform::Buttons::Ok,
                    platform::Icon::Critical);
    UIView32IsClosing();
}

}  // namespace program
