// The net's book topics: a message counts as from the watcher its topic names, and only topics
// of a book under the net's prefix name one.
#include <gtest/gtest.h>

#include "app/SharedBookWiring.h"

namespace app {
namespace {

TEST(SharedBookTopics, OnlyABookTopicUnderThePrefixNamesItsWatcher) {
    const mqtt::NetNames names{"club/sirenwatch", "N0CALL"};
    EXPECT_EQ(BookChangesTopic(names), "club/sirenwatch/N0CALL/book/changes");
    EXPECT_EQ(BookIncidentTopic(names, {"N1CALL", 12}),
              "club/sirenwatch/N0CALL/book/incidents/N1CALL/12");
    EXPECT_EQ(BookFilter(names), "club/sirenwatch/+/book/#");
    const struct {
        const char* topic;
        const char* watcher;
    } cases[] = {
        {"club/sirenwatch/N1CALL/book/changes", "N1CALL"},
        {"club/sirenwatch/N1CALL/book/incidents/N0CALL/3", "N1CALL"},
        {"club/sirenwatch/N1CALL/events/emergency", ""},
        {"club/sirenwatch/N1CALL/bookkeeping", ""},
        {"other/sirenwatch/N1CALL/book/changes", ""},
        {"club/sirenwatchN1CALL/book/changes", ""},
        {"club/sirenwatch/book/changes", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(BookTopicWatcher(names, c.topic), c.watcher) << c.topic;
}

}  // namespace
}  // namespace app
