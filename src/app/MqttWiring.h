// The MQTT net wired to the watch: the broker named by --mqtt or Mqtt=, the events published on
// it, its link's health told in the journal and on the dashboard, and the start's checks of its
// settings (--check also tries the broker).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/SharedBookWiring.h"
#include "app/StartChecks.h"
#include "forms/FrmMain.h"
#include "incidents/Events.h"
#include "incidents/IncidentBook.h"
#include "mqtt/Client.h"
#include "mqtt/EventPublisher.h"
#include "net/UiQueue.h"
#include "platform/Timers.h"
#include "watch/WatchBoard.h"

namespace app {

// Has the UI thread's event loop drain a queue, for as long as what it gives back is kept:
// each toolkit's own way (a queued call in Qt, a posted message on Win32).
using DrainOnLoop = std::function<std::shared_ptr<void>(net::UiQueue& queue)>;

// What the net needs of the program that runs it.
struct MqttHome {
    platform::Timers& timers;
    DrainOnLoop drain;
    std::string version;
};

class MqttNet {
public:
    static constexpr auto kGoodbyeGrace = std::chrono::milliseconds(3000);

    MqttNet(mqtt::ClientSettings client, mqtt::NetNames names, std::string brokerText,
            incidents::Stream& events, incidents::IncidentBook& book, forms::FrmMain& main,
            watch::WatchBoard& board, const MqttHome& home);
    // What waits has a few seconds to go out, then "offline".
    ~MqttNet();

private:
    void LinkChanged(const mqtt::LinkChange& change);
    void TellDropped();
    dashboard::NetHealth Health() const;

    net::UiQueue queue_;
    std::shared_ptr<void> drainer_;  // the loop's way to the queue; goes before it
    watch::WatchBoard& board_;
    dashboard::NetHealth health_;
    std::string told_;  // the reason last told, so a broker away for hours is told once
    bool overflowTold_ = false;
    std::unique_ptr<mqtt::Client> client_;
    std::unique_ptr<mqtt::EventPublisher> publisher_;
    std::unique_ptr<SharedBookLink> link_;
    platform::RepeatingTimer expiry_;  // the shared book's once a minute
    // The event stream outlives the net and has no unsubscribing: its sink asks this first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The net, when the command line or the settings name a broker (the start's checks refused
// what cannot be used); it connects in the background and the watch never waits for it. The
// local book shares its incidents with the net's other watchers; `main`'s siren follows.
std::unique_ptr<MqttNet> StartMqtt(const CommandLine& options, const StartSettings& start,
                                   incidents::Stream& events, incidents::IncidentBook& book,
                                   forms::FrmMain& main, watch::WatchBoard& board,
                                   const MqttHome& home);

// The start's checks of the MQTT settings: the password file (private, readable) and the CA
// file. A broker that cannot be reached does not stop the watch and is not checked here.
void CheckMqtt(const CommandLine& options, const StartSettings& start,
               std::vector<Finding>& findings);

// --check: the MQTT settings in force, written as the other values are, and the broker tried
// (connected to and left within a few seconds); what it found, as findings.
std::vector<Finding> ShowAndTryMqtt(const CommandLine& options, const StartSettings& start,
                                    std::ostream& out);

}  // namespace app
