// What the desktop and the notification-area balloon are told, in the add-on's language, which
// the operator may switch while the watch runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "incident_outlets/Notifier.h"

namespace {

incidents::Event Emergency(const std::string& distance) {
    incidents::Emergency e{.unit = "km", .isNew = true};
    e.panel.text = {"Q7MOB-9", "EMERGENCY", "Car off the road", "", distance, "", "", "",
                    "",        "295"};
    return {1796637600, e};
}

struct Told : incidents::Notifier {
    std::vector<incidents::Notification> said;
    void Notify(const incidents::Notification& n) override { said.push_back(n); }
};

TEST(Notifier, SpeaksTheAddOnsLanguageAsItIsAtEachEvent) {
    struct Case {
        incidents::Event event;
        bool english;
        std::string summary, body;
    };
    const incidents::Event silent{0, incidents::FeedSilent{"KISS 127.0.0.1:8001", 900, 0}};
    const incidents::Event down{0,
                                incidents::FeedDown{"KISS 127.0.0.1:8001", "Connection refused"}};
    const std::vector<Case> cases = {
        {Emergency("23.8"), true, "Emergency: Q7MOB-9",
         "23.8 km away, bearing 295°\nCar off the road"},
        {Emergency("23.8"), false, "Emergenza: Q7MOB-9",
         "a 23.8 km, azimut 295°\nCar off the road"},
        {Emergency("-----"), false, "Emergenza: Q7MOB-9",
         "posizione sconosciuta\nCar off the road"},
        {silent, true, "Sirenwatch hears nothing",
         "Nothing heard on KISS 127.0.0.1:8001 for 900 s"},
        {silent, false, "Sirenwatch non sente nulla",
         "Nulla ricevuto da KISS 127.0.0.1:8001 da 900 s"},
        {down, false, "Il collegamento di Sirenwatch è caduto",
         "KISS 127.0.0.1:8001: Connection refused"},
    };
    for (const Case& c : cases) {
        const auto n = incidents::NotificationFor(c.event, c.english);
        ASSERT_TRUE(n.has_value()) << c.summary;
        EXPECT_EQ(n->summary, c.summary);
        EXPECT_EQ(n->body, c.body);
    }

    Told told;
    bool english = false;
    told.SetEnglish([&english] { return english; });
    told.Tell(silent);
    english = true;
    told.Tell(silent);
    ASSERT_EQ(told.said.size(), 2u);
    EXPECT_EQ(told.said[0].summary, "Sirenwatch non sente nulla");
    EXPECT_EQ(told.said[1].summary, "Sirenwatch hears nothing");
}

}  // namespace
