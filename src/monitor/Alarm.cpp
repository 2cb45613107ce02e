// The alarm and its acknowledgement.
#include "monitor/Alarm.h"

#include "platform/Paths.h"

namespace monitor {

Alarm::Alarm(forms::FrmMain& form, platform::Sound& sound, const platform::ProgramInfo& program)
    : form_(form),
      sound_(sound),
      soundFile_(platform::JoinPath(program.SharedFolder(), "lowtemp.wav")) {
    form_.TimerAllarme.onTick = [this] { TimerAllarme_Timer(); };
    form_.CmdTacitaAllarme.onClick = [this] { CmdTacitaAllarme_Click(); };
    form_.CmdTest.onClick = [this] { CmdTest_Click(); };
}

void Alarm::Start() {
    form_.TimerAllarme.SetTimerEnabled(true);
}

void Alarm::StartFor(const std::string& callsign) {
    if (heldBack_ && heldBack_(callsign)) return;
    Start();
}

bool Alarm::IsOn() const {
    return form_.TimerAllarme.TimerEnabled();
}

void Alarm::TimerAllarme_Timer() {
    sound_.Play(soundFile_);
    ui::Grid& table = form_.FGridStazioni;
    table.SetRow(0);
    // The fixed-cell colour belongs to the whole table: five flips leave it changed once.
    for (int col = 0; col <= 4; ++col) {
        table.SetCol(col);
        table.SetBackColorFixed(table.BackColorFixed() != ui::kRed ? ui::kRed : ui::kLightGreen);
    }
}

void Alarm::CmdTacitaAllarme_Click() {
    form_.TimerAllarme.SetTimerEnabled(false);
    form_.FGridStazioni.SetBackColorFixed(ui::kLightGreen);
}

void Alarm::CmdTest_Click() {
    sound_.Play(soundFile_);
    Start();
}

}  // namespace monitor
