// The words of the desktop's notifications.
#include "incident_outlets/Notifier.h"

namespace incidents {

std::optional<Notification> NotificationFor(const Event& event) {
    if (const auto* e = std::get_if<Emergency>(&event.what); e != nullptr && e->isNew) {
        const Panel& p = e->panel;
        return Notification{"Emergency: " + p[Box::Callsign],
                            WhereFromHome(*e, "°") + "\n" + p[Box::Beacon], true};
    }
    if (const auto* f = std::get_if<FeedSilent>(&event.what)) {
        return Notification{
            "Sirenwatch hears nothing",
            "Nothing heard on " + f->feed + " for " + std::to_string(f->silent_s) + " s", true};
    }
    if (const auto* f = std::get_if<FeedDown>(&event.what))
        return Notification{"Sirenwatch's feed is down", f->feed + ": " + f->reason, true};
    return std::nullopt;
}

}  // namespace incidents
