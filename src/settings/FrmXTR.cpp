#include "settings/FrmXTR.h"

namespace settings {

FrmXTR::FrmXTR() : ui::Form("FrmXTR", {1500, 1500, 5415, 3090}) {
    SetCaption("Sirenwatch XTR SetUp");
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &LblRichiesta, &LblNome, &LblNomeProgramma, &LblPath, &LblPathProgramma,
             &CheckAvvio, &CheckChiusura, &CmdOk[0], &CmdOk[1]})
        Add(*c);
    LblNomeProgramma.SetBackColor(12648447);
    LblPathProgramma.SetBackColor(12648447);
    CheckAvvio.SetChecked(false);
    CheckChiusura.SetChecked(true);
    CheckChiusura.SetEnabled(false);
    CmdOk[0].SetCaption("OK");
    CmdOk[1].SetCaption("NO");
}

}  // namespace settings
