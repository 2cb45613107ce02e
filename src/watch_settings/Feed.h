// Where the watch takes its traffic from: the kinds of feed, their settings with their
// defaults (written here once, for the settings file and the command line alike), and how long
// each kind may be quiet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace watch_settings {

enum class FeedSource { Replay, Kiss, AprsIs, Stdin, Agwpe, Serial };

// "replay", "kiss", "aprs-is", "stdin", "agwpe", "serial" (any case); nothing for other text.
std::optional<FeedSource> ParseFeedSource(std::string_view text);
std::string FeedSourceText(FeedSource source);

inline constexpr std::uint16_t kDefaultKissPort = 8001;
inline constexpr std::uint16_t kDefaultAprsIsPort = 14580;
inline constexpr std::uint16_t kDefaultAgwpePort = 8000;
inline constexpr std::int32_t kDefaultSerialBaud = 9600;

struct FeedSettings {
    FeedSource source = FeedSource::Replay;
    std::string replayFile;  // empty: the demo traffic among the shipped files
    bool fast = false;       // replay without waiting between lines
    std::string kissHost = "127.0.0.1";
    std::uint16_t kissPort = kDefaultKissPort;
    std::string aprsIsHost = "rotate.aprs2.net";
    std::uint16_t aprsIsPort = kDefaultAprsIsPort;
    std::string filter;  // APRS-IS server filter, e.g. "r/45.50/9.21/50"
    std::string agwpeHost = "127.0.0.1";
    std::uint16_t agwpePort = kDefaultAgwpePort;
#ifdef _WIN32
    std::string serialDevice = "COM1";  // a KISS TNC on a serial line
#else
    std::string serialDevice = "/dev/ttyUSB0";  // a KISS TNC on a serial line
#endif
    std::int32_t serialBaud = kDefaultSerialBaud;
};

inline constexpr double kRadioSilenceMinutes = 15;
inline constexpr double kAprsIsSilenceMinutes = 2;  // servers send a comment about every 20 s

// The silence limit for a feed, in seconds: the configured minutes, or the feed's default
// when none is configured. 0 means the watchdog is off.
std::int64_t SilenceLimitSeconds(FeedSource source, std::optional<double> configuredMinutes);

}  // namespace watch_settings
