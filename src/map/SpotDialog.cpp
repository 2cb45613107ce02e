// The spot set-up dialog's handlers.
#include "map/SpotDialog.h"

#include <algorithm>
#include <string>
#include <utility>

#include "host/HostFailure.h"
#include "platform/NumberText.h"

namespace map {

namespace {
constexpr int kSwatchCount = 6;
constexpr int kLastFillStyle = 7;

bool IsSwatch(std::int16_t index) {
    return index >= 0 && index < kSwatchCount;
}
}  // namespace

SpotDialog::SpotDialog(forms::FrmMarcaPunto& dialog, const ui::Form& main,
                       platform::ProgramValues& values, platform::Dialogs& dialogs,
                       platform::WindowLayer& layer, std::function<void()> applyCaptions,
                       std::function<void()> redrawMap)
    : dialog_(dialog),
      main_(main),
      values_(values),
      dialogs_(dialogs),
      layer_(layer),
      applyCaptions_(std::move(applyCaptions)),
      redrawMap_(std::move(redrawMap)) {}

void SpotDialog::Bind() {
    for (std::int16_t i = 0; i < kSwatchCount; ++i) {
        dialog_.CmdColoreCerchio[i].onClick = [this, i] { CmdColoreCerchio_Click(i); };
        dialog_.CmdColoreRiempimento[i].onClick = [this, i] { CmdColoreRiempimento_Click(i); };
    }
    dialog_.HSSpessoreCerchio.onChange = [this] { HSSpessoreCerchio_Change(); };
    dialog_.ListStile.onClick = [this] { ListStile_Click(); };
    dialog_.CmdOk[0].onClick = [this] { CmdOk_Click(0); };
    dialog_.CmdOk[1].onClick = [this] { CmdOk_Click(1); };
    // The dialog is prepared by MnuMarca_Click just before it is shown, so a front end that
    // reports every activation (focus coming back) cannot throw away the user's picks.
    dialog_.onActivate = nullptr;
    // Closing the dialog from its title bar cancels, as "Annulla" does.
    dialog_.onClose = [this] { CmdOk_Click(1); };
}

void SpotDialog::MnuMarca_Click() {
    platform::ShowModalDialog(dialogs_, layer_, dialog_, [this] { Form_Activate(); });
    if (applyCaptions_) applyCaptions_();
    RedrawMapReportingFailure();
}

void SpotDialog::Form_Activate() {
    dialog_.SetLeft(main_.Left() + main_.Width() / 2 - dialog_.Width() / 2);
    dialog_.SetCaption(main_.Caption() + " - Spot SetUp");
    dialog_.SetIcon(main_.Icon());

    // A hand-edited settings file may hold a width or style the controls cannot show: the
    // nearest one they can show is offered instead.
    const int width =
        std::clamp<int>(platform::ToInt16(values_.SpessoreCerchio), dialog_.HSSpessoreCerchio.Min(),
                        dialog_.HSSpessoreCerchio.Max());
    dialog_.HSSpessoreCerchio.SetValue(width);
    // The scroll bar reports no change when it already stands at the stored width, yet "OK"
    // reads the width back from LblValore: fill it in every time.
    HSSpessoreCerchio_Change();

    const int style =
        std::clamp<int>(platform::ToInt16(values_.TipoRiempimento), 0, kLastFillStyle);
    dialog_.ListStile.SetListIndex(style);
    ListStile_Click();

    dialog_.ShapeCerchio.SetFillColor(platform::ToInt32(values_.ColoreRiempimento));
    dialog_.ShapeCerchio.SetBorderColor(values_.ColoreCerchio);
    coloreRiempimentoScelto_ = values_.ColoreRiempimento;
    coloreCerchioScelto_ = values_.ColoreCerchio;
}

void SpotDialog::CmdColoreCerchio_Click(std::int16_t Index) {
    if (!IsSwatch(Index)) return;
    const ui::Color colour = dialog_.CmdColoreCerchio[Index].BackColor();
    dialog_.ShapeCerchio.SetBorderColor(colour);
    coloreCerchioScelto_ = colour;
}

void SpotDialog::CmdColoreRiempimento_Click(std::int16_t Index) {
    if (!IsSwatch(Index)) return;
    const ui::Color colour = dialog_.CmdColoreRiempimento[Index].BackColor();
    dialog_.ShapeCerchio.SetFillColor(colour);
    coloreRiempimentoScelto_ = colour;
}

void SpotDialog::HSSpessoreCerchio_Change() {
    const int value = dialog_.HSSpessoreCerchio.Value();
    dialog_.ShapeCerchio.SetBorderWidth(value);
    dialog_.LblValore.SetCaption(std::to_string(value));
}

void SpotDialog::ListStile_Click() {
    const int index = dialog_.ListStile.ListIndex();
    if (index >= 0) dialog_.ShapeCerchio.SetFillStyle(index);
}

void SpotDialog::CmdOk_Click(std::int16_t Index) {
    if (Index == 0) {
        values_.SpessoreCerchio = static_cast<float>(platform::Val(dialog_.LblValore.Caption()));
        const int style = dialog_.ListStile.ListIndex();
        if (style >= 0) values_.TipoRiempimento = static_cast<float>(style);
        values_.ColoreRiempimento = coloreRiempimentoScelto_;
        values_.ColoreCerchio = coloreCerchioScelto_;
    }
    dialog_.Hide();
}

void SpotDialog::RedrawMapReportingFailure() {
    if (!redrawMap_) return;
    host::GuardHostCall(dialogs_, values_.CodiceLingua, redrawMap_);
}

}  // namespace map
