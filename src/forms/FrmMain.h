// The main window: the emergency panel, the station table, the raw-frame box, the alarm's
// timer and buttons, and the menu bar. It holds controls only; the subsystems set the
// handler members of the controls when the program is put together.
#pragma once

#include "ui/Controls.h"
#include "ui/Grid.h"

namespace forms {

class FrmMain : public ui::Form {
public:
    FrmMain();

    // Client area as designed, in twips.
    static constexpr int kClientWidth = 5610;
    static constexpr int kClientHeight = 6525;

    // The "Ultima Emergenza Ricevuta" panel; label and box positions are relative to it.
    ui::Frame Frame1{"Frame1", {120, 90, 5415, 3240}};
    ui::Label LblNominativo{"LblNominativo", {135, 270, 1455, 255}};
    ui::Label LblDataOra{"LblDataOra", {3330, 270, 1860, 255}};
    ui::Label LblDistanza{"LblDistanza", {135, 900, 1185, 255}};
    ui::Label LblVelocita{"LblVelocita", {2055, 855, 1365, 255}};
    ui::Label LblDirezione{"LblDirezione", {4035, 855, 1185, 255}};
    ui::Label LblLong{"LblLong", {135, 1530, 1185, 255}};
    ui::Label LblLat{"LblLat", {2055, 1530, 1185, 255}};
    ui::Label LblAltezza{"LblAltezza", {4035, 1485, 1185, 255}};
    ui::Label LblAzimut{"LblAzimut", {2055, 2160, 1185, 255}};
    ui::Label LblMessaggio{"LblMessaggio", {135, 2610, 1455, 255}};
    ui::TextBox TxtMsg{"TxtMsg", {2430, 225, 465, 285}};
    ui::TextBox TxtNominativo{"TxtNominativo", {135, 495, 1770, 285}};
    ui::TextBox TxtOraRx{"TxtOraRx", {3330, 495, 1905, 285}};
    ui::TextBox TxtDistanza{"TxtDistanza", {135, 1125, 1185, 285}};
    ui::TextBox TxtVelocita{"TxtVelocita", {2055, 1080, 1185, 285}};
    ui::TextBox TxtDirezione{"TxtDirezione", {4035, 1080, 1185, 285}};
    ui::TextBox TxtLong{"TxtLong", {135, 1755, 1185, 285}};
    ui::TextBox TxtLat{"TxtLat", {2055, 1755, 1185, 285}};
    ui::TextBox TxtAltezza{"TxtAltezza", {4035, 1710, 1185, 285}};
    ui::TextBox TxtAzimut{"TxtAzimut", {2055, 2385, 1185, 285}};
    ui::TextBox TxtBeaconMsg{"TxtBeaconMsg", {135, 2835, 5100, 285}};

    // Station table: header row, one blank row, ten columns.
    ui::Grid FGridStazioni{"FGridStazioni", {120, 3375, 5415, 1575}, 2, 10};
    ui::TextBox TxtRawData{"TxtRawData", {120, 5040, 5415, 840}};
    ui::Button CmdTacitaAllarme{"CmdTacitaAllarme", {120, 6030, 1545, 330}};
    ui::Button CmdTest{"CmdTest", {4800, 6030, 735, 330}};
    ui::Timer TimerAllarme{"TimerAllarme"};

    // Menu bar: "SetUp" (language, unit, "Spot SetUp", "File XTR"), "Info", "?".
    ui::MenuItem MnuSetUp{"MnuSetUp"};
    ui::MenuItem MnuLingua{"MnuLingua"};
    ui::MenuItem MnuNazione[2] = {ui::MenuItem{"MnuNazione(0)"}, ui::MenuItem{"MnuNazione(1)"}};
    ui::MenuItem MnuUnit_Misura{"MnuUnit_Misura"};
    ui::MenuItem MnuUnit[2] = {ui::MenuItem{"MnuUnit(0)"}, ui::MenuItem{"MnuUnit(1)"}};
    ui::MenuItem MnuMarca{"MnuMarca"};
    ui::MenuItem MnuXTR{"MnuXTR"};
    ui::MenuItem MnuInfo{"MnuInfo"};
    ui::MenuItem MnuHelp{"MnuHelp"};
};

}  // namespace forms
