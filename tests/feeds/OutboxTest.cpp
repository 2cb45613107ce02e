// What crosses to the UI thread keeps its order even when a handler lets events in while it
// works (a message box's nested loop drains the queue again), and a reader stopped by the
// bound hears once that there is room again.
#include <gtest/gtest.h>

#include "feeds/Outbox.h"

namespace {

TEST(Outbox, ANestedDrainInsideAHandlerDoesNotReorderWhatCrossed) {
    net::UiQueue queue;
    feeds::Outbox out(queue);
    std::vector<std::string> seen;
    out.UiHandlers().line = [&](const std::string& line) {
        seen.push_back(line);
        if (line != "first") return;
        out.Line("third");  // read meanwhile on the reading side
        out.Status("still here");
        out.Flush();
        queue.Drain();  // a nested event loop
    };
    out.UiHandlers().status = [&](const std::string& status) { seen.push_back(status); };
    out.Line("first");
    out.Line("second");
    out.Flush();
    queue.Drain();
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "third", "still here"}));
}

TEST(Outbox, AReaderStoppedByTheBoundHearsOnceWhenHalfIsHandled) {
    net::UiQueue queue;
    feeds::Outbox out(queue, 4);
    int rooms = 0;
    out.WhenRoom([&] { ++rooms; });
    std::size_t handled = 0;
    out.UiHandlers().line = [&](const std::string&) { ++handled; };
    for (int i = 0; i < 5; ++i) {
        out.Line("line");
        out.Flush();
    }
    EXPECT_TRUE(out.Full());
    queue.Drain();
    EXPECT_EQ(handled, 5u);
    EXPECT_FALSE(out.Full());
    EXPECT_EQ(rooms, 1);
}

}  // namespace
