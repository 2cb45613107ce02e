// Captions in both languages and both units, and the language menu.
#include <gtest/gtest.h>

#include "SettingsWorld.h"
#include "settings/Captions.h"
#include "settings/StringTable.h"

namespace settings {
namespace {

using settings_test::SettingsWorld;

struct CaptionCase {
    int code;
    std::int16_t unit;
    const char* distance;
    const char* speed;
};

class CaptionsApplied : public testing::TestWithParam<CaptionCase> {
protected:
    SettingsWorld w;
    Captions captions{w.main, w.spot, w.values, w.ini};
};

TEST_P(CaptionsApplied, EveryCaptionComesFromTheLanguageBlock) {
    const auto& c = GetParam();
    auto T = [&](int offset) { return LoadResString(c.code + offset); };
    w.values.UnitaMisura = c.unit;
    w.main.FGridStazioni.SetTextMatrix(0, 8, "kept 8");
    w.main.FGridStazioni.SetTextMatrix(0, 9, "kept 9");

    captions.GestioneLingua(c.code);

    const auto& m = w.main;
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
    EXPECT_EQ(m.LblDistanza.Caption(), c.distance);
    EXPECT_EQ(m.LblVelocita.Caption(), c.speed);

    const auto& g = m.FGridStazioni;
    const std::string headers[] = {T(1),    T(6),  T(7),  c.distance, T(4),
                                   c.speed, T(10), T(11), "kept 8",   "kept 9"};
    for (int col = 0; col < 10; ++col) EXPECT_EQ(g.TextMatrix(0, col), headers[col]) << col;
    EXPECT_EQ(g.Row(), 0);
    EXPECT_EQ(g.Col(), 7);

    EXPECT_EQ(w.spot.LblColoreCerchio.Caption(), T(114));
    EXPECT_EQ(w.spot.LblSpessore.Caption(), T(115));
    EXPECT_EQ(w.spot.LblStile.Caption(), T(116));
    EXPECT_EQ(w.spot.LblColoreRiempimento.Caption(), T(117));
    ASSERT_EQ(w.spot.ListStile.Items().size(), 8u);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(w.spot.ListStile.Items()[k], T(118 + k)) << k;
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndUnits, CaptionsApplied,
                         testing::Values(CaptionCase{1000, 1, "Distanza (Km)", "Velocita' (Km/h)"},
                                         CaptionCase{1000, 2, "Distanza (Miglia)",
                                                     "Velocita' (Miglia/h)"},
                                         CaptionCase{2000, 1, "Distance (Km)", "Course (Km/h)"},
                                         CaptionCase{2000, 2, "Distance (Miles)", "Course (mph)"},
                                         CaptionCase{2000, 3, "Distance (Miles)", "Course (mph)"}));

class LanguageMenu : public testing::Test {
protected:
    std::string StoredLanguage() {
        return w.ini.LeggiValore(w.values.FileIni, "SetUp", "Language");
    }

    SettingsWorld w;
    Captions captions{w.main, w.spot, w.values, w.ini};
};

TEST_F(LanguageMenu, EnglishAndBackToItalian) {
    captions.GestioneLingua(1000);
    w.spot.ListStile.SetListIndex(3);

    w.main.MnuNazione[1].onClick();
    EXPECT_EQ(w.values.CodiceLingua, 2000);
    EXPECT_FALSE(w.main.MnuNazione[0].Checked());
    EXPECT_TRUE(w.main.MnuNazione[1].Checked());
    EXPECT_EQ(StoredLanguage(), "2");
    EXPECT_EQ(w.main.Frame1.Caption(), "Last Received Emergency Beacon");
    EXPECT_EQ(w.spot.ListStile.Items().front(), "Solid");
    EXPECT_EQ(w.spot.ListStile.Items().back(), "Diagonal Cross");
    EXPECT_EQ(w.spot.ListStile.ListIndex(), 3) << "the selected fill style stays selected";

    w.main.MnuNazione[0].onClick();
    EXPECT_EQ(w.values.CodiceLingua, 1000);
    EXPECT_TRUE(w.main.MnuNazione[0].Checked());
    EXPECT_FALSE(w.main.MnuNazione[1].Checked());
    EXPECT_EQ(StoredLanguage(), "1");
    EXPECT_EQ(w.main.Frame1.Caption(), "Ultima Emergenza Ricevuta");
    EXPECT_EQ(w.spot.ListStile.Items().front(), "Continuo") << "Italian entries come back";
    EXPECT_EQ(w.spot.ListStile.ListIndex(), 3);
}

TEST_F(LanguageMenu, KeepsOtherSettings) {
    w.ini.ScriviValore(w.values.FileIni, "SetUp", "Unit", 2);
    captions.MnuNazione_Click(1);
    EXPECT_EQ(w.ini.LeggiValore(w.values.FileIni, "SetUp", "Unit"), "2");
    EXPECT_EQ(StoredLanguage(), "2");
}

TEST_F(LanguageMenu, UnknownCodeShowsItalianRatherThanBlanks) {
    captions.GestioneLingua(3000);
    EXPECT_EQ(w.main.Frame1.Caption(), "Ultima Emergenza Ricevuta");
    EXPECT_EQ(w.spot.ListStile.Items().front(), "Continuo");
}

}  // namespace
}  // namespace settings
