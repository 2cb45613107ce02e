// The feed's kinds as the settings file and the command line name them, and their quiet limits.
#include "watch_settings/Feed.h"

#include <cmath>

namespace watch_settings {

std::optional<FeedSource> ParseFeedSource(std::string_view text) {
    std::string t(text);
    for (char& c : t) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (t == "replay") return FeedSource::Replay;
    if (t == "kiss") return FeedSource::Kiss;
    if (t == "aprs-is") return FeedSource::AprsIs;
    if (t == "stdin") return FeedSource::Stdin;
    if (t == "agwpe") return FeedSource::Agwpe;
    if (t == "serial") return FeedSource::Serial;
    return std::nullopt;
}

std::string FeedSourceText(FeedSource source) {
    switch (source) {
        case FeedSource::Kiss:
            return "kiss";
        case FeedSource::AprsIs:
            return "aprs-is";
        case FeedSource::Stdin:
            return "stdin";
        case FeedSource::Agwpe:
            return "agwpe";
        case FeedSource::Serial:
            return "serial";
        case FeedSource::Replay:
            break;
    }
    return "replay";
}

std::int64_t SilenceLimitSeconds(FeedSource source, std::optional<double> configuredMinutes) {
    const double fallback =
        source == FeedSource::AprsIs ? kAprsIsSilenceMinutes : kRadioSilenceMinutes;
    double minutes = configuredMinutes.value_or(fallback);
    if (!std::isfinite(minutes) || minutes < 0) minutes = fallback;
    return std::llround(minutes * 60);
}

}  // namespace watch_settings
