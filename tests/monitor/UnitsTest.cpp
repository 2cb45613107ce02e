// Unit switching: check marks, captions, the stored "Unit", and distances re-expressed.
#include <gtest/gtest.h>

#include "fakes/World.h"
#include "platform/NumberText.h"
#include "settings/ProfileFile.h"
#include "settings/StringTable.h"

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

TEST(Units, KilometresToMilesAndBackKeepTheDecimalsAndMoveTheCheckMark) {
    for (const std::string sep : {",", "."}) {
        UnitWorld w({"16" + sep + "1"}, sep.c_str());
        w.main.MnuUnit[1].onClick();
        EXPECT_EQ(w.Distances(), std::vector<std::string>{"10" + sep + "00"});
        EXPECT_EQ(w.main.TxtDistanza.Text(), "10" + sep + "00");
        EXPECT_TRUE(w.main.MnuUnit[1].Checked() && !w.main.MnuUnit[0].Checked());
        EXPECT_EQ(w.main.LblDistanza.Caption(), settings::LoadResString(1112));
        w.main.MnuUnit[0].onClick();
        EXPECT_EQ(w.Distances(), std::vector<std::string>{"16" + sep + "09"});
        EXPECT_EQ(w.main.TxtDistanza.Text(), "16" + sep + "09");
        EXPECT_TRUE(w.main.MnuUnit[0].Checked() && !w.main.MnuUnit[1].Checked());
    }
}

TEST(Units, ChoosingTheUnitInForceConvertsNothingButStillRecaptionsAndSaves) {
    UnitWorld w({"16,1"});
    w.main.LblDistanza.SetCaption("stale");
    w.main.MnuUnit[0].onClick();
    EXPECT_EQ(w.Distances(), std::vector<std::string>{"16,1"});
    EXPECT_EQ(w.main.LblDistanza.Caption(), settings::LoadResString(1110));
    EXPECT_EQ(w.StoredUnit(), "1");
}

TEST(Units, EveryStationAndThePanelAreConvertedOnceAndNothingElse) {
    UnitWorld w({"16,1", "3,2", "100"});
    const std::string speed = w.main.FGridStazioni.TextMatrix(1, 5);
    w.main.MnuUnit[1].onClick();
    EXPECT_EQ(w.Distances(), (std::vector<std::string>{"10,00", "1,99", "62,14"}));
    EXPECT_EQ(w.main.TxtDistanza.Text(), "62,14");
    EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 5), speed);
    EXPECT_EQ(w.main.TxtVelocita.Text(), "50");
    EXPECT_EQ(w.StoredUnit(), "2");
    EXPECT_DOUBLE_EQ(w.values.FattoreUnita, 1.609344);
}

TEST(Units, EmptyTableAndEmptyPanelStayBlank) {
    UnitWorld w({});
    w.main.MnuUnit[1].onClick();
    EXPECT_EQ(w.Distances(), std::vector<std::string>{""});
    EXPECT_EQ(w.main.TxtDistanza.Text(), "");
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
