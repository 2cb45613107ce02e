// The spot set-up dialog's behaviour: shows the stored circle style, lets the user pick line
// colour, width, fill style and fill colour, and stores the picks on "OK".
#pragma once

#include <cstdint>
#include <functional>

#include "forms/FrmMarcaPunto.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"
#include "ui/Controls.h"

namespace map {

class SpotDialog {
public:
    // applyCaptions re-applies every caption in the current language; redrawMap asks the
    // host to redraw its map (it may throw host::HostError).
    SpotDialog(forms::FrmMarcaPunto& dialog, const ui::Form& main, platform::ProgramValues& values,
               platform::Dialogs& dialogs, platform::WindowLayer& layer,
               std::function<void()> applyCaptions, std::function<void()> redrawMap);

    // Binds the dialog's controls to the handlers below.
    void Bind();

    void MnuMarca_Click();
    void Form_Activate();
    void CmdColoreCerchio_Click(std::int16_t Index);
    void CmdColoreRiempimento_Click(std::int16_t Index);
    void HSSpessoreCerchio_Change();
    void ListStile_Click();
    void CmdOk_Click(std::int16_t Index);

private:
    void RedrawMapReportingFailure();

    forms::FrmMarcaPunto& dialog_;
    const ui::Form& main_;
    platform::ProgramValues& values_;
    platform::Dialogs& dialogs_;
    platform::WindowLayer& layer_;
    std::function<void()> applyCaptions_;
    std::function<void()> redrawMap_;
    std::int32_t coloreCerchioScelto_ = 255;
    double coloreRiempimentoScelto_ = 16777215;
};

}  // namespace map
