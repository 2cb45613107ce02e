// The executable's command line: which feed the built-in host takes its traffic from,
// headless mode, --help and --version. Plain C++ so it can be parsed before Qt starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class FeedChoice { FromSettings, Kiss, AprsIs, Replay, Stdin, Agwpe, Serial };

inline constexpr std::uint16_t kDefaultKissPort = 8001;
inline constexpr std::uint16_t kDefaultAprsIsPort = 14580;
inline constexpr std::uint16_t kDefaultAgwpePort = 8000;
inline constexpr std::int32_t kDefaultSerialBaud = 9600;

struct Endpoint {
    std::string host;
    std::uint16_t port = 0;
};

struct SerialLine {
    std::string device;
    std::int32_t baud = kDefaultSerialBaud;
};

struct CommandLine {
    FeedChoice feed = FeedChoice::FromSettings;
    Endpoint endpoint;                  // --kiss / --aprs-is / --agwpe
    SerialLine serial;                  // --serial
    std::string replayFile;             // --replay
    bool fast = false;                  // --fast: a replay without pacing
    std::optional<std::string> filter;  // --filter: APRS-IS server filter
    std::optional<std::string> call;    // --call: APRS-IS login callsign
    bool headless = false;
    bool json = false;                       // --json: events as JSON objects on standard output
    std::optional<std::string> exportFile;   // --export: the incident log as GPX or KML
    std::optional<std::string> since;        // --since: only what happened from then on
    std::optional<std::string> onEmergency;  // --on-emergency: a command for each new one
    std::optional<Endpoint> dashboard;       // --dashboard: where the web page is served
    bool check = false;                      // --check: the settings checked and shown, no watch
    bool help = false;
    bool version = false;
};

// The arguments after the program name. Options take their value as the next argument or
// after "=" ("--kiss=127.0.0.1:8001"). Nothing when the command line is unusable, and then
// `error` (when given) says why.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error = nullptr);

// "HOST:PORT", "HOST" (default port), "[::1]:PORT"; nothing when unusable.
std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort);

// "DEVICE" (default speed) or "DEVICE:BAUD"; nothing when unusable.
std::optional<SerialLine> ParseSerialLine(std::string_view text);
// Where the dashboard listens: "PORT" (on loopback), "ADDRESS:PORT", "[IPv6]:PORT"; nothing
// when unusable.
std::optional<Endpoint> ParseListenAddress(std::string_view text);

// The --help text.
std::string UsageText(std::string_view program);

}  // namespace app
