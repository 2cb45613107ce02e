// The information box (program name, version, author, trademarks) and the help menu item.
#pragma once

#include "host/FrmInfo.h"
#include "host/ProgramValues.h"
#include "platform/Ports.h"
#include "ui/Controls.h"

namespace host {

class InfoBox {
public:
    InfoBox(FrmInfo& box, const ui::Form& main, const ProgramValues& values,
            platform::Dialogs& dialogs, platform::WindowLayer& layer, platform::Help& help);

    // Binds the box's button to CmdOk_Click.
    void Bind();

    void MnuInfo_Click();
    void MnuHelp_Click();
    // Prepares the box afresh each time it is shown.
    void Form_Load();
    void CmdOk_Click();

private:
    FrmInfo& box_;
    const ui::Form& main_;
    const ProgramValues& values_;
    platform::Dialogs& dialogs_;
    platform::WindowLayer& layer_;
    platform::Help& help_;
};

}  // namespace host
