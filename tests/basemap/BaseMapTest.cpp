// The base map file: the shipped one reads whole and puts land and borders where they are;
// the encoding matches the published polyline vectors; damage is refused with its line.
#include <gtest/gtest.h>

#include "basemap/BaseMap.h"

namespace basemap {
namespace {

bool Contains(const GeoLine& line, double lat, double lon) {
    return line.minLatitude_deg <= lat && lat <= line.maxLatitude_deg &&
           line.minLongitude_deg <= lon && lon <= line.maxLongitude_deg;
}

TEST(BaseMap, TheShippedMapHasLandAndBordersWhereTheyBelong) {
    const auto map = LoadBaseMap(std::string(SIRENWATCH_SOURCE_DIR) + "/data/basemap.txt");
    ASSERT_TRUE(map) << map.error().text;
    EXPECT_GT(map->land.size(), 1000u);
    EXPECT_GT(map->borders.size(), 300u);
    int aroundMilan = 0, nearTheSwissBorder = 0;
    for (const GeoLine& ring : map->land) aroundMilan += Contains(ring, 45.5, 9.2) ? 1 : 0;
    for (const GeoLine& border : map->borders) {
        for (const GeoPoint& p : border.points) {
            if (std::abs(p.latitude_deg - 46.0) < 0.1 && std::abs(p.longitude_deg - 9.0) < 0.1)
                ++nearTheSwissBorder;
        }
    }
    EXPECT_GE(aroundMilan, 1) << "Eurasia's ring";
    EXPECT_GE(nearTheSwissBorder, 1);
}

TEST(BaseMap, NumbersAreReadAsInThePublishedPolylineExample) {
    // "_p~iF~ps|U_ulLnnqC" is 3850000,-12020000 then +220000,-75000.
    const auto map = ParseBaseMap("grid 0.00001 0.000005 0 0\nB _p~iF~ps|U_ulLnnqC\n");
    ASSERT_TRUE(map);
    ASSERT_EQ(map->borders.size(), 1u);
    const auto& points = map->borders[0].points;
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[0].longitude_deg, 38.5, 1e-9);
    EXPECT_NEAR(points[0].latitude_deg, -60.1, 1e-9);
    EXPECT_NEAR(points[1].longitude_deg, 40.7, 1e-9);
    EXPECT_NEAR(points[1].latitude_deg, -60.475, 1e-9);
    EXPECT_NEAR(map->borders[0].maxLongitude_deg, 40.7, 1e-9);
}

TEST(BaseMap, DamageIsRefusedWithItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"", "line 0: no grid line"},
        {"# only a comment\n", "line 1: no grid line"},
        {"L _p~iF~ps|U_ulLnnqC\n", "line 1: expected the grid line"},
        {"grid 0 1 0 0\n", "line 1: expected the grid line"},
        {"grid nan 1 0 0\n", "line 1: expected the grid line"},
        {"grid 1 1 0 0\nX ????\n", "line 2: unknown kind of line"},
        {"grid 0.00001 0.000005 0 0\nL _p~iF~ps|U_ulL\n", "line 2: damaged coordinates"},
        {"grid 0.00001 0.000005 0 0\nL _p~iF~ps\n", "line 2: damaged coordinates"},
        {"grid 0.00001 0.000005 0 0\nL _p~iF \n", "line 2: damaged coordinates"},
        {"grid 1 1 0 0\nL ??\n", "line 2: damaged coordinates"},      // one point is no line
        {"grid 1 1 0 0\nL ??o}@?\n", "line 2: damaged coordinates"},  // 1000 degrees east
    };
    for (const Case& c : cases) {
        const auto map = ParseBaseMap(c.text);
        ASSERT_FALSE(map) << c.text;
        EXPECT_EQ(map.error().text, c.error) << c.text;
    }
}

}  // namespace
}  // namespace basemap
