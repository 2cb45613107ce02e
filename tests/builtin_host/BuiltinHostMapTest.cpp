// The host's map: what a redraw clears, raises and keeps for the view.
#include <gtest/gtest.h>

#include "builtin_host/HostMap.h"

namespace builtin_host {
namespace {

// Draws like the add-on's map handler: settings first, then one circle per station.
struct Drawer final : host::MapEvents {
    host::Map& map;
    int redrawn = 0;
    explicit Drawer(host::Map& m) : map(m) {}
    void MapRedrawn() override {
        ++redrawn;
        map.SetDrawWidth(3);
        map.SetFillStyle(7);
        map.SetFillColor(0xFFFFFF);
        map.DrawCircle(-552.34f, 2730.25f, map.GetScale() / 25, 255, 0, 6.283185958862305, 1);
        map.SetDrawWidth(5);
        map.DrawCircle(-550.0f, 2731.0f, map.GetScale() / 25, 0xFF00, 0, 6.283185958862305, 1);
    }
};

TEST(HostMap, RedrawClearsDrawsAgainAndTellsTheViewOnce) {
    HostMap map;
    map.DrawCircle(1, 2, 3, 4, 0, 6.28, 1);
    map.Redraw();  // nobody connected yet: just cleared
    EXPECT_TRUE(map.Circles().empty());

    Drawer drawer(map);
    map.Connect(&drawer);
    int viewUpdates = 0;
    map.SetChangeListener([&] { ++viewUpdates; });
    map.Redraw();
    map.Redraw();

    EXPECT_EQ(drawer.redrawn, 2);
    EXPECT_EQ(viewUpdates, 2);
    ASSERT_EQ(map.Circles().size(), 2u);  // the first redraw's circles are gone
    const Circle& c = map.Circles()[0];
    EXPECT_FLOAT_EQ(c.x, -552.34f);
    EXPECT_FLOAT_EQ(c.y, 2730.25f);
    EXPECT_FLOAT_EQ(c.radius, 2.0f);  // default scale 50
    EXPECT_EQ(c.color, 255);
    EXPECT_DOUBLE_EQ(c.endAngle, 6.283185958862305);
    EXPECT_EQ(c.drawWidth, 3);
    EXPECT_EQ(c.fillStyle, 7);
    EXPECT_EQ(c.fillColor, 0xFFFFFF);
    EXPECT_EQ(map.Circles()[1].drawWidth, 5);  // settings in force when each was drawn
}

TEST(HostMap, RedrawAskedFromInsideARedrawDoesNotRecurse) {
    struct Again final : host::MapEvents {
        HostMap map;
        int calls = 0;
        void MapRedrawn() override {
            ++calls;
            map.Redraw();
        }
    } again;
    again.map.Connect(&again);
    again.map.Redraw();
    EXPECT_EQ(again.calls, 1);
}

TEST(HostMap, ScaleMustBePositive) {
    HostMap map;
    EXPECT_FLOAT_EQ(map.GetScale(), 50);
    EXPECT_TRUE(map.SetScale(100));
    EXPECT_FALSE(map.SetScale(0));
    EXPECT_FALSE(map.SetScale(-5));
    EXPECT_FLOAT_EQ(map.GetScale(), 100);
}

}  // namespace
}  // namespace builtin_host
