// Everything an operator on watch wants told or kept: each emergency with its evidence, the
// alarm going on and being acknowledged, the feed falling silent and coming back, and the
// positions of stations in emergency. Each is one JSON object; sinks decide where it goes.
#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <vector>

#include "builtin_host/Evidence.h"
#include "forms/FrmMain.h"
#include "platform/ProgramValues.h"

namespace incidents {

class Incidents {
public:
    using Sink = std::function<void(const QJsonObject&)>;
    using EpochClock = std::function<std::int64_t()>;

    // Follows the main window's panel and alarm as the headless report does; the values give
    // the unit the panel's distance and speed are in.
    Incidents(forms::FrmMain& form, const platform::ProgramValues& values,
              const builtin_host::EvidenceBook& evidence, EpochClock clock);

    void AddSink(Sink sink) { sinks_.push_back(std::move(sink)); }

    void FeedSilent(const QString& feed, std::int64_t silent_s, std::int64_t lastHeard_s);
    void FeedBack(const QString& feed);
    // The host noted a frame of a station in emergency: a new track point is an event.
    void EvidenceNoted(const builtin_host::EvidenceBook::Noted& noted);

private:
    void Emergency();
    void AlarmChanged();
    void Emit(QJsonObject event);

    forms::FrmMain& form_;
    const platform::ProgramValues& values_;
    const builtin_host::EvidenceBook& evidence_;
    EpochClock clock_;
    bool alarmOn_ = false;
    std::vector<Sink> sinks_;
};

// Unix seconds as "2026-12-07T10:15:00Z".
QString IsoTime(std::int64_t seconds);
QJsonObject EvidenceJson(const builtin_host::Evidence& evidence);

// Standard output without --json: the feed's lines beside the add-on's own
// ("FEED\tsilent\t<seconds>\t<feed>", "FEED\tback").
Incidents::Sink FeedLinePrinter(std::ostream& out);
// Standard output with --json: one compact object per line for every emergency, alarm and
// feed event.
Incidents::Sink JsonLinePrinter(std::ostream& out);

}  // namespace incidents
