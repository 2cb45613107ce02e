// The string table, checked against the fixed texts of both languages: every id of the two
// blocks has exactly its text, every other id is empty.
#include <gtest/gtest.h>

#include <set>

#include "settings/StringTable.h"

namespace settings {
namespace {

struct Text {
    int offset;
    const char* italian;
    const char* english;
};

constexpr Text kTexts[] = {
    {0, "Ultima Emergenza Ricevuta", "Last Received Emergency Beacon"},
    {1, "Nominativo", "Callsign"},
    {2, "Ora - Data", "Time - Date"},
    {3, "Distanza", "Distance (Miles)"},
    {4, "Direzione (°)", "Course (°)"},
    {5, "Messaggio", "Message"},
    {6, "Data", "Date"},
    {7, "Ora", "Time"},
    {8, "Velocità (Km/h)", "Speed (Miles/h)"},
    {9, "Tacitazione Allarme", "Acknowledged"},
    {10, "Longitudine", "Longitude"},
    {11, "Latitudine", "Latitude"},
    {12, "Altezza (slm)", "Height"},
    {13, "Azimut (°)", "Azimut (°)"},
    {14, "Nome Programma in UI-View", "Program Name"},
    {15, "Percorso", "Path"},
    {16, "Avvio automatico con UI-View", "Automatic starting with UI-View"},
    {17, "Chiusura automatica con UI-View", "Automatic closing with UI-View"},
    {100,
     "UI-View 32 non e' installato. E' necessario installare UI-View32 per poter utilizzare questo "
     "programma.",
     "UI-View 32 are not installed. It is necessary to install UI-View32 to be able to use this "
     "program."},
    {101, "Vuoi creare il file XTR per Sirenwatch?",
     "Do you want to create a XTR file for Sirenwatch?"},
    {102, "Le coordinate di stazione non sono presenti.",
     "The station coordinates are not present."},
    {103, "E' necessario configurare UI-View.", "It's necessary configure UI-View."},
    {104, "Attenzione !!", "Attention !!"},
    {105, "Vuoi eliminare questo nominativo?", "Do you want to remove this call?"},
    {106, "Lingua", "Language"},
    {107, "Unita' di misura", "Unit"},
    {108, "Metrico (Km)", "Metric (Km)"},
    {109, "Imperiale (miglia)", "Imperial (Miles)"},
    {110, "Distanza (Km)", "Distance (Km)"},
    {111, "Velocita' (Km/h)", "Course (Km/h)"},
    {112, "Distanza (Miglia)", "Distance (Miles)"},
    {113, "Velocita' (Miglia/h)", "Course (mph)"},
    {114, "Colore Cerchio", "Circle Color"},
    {115, "Spessore Cerchio", "Circle Width"},
    {116, "Riempimento", "Fill Type"},
    {117, "Colore Riempimento", "Fill Color"},
    {118, "Continuo", "Solid"},
    {119, "Trasparente", "Trasparent"},
    {120, "Linea Orizzontale", "Horizontal Line"},
    {121, "Linea Verticale", "Vertical Line"},
    {122, "Diagonale verso l'alto", "Upward Diagonal"},
    {123, "Diagonale verso il basso", "Downward Diagonal"},
    {124, "Intersecante", "Cross"},
    {125, "Diagonale Intersecante", "Diagonal Cross"},
    {126, "e' gia' in esecuzione.", "is already running."},
    {127, "Verione di UI-View32 non corretta.", "UI-View32 version not correct."},
};

TEST(StringTable, EveryIdHasItsFixedTextAndNoOtherIdHasOne) {
    std::set<int> ids;
    for (const Text& t : kTexts) {
        EXPECT_EQ(LoadResString(1000 + t.offset), t.italian) << t.offset;
        EXPECT_EQ(LoadResString(2000 + t.offset), t.english) << t.offset;
        ids.insert({1000 + t.offset, 2000 + t.offset});
    }
    EXPECT_EQ(ids.size(), 92u);
    for (int id = -1; id <= 3200; ++id)
        if (!ids.count(id)) {
            EXPECT_EQ(LoadResString(id), "") << id;
        }
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
