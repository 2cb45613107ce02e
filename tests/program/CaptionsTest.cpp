// Captions in both languages and both units, and the language menu.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

#include "fakes/World.h"
#include "settings/StringTable.h"

namespace program {
namespace {

// Every text the two forms show, by control: captions, list items, table headers and menus.
void Collect(const ui::Control& c, const std::string& name,
             std::map<std::string, std::string>& out) {
    if (auto* l = dynamic_cast<const ui::Label*>(&c)) out[name] = l->Caption();
    if (auto* b = dynamic_cast<const ui::Button*>(&c)) out[name] = b->Caption();
    if (auto* x = dynamic_cast<const ui::CheckBox*>(&c)) out[name] = x->Caption();
    if (auto* f = dynamic_cast<const ui::Frame*>(&c)) out[name] = f->Caption();
    if (auto* m = dynamic_cast<const ui::MenuItem*>(&c)) {
        out[name] = m->Caption();
        for (const ui::MenuItem* child : m->Children()) Collect(*child, child->Name(), out);
    }
    if (auto* list = dynamic_cast<const ui::ListBox*>(&c))
        for (size_t i = 0; i < list->Items().size(); ++i)
            out[name + "[" + std::to_string(i) + "]"] = list->Items()[i];
    if (auto* g = dynamic_cast<const ui::Grid*>(&c))
        for (int col = 0; col < g->Cols(); ++col)
            out[name + " header " + std::to_string(col)] = g->TextMatrix(0, col);
}

std::map<std::string, std::string> Shown(const fakes::World& w) {
    std::map<std::string, std::string> texts;
    for (const ui::Form* form : std::initializer_list<const ui::Form*>{&w.main, &w.spot}) {
        for (const ui::Control* c : form->Controls())
            Collect(*c, form->Name() + "." + c->Name(), texts);
        for (const ui::MenuItem* m : form->Menus())
            Collect(*m, form->Name() + "." + m->Name(), texts);
    }
    return texts;
}

// The offset of a text in the block of `code`, if it is one of that block's texts.
std::optional<int> Offset(int code, const std::string& text) {
    for (int offset = 0; offset < 200; ++offset)
        if (!text.empty() && settings::LoadResString(code + offset) == text) return offset;
    return std::nullopt;
}

// Switching language leaves no text of the other language on screen, shows the same text of the
// block on every control, and shows every text the two forms have: a caption set on a control
// the forms do not hold, or left out, is missing from the set.
TEST(Captions, SwitchingLanguageRecaptionsEveryControlFromTheLanguageBlock) {
    for (int unit : {1, 2}) {
        SCOPED_TRACE(unit);
        std::map<std::string, std::string> shown[2];
        for (int code : {1000, 2000}) {
            fakes::World w;
            w.values.UnitaMisura = static_cast<std::int16_t>(unit);
            w.captions.GestioneLingua(3000 - code);
            w.captions.GestioneLingua(code);
            shown[code / 1000 - 1] = Shown(w);
            EXPECT_EQ(w.main.FGridStazioni.Row(), 0);  // the last header written is column 7
            EXPECT_EQ(w.main.FGridStazioni.Col(), 7);
            for (int col = 0; col < 8; ++col)  // the last two columns keep their own headers
                EXPECT_TRUE(Offset(code, w.main.FGridStazioni.TextMatrix(0, col))) << col;
        }
        std::set<int> offsets;
        for (const auto& [control, italian] : shown[0]) {
            const std::string& english = shown[1].at(control);
            // Only the colour swatches and the width's value have no caption of their own.
            const bool uncaptioned =
                control.find(".CmdColore") != std::string::npos || control.ends_with(".LblValore");
            EXPECT_EQ(italian.empty(), uncaptioned) << control;
            EXPECT_FALSE(Offset(1000, english) && italian != english) << control << " " << english;
            const auto offset = Offset(1000, italian);
            if (!offset) continue;
            EXPECT_EQ(english, settings::LoadResString(2000 + *offset)) << control;
            offsets.insert(*offset);
        }
        std::set<int> expected = {0, 1, 2, 4, 5, 6, 7, 9, 10, 11, 12, 13};
        for (int offset = 106; offset <= 125; ++offset)
            if (offset < 110 || offset > 113 || (offset < 112) == (unit == 1))
                expected.insert(offset);
        EXPECT_EQ(offsets, expected);
    }
}

TEST(Captions, LanguageMenuSwitchesStoresAndChecksTheLanguage) {
    fakes::World w;
    auto stored = [&w](const char* key) {
        return w.ini.LeggiValore(w.values.FileIni, "SetUp", key);
    };
    w.ini.ScriviValore(w.values.FileIni, "SetUp", "Unit", 2);
    w.spot.ListStile.SetListIndex(0);
    const struct {
        int item, code;
        const char *stored, *frame;
    } cases[] = {{1, 2000, "2", "Last Received Emergency Beacon"},
                 {0, 1000, "1", "Ultima Emergenza Ricevuta"}};
    for (const auto& c : cases) {
        w.main.MnuNazione[c.item].onClick();
        EXPECT_EQ(w.values.CodiceLingua, c.code);
        EXPECT_TRUE(w.main.MnuNazione[c.item].Checked());
        EXPECT_FALSE(w.main.MnuNazione[1 - c.item].Checked());
        EXPECT_EQ(stored("Language"), c.stored);
        EXPECT_EQ(stored("Unit"), "2") << "other settings stay";
        EXPECT_EQ(w.main.Frame1.Caption(), c.frame);
        EXPECT_EQ(w.spot.ListStile.ListIndex(), 0) << "the selected fill style stays selected";
    }
}

TEST(Captions, UnknownCodeShowsItalianRatherThanBlanks) {
    fakes::World w;
    w.captions.GestioneLingua(2000);
    w.captions.GestioneLingua(3000);
    EXPECT_EQ(w.main.Frame1.Caption(), "Ultima Emergenza Ricevuta");
}

}  // namespace
}  // namespace program
