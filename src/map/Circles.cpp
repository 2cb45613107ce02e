// Drawing the stations' circles on the host's map.
#include "map/Circles.h"

#include "host/HostFailure.h"
#include "platform/NumberText.h"

namespace map {

namespace {
constexpr int kLongitudeColumn = 8;
constexpr int kLatitudeColumn = 9;

// Nothing to draw: an empty cell, the host's "no position", or a value of exactly 0.
bool HasPosition(float value) {
    return value != 0 && value != host::kMissing;
}
}  // namespace

Circles::Circles(ui::Grid& table, const platform::ProgramValues& values, host::Map& map,
                 const platform::Regional& regional, platform::Dialogs& dialogs)
    : table_(table), values_(values), map_(map), regional_(regional), dialogs_(dialogs) {}

void Circles::mUivMap_MapRedrawn() {
    host::GuardHostCall(dialogs_, values_.CodiceLingua, [this] { DrawAll(); });
}

void Circles::DrawAll() {
    for (int r = 1; r < table_.Rows(); ++r) {
        table_.SetRow(r);
        table_.SetCol(kLongitudeColumn);
        // The cells hold text the program wrote in the regional format.
        const auto longitude = static_cast<float>(platform::RegionalVal(table_.Text(), regional_));
        table_.SetCol(kLatitudeColumn);
        const auto latitude = static_cast<float>(platform::RegionalVal(table_.Text(), regional_));
        if (HasPosition(longitude) && HasPosition(latitude)) {
            DisegnaCerchio(latitude, longitude, values_.SpessoreCerchio, values_.ColoreCerchio,
                           values_.TipoRiempimento, values_.ColoreRiempimento);
        }
    }
}

void Circles::DisegnaCerchio(float IntLat, float IntLong, float SpessoreCerchio,
                             std::int32_t ColoreCerchio, float TipoRiempimento,
                             double ColoreRiempimento) {
    map_.SetDrawWidth(platform::ToInt16(SpessoreCerchio));
    map_.SetFillStyle(platform::ToInt16(TipoRiempimento));
    map_.SetFillColor(platform::ToInt32(ColoreRiempimento));
    const float radius = map_.GetScale() / 25;
    map_.DrawCircle(IntLong, IntLat, radius, ColoreCerchio, 0.0f, kFullTurn, 1.0f);
}

}  // namespace map
