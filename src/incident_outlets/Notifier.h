// Telling the operator on the desktop: what to say for an event, and the port a front end
// implements to say it (desktop notifications on Linux, and so on).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "incidents/Events.h"

namespace incidents {

struct Notification {
    std::string summary;  // "Emergency: Q7MOB-9"
    std::string body;     // plain text, "23.8 km away, bearing 295°\n<the beacon>"
    bool critical = false;
};

// What to tell for an event, in Italian or in English as the add-on speaks: each new
// emergency, a silent feed, a feed that is down; nothing for the others.
std::optional<Notification> NotificationFor(const Event& event, bool english = true);

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows it without waiting; a failure is the front end's to tell.
    virtual void Notify(const Notification& notification) = 0;

    // Whether to speak English, asked at each event (the operator may switch); English when
    // never set.
    void SetEnglish(std::function<bool()> english) { english_ = std::move(english); }

    // A sink for the incidents.
    void Tell(const Event& event) {
        if (auto notification = NotificationFor(event, !english_ || english_()))
            Notify(*notification);
    }

private:
    std::function<bool()> english_;
};

}  // namespace incidents
