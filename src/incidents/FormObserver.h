// Follows the main window's models: the panel complete is an emergency (the altitude is the
// last box an emergency fills), the alarm's timer going on is the alarm and going off its
// acknowledgement. One observer for every report of these.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "forms/FrmMain.h"
#include "incidents/Events.h"
#include "platform/ProgramValues.h"

namespace incidents {

class FormObserver {
public:
    // What the station program knows of why a station alarmed; nothing where it keeps none.
    using EvidenceOf = std::function<std::optional<Evidence>(const std::string& callsign)>;

    // The values give the unit of the panel's distance and speed.
    FormObserver(forms::FrmMain& form, const platform::ProgramValues& values, Stream& stream,
                 EvidenceOf evidence = {});

    static Panel PanelOf(const forms::FrmMain& form);

private:
    void PanelComplete();
    void AlarmChanged();

    forms::FrmMain& form_;
    const platform::ProgramValues& values_;
    Stream& stream_;
    EvidenceOf evidence_;
    bool alarmOn_;
};

}  // namespace incidents
