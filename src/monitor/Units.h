// Kilometres or miles: the unit menu, and re-expressing the distances already on screen when
// the unit changes. Sets the unit menu items' click handlers.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ProgramValues.h"
#include "platform/Regional.h"
#include "settings/GestioneINI_New.h"
#include "ui/Controls.h"
#include "ui/Grid.h"

namespace monitor {

inline constexpr double kKilometresPerMile = 1.609344;

class Units {
public:
    // reapplyCaptions re-applies every caption in the current language (the distance and
    // speed captions follow the unit).
    Units(ui::MenuItem (&unitItems)[2], ui::Grid& table, ui::TextBox& distanceBox,
          platform::ProgramValues& values, const platform::Regional& regional,
          settings::GestioneINI_New& ini, std::function<void()> reapplyCaptions);

    // Start-up: the stored "Unit" (1 metric, anything else imperial) sets the factor and the
    // check marks; nothing is converted or saved.
    void SetUp(std::int16_t storedUnit);

    // Index 0 metric, 1 imperial: records, re-captions, saves, converts when the factor changes.
    void MnuUnit_Click(std::int16_t Index);
    // Re-expresses the table's distance column and the panel's distance in the unit in force.
    void Ricalcola();

private:
    void Check(std::int16_t Index);
    std::string Convert(const std::string& text) const;

    ui::MenuItem (&mnuUnit_)[2];
    ui::Grid& table_;
    ui::TextBox& txtDistanza_;
    platform::ProgramValues& values_;
    const platform::Regional& regional_;
    settings::GestioneINI_New& ini_;
    std::function<void()> reapplyCaptions_;
};

}  // namespace monitor
