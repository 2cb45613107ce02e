// Parsing of the executable's command line.
#include "app/CommandLine.h"

#include <functional>
#include <map>
#include <utility>

#include "watch_settings/MqttSettings.h"

namespace app {

namespace {

using watch_settings::kDefaultAgwpePort;
using watch_settings::kDefaultAprsIsPort;
using watch_settings::kDefaultKissPort;
using watch_settings::ParseEndpoint;
using watch_settings::ParseListenAddress;
using watch_settings::ParseSerialLine;

bool EndsWithExportType(const std::string& file) {
    if (file.size() < 4) return false;
    std::string end = file.substr(file.size() - 4);
    for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".gpx" || end == ".kml";
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    platform::Result<CommandLine> Run() {
        for (index_ = 0; index_ < args_.size() && error_.empty(); ++index_) Option(args_[index_]);
        if (error_.empty()) CheckCombination();
        if (error_.empty()) return options_;
        return platform::Fail(error_);
    }

private:
    void Option(const std::string& arg) {
        std::string name = arg;
        inlineValue_.reset();
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue_ = arg.substr(eq + 1);
        }
        auto& o = options_;
        const std::map<std::string, std::function<void()>, std::less<>> table = {
            {"--help", [&] { o.help = true; }},
            {"-h", [&] { o.help = true; }},
            {"--version", [&] { o.version = true; }},
            {"--check", [&] { o.check = true; }},
            {"--headless", [&] { o.headless = true; }},
            {"--host", [&] { o.host = true; }},
            {"--json", [&] { o.json = true; }},
            {"--fast", [&] { o.fast = true; }},
            {"--stdin", [&] { SetFeed(FeedSource::Stdin, name); }},
            {"--kiss", [&] { EndpointFeed(FeedSource::Kiss, name, kDefaultKissPort); }},
            {"--aprs-is", [&] { EndpointFeed(FeedSource::AprsIs, name, kDefaultAprsIsPort); }},
            {"--agwpe", [&] { EndpointFeed(FeedSource::Agwpe, name, kDefaultAgwpePort); }},
            {"--serial", [&] { SerialFeed(name); }},
            {"--replay",
             [&] {
                 if (auto v = Value(name); v && SetFeed(FeedSource::Replay, name))
                     o.replayFile = *v;
             }},
            {"--filter", [&] { o.filter = Value(name); }},
            {"--call", [&] { o.call = Value(name); }},
            {"--export", [&] { o.exportFile = Value(name); }},
            {"--since", [&] { o.since = Value(name); }},
            {"--on-emergency", [&] { o.onEmergency = Value(name); }},
            {"--dashboard",
             [&] {
                 const auto v = Value(name);
                 if (!v) return;
                 o.dashboard = ParseListenAddress(*v);
                 if (!o.dashboard) Fail("--dashboard: expected [ADDRESS:]PORT, got \"" + *v + "\"");
             }},
            {"--mqtt",
             [&] {
                 o.mqtt = Value(name);
                 if (o.mqtt && !watch_settings::ParseBrokerUrl(*o.mqtt))
                     Fail("--mqtt: expected mqtt://HOST[:PORT] or mqtts://HOST[:PORT], got \"" +
                          *o.mqtt + "\"");
             }},
        };
        const auto found = table.find(name);
        if (found == table.end()) {
            Fail("unknown option: " + arg);
            return;
        }
        const bool takesValue = name == "--kiss" || name == "--aprs-is" || name == "--agwpe" ||
                                name == "--serial" || name == "--replay" || name == "--filter" ||
                                name == "--call" || name == "--export" || name == "--since" ||
                                name == "--on-emergency" || name == "--dashboard" ||
                                name == "--mqtt";
        if (inlineValue_ && !takesValue) {
            Fail(name + " takes no value");
            return;
        }
        found->second();
    }

    std::optional<std::string> Value(const std::string& name) {
        if (inlineValue_) {
            if (inlineValue_->empty()) Fail(name + " needs a value");
            return inlineValue_->empty() ? std::nullopt : inlineValue_;
        }
        if (index_ + 1 >= args_.size() || args_[index_ + 1].empty()) {
            Fail(name + " needs a value");
            return std::nullopt;
        }
        return args_[++index_];
    }

    bool SetFeed(FeedSource feed, const std::string& name) {
        if (options_.feed) {
            Fail("only one feed can be chosen: " + feedName_ + " and " + name);
            return false;
        }
        options_.feed = feed;
        feedName_ = name;
        return true;
    }

    void EndpointFeed(FeedSource feed, const std::string& name, std::uint16_t defaultPort) {
        const auto value = Value(name);
        if (!value || !SetFeed(feed, name)) return;
        const auto endpoint = ParseEndpoint(*value, defaultPort);
        if (!endpoint) {
            Fail(name + ": expected HOST:PORT, got \"" + *value + "\"");
            return;
        }
        options_.endpoint = *endpoint;
    }

    void SerialFeed(const std::string& name) {
        const auto value = Value(name);
        if (!value || !SetFeed(FeedSource::Serial, name)) return;
        const auto line = ParseSerialLine(*value);
        if (!line) {
            Fail(name + ": expected DEVICE[:BAUD], got \"" + *value + "\"");
            return;
        }
        options_.serial = *line;
    }

    void CheckCombination() {
        const auto& o = options_;
        if (o.help || o.version) return;
        if (o.since && !o.exportFile) {
            Fail("--since belongs to --export");
            return;
        }
        if (o.exportFile && !EndsWithExportType(*o.exportFile)) {
            Fail("--export: the file name must end in .gpx or .kml");
            return;
        }
        const bool aprsIsOrSettings = !o.feed || *o.feed == FeedSource::AprsIs;
        if ((o.filter || o.call) && !aprsIsOrSettings)
            Fail("--filter and --call belong to an APRS-IS feed");
        else if (o.fast && o.feed && *o.feed != FeedSource::Replay)
            Fail("--fast belongs to a replay");
    }

    void Fail(std::string message) {
        if (error_.empty()) error_ = std::move(message);
    }

    const std::vector<std::string>& args_;
    std::size_t index_ = 0;
    std::optional<std::string> inlineValue_;
    std::string feedName_;
    CommandLine options_;
    std::string error_;  // the first mistake
};

}  // namespace

platform::Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args) {
    return Parser(args).Run();
}

namespace {

// The help, with marks where the defaults go.
const char* UsageTemplate() {
    return R"( [OPTION]...
Watches APRS traffic for emergency beacons. The built-in station program takes its
traffic from the feed chosen here, or else from its own settings (at first: the demo
traffic beside the executable, replayed in real time).

Feeds:
  --kiss HOST:PORT     a KISS TNC over TCP (port @KISS@ when left out), e.g. Direwolf
  --agwpe HOST:PORT    a soft TNC's AGWPE server (port @AGWPE@ when left out), e.g. Direwolf
  --serial DEVICE[:BAUD]
                       a KISS TNC on a serial line, e.g. /dev/ttyUSB0:9600 (@BAUD@ bd
                       when left out); looked for again while it is unplugged
  --aprs-is HOST:PORT  an APRS-IS server (port @APRSIS@ when left out), read-only login
    --filter SPEC      the server-side filter, e.g. "r/45.5/9.2/100"
    --call CALL        the login callsign (default: the home station's callsign)
  --replay FILE        a recorded file of monitor lines, paced by its timestamps; its
                       events go to a log of its own, not the incident log
    --fast             replay as fast as possible
  --stdin              monitor lines on standard input

Telling the operator:
  --on-emergency COMMAND
                       run COMMAND (split into words like a shell would, but run without
                       one) for each new emergency, with SIRENWATCH_CALLSIGN,
                       SIRENWATCH_LATITUDE, SIRENWATCH_LONGITUDE, SIRENWATCH_DISTANCE,
                       SIRENWATCH_BEARING, SIRENWATCH_FRAME... in its environment and a
                       summary on its standard input; after 30 s it and what it started
                       are sent TERM, 5 s later KILL. One that cannot run is refused at
                       start-up
  Desktop notifications are sent wherever the desktop's notification service runs.

The incident log:
  --export FILE        write the emergencies and the tracks of the stations in emergency
                       from the incident log to FILE (.gpx or .kml) and exit
    --since TIME       only from TIME on: "2026-12-07" or "2026-12-07T10:00" (local
                       time), or with its zone ("...Z", "...+01:00")

The dashboard:
  --dashboard [ADDRESS:]PORT
                       serve the web dashboard (incidents, map, feed health, the
                       operators' actions) on PORT, on loopback unless ADDRESS is given;
                       also the host setting Dashboard=. Any other address and every
                       action need the access token DashboardToken= in the host's settings

The MQTT net:
  --mqtt URL           publish every event on the broker at mqtt://HOST[:PORT] or
                       mqtts://HOST[:PORT] (also the host setting Mqtt=; the login, the
                       password file and the CA file are settings: MqttUser=,
                       MqttPasswordFile=, MqttCaFile=, and MqttPrefix=, MqttWatcher=)

Other options:
  --headless           no windows: messages go to standard error, each emergency and
                       alarm is printed on standard output, and a replay or standard
                       input that ends ends the program (chosen by itself when there is
                       no display)
  --host               watch with the built-in host and the feed in its settings (what
                       Sirenwatch.exe needs to run without UI-View32; here always so)
  --json               print each emergency (with the evidence of why it is one), alarm
                       and feed event as one JSON object per line on standard output,
                       instead of the tab-separated lines
  --check              read and check the settings (home position, feed, emergency
                       command), print what the watch would use and where each value
                       comes from, and exit: 0 when the watch could start
  -h, --help           show this text and exit
  --version            show the version and exit
)";
}

}  // namespace

std::string UsageText(std::string_view program) {
    std::string text = "Usage: " + std::string(program) + UsageTemplate();
    // The defaults as the settings hold them, so the help never tells other ones.
    const std::pair<const char*, int> defaults[] = {
        {"@KISS@", watch_settings::kDefaultKissPort},
        {"@AGWPE@", watch_settings::kDefaultAgwpePort},
        {"@BAUD@", watch_settings::kDefaultSerialBaud},
        {"@APRSIS@", watch_settings::kDefaultAprsIsPort}};
    for (const auto& [mark, value] : defaults)
        text.replace(text.find(mark), std::string_view(mark).size(), std::to_string(value));
    return text;
}

}  // namespace app
