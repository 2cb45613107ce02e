// Circles on the host's map: every redraw of the map draws one circle per listed station in
// the user's style (line width, line colour, fill style, fill colour).
#pragma once

#include <cstdint>

#include "host/HostPorts.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"
#include "ui/Grid.h"

namespace map {

class Circles {
public:
    Circles(ui::Grid& table, const platform::ProgramValues& values, host::Map& map,
            const platform::Regional& regional, platform::Dialogs& dialogs);

    // The map's MapRedrawn: a circle for each station row with a position. A host failure
    // stops this redraw and is reported once.
    void mUivMap_MapRedrawn();

    // One circle centred on the station, radius a 25th of the map's scale.
    void DisegnaCerchio(float IntLat, float IntLong, float SpessoreCerchio,
                        std::int32_t ColoreCerchio, float TipoRiempimento,
                        double ColoreRiempimento);

    static constexpr double kFullTurn = 6.283185958862305;  // 2 pi as a single

private:
    void DrawAll();

    ui::Grid& table_;
    const platform::ProgramValues& values_;
    host::Map& map_;
    const platform::Regional& regional_;
    platform::Dialogs& dialogs_;
};

}  // namespace map
