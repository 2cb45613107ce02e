// Turning the main window's changes into events.
#include "incidents/FormObserver.h"

namespace incidents {

FormObserver::FormObserver(forms::FrmMain& form, const platform::ProgramValues& values,
                           Stream& stream, EvidenceOf evidence)
    : form_(form),
      values_(values),
      stream_(stream),
      evidence_(std::move(evidence)),
      alarmOn_(form.TimerAllarme.TimerEnabled()) {
    form_.TxtAltezza.Subscribe([this] { PanelComplete(); });
    form_.TimerAllarme.Subscribe([this] { AlarmChanged(); });
}

Panel FormObserver::PanelOf(const forms::FrmMain& f) {
    const ui::TextBox* boxes[kBoxes] = {
        &f.TxtNominativo, &f.TxtMsg, &f.TxtBeaconMsg, &f.TxtOraRx,  &f.TxtDistanza, &f.TxtDirezione,
        &f.TxtVelocita,   &f.TxtLat, &f.TxtLong,      &f.TxtAzimut, &f.TxtAltezza};
    Panel panel;
    for (std::size_t i = 0; i < kBoxes; ++i) panel.text[i] = boxes[i]->Text();
    return panel;
}

void FormObserver::PanelComplete() {
    Emergency e;
    e.panel = PanelOf(form_);
    // The window shows 0 for a bearing it could not work out; a report does not claim one.
    const std::string missing = "-----";
    if (e.panel[Box::Latitude] == missing || e.panel[Box::Longitude] == missing)
        e.panel.text[static_cast<std::size_t>(Box::Bearing)] = missing;
    e.unit = values_.UnitaMisura == 1 ? "km" : "mi";
    if (evidence_) e.evidence = evidence_(e.panel[Box::Callsign]);
    if (e.evidence) {
        e.copy = e.evidence->lastWasCopy;
        e.isNew = e.evidence->count == 1 && !e.copy;
    }
    stream_.Emit(std::move(e));
}

void FormObserver::AlarmChanged() {
    const bool on = form_.TimerAllarme.TimerEnabled();
    if (on == alarmOn_) return;
    alarmOn_ = on;
    if (on) {
        stream_.Emit(AlarmOn{});
    } else {
        stream_.Emit(Acknowledged{});
    }
}

}  // namespace incidents
