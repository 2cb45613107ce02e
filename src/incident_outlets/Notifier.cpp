// The words of the desktop's notifications.
#include "incident_outlets/Notifier.h"

namespace incidents {

namespace {

// "a 23.8 km, azimut 295°": the panel's words for the distance and the bearing.
std::string WhereFromHomeInItalian(const Emergency& e) {
    const std::string& distance = e.panel[Box::Distance];
    if (distance == "-----") return "posizione sconosciuta";
    return "a " + distance + " " + e.unit + ", azimut " + e.panel[Box::Bearing] + "°";
}

}  // namespace

std::optional<Notification> NotificationFor(const Event& event, bool english) {
    if (const auto* e = std::get_if<Emergency>(&event.what); e != nullptr && e->isNew) {
        const Panel& p = e->panel;
        return Notification{
            (english ? "Emergency: " : "Emergenza: ") + p[Box::Callsign],
            (english ? WhereFromHome(*e, "°") : WhereFromHomeInItalian(*e)) + "\n" + p[Box::Beacon],
            true};
    }
    if (const auto* f = std::get_if<FeedSilent>(&event.what)) {
        const std::string seconds = std::to_string(f->silent_s) + " s";
        if (!english)
            return Notification{"Sirenwatch non sente nulla",
                                "Nulla ricevuto da " + f->feed + " da " + seconds, true};
        return Notification{"Sirenwatch hears nothing",
                            "Nothing heard on " + f->feed + " for " + seconds, true};
    }
    if (const auto* f = std::get_if<FeedDown>(&event.what))
        return Notification{
            english ? "Sirenwatch's feed is down" : "Il collegamento di Sirenwatch è caduto",
            f->feed + ": " + f->reason, true};
    return std::nullopt;
}

}  // namespace incidents
