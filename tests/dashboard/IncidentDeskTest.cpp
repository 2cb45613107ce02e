// The incident list's decisions that every toolkit shares: which action asks for a note, the
// action formed from the answers, and what is said when the source refuses or fails.
#include <gtest/gtest.h>

#include <stdexcept>

#include "dashboard/FakeSource.h"
#include "dashboard/IncidentDesk.h"

namespace {

namespace dash = ::dashboard;

struct ThrowingSource final : dash::Source {
    dash::Snapshot Current() const override { throw std::runtime_error("disk gone"); }
    dash::ActionResult Act(const dash::Action&) override { throw std::runtime_error("book gone"); }
};

TEST(IncidentDesk, AsksTheNameOnceAndANoteWhereTheActionNeedsOne) {
    const std::pair<dash::ActionKind, bool> cases[] = {
        {dash::ActionKind::Acknowledge, false}, {dash::ActionKind::Take, false},
        {dash::ActionKind::TakeOver, true},     {dash::ActionKind::Release, true},
        {dash::ActionKind::Note, true},         {dash::ActionKind::Close, true}};
    dashboard_test::FakeSource source;
    dash::IncidentDesk desk(source);
    std::vector<dash::Question> asked;
    const auto ask = [&](const dash::Question& q) -> std::optional<std::string> {
        asked.push_back(q);
        return q.multiLine ? "a note" : " Anna\t";
    };
    for (const auto& [kind, wantsNote] : cases) {
        asked.clear();
        ASSERT_EQ(desk.Act(kind, "a", ask), "");
        EXPECT_EQ(source.actions.back().kind, kind);
        EXPECT_EQ(source.actions.back().operatorName, "Anna");
        EXPECT_EQ(source.actions.back().note, wantsNote ? "a note" : "");
        const std::size_t questions = (wantsNote ? 1 : 0) + (kind == cases[0].first ? 1 : 0);
        EXPECT_EQ(asked.size(), questions) << source.actions.size();
    }
    EXPECT_EQ(desk.OperatorCaption(), "Operatore: Anna");
}

TEST(IncidentDesk, CancelledOrBlankAnswersSendNothingAndFailuresAreSaid) {
    dashboard_test::FakeSource source;
    dash::IncidentDesk desk(source);
    const auto answer = [](std::optional<std::string> text) {
        return [text](const dash::Question&) { return text; };
    };
    EXPECT_EQ(desk.Act(dash::ActionKind::Take, "a", answer("  ")), std::nullopt);
    EXPECT_EQ(desk.Act(dash::ActionKind::Take, "", answer("Anna")), std::nullopt);
    EXPECT_TRUE(source.actions.empty());
    ASSERT_EQ(desk.Act(dash::ActionKind::Take, "a", answer("Anna")), "");
    EXPECT_EQ(desk.Act(dash::ActionKind::Note, "a", answer(std::nullopt)), std::nullopt);
    EXPECT_EQ(source.actions.size(), 1U);

    source.next = platform::Fail("chiuso");
    EXPECT_EQ(desk.Act(dash::ActionKind::Take, "a", answer("x")), "Rifiutato: chiuso");
    ThrowingSource broken;
    dash::IncidentDesk brokenDesk(broken);
    EXPECT_EQ(brokenDesk.Refresh(), "Gli interventi non si possono leggere: disk gone");
    EXPECT_EQ(brokenDesk.Act(dash::ActionKind::Take, "a", answer("Anna")), "Rifiutato: book gone");
}

}  // namespace
