// Captions in both languages and both units, and the language menu.
#include <gtest/gtest.h>

#include "fakes/World.h"
#include "settings/StringTable.h"

namespace program {
namespace {

// Unknown codes and the language menu are below; here each caption's offset in the block.
TEST(Captions, EveryCaptionComesFromItsOffsetInTheLanguageBlock) {
    for (auto [code, unit] : {std::pair{1000, 1}, std::pair{2000, 2}}) {
        SCOPED_TRACE(code);
        auto T = [block = code](int offset) { return settings::LoadResString(block + offset); };
        fakes::World w;
        const auto& m = w.main;
        const auto& g = m.FGridStazioni;
        w.values.UnitaMisura = static_cast<std::int16_t>(unit);
        w.main.FGridStazioni.SetTextMatrix(0, 8, "kept 8");  // columns without a caption
        w.main.FGridStazioni.SetTextMatrix(0, 9, "kept 9");

        w.captions.GestioneLingua(code);

        EXPECT_EQ(m.Frame1.Caption(), T(0));
        EXPECT_EQ(m.MnuLingua.Caption(), T(106));
        EXPECT_EQ(m.MnuUnit_Misura.Caption(), T(107));
        EXPECT_EQ(m.MnuUnit[0].Caption(), T(108));
        EXPECT_EQ(m.MnuUnit[1].Caption(), T(109));
        EXPECT_EQ(m.LblNominativo.Caption(), T(1));
        EXPECT_EQ(m.LblDataOra.Caption(), T(2));
        EXPECT_EQ(m.LblDirezione.Caption(), T(4));
        EXPECT_EQ(m.LblMessaggio.Caption(), T(5));
        EXPECT_EQ(m.CmdTacitaAllarme.Caption(), T(9));
        EXPECT_EQ(m.LblLong.Caption(), T(10));
        EXPECT_EQ(m.LblLat.Caption(), T(11));
        EXPECT_EQ(m.LblAltezza.Caption(), T(12));
        EXPECT_EQ(m.LblAzimut.Caption(), T(13));
        EXPECT_EQ(m.LblDistanza.Caption(), T(unit == 1 ? 110 : 112));
        EXPECT_EQ(m.LblVelocita.Caption(), T(unit == 1 ? 111 : 113));
        EXPECT_EQ(w.spot.LblColoreCerchio.Caption(), T(114));
        EXPECT_EQ(w.spot.LblSpessore.Caption(), T(115));
        EXPECT_EQ(w.spot.LblStile.Caption(), T(116));
        EXPECT_EQ(w.spot.LblColoreRiempimento.Caption(), T(117));

        const std::string headers[] = {
            T(1),  T(6),     T(7),    m.LblDistanza.Caption(), T(4), m.LblVelocita.Caption(), T(10),
            T(11), "kept 8", "kept 9"};
        for (int col = 0; col < 10; ++col) EXPECT_EQ(g.TextMatrix(0, col), headers[col]) << col;
        EXPECT_EQ(g.Row(), 0);
        EXPECT_EQ(g.Col(), 7);
        ASSERT_EQ(w.spot.ListStile.Items().size(), 8u);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(w.spot.ListStile.Items()[k], T(118 + k)) << k;
    }
}

TEST(Captions, LanguageMenuSwitchesStoresAndChecksTheLanguage) {
    fakes::World w;
    auto stored = [&w](const char* key) {
        return w.ini.LeggiValore(w.values.FileIni, "SetUp", key);
    };
    w.ini.ScriviValore(w.values.FileIni, "SetUp", "Unit", 2);
    w.spot.ListStile.SetListIndex(3);

    w.main.MnuNazione[1].onClick();
    EXPECT_EQ(w.values.CodiceLingua, 2000);
    EXPECT_FALSE(w.main.MnuNazione[0].Checked());
    EXPECT_TRUE(w.main.MnuNazione[1].Checked());
    EXPECT_EQ(stored("Language"), "2");
    EXPECT_EQ(stored("Unit"), "2") << "other settings stay";
    EXPECT_EQ(w.main.Frame1.Caption(), settings::LoadResString(2000));
    EXPECT_EQ(w.spot.ListStile.ListIndex(), 3) << "the selected fill style stays selected";

    w.main.MnuNazione[0].onClick();
    EXPECT_EQ(w.values.CodiceLingua, 1000);
    EXPECT_TRUE(w.main.MnuNazione[0].Checked());
    EXPECT_FALSE(w.main.MnuNazione[1].Checked());
    EXPECT_EQ(stored("Language"), "1");
    EXPECT_EQ(w.main.Frame1.Caption(), settings::LoadResString(1000));
    EXPECT_EQ(w.spot.ListStile.ListIndex(), 3);
}

TEST(Captions, UnknownCodeShowsItalianRatherThanBlanks) {
    fakes::World w;
    w.captions.GestioneLingua(2000);
    w.captions.GestioneLingua(3000);
    EXPECT_EQ(w.main.Frame1.Caption(), settings::LoadResString(1000));
}

}  // namespace
}  // namespace program
