#include "forms/FrmInfo.h"

namespace forms {

FrmInfo::FrmInfo() : ui::Form("FrmInfo", {0, 2000, 5415, 2880}) {
    Add(Image1);
    Frame1.SetVisible(false);
    Add(Frame1);
    LblInfo.SetParent(&Frame1);
    Add(LblInfo);
    CmdOk.SetCaption("&OK");
    Add(CmdOk);
}

}  // namespace forms
