// The add-on's listener for the host's events: frames go to the frame intake, map redraws
// to the circles, and the host's closing to whatever the program set up for it.
#pragma once

#include <functional>

#include "host/HostPorts.h"
#include "map/Circles.h"
#include "monitor/FrameIntake.h"

namespace monitor {

class HostEvents final : public host::ApplicationEvents, public host::MapEvents {
public:
    HostEvents(FrameIntake& intake, map::Circles& circles) : intake_(intake), circles_(circles) {}

    void DataAvailable() override { intake_.mUIV_DataAvailable(); }
    void UIView32IsClosing() override {
        if (onClosing) onClosing();
    }
    void MapRedrawn() override { circles_.mUivMap_MapRedrawn(); }

    // Set by the program's start-up: shut down when the host closes.
    std::function<void()> onClosing;

private:
    FrameIntake& intake_;
    map::Circles& circles_;
};

}  // namespace monitor
