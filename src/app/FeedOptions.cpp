// Laying the command line's feed over the settings'.
#include "app/FeedOptions.h"

#include "platform/Paths.h"

namespace app {

watch_settings::FeedSettings EffectiveFeed(watch_settings::FeedSettings feed,
                                           const CommandLine& options,
                                           const std::string& programFolder) {
    using watch_settings::FeedSource;
    if (options.feed) feed.source = *options.feed;
    switch (options.feed.value_or(FeedSource::Stdin)) {  // Stdin: nothing to lay over
        case FeedSource::Kiss:
            feed.kissHost = options.endpoint.host;
            feed.kissPort = options.endpoint.port;
            break;
        case FeedSource::AprsIs:
            feed.aprsIsHost = options.endpoint.host;
            feed.aprsIsPort = options.endpoint.port;
            break;
        case FeedSource::Replay:
            feed.replayFile = options.replayFile;
            break;
        case FeedSource::Agwpe:
            feed.agwpeHost = options.endpoint.host;
            feed.agwpePort = options.endpoint.port;
            break;
        case FeedSource::Serial:
            feed.serialDevice = options.serial.device;
            feed.serialBaud = options.serial.baud;
            break;
        case FeedSource::Stdin:
            break;
    }
    if (options.fast) feed.fast = true;
    if (options.filter) feed.filter = *options.filter;
    if (feed.replayFile.empty()) feed.replayFile = platform::JoinPath(programFolder, "demo.tnc2");
    return feed;
}

}  // namespace app
