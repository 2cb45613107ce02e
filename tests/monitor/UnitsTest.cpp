// Unit switching: check marks, captions, the stored "Unit", and distances re-expressed.
#include <gtest/gtest.h>

#include "fakes/World.h"
#include "platform/NumberText.h"
#include "settings/ProfileFile.h"

namespace {

using fakes::World;

// A world with stations at the given distance cells.
struct UnitWorld : World {
    explicit UnitWorld(std::vector<std::string> distances, const char* decimal = ",") {
        fp.regional.set(decimal, "dd/MM/yyyy");
        for (size_t i = 0; i < distances.size(); ++i) {
            ReceiveEmergency("S" + std::to_string(i));
            main.FGridStazioni.SetTextMatrix(static_cast<int>(i) + 1, 3, distances[i]);
        }
        if (!distances.empty()) main.TxtDistanza.SetText(distances.back());
    }
    std::vector<std::string> Distances() const {
        std::vector<std::string> cells;
        for (int r = 1; r < main.FGridStazioni.Rows(); ++r)
            cells.push_back(main.FGridStazioni.TextMatrix(r, 3));
        return cells;
    }
    std::string StoredUnit() const {
        return settings::ReadProfileString(values.FileIni, "SetUp", "Unit");
    }
};

// Menu clicks (0 kilometres, 1 miles) over the table's distances: every station and the panel
// converted once with the decimals kept, the unit in force left as it is (yet recaptioned and
// stored), the check mark, caption and stored unit following the last click.
TEST(Units, SwitchingConvertsEveryDistanceOnceAndFollowsTheLastChoice) {
    using Texts = std::vector<std::string>;
    const struct {
        const char* decimal;
        Texts before;
        std::vector<int> clicks;
        Texts after;
    } cases[] = {{",", {"16,1"}, {1}, {"10,00"}},
                 {".", {"16.1"}, {1, 0}, {"16.09"}},
                 {",", {"16,1"}, {1, 0}, {"16,09"}},
                 {",", {"16,1"}, {0}, {"16,1"}},
                 {",", {"16,1", "3,2", "100"}, {1}, {"10,00", "1,99", "62,14"}},
                 {",", {}, {1}, {""}}};
    for (const auto& c : cases) {
        UnitWorld w(c.before, c.decimal);
        SCOPED_TRACE(testing::PrintToString(c.before) + " " + testing::PrintToString(c.clicks));
        const std::string speed = w.main.FGridStazioni.TextMatrix(1, 5);
        w.main.LblDistanza.SetCaption("stale");
        for (int item : c.clicks) w.main.MnuUnit[item].onClick();
        const bool miles = c.clicks.back() == 1;
        EXPECT_EQ(w.Distances(), c.after);
        EXPECT_EQ(w.main.TxtDistanza.Text(), c.before.empty() ? "" : c.after.back());
        EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 5), speed);
        EXPECT_EQ(w.main.TxtVelocita.Text(), c.before.empty() ? "" : "50");
        EXPECT_TRUE(w.main.MnuUnit[miles].Checked() && !w.main.MnuUnit[!miles].Checked());
        EXPECT_EQ(w.main.LblDistanza.Caption(), miles ? "Distanza (Miglia)" : "Distanza (Km)");
        EXPECT_EQ(w.StoredUnit(), miles ? "2" : "1");
        EXPECT_DOUBLE_EQ(w.values.FattoreUnita, miles ? 1.609344 : 1);
    }
}

TEST(RegionalNumber, ReadsTheProgramsOwnTexts) {
    const platform::FixedRegional comma(","), dot(".");
    const struct {
        const char* text;
        const platform::Regional& regional;
        double value;
    } cases[] = {{"2730,25", comma, 2730.25},
                 {"-552,34", comma, -552.34},
                 {"10,00", comma, 10},
                 {"16.1", comma, 16.1},
                 {"2730.25", dot, 2730.25},
                 {"2730,25", dot, 2730},
                 {"", comma, 0},
                 {"-----", comma, 0},
                 {"-99999", comma, -99999}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(platform::RegionalVal(c.text, c.regional), c.value) << c.text;
}

}  // namespace
