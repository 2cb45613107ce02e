// Follows the main window's models and prints what a watcher of the screen would see.
#include "incidents/EmergencyReport.h"

namespace incidents {

namespace {

std::string OneField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

EmergencyReport::EmergencyReport(forms::FrmMain& form, std::ostream& out)
    : form_(form), out_(out), alarmOn_(form.TimerAllarme.TimerEnabled()) {
    // The altitude is the last box an emergency fills: the panel is complete when it changes.
    form_.TxtAltezza.Subscribe([this] { out_ << PanelLine(form_) << std::endl; });
    form_.TimerAllarme.Subscribe([this] { AlarmChanged(); });
}

std::string EmergencyReport::PanelLine(const forms::FrmMain& f) {
    std::string line = "EMERGENCY";
    for (const ui::TextBox* box :
         {&f.TxtNominativo, &f.TxtMsg, &f.TxtBeaconMsg, &f.TxtOraRx, &f.TxtDistanza,
          &f.TxtDirezione, &f.TxtVelocita, &f.TxtLat, &f.TxtLong, &f.TxtAzimut, &f.TxtAltezza}) {
        line += '\t';
        line += OneField(box->Text());
    }
    return line;
}

void EmergencyReport::AlarmChanged() {
    const bool on = form_.TimerAllarme.TimerEnabled();
    if (on == alarmOn_) return;
    alarmOn_ = on;
    out_ << (on ? "ALARM\ton" : "ALARM\toff") << std::endl;
}

}  // namespace incidents
