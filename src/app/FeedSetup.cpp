// Choosing and creating the feed.
#include "app/FeedSetup.h"

#include <QFile>
#include <QFileInfo>

#include "platform/Log.h"
#include "platform/Paths.h"
#include "qt_host/feeds/AgwpeFeed.h"
#include "qt_host/feeds/AprsIsFeed.h"
#include "qt_host/feeds/KissFeed.h"
#include "qt_host/feeds/ReplayFeed.h"
#include "qt_host/feeds/SerialKissFeed.h"
#include "qt_host/feeds/StdinFeed.h"

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

std::unique_ptr<qt_host::feeds::Feed> MakeFeed(const watch_settings::FeedSettings& feed,
                                               const std::string& callsign,
                                               const std::string& version) {
    using watch_settings::FeedSource;
    switch (feed.source) {
        case FeedSource::Kiss:
            return std::make_unique<qt_host::feeds::KissFeed>(QString::fromStdString(feed.kissHost),
                                                              feed.kissPort);
        case FeedSource::AprsIs:
            return std::make_unique<qt_host::feeds::AprsIsFeed>(
                QString::fromStdString(feed.aprsIsHost), feed.aprsIsPort, callsign, version,
                feed.filter);
        case FeedSource::Stdin:
            return std::make_unique<qt_host::feeds::StdinFeed>();
        case FeedSource::Agwpe:
            return std::make_unique<qt_host::feeds::AgwpeFeed>(
                QString::fromStdString(feed.agwpeHost), feed.agwpePort);
        case FeedSource::Serial:
            return std::make_unique<qt_host::feeds::SerialKissFeed>(
                QString::fromStdString(feed.serialDevice), feed.serialBaud);
        case FeedSource::Replay:
            break;
    }
    return std::make_unique<qt_host::feeds::ReplayFeed>(QString::fromStdString(feed.replayFile),
                                                        feed.fast);
}

void StartFeed(qt_host::feeds::Feed& feed, builtin_host::BuiltinHost& host, bool headless,
               qt_host::MapView* map, qt::DisplayPacer* pacer) {
    feed.SetLineHandler([&host, pacer](const std::string& line) {
        qt::DisplayPacer::Batch batch(pacer);  // the window follows at the screen's pace
        host.OnTnc2Line(line);
    });
    feed.SetStatusHandler([map](const QString& status) {
        platform::LogLine(platform::Level::Info, "feed") << status.toStdString();
        if (map) map->setWindowTitle("Sirenwatch host - " + status);
    });
    // Headless, the end of the traffic is the end of the run: the host closes as its window
    // would, so the add-on saves its settings on the way out.
    if (headless) feed.SetEndHandler([&host] { host.Close(); });
    feed.Start();
}

}  // namespace app
