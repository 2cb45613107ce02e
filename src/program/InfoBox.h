// The information box (program name, version, author, trademarks) and the help menu item.
#pragma once

#include "forms/FrmInfo.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"
#include "ui/Controls.h"

namespace program {

class InfoBox {
public:
    InfoBox(forms::FrmInfo& box, const ui::Form& main, const platform::ProgramValues& values,
            platform::Dialogs& dialogs, platform::WindowLayer& layer, platform::Help& help);

    // Binds the box's button to CmdOk_Click.
    void Bind();

    void MnuInfo_Click();
    void MnuHelp_Click();
    // Prepares the box afresh each time it is shown.
    void Form_Load();
    void CmdOk_Click();

private:
    forms::FrmInfo& box_;
    const ui::Form& main_;
    const platform::ProgramValues& values_;
    platform::Dialogs& dialogs_;
    platform::WindowLayer& layer_;
    platform::Help& help_;
};

}  // namespace program
