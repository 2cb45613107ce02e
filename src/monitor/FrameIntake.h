// Frame intake: shows every frame the host announces, decides whether it is an emergency
// and fills the panel, guarded against re-entry while it waits on the host. Also the hidden
// switch of the test button. Sets the raw-frame box's click and key handlers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "aprs_text/Aprs.h"
#include "forms/FrmMain.h"
#include "host/HostPorts.h"
#include "monitor/EmergencyRecorder.h"
#include "monitor/TestLog.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"

namespace monitor {

class FrameIntake {
public:
    FrameIntake(forms::FrmMain& form, const platform::ProgramValues& values, host::Application& app,
                host::Station& station, EmergencyRecorder& recorder, TestLog& log,
                platform::Ports& ports);

    // The host's DataAvailable. Never throws; a failing host call is reported once per frame,
    // after the frame is done with, and the next frame is handled normally.
    void mUIV_DataAvailable();
    // Empties the box, then puts the text in.
    void MostraRawData(ui::TextBox& box, const std::string& text);
    // Decides on one frame; for an emergency fills the panel and records the station.
    // Never throws. A failing call that identifies the frame drops it; once the frame is
    // known to be an emergency a failing call only costs what it was asked for (a value is
    // shown as "-----", see also EmergencyRecorder::Record), and the station is recorded.
    void GestioneMessaggio(const std::string& TipoMsg, const std::string& DatiAprs);

    void TxtRawData_Click();
    void TxtRawData_KeyPress(std::int16_t& KeyAscii);

    int InElaborazione() const { return inElaborazione_; }
    const std::string& NominativoRx() const { return nominativoRx_; }

private:
    // The frame's work; throws when the frame is to be dropped, else gives back what failed.
    std::vector<std::string> Handle(const std::string& TipoMsg, const std::string& DatiAprs);
    // One report for all that failed on one frame; none when nothing did.
    void Report(const std::vector<std::string>& failures);
    void FillPanel(const std::string& messageType, const Reception& reception,
                   const std::string& beacon);

    forms::FrmMain& form_;
    const platform::ProgramValues& values_;
    host::Application& app_;
    host::Station& station_;
    EmergencyRecorder& recorder_;
    TestLog& log_;
    platform::Ports& ports_;
    aprs_text::Aprs aprs_;

    int inElaborazione_ = 0;
    std::string nominativoRx_;
    bool abilitaTest_ = false;
};

}  // namespace monitor
