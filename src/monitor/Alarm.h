// The alarm: a sound every tick of TimerAllarme and blinking fixed cells of the station table
// until the operator acknowledges it. Sets the timer's and both buttons' handlers.
#pragma once

#include <functional>
#include <string>

#include "forms/FrmMain.h"
#include "platform/Ports.h"

namespace monitor {

class Alarm {
public:
    // The sound is "lowtemp.wav" among the shipped files.
    Alarm(forms::FrmMain& form, platform::Sound& sound, const platform::ProgramInfo& program);

    // Enables the timer; the first sound comes one tick later. Starting a running alarm
    // changes nothing.
    void Start();
    // Start for a station just entered in the table, unless the station is held back.
    void StartFor(const std::string& callsign);
    // Which stations are listed but never sound (a watch list's); none unless set.
    void SetHeldBack(std::function<bool(const std::string& callsign)> heldBack) {
        heldBack_ = std::move(heldBack);
    }
    bool IsOn() const;

    void TimerAllarme_Timer();      // sound, then flip the fixed-cell colour once
    void CmdTacitaAllarme_Click();  // stop, fixed cells back to light green
    void CmdTest_Click();           // sound at once, then run as an alarm

private:
    forms::FrmMain& form_;
    platform::Sound& sound_;
    std::string soundFile_;
    std::function<bool(const std::string&)> heldBack_;
};

}  // namespace monitor
