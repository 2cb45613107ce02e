// Creating the feed the settings name.
#include "watch/FeedChoice.h"

#include "feeds/AgwpeFeed.h"
#include "feeds/AprsIsFeed.h"
#include "feeds/KissTcpFeed.h"
#include "feeds/ReplayFeed.h"
#include "feeds/SerialKissFeed.h"
#include "feeds/StdinFeed.h"

namespace watch {
namespace {

template <typename Source, typename... Args>
std::unique_ptr<feeds::Feed> Make(Args&&... args) {
    return std::make_unique<feeds::Feed>(std::make_shared<Source>(std::forward<Args>(args)...));
}

}  // namespace

std::unique_ptr<feeds::Feed> MakeFeed(const watch_settings::FeedSettings& feed,
                                      const std::string& callsign, const std::string& version,
                                      feeds::Loops loops) {
    using watch_settings::FeedSource;
    switch (feed.source) {
        case FeedSource::Kiss:
            return Make<feeds::KissTcpFeed>(loops, feed.kissHost, feed.kissPort);
        case FeedSource::AprsIs:
            return Make<feeds::AprsIsFeed>(loops, feed.aprsIsHost, feed.aprsIsPort, callsign,
                                           version, feed.filter);
        case FeedSource::Stdin:
            return Make<feeds::StdinFeed>(loops);
        case FeedSource::Agwpe:
            return Make<feeds::AgwpeFeed>(loops, feed.agwpeHost, feed.agwpePort);
        case FeedSource::Serial:
            return Make<feeds::SerialKissFeed>(loops, feed.serialDevice,
                                               static_cast<unsigned>(feed.serialBaud));
        case FeedSource::Replay:
            break;
    }
    return Make<feeds::ReplayFeed>(loops, feed.replayFile, feed.fast);
}

}  // namespace watch
