// Parsing of the executable's command line.
#include "app/CommandLine.h"

#include <charconv>
#include <functional>
#include <map>

namespace app {

namespace {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool EndsWithExportType(const std::string& file) {
    if (file.size() < 4) return false;
    std::string end = file.substr(file.size() - 4);
    for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".gpx" || end == ".kml";
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    std::optional<CommandLine> Run(std::string* error) {
        for (index_ = 0; index_ < args_.size() && error_.empty(); ++index_) Option(args_[index_]);
        if (error_.empty()) CheckCombination();
        if (error_.empty()) return options_;
        if (error) *error = error_;
        return std::nullopt;
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
            {"--json", [&] { o.json = true; }},
            {"--fast", [&] { o.fast = true; }},
            {"--stdin", [&] { SetFeed(FeedChoice::Stdin, name); }},
            {"--kiss", [&] { EndpointFeed(FeedChoice::Kiss, name, kDefaultKissPort); }},
            {"--aprs-is", [&] { EndpointFeed(FeedChoice::AprsIs, name, kDefaultAprsIsPort); }},
            {"--agwpe", [&] { EndpointFeed(FeedChoice::Agwpe, name, kDefaultAgwpePort); }},
            {"--serial", [&] { SerialFeed(name); }},
            {"--replay",
             [&] {
                 if (auto v = Value(name); v && SetFeed(FeedChoice::Replay, name))
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
        };
        const auto found = table.find(name);
        if (found == table.end()) {
            Fail("unknown option: " + arg);
            return;
        }
        const bool takesValue = name == "--kiss" || name == "--aprs-is" || name == "--agwpe" ||
                                name == "--serial" || name == "--replay" || name == "--filter" ||
                                name == "--call" || name == "--export" || name == "--since" ||
                                name == "--on-emergency" || name == "--dashboard";
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

    bool SetFeed(FeedChoice feed, const std::string& name) {
        if (options_.feed != FeedChoice::FromSettings) {
            Fail("only one feed can be chosen: " + feedName_ + " and " + name);
            return false;
        }
        options_.feed = feed;
        feedName_ = name;
        return true;
    }

    void EndpointFeed(FeedChoice feed, const std::string& name, std::uint16_t defaultPort) {
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
        if (!value || !SetFeed(FeedChoice::Serial, name)) return;
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
        const bool aprsIsOrSettings =
            o.feed == FeedChoice::AprsIs || o.feed == FeedChoice::FromSettings;
        if ((o.filter || o.call) && !aprsIsOrSettings)
            Fail("--filter and --call belong to an APRS-IS feed");
        else if (o.fast && o.feed != FeedChoice::Replay && o.feed != FeedChoice::FromSettings)
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

std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort) {
    std::string_view host = text, port;
    if (text.starts_with('[')) {  // [IPv6]:port
        const auto close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = text.substr(1, close - 1);
        const auto rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return std::nullopt;
        if (!rest.empty()) port = rest.substr(1);
        if (!rest.empty() && port.empty()) return std::nullopt;
    } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        if (text.find(':') != colon) return std::nullopt;  // bare IPv6 needs brackets
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty()) return std::nullopt;
    }
    if (host.empty() || host.find_first_of(" \t") != std::string_view::npos) return std::nullopt;
    Endpoint endpoint{std::string(host), defaultPort};
    if (!port.empty()) {
        const auto number = ParsePort(port);
        if (!number) return std::nullopt;
        endpoint.port = *number;
    }
    return endpoint;
}

std::optional<SerialLine> ParseSerialLine(std::string_view text) {
    SerialLine line{std::string(text), kDefaultSerialBaud};
    if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        const std::string_view speed = text.substr(colon + 1);
        std::int32_t baud = 0;
        const auto [ptr, ec] = std::from_chars(speed.data(), speed.data() + speed.size(), baud);
        if (ec != std::errc() || ptr != speed.data() + speed.size() || baud < 50)
            return std::nullopt;
        line = {std::string(text.substr(0, colon)), baud};
    }
    if (line.device.empty()) return std::nullopt;
    return line;
}

std::optional<Endpoint> ParseListenAddress(std::string_view text) {
    if (const auto port = ParsePort(text)) return Endpoint{"127.0.0.1", *port};
    auto endpoint = ParseEndpoint(text, 0);
    if (!endpoint || endpoint->port == 0) return std::nullopt;
    return endpoint;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error) {
    return Parser(args).Run(error);
}

std::string UsageText(std::string_view program) {
    std::string p(program);
    return "Usage: " + p + R"( [OPTION]...
Watches APRS traffic for emergency beacons. The built-in station program takes its
traffic from the feed chosen here, or else from its own settings (at first: the demo
traffic beside the executable, replayed in real time).

Feeds:
  --kiss HOST:PORT     a KISS TNC over TCP (port 8001 when left out), e.g. Direwolf
  --agwpe HOST:PORT    a soft TNC's AGWPE server (port 8000 when left out), e.g. Direwolf
  --serial DEVICE[:BAUD]
                       a KISS TNC on a serial line, e.g. /dev/ttyUSB0:9600 (9600 bd
                       when left out); looked for again while it is unplugged
  --aprs-is HOST:PORT  an APRS-IS server (port 14580 when left out), read-only login
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

Other options:
  --headless           no windows: messages go to standard error, each emergency and
                       alarm is printed on standard output, and a replay or standard
                       input that ends ends the program (chosen by itself when there is
                       no display)
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

}  // namespace app
