// The string table: the two language blocks are complete, nothing outside them has a text, and
// the ids at the edges of each block hold the texts the program shows there.
#include <gtest/gtest.h>

#include "settings/StringTable.h"

namespace settings {
namespace {

bool HasText(int id) {
    return (id >= 1000 && id <= 1017) || (id >= 1100 && id <= 1127) || (id >= 2000 && id <= 2017) ||
           (id >= 2100 && id <= 2127);
}

TEST(StringTable, EveryIdOfBothBlocksHasATextAndNoOtherIdHasOne) {
    for (int id = -1; id <= 3200; ++id) EXPECT_EQ(LoadResString(id).empty(), !HasText(id)) << id;
    const std::pair<int, const char*> edges[] = {
        {1000, "Ultima Emergenza Ricevuta"},
        {2000, "Last Received Emergency Beacon"},
        {1017, "Chiusura automatica con UI-View"},
        {2017, "Automatic closing with UI-View"},
        {1100,
         "UI-View 32 non e' installato. E' necessario installare UI-View32 per poter "
         "utilizzare questo programma."},
        {2100,
         "UI-View 32 are not installed. It is necessary to install UI-View32 to be able to "
         "use this program."},
        {1127, "Verione di UI-View32 non corretta."},
        {2127, "UI-View32 version not correct."}};
    for (auto [id, text] : edges) EXPECT_EQ(LoadResString(id), text) << id;
}

TEST(StringTable, OnlyTheNumberTwoStoredMeansEnglish) {
    platform::FixedRegional comma(",");
    const std::pair<const char*, int> cases[] = {
        {"2", kEnglish}, {" 2 ", kEnglish},  {"2,0", kEnglish}, {"1", kItalian},
        {"", kItalian},  {"2abc", kItalian}, {"20", kItalian}};
    for (auto [stored, code] : cases) EXPECT_EQ(LanguageCode(stored, comma), code) << stored;
}

}  // namespace
}  // namespace settings
