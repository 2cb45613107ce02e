// The settings class: numbers stored as plain text, the version text, reading back.
#include <gtest/gtest.h>

#include "fakes/FakePorts.h"
#include "settings/GestioneINI_New.h"

namespace settings {
namespace {

TEST(GestioneINI_New, VersionJoinsMinorAndRevision) {
    EXPECT_EQ(GestioneINI_New::Version({1, 0, 5}), "1.05");
    EXPECT_EQ(GestioneINI_New::Version({2, 10, 0}), "2.100");
}

TEST(GestioneINI_New, StoresNumbersAsPlainTextWhateverTheDecimalSymbol) {
    fakes::TempDir dir;
    const std::string ini = dir.File("Sirenwatch.ini");
    for (const char* decimal : {",", "."}) {
        platform::FixedRegional regional(decimal);
        GestioneINI_New settings(regional);
        settings.ScriviValore(ini, "SetUp", "FillColor", 16777215.0);
        settings.ScriviValore(ini, "SetUp", "CircleColor", 255);
        settings.ScriviValore(ini, "SetUp", "MessageType", "emergency");
        EXPECT_EQ(settings.LeggiValore(ini, "SetUp", "FillColor"), "16777215") << decimal;
        EXPECT_EQ(settings.LeggiValore(ini, "setup", "circlecolor"), "255") << decimal;
        EXPECT_EQ(settings.LeggiValore(ini, "SetUp", "MessageType"), "emergency");
    }
}

}  // namespace
}  // namespace settings
