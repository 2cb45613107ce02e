// The string table: every id of both blocks, exact texts, nothing outside them.
#include <gtest/gtest.h>

#include "settings/StringTable.h"

namespace settings {
namespace {

TEST(StringTable, EveryIdOfBothBlocksHasAText) {
    int count = 0;
    for (int base : {1000, 2000}) {
        for (int offset = 0; offset <= 17; ++offset, ++count)
            EXPECT_FALSE(LoadResString(base + offset).empty()) << base + offset;
        for (int offset = 100; offset <= 127; ++offset, ++count)
            EXPECT_FALSE(LoadResString(base + offset).empty()) << base + offset;
    }
    EXPECT_EQ(count, 92);
}

TEST(StringTable, UnknownIdsAreEmpty) {
    for (int id : {-1, 0, 999, 1018, 1099, 1128, 1999, 2018, 2128, 3000, 3100})
        EXPECT_EQ(LoadResString(id), "") << id;
}

TEST(StringTable, ExactTexts) {
    const std::pair<int, const char*> samples[] = {
        {1000, "Ultima Emergenza Ricevuta"},
        {2000, "Last Received Emergency Beacon"},
        {1004, "Direzione (°)"},
        {1008, "Velocità (Km/h)"},
        {2013, "Azimut (°)"},
        {1100,
         "UI-View 32 non e' installato. E' necessario installare UI-View32 per poter "
         "utilizzare questo programma."},
        {2100,
         "UI-View 32 are not installed. It is necessary to install UI-View32 to be able to use "
         "this program."},
        {2103, "It's necessary configure UI-View."},
        {2111, "Course (Km/h)"},
        {1113, "Velocita' (Miglia/h)"},
        {2119, "Trasparent"},
        {1122, "Diagonale verso l'alto"},
        {1126, "e' gia' in esecuzione."},
        {1127, "Verione di UI-View32 non corretta."},
        {2127, "UI-View32 version not correct."},
    };
    for (const auto& [id, text] : samples) EXPECT_EQ(LoadResString(id), text) << id;
}

}  // namespace
}  // namespace settings
