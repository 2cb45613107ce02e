// Choosing and creating the feed.
#include "app/FeedSetup.h"

#include <QFile>
#include <QFileInfo>

#include "feeds/AgwpeFeed.h"
#include "feeds/AprsIsFeed.h"
#include "feeds/KissTcpFeed.h"
#include "feeds/ReplayFeed.h"
#include "feeds/SerialKissFeed.h"
#include "feeds/StdinFeed.h"
#include "platform/Log.h"
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

platform::Result<void> ReplayFileReadable(const std::string& file) {
    QFile replay(QString::fromStdString(file));
    if (QFileInfo(replay).isDir()) return platform::Fail("it is a folder");
    if (!replay.open(QIODevice::ReadOnly))
        return platform::Fail(replay.errorString().toStdString());
    return {};
}

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

void StartFeed(feeds::Feed& feed, builtin_host::BuiltinHost& host, bool headless,
               qt_host::MapView* map, qt::DisplayPacer* pacer) {
    feed.SetLineHandler([&host, pacer](const std::string& line) {
        qt::DisplayPacer::Batch batch(pacer);  // the window follows at the screen's pace
        host.OnTnc2Line(line);
    });
    feed.SetStatusHandler([map](const std::string& status) {
        platform::LogLine(platform::Level::Info, "feed") << status;
        if (map) map->setWindowTitle("Sirenwatch host - " + QString::fromStdString(status));
    });
    // Headless, the end of the traffic is the end of the run: the host closes as its window
    // would, so the add-on saves its settings on the way out.
    if (headless) feed.SetEndHandler([&host] { host.Close(); });
    feed.Start();
}

}  // namespace app
