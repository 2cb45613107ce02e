// Circles on the host map: one per station with a position, in the user's style.
#include <gtest/gtest.h>

#include "fakes/World.h"

namespace {

using fakes::Call;
using fakes::World;

// A world whose table rows carry the given host longitude and latitude cells.
struct TableWorld : World {
    void AddRow(const std::string& longitude, const std::string& latitude) {
        monitor::RigaStazione row{"X", "", "", "", "", "", "", "", longitude, latitude};
        if (table.GrigliaVuota()) {
            table.ScriviRiga(1, row);
            table.SetGrigliaVuota(false);
        } else {
            table.AggiungiRiga(row);
        }
    }
    std::vector<Call> Redraw() {
        host.map.ClearCalls();
        circles.mUivMap_MapRedrawn();
        return host.map.Calls();
    }
};

Call Circle(double x, double y, double radius = 2, double colour = 255) {
    return {"DrawCircle", {x, y, radius, colour, 0, 6.283185958862305, 1}};
}

TEST(Circles, DrawsInTheOrderAndWithTheValuesTheHostExpects) {
    TableWorld w;
    w.AddRow("-552,34", "2730,25");
    w.values.SpessoreCerchio = 2.5f;  // halves round to even
    w.values.TipoRiempimento = 3.5f;
    w.values.ColoreRiempimento = 65280.5;
    w.values.ColoreCerchio = 65535;
    w.host.map.scale = 60;
    const std::vector<Call> expected = {{"SetDrawWidth", {2}},
                                        {"SetFillStyle", {4}},
                                        {"SetFillColor", {65280}},
                                        {"GetScale", {}},
                                        Circle(-552.34f, 2730.25f, 2.4f, 65535)};
    EXPECT_EQ(w.Redraw(), expected);
    EXPECT_EQ(w.main.FGridStazioni.Row(), 1);
    EXPECT_EQ(w.main.FGridStazioni.Col(), 9);
}

// Cell texts and whether they give a circle: no position (-99999), a zero, empty cells.
TEST(Circles, OnlyStationsWithAPositionGetACircle) {
    const struct {
        const char* longitude;
        const char* latitude;
        bool circle;
    } cases[] = {{"-552,34", "2730,25", true}, {"-99999", "2730,25", false},
                 {"-552,34", "-99999", false}, {"0", "2730,25", false},
                 {"-552,34", "0", false},      {"", "", false}};
    for (const auto& c : cases) {
        TableWorld w;
        w.AddRow(c.longitude, c.latitude);
        EXPECT_EQ(w.Redraw().size(), c.circle ? 5u : 0u) << c.longitude << " " << c.latitude;
    }
}

TEST(Circles, RegionalDecimalsAreReadBackWhole) {
    for (const char* symbol : {",", "."}) {
        World w;
        w.fp.regional.set(symbol, "dd/MM/yyyy");
        w.ReceiveEmergency("IW2ABC-9");
        EXPECT_EQ(w.host.map.Circles().back(), Circle(-552.34f, 2730.25f)) << symbol;
    }
}

TEST(Circles, FailingMapCallStopsThisRedrawAndIsReportedOnce) {
    TableWorld w;
    w.AddRow("100", "200");
    w.AddRow("300", "400");
    w.host.FailOn("GetScale", 1);
    w.Redraw();
    ASSERT_EQ(w.fp.dialogs.notices.size(), 1u);
    EXPECT_EQ(w.fp.dialogs.notices[0].icon, platform::Icon::Exclamation);
    EXPECT_TRUE(w.host.map.Circles().empty());
    EXPECT_EQ(w.Redraw().size(), 10u);  // the next redraw draws both
}

}  // namespace
