// The host's map as the add-on draws on it: the drawing settings in force, the circles of
// the current redraw and the scale. A map view follows it through its change listener.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "host/HostPorts.h"

namespace builtin_host {

struct Circle {
    float x = 0;  // longitude, minutes of arc
    float y = 0;  // latitude, minutes of arc
    float radius = 0;
    std::int32_t color = 0;
    float startAngle = 0;
    double endAngle = 0;
    float aspect = 1;
    // Drawing settings in force when the circle was drawn.
    std::int16_t drawWidth = 1;
    std::int16_t fillStyle = 1;
    std::int32_t fillColor = 0;
};

class HostMap final : public host::Map {
public:
    // With the default scale the add-on's circles have a radius of 2 minutes of arc.
    static constexpr float kDefaultScale = 50;

    void DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                    double endAngle, float aspect) override;
    float GetScale() override { return scale_; }
    float Scale() const { return scale_; }
    void SetDrawWidth(std::int16_t width) override { drawWidth_ = width; }
    void SetFillStyle(std::int16_t style) override { fillStyle_ = style; }
    void SetFillColor(std::int32_t color) override { fillColor_ = color; }
    void Connect(host::MapEvents* listener) override { listener_ = listener; }

    // Clears the circles, lets the connected listener draw again, then tells the view.
    void Redraw();
    // A scale that is not a positive finite number is refused (returns false).
    bool SetScale(float scale);

    const std::vector<Circle>& Circles() const { return circles_; }
    std::int16_t FillStyle() const { return fillStyle_; }
    std::int32_t FillColor() const { return fillColor_; }
    std::uint64_t RedrawCount() const { return redraws_; }

    // Called after each completed redraw and after a circle drawn outside one.
    void SetChangeListener(std::function<void()> listener) { onChange_ = std::move(listener); }

private:
    void NotifyView();

    float scale_ = kDefaultScale;
    std::int16_t drawWidth_ = 1;
    std::int16_t fillStyle_ = 1;  // transparent
    std::int32_t fillColor_ = 0;
    std::vector<Circle> circles_;
    host::MapEvents* listener_ = nullptr;
    std::function<void()> onChange_;
    bool redrawing_ = false;
    std::uint64_t redraws_ = 0;
};

}  // namespace builtin_host
