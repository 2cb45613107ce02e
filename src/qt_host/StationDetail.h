// What the map tells about a station: its data and, for one in emergency, why. Plain text.
#pragma once

#include <QString>

#include "builtin_host/Evidence.h"
#include "builtin_host/StationList.h"

namespace qt_host {

QString StationDetail(const builtin_host::StationData& station,
                      const builtin_host::Evidence* evidence);

}  // namespace qt_host
