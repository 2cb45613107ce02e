// The offline base map's lines as drawn in a view: only those whose bounding box meets it are
// projected, once for each turn of the world the view shows, so the map goes on across 180°.
#pragma once

#include <vector>

#include "basemap/BaseMap.h"
#include "map_scene/Geometry.h"
#include "map_scene/Projection.h"

namespace map_scene {

using Polyline = std::vector<Point>;

// The lines of `lines` (land rings or borders) that meet `view`, in pixels.
std::vector<Polyline> LinesInView(const std::vector<basemap::GeoLine>& lines,
                                  const MapProjection& p, const Rect& view);

inline constexpr Rgb kSeaColor{170, 211, 223};
inline constexpr Rgb kLandColor{242, 239, 228};
inline constexpr Rgb kCoastColor{110, 140, 160};
inline constexpr Rgb kBorderColor{160, 110, 160};
inline constexpr Rgb kNoMapColor{236, 242, 230};  // the background without a base map

}  // namespace map_scene
