// Wiring the MQTT net: settings to a client, events to the publisher, the link's health to the
// journal and the dashboard.
#include "app/MqttWiring.h"

#include <chrono>
#include <ctime>
#include <fstream>

#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "incident_outlets/JsonLines.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/TimeText.h"
#include "watch_settings/MqttSettings.h"

namespace app {
namespace {

constexpr char kSpeaker[] = "mqtt";

std::int64_t Now_s() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string ClockText(std::int64_t seconds) {
    return platform::UtcTimeText(seconds, "%Y-%m-%d %H:%M:%S UTC");
}

struct NetPlan {
    mqtt::ClientSettings client;
    mqtt::NetNames names;
    std::string broker;  // the URL as told, never with the password
    std::string from;    // "--mqtt" or "Mqtt in the host's settings"
};

// What the command line and the settings ask for; nothing without a broker. The password is
// read only when `withPassword`.
std::optional<NetPlan> Plan(const CommandLine& options, const StartSettings& start,
                            bool withPassword, std::string* problem = nullptr) {
    const watch_settings::MqttSettings& m = start.watch.mqtt;
    const std::string url = options.mqtt.value_or(m.url);
    const auto broker = watch_settings::ParseBrokerUrl(url);
    if (!broker) return std::nullopt;
    NetPlan plan;
    plan.broker = url;
    plan.from = options.mqtt ? "--mqtt" : "Mqtt in the host's settings";
    plan.names.prefix = m.prefix;
    plan.names.watcher = !m.watcher.empty()             ? m.watcher
                         : !start.host.callsign.empty() ? start.host.callsign
                                                        : builtin_host::kDefaultCallsign;
    mqtt::ClientSettings& c = plan.client;
    c.host = broker->host;
    c.port = broker->port;
    c.tls = broker->tls;
    c.caFile = m.caFile;
    c.user = m.user;
    c.clientId = "sirenwatch-" + plan.names.watcher;
    c.statusTopic = plan.names.Status();
    if (withPassword && !m.user.empty() && !m.passwordFile.empty()) {
        auto password = watch_settings::ReadPasswordFile(m.passwordFile);
        if (!password) {
            if (problem != nullptr) *problem = password.error().text;
            return std::nullopt;
        }
        c.password = *password;
    }
    return plan;
}

// mqtts:// where no system CAs are read and no CA file is named: the broker cannot be checked.
bool LacksCaFile(const NetPlan& plan) {
    return plan.client.tls && !mqtt::kSystemCas && plan.client.caFile.empty();
}

}  // namespace

MqttNet::MqttNet(mqtt::ClientSettings client, mqtt::NetNames names, std::string brokerText,
                 incidents::Stream& events, incidents::IncidentBook& book, forms::FrmMain& main,
                 watch::WatchBoard& board, const MqttHome& home)
    : board_(board), expiry_(home.timers) {
    platform::LogLine(platform::Level::Info, kSpeaker)
        << "publishing on " << brokerText << " under " << names.Base();
    drainer_ = home.drain(queue_);
    health_.broker = std::move(brokerText);
    health_.downSince_s = Now_s();
    health_.problem = "not connected yet";
    client.subscriptions.push_back(BookFilter(names));
    client_ = std::make_unique<mqtt::Client>(
        std::move(client), queue_, [this](const mqtt::LinkChange& change) { LinkChanged(change); });
    link_ = std::make_unique<SharedBookLink>(
        names, book, events, main,
        [this](mqtt::Message message) { client_->Publish(std::move(message)); }, Now_s);
    client_->SetInbox([this](const mqtt::Incoming& message) { link_->Receive(message); });
    expiry_.Start(60 * 1000, [this] { link_->Expire(); });
    publisher_ = std::make_unique<mqtt::EventPublisher>(
        std::move(names), book, [](const incidents::Event& e) { return incidents::JsonLine(e); },
        [this](mqtt::Message message) { return client_->Publish(std::move(message)); }, Now_s(),
        home.version);
    events.Subscribe([this, alive = std::weak_ptr<bool>(alive_)](const incidents::Event& event) {
        if (alive.expired()) return;
        publisher_->Event(event);
        TellDropped();
    });
    board_.WatchNet([this] { return Health(); });
    client_->Start();
}

MqttNet::~MqttNet() {
    alive_.reset();
    expiry_.Stop();
    board_.WatchNet({});
    client_->Stop(kGoodbyeGrace);
}

void MqttNet::LinkChanged(const mqtt::LinkChange& change) {
    if (change.up) {
        const std::int64_t now = Now_s();
        platform::LogLine(platform::Level::Notice, kSpeaker)
            << health_.broker << " is up" << (told_.empty() ? "" : " again after ")
            << (told_.empty() ? "" : std::to_string(now - health_.downSince_s) + " s") << "; "
            << client_->Waiting() << " message(s) to send";
        health_.down = false;
        health_.problem.clear();
        told_.clear();
        overflowTold_ = false;
        publisher_->Refresh();
        link_->Connected();
        TellDropped();
    } else {
        if (!health_.down) health_.downSince_s = Now_s();
        health_.down = true;
        health_.problem = change.reason;
        if (change.reason != told_) {
            platform::LogLine(platform::Level::Warning, kSpeaker)
                << health_.broker << " is down since " << ClockText(health_.downSince_s) << ": "
                << change.reason << "; the watch goes on, the events wait (" << client_->Waiting()
                << " now) and it tries again";
            told_ = change.reason;
        }
    }
    board_.Changed();
}

void MqttNet::TellDropped() {
    const std::size_t dropped = publisher_->TakeDropped();
    if (dropped == 0 || overflowTold_) return;
    overflowTold_ = true;
    platform::LogLine(platform::Level::Warning, kSpeaker)
        << "the outbox for " << health_.broker << " is full (" << mqtt::Outbox::kDefaultCapacity
        << " messages): the oldest that are not emergencies are given up until the broker "
           "takes them again";
}

dashboard::NetHealth MqttNet::Health() const {
    dashboard::NetHealth health = health_;
    health.waiting = client_->Waiting();
    health.dropped = client_->Dropped();
    return health;
}

std::unique_ptr<MqttNet> StartMqtt(const CommandLine& options, const StartSettings& start,
                                   incidents::Stream& events, incidents::IncidentBook& book,
                                   forms::FrmMain& main, watch::WatchBoard& board,
                                   const MqttHome& home) {
    std::string problem;
    auto plan = Plan(options, start, true, &problem);
    if (!plan) {
        if (!problem.empty()) platform::LogLine(platform::Level::Error, kSpeaker) << problem;
        return nullptr;
    }
    return std::make_unique<MqttNet>(std::move(plan->client), std::move(plan->names), plan->broker,
                                     events, book, main, board, home);
}

void CheckMqtt(const CommandLine& options, const StartSettings& start,
               std::vector<Finding>& findings) {
    const auto plan = Plan(options, start, false);
    if (!plan) return;
    const watch_settings::MqttSettings& m = start.watch.mqtt;
    if (!m.passwordFile.empty() && m.user.empty())
        findings.push_back(
            {"MqttPasswordFile is set without MqttUser: no login is made", false, false});
    if (!m.user.empty() && !m.passwordFile.empty()) {
        if (const auto password = watch_settings::ReadPasswordFile(m.passwordFile); !password)
            findings.push_back({password.error().text, true, false});
    }
    if (LacksCaFile(*plan))
        findings.push_back({plan->broker +
                                " needs MqttCaFile here: the PEM file of the CA that signed the "
                                "broker's certificate (the Windows certificate store is not read)",
                            true, false});
    if (plan->client.tls && !m.caFile.empty() &&
        !std::ifstream(platform::FilePath(m.caFile), std::ios::binary))
        findings.push_back({"MqttCaFile: cannot read " + m.caFile, true, false});
}

std::vector<Finding> ShowAndTryMqtt(const CommandLine& options, const StartSettings& start,
                                    std::ostream& out) {
    const watch_settings::MqttSettings& m = start.watch.mqtt;
    const auto plan = Plan(options, start, true);
    const char* from = options.mqtt ? "command line" : plan ? "host settings" : "default";
    out << "  Mqtt = " << (plan ? plan->broker : std::string("(none)")) << "    (" << from << ")\n";
    if (!plan) return {};
    out << "  MqttPrefix = " << plan->names.prefix << "\n"
        << "  MqttWatcher = " << plan->names.watcher << "\n"
        << "  MqttUser = " << (m.user.empty() ? "(none)" : m.user) << "\n"
        << "  MqttPasswordFile = " << (m.passwordFile.empty() ? "(none)" : m.passwordFile) << "\n"
        << "  MqttCaFile = "
        << (!m.caFile.empty()  ? m.caFile
            : mqtt::kSystemCas ? std::string("(the system's CAs)")
                               : std::string("(none)"))
        << "\n";
    if (LacksCaFile(*plan)) return {};  // refused by the start's checks
    mqtt::ClientSettings client = plan->client;
    client.clientId += "-check";
    const auto problem = mqtt::TryBroker(client, std::chrono::seconds(5));
    if (!problem) {
        out << "  the broker " << plan->broker << " accepted " << plan->names.watcher << "\n";
        return {};
    }
    return {{"the broker " + plan->broker + " cannot be used now: " + *problem +
                 "; the watch starts, keeps the events and tries again until it can",
             false, false}};
}

}  // namespace app
