// Headless output: one line on standard output for every handled emergency, with the
// panel's eleven values, and one for every start and acknowledgement of the alarm.
//
//   EMERGENCY <call> <message> <beacon> <time> <distance> <course> <speed> <lat> <long>
//             <bearing> <altitude>            (tab-separated, one line)
//   ALARM on | ALARM off
#pragma once

#include <ostream>
#include <string>

#include "forms/FrmMain.h"

namespace incidents {

class EmergencyReport {
public:
    EmergencyReport(forms::FrmMain& form, std::ostream& out);

    // The line for the panel as it stands; tabs and line breaks in air text become blanks.
    static std::string PanelLine(const forms::FrmMain& form);

private:
    void AlarmChanged();

    forms::FrmMain& form_;
    std::ostream& out_;
    bool alarmOn_ = false;
};

}  // namespace incidents
