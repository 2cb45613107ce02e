// The spot set-up dialog's controls: line and fill colour swatches, width scroll bar,
// fill-style list and a preview circle.
#pragma once

#include "ui/Controls.h"

namespace forms {

class FrmMarcaPunto : public ui::Form {
public:
    FrmMarcaPunto();

    // The six swatch colours, the same for both rows: red, yellow, green, blue, black, white.
    static constexpr ui::Color kSwatch[6] = {255, 65535, 65280, 16711680, 0, 16777215};

    ui::Label LblColoreCerchio{"LblColoreCerchio", {90, 180, 1725, 240}};
    ui::Button CmdColoreCerchio[6] = {ui::Button{"CmdColoreCerchio(0)", {90, 495, 330, 195}},
                                      ui::Button{"CmdColoreCerchio(1)", {495, 495, 330, 195}},
                                      ui::Button{"CmdColoreCerchio(2)", {900, 495, 330, 195}},
                                      ui::Button{"CmdColoreCerchio(3)", {1305, 495, 330, 195}},
                                      ui::Button{"CmdColoreCerchio(4)", {1710, 495, 330, 195}},
                                      ui::Button{"CmdColoreCerchio(5)", {2115, 495, 330, 195}}};
    ui::Label LblColoreRiempimento{"LblColoreRiempimento", {90, 900, 1725, 240}};
    ui::Button CmdColoreRiempimento[6] = {
        ui::Button{"CmdColoreRiempimento(0)", {90, 1215, 330, 195}},
        ui::Button{"CmdColoreRiempimento(1)", {495, 1215, 330, 195}},
        ui::Button{"CmdColoreRiempimento(2)", {900, 1215, 330, 195}},
        ui::Button{"CmdColoreRiempimento(3)", {1305, 1215, 330, 195}},
        ui::Button{"CmdColoreRiempimento(4)", {1710, 1215, 330, 195}},
        ui::Button{"CmdColoreRiempimento(5)", {2115, 1215, 330, 195}}};
    ui::Label LblStile{"LblStile", {90, 1575, 1725, 240}};
    ui::ListBox ListStile{"ListStile", {90, 1845, 2355, 1230}};
    ui::Label LblSpessore{"LblSpessore", {2700, 1575, 1320, 240}};
    ui::Label LblValore{"LblValore", {4095, 1575, 510, 240}};
    ui::ScrollBar HSSpessoreCerchio{"HSSpessoreCerchio", {2655, 1890, 1905, 240}};
    ui::Shape ShapeCerchio{"ShapeCerchio", {3420, 225, 1185, 1005}};
    ui::Button CmdOk[2] = {ui::Button{"CmdOk(0)", {2745, 2700, 915, 375}},
                           ui::Button{"CmdOk(1)", {3735, 2700, 915, 375}}};
};

}  // namespace forms
