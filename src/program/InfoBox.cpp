// The information box's handlers and the help menu item.
#include "program/InfoBox.h"

#include <string>

namespace program {

namespace {
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kAuthorLine = "Author: the Sirenwatch team";
constexpr const char* kAprsLine =
    "APRS is a registered trademark of APRS Software and Bob Bruninga, WB4APR";
constexpr const char* kUiViewLine = "UI-View 32 is a trademark of Peak Systems";
}  // namespace

InfoBox::InfoBox(forms::FrmInfo& box, const ui::Form& main, const platform::ProgramValues& values,
                 platform::Dialogs& dialogs, platform::WindowLayer& layer, platform::Help& help)
    : box_(box), main_(main), values_(values), dialogs_(dialogs), layer_(layer), help_(help) {}

void InfoBox::Bind() {
    box_.CmdOk.onClick = [this] { CmdOk_Click(); };
    box_.onClose = [this] { CmdOk_Click(); };
    // Form_Load runs from MnuInfo_Click before the box is shown.
    box_.onActivate = nullptr;
}

void InfoBox::MnuInfo_Click() {
    platform::ShowModalDialog(dialogs_, layer_, box_, [this] { Form_Load(); });
}

void InfoBox::MnuHelp_Click() {
    help_.Open(values_.HelpFile);
}

void InfoBox::Form_Load() {
    box_.SetLeft(main_.Left() + main_.Width() / 2 - box_.Width() / 2);
    box_.Image1.SetIcon(main_.Icon());
    box_.SetCaption(main_.Caption());
    box_.Frame1.SetVisible(true);

    std::string text = main_.Caption() + kLineEnd;
    for (const char* line : {kAuthorLine, "", kAprsLine, kUiViewLine}) {
        text += line;
        text += kLineEnd;
    }
    box_.LblInfo.SetCaption(text);
}

void InfoBox::CmdOk_Click() {
    box_.Hide();
}

}  // namespace program
