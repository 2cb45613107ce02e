// Keeping the add-on's drawing between redraws so a map view can paint it.
#include "builtin_host/HostMap.h"

#include <cmath>

namespace builtin_host {
namespace {

// One redraw can never hold more circles than this; a runaway listener stops here rather
// than eating memory.
constexpr std::size_t kMaxCircles = 100000;

}  // namespace

void HostMap::DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                         double endAngle, float aspect) {
    if (circles_.size() >= kMaxCircles) throw host::HostError("Too many circles on the map");
    circles_.push_back(
        {x, y, radius, color, startAngle, endAngle, aspect, drawWidth_, fillStyle_, fillColor_});
    if (!redrawing_) NotifyView();
}

void HostMap::Redraw() {
    // A listener that asks for another redraw from inside this one gets the circles it
    // draws added to this redraw instead of recursing.
    if (redrawing_) return;
    circles_.clear();
    ++redraws_;
    redrawing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{redrawing_};
    if (listener_ != nullptr) listener_->MapRedrawn();
    redrawing_ = false;
    NotifyView();
}

bool HostMap::SetScale(float scale) {
    if (!std::isfinite(scale) || scale <= 0) return false;
    scale_ = scale;
    return true;
}

void HostMap::NotifyView() {
    if (onChange_) onChange_();
}

}  // namespace builtin_host
