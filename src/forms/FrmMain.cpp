#include "forms/FrmMain.h"

namespace forms {

FrmMain::FrmMain() : ui::Form("FrmMain", {0, 0, kClientWidth, kClientHeight}) {
    SetCaption("Sirenwatch");
    SetIcon("sirenwatch");

    Add(Frame1);
    for (ui::Label* label : {&LblNominativo, &LblDataOra, &LblDistanza, &LblVelocita, &LblDirezione,
                             &LblLong, &LblLat, &LblAltezza, &LblAzimut, &LblMessaggio}) {
        label->SetParent(&Frame1);
        Add(*label);
    }
    for (ui::TextBox* box :
         {&TxtMsg, &TxtNominativo, &TxtOraRx, &TxtDistanza, &TxtVelocita, &TxtDirezione, &TxtLong,
          &TxtLat, &TxtAltezza, &TxtAzimut, &TxtBeaconMsg}) {
        box->SetParent(&Frame1);
        if (box != &TxtMsg) box->SetBackColor(ui::kLightYellow);
        Add(*box);
    }

    FGridStazioni.SetBackColor(ui::kLightYellow);
    FGridStazioni.SetBackColorFixed(ui::kLightGreen);
    Add(FGridStazioni);
    TxtRawData.SetMultiLine(true);
    Add(TxtRawData);
    CmdTacitaAllarme.SetCaption("Tacita Allarme");
    Add(CmdTacitaAllarme);
    CmdTest.SetCaption("Test");
    CmdTest.SetVisible(false);
    Add(CmdTest);
    TimerAllarme.SetInterval(2000);
    TimerAllarme.SetTimerEnabled(false);
    Add(TimerAllarme);

    MnuSetUp.SetCaption("SetUp");
    MnuNazione[0].SetCaption("Italiano");
    MnuNazione[1].SetCaption("English");
    MnuLingua.Add(MnuNazione[0]);
    MnuLingua.Add(MnuNazione[1]);
    MnuUnit_Misura.Add(MnuUnit[0]);
    MnuUnit_Misura.Add(MnuUnit[1]);
    MnuMarca.SetCaption("Spot SetUp");
    MnuXTR.SetCaption("File XTR");
    MnuSetUp.Add(MnuLingua);
    MnuSetUp.Add(MnuUnit_Misura);
    MnuSetUp.Add(MnuMarca);
    MnuSetUp.Add(MnuXTR);
    MnuInfo.SetCaption("Info");
    MnuHelp.SetCaption("?");
    AddMenu(MnuSetUp);
    AddMenu(MnuInfo);
    AddMenu(MnuHelp);
}

}  // namespace forms
