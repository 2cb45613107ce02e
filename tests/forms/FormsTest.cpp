// The windows that only hold controls: each holds every one of its controls, once, so a front
// end that draws what a form holds draws the whole window.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "forms/FrmInfo.h"
#include "forms/FrmMain.h"
#include "forms/FrmMarcaPunto.h"
#include "forms/FrmXTR.h"

namespace {

TEST(Forms, HoldEachOfTheirControlsOnce) {
    const forms::FrmMain main;
    const forms::FrmMarcaPunto spot;
    const forms::FrmXTR xtr;
    const forms::FrmInfo info;
    const std::pair<const ui::Form*, std::size_t> cases[] = {
        {&main, 27}, {&spot, 22}, {&xtr, 9}, {&info, 4}};
    for (const auto& [form, count] : cases) {
        SCOPED_TRACE(form->Name());
        std::set<std::string> names;
        for (const ui::Control* c : form->Controls()) names.insert(c->Name());
        EXPECT_EQ(form->Controls().size(), count);
        EXPECT_EQ(names.size(), count) << "a control held twice";
    }
}

}  // namespace
