// The registration dialog's controls: the question, program name and path, the two
// automatic start/close boxes and the "OK"/"NO" buttons.
#pragma once

#include "ui/Controls.h"

namespace forms {

class FrmXTR : public ui::Form {
public:
    FrmXTR();

    // The controls as designed: program name "Sirenwatch", empty path, automatic start off,
    // automatic closing on and fixed. The dialog is new on each opening, so it starts here.
    void Reset();

    ui::Label LblRichiesta{"LblRichiesta", {120, 120, 5175, 255}};
    ui::Label LblNome{"LblNome", {120, 495, 5175, 255}};
    ui::Label LblNomeProgramma{"LblNomeProgramma", {120, 750, 5175, 285}};
    ui::Label LblPath{"LblPath", {120, 1155, 5175, 255}};
    ui::Label LblPathProgramma{"LblPathProgramma", {120, 1410, 5175, 285}};
    ui::CheckBox CheckAvvio{"CheckAvvio", {120, 1815, 5175, 255}};
    ui::CheckBox CheckChiusura{"CheckChiusura", {120, 2130, 5175, 255}};
    ui::Button CmdOk[2] = {ui::Button{"CmdOk(0)", {3135, 2565, 975, 375}},
                           ui::Button{"CmdOk(1)", {4275, 2565, 975, 375}}};
};

}  // namespace forms
