// The information box's controls: the program's icon, a frame and a five-line label.
#pragma once

#include "ui/Controls.h"

namespace forms {

class FrmInfo : public ui::Form {
public:
    FrmInfo();

    ui::Image Image1{"Image1", {240, 240, 480, 480}};
    ui::Frame Frame1{"Frame1", {960, 120, 4335, 1935}};
    ui::Label LblInfo{"LblInfo", {120, 240, 4095, 1575}};
    ui::Button CmdOk{"CmdOk", {2040, 2235, 1215, 375}};
};

}  // namespace forms
