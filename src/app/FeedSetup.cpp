// Starting the feed.
#include "app/FeedSetup.h"

#include "platform/Log.h"

namespace app {

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
