// Writing events as JSON.
#include "incident_outlets/JsonLines.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <ostream>

namespace incidents {
namespace {

using nlohmann::json;

json TextArray(const std::vector<std::string>& texts) {
    json array = json::array();
    for (const std::string& text : texts) array.push_back(text);
    return array;
}

json PathJson(const sighting::PathInfo& path) {
    return {{"digipeaters", TextArray(path.digipeaters)},
            {"heard_from", path.heardFrom},
            {"via", path.viaInternet ? "internet" : "radio"},
            {"gateway", path.gateway}};
}

void AddPlace(const std::optional<Place>& place, json& object) {
    if (!place) return;
    object["latitude_deg"] = place->latitude_deg;
    object["longitude_deg"] = place->longitude_deg;
}

struct ToObject {
    json operator()(const Emergency& e) const {
        json object{{"event", "emergency"}, {"unit", e.unit}, {"new", e.isNew}};
        for (std::size_t i = 0; i < kBoxes; ++i) object[std::string(kBoxKeys[i])] = e.panel.text[i];
        if (e.copy) object["copy"] = true;
        if (e.evidence) object["evidence"] = EvidenceJson(*e.evidence);
        return object;
    }
    json operator()(const AlarmOn&) const { return {{"event", "alarm"}, {"state", "on"}}; }
    json operator()(const Acknowledged&) const { return {{"event", "alarm"}, {"state", "off"}}; }
    json operator()(const FeedSilent& f) const {
        return {{"event", "feed"},
                {"state", "silent"},
                {"feed", f.feed},
                {"seconds", static_cast<std::int64_t>(f.silent_s)},
                {"last_heard", IsoTime(f.lastHeard_s)}};
    }
    json operator()(const FeedBack& f) const {
        return {{"event", "feed"}, {"state", "back"}, {"feed", f.feed}};
    }
    json operator()(const FeedDown& f) const {
        return {{"event", "feed"}, {"state", "down"}, {"feed", f.feed}, {"reason", f.reason}};
    }
    json operator()(const FeedUp& f) const {
        return {{"event", "feed"}, {"state", "up"}, {"feed", f.feed}};
    }
    json operator()(const Position& p) const {
        json object{{"event", "position"}, {"callsign", p.callsign}};
        AddPlace(p.place, object);
        return object;
    }
    // The change record, under "event": "incident".
    json operator()(const IncidentChange& c) const {
        json object = ChangeObject(c.change);
        object["event"] = "incident";
        return object;
    }
    json operator()(const WatchStopped& w) const {
        json object{{"event", "watch"}, {"state", "stopped"}};
        AddPlace(w.home, object);
        return object;
    }
    // After a first start nothing says when the watch was down: there was no watch before.
    json operator()(const WatchStarted& w) const {
        json object{{"event", "watch"}, {"state", "started"}};
        if (w.lastAlive_s) {
            object["last_alive"] = IsoTime(*w.lastAlive_s);
            object["stopped_cleanly"] = w.stoppedCleanly;
        }
        AddPlace(w.home, object);
        return object;
    }
};

// The length of the valid UTF-8 sequence at text[at]; 0 when none starts there (a lone
// continuation byte, a sequence cut short, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    char32_t code = 0, least = 0;
    if (lead >= 0xc0 && lead < 0xe0) {
        length = 2, code = lead & 0x1fu, least = 0x80;
    } else if (lead >= 0xe0 && lead < 0xf0) {
        length = 3, code = lead & 0x0fu, least = 0x800;
    } else if (lead >= 0xf0 && lead < 0xf8) {
        length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0u) != 0x80u) return 0;
        code = (code << 6) | (byte(i) & 0x3fu);
    }
    const bool surrogate = code >= 0xd800 && code <= 0xdfff;
    return code < least || code > 0x10ffff || surrogate ? 0 : length;
}

void AppendQuoted(std::string_view text, std::string& out) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::string valid = ascii ? std::string() : ValidUtf8(text);
    out += '"';
    for (const char c : ascii ? text : std::string_view(valid)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

// The shortest digits that read back as the value, in decimal or exponent form, whichever is
// shorter (decimal when as long): 0.001, 1e-04, 1.5e+16, 45.59166666666667.
std::string ShortestNumber(double value) {
    if (!std::isfinite(value)) return "null";
    if (value == std::trunc(value) && std::abs(value) <= 9007199254740992.0)
        return std::to_string(static_cast<long long>(value));
    char buffer[64];
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    std::string out;
    if (text.front() == '-') {
        out = "-";
        text.remove_prefix(1);
    }
    const std::size_t e = text.find('e');
    std::string digits(1, text[0]);
    if (e > 1) digits += text.substr(2, e - 2);
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(),
                    exponent);
    const int point = exponent + 1, count = static_cast<int>(digits.size());
    const int decimalLength = point <= 0 ? 2 - point + count : point >= count ? point : count + 1;
    const int exponentLength = count + (count > 1) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
    if (decimalLength > exponentLength) {
        out += digits[0];
        if (count > 1) out.append(".").append(digits, 1);
        char tail[16];
        std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + tail;
    }
    const auto places = static_cast<std::size_t>(point);
    if (point <= 0) return out + "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    if (point >= count) return out + digits + std::string(places - digits.size(), '0');
    return out + digits.substr(0, places) + "." + digits.substr(places);
}

void AppendJson(const json& value, std::string& out) {
    switch (value.type()) {
        case json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, member] : value.items()) {
                if (!first) out += ',';
                first = false;
                AppendQuoted(key, out);
                out += ':';
                AppendJson(member, out);
            }
            out += '}';
            return;
        }
        case json::value_t::array: {
            out += '[';
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (i > 0) out += ',';
                AppendJson(value[i], out);
            }
            out += ']';
            return;
        }
        case json::value_t::string:
            return AppendQuoted(value.get_ref<const std::string&>(), out);
        case json::value_t::boolean:
            out += value.get<bool>() ? "true" : "false";
            return;
        case json::value_t::number_integer:
            out += std::to_string(value.get<std::int64_t>());
            return;
        case json::value_t::number_unsigned:
            out += std::to_string(value.get<std::uint64_t>());
            return;
        case json::value_t::number_float:
            out += ShortestNumber(value.get<double>());
            return;
        default:
            out += "null";
            return;
    }
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    std::string valid;
    valid.reserve(text.size());
    if (text.starts_with("\xef\xbb\xbf")) text.remove_prefix(3);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = SequenceLength(text, at);
        if (length == 0) {
            valid += "\xef\xbf\xbd";
            ++at;
        } else {
            valid.append(text, at, length);
            at += length;
        }
    }
    return valid;
}

std::string JsonText(const json& value) {
    std::string text;
    AppendJson(value, text);
    return text;
}

json ChangeObject(const Change& c) {
    return {{"incident", static_cast<std::int64_t>(c.incident)},
            {"callsign", c.callsign},
            {"time", static_cast<std::int64_t>(c.time_s)},
            {"action", ActionKey(c.action)},
            {"from", c.action == Action::Open ? json() : json(StateKey(c.from))},
            {"to", StateKey(c.to)},
            {"operator", c.operatorName},
            {"note", c.note},
            {"handler", c.handler},
            {"grade", GradeKey(c.grade)},
            {"grade_text", GradeText(c.grade)},
            {"held_back", c.heldBackReason}};
}

json EvidenceJson(const Evidence& e) {
    json object{{"frame", e.frame},
                {"message_type", e.messageType},
                {"cause", e.cause},
                {"path", PathJson(e.path)},
                {"first_heard", IsoTime(e.firstHeard_s)},
                {"last_heard", IsoTime(e.lastHeard_s)},
                {"count", static_cast<std::int64_t>(e.count)},
                {"heard", static_cast<std::int64_t>(e.heard)},
                {"heard_via", TextArray(e.heardVia)}};
    AddPlace(e.place, object);
    return object;
}

json ToJson(const Event& event) {
    json object = std::visit(ToObject{}, event.what);
    object["time"] = IsoTime(event.time_s);
    return object;
}

std::string JsonLine(const Event& event) {
    return JsonText(ToJson(event));
}

Stream::Sink JsonLinePrinter(std::ostream& out) {
    return [&out](const Event& event) {
        if (std::holds_alternative<Position>(event.what)) return;  // for the log only
        out << platform::LinePrefix(LevelOf(event.what)) << JsonLine(event) << std::endl;
    };
}

}  // namespace incidents
