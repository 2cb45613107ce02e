// The registration dialog as designed; its logic lives in Registration.cpp.
#include "forms/FrmXTR.h"

namespace forms {

FrmXTR::FrmXTR() : ui::Form("FrmXTR", {1500, 1500, 5415, 3090}) {
    SetCaption("Sirenwatch XTR SetUp");
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &LblRichiesta, &LblNome, &LblNomeProgramma, &LblPath, &LblPathProgramma, &CheckAvvio,
             &CheckChiusura, &CmdOk[0], &CmdOk[1]})
        Add(*c);
    LblNomeProgramma.SetBackColor(12648447);
    LblPathProgramma.SetBackColor(12648447);
    CmdOk[0].SetCaption("OK");
    CmdOk[1].SetCaption("NO");
    Reset();
}

void FrmXTR::Reset() {
    LblNomeProgramma.SetCaption("Sirenwatch");
    LblPathProgramma.SetCaption("");
    CheckAvvio.SetChecked(false);
    CheckChiusura.SetChecked(true);
    CheckChiusura.SetEnabled(false);
}

}  // namespace forms
