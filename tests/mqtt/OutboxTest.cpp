// The outbox keeps order across a lost connection, keeps only the latest retained state, and
// gives up the oldest ordinary message before any emergency when it is full.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mqtt/Outbox.h"

namespace mqtt {
namespace {

Message Plain(const std::string& payload) {
    return {"t/events/feed", payload, false, false};
}
Message Emergency(const std::string& payload) {
    return {"t/events/emergency", payload, false, true};
}

// Hands everything waiting, numbering from `firstId`; gives the payloads in the order handed.
std::vector<std::string> HandAll(Outbox& box, int firstId) {
    std::vector<std::string> handed;
    for (const Message* m = box.NextToHand(); m != nullptr; m = box.NextToHand()) {
        handed.push_back(m->payload);
        box.Handed(firstId++);
    }
    return handed;
}

TEST(Outbox, WhatTheBrokerDidNotAcknowledgeGoesOutAgainFirstInOrder) {
    Outbox box;
    for (const char* p : {"a", "b", "c"}) box.Add(Plain(p));
    EXPECT_EQ(HandAll(box, 1), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(box.Acknowledged(1));
    EXPECT_FALSE(box.Acknowledged(1));  // a copy of the acknowledgement changes nothing
    box.Add(Plain("d"));                // while the link is lost
    box.ConnectionLost();
    EXPECT_EQ(HandAll(box, 10), (std::vector<std::string>{"b", "c", "d"}));
    for (int id : {10, 11, 12}) EXPECT_TRUE(box.Acknowledged(id));
    EXPECT_EQ(box.Size(), 0u);
}

TEST(Outbox, ARetainedStateReplacesTheOneStillWaitingButNotTheOneTravelling) {
    Outbox box;
    box.Add({"t/incidents/1", "new", true, false});
    HandAll(box, 1);
    box.Add({"t/incidents/1", "acknowledged", true, false});
    box.Add({"t/incidents/2", "new", true, false});
    box.Add({"t/incidents/1", "closed", true, false});
    EXPECT_EQ(HandAll(box, 2), (std::vector<std::string>{"new", "closed"}));
    EXPECT_EQ(box.Size(), 3u);
    EXPECT_EQ(box.Dropped(), 0u);
}

TEST(Outbox, FullItGivesUpTheOldestOrdinaryMessageBeforeAnyEmergency) {
    struct Case {
        std::vector<Message> added;
        std::vector<std::string> kept;
    };
    const std::vector<Case> cases = {
        {{Emergency("e1"), Plain("p1"), Emergency("e2"), Plain("p2")}, {"e1", "e2", "p2"}},
        {{Plain("p1"), Plain("p2"), Plain("p3"), Emergency("e1")}, {"p2", "p3", "e1"}},
        {{Emergency("e1"), Emergency("e2"), Emergency("e3"), Emergency("e4")}, {"e2", "e3", "e4"}},
    };
    for (const Case& c : cases) {
        Outbox box(3);
        std::size_t dropped = 0;
        for (const Message& m : c.added) dropped += box.Add(m);
        EXPECT_EQ(dropped, 1u);
        EXPECT_EQ(box.Dropped(), 1u);
        EXPECT_EQ(HandAll(box, 1), c.kept);
    }
}

}  // namespace
}  // namespace mqtt
