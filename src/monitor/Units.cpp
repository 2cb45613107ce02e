// Unit switching and recalculation of the distances on screen.
#include "monitor/Units.h"

#include "platform/NumberText.h"

namespace monitor {

namespace {
constexpr int kDistanceColumn = 3;
}

Units::Units(ui::MenuItem (&unitItems)[2], ui::Grid& table, ui::TextBox& distanceBox,
             platform::ProgramValues& values, const platform::Regional& regional,
             settings::GestioneINI_New& ini, std::function<void()> reapplyCaptions)
    : mnuUnit_(unitItems),
      table_(table),
      txtDistanza_(distanceBox),
      values_(values),
      regional_(regional),
      ini_(ini),
      reapplyCaptions_(std::move(reapplyCaptions)) {
    mnuUnit_[0].onClick = [this] { MnuUnit_Click(0); };
    mnuUnit_[1].onClick = [this] { MnuUnit_Click(1); };
}

void Units::SetUp(std::int16_t storedUnit) {
    values_.UnitaMisura = storedUnit;
    Check(storedUnit == 1 ? 0 : 1);
    values_.FattoreUnita = storedUnit == 1 ? 1.0 : kKilometresPerMile;
}

void Units::Check(std::int16_t Index) {
    mnuUnit_[0].SetChecked(Index == 0);
    mnuUnit_[1].SetChecked(Index != 0);
}

void Units::MnuUnit_Click(std::int16_t Index) {
    const double before = values_.FattoreUnita;
    const bool metric = Index == 0;
    values_.UnitaMisura = metric ? 1 : 2;
    values_.FattoreUnita = metric ? 1.0 : kKilometresPerMile;
    Check(metric ? 0 : 1);
    if (reapplyCaptions_) reapplyCaptions_();
    ini_.ScriviValore(values_.FileIni, "SetUp", "Unit", metric ? 1.0 : 2.0);
    if (values_.FattoreUnita != before) Ricalcola();
}

std::string Units::Convert(const std::string& text) const {
    // An empty cell holds no distance (the blank row of an empty table, an empty panel), nor
    // does "-----" (a distance the host failed to give).
    if (text.empty() || text == "-----") return text;
    const double v = platform::RegionalVal(text, regional_);
    const double converted =
        values_.FattoreUnita == 1 ? v * kKilometresPerMile : v / values_.FattoreUnita;
    return platform::Format(converted, "#0.00", regional_);
}

void Units::Ricalcola() {
    for (int r = 1; r < table_.Rows(); ++r) {
        table_.SetRow(r);
        table_.SetCol(kDistanceColumn);
        table_.SetText(Convert(table_.Text()));
    }
    txtDistanza_.SetText(Convert(txtDistanza_.Text()));
}

}  // namespace monitor
