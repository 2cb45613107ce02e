// The window's incident list against a small source: it follows changes, passes each action
// on with the operator's name, shows a refusal, and keeps markup from the air as text.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <vector>

#include "dashboard/FakeSource.h"
#include "incident_ui/IncidentPanel.h"
#include "qt/QtWorld.h"

namespace {

namespace dash = ::dashboard;
constexpr std::int64_t kNow = 1'796'637'600;  // 2026-12-07 10:00 UTC

dash::IncidentView Incident(std::string id, std::string callsign, std::int64_t lastHeard_s) {
    dash::IncidentView in;
    in.id = std::move(id);
    in.callsign = std::move(callsign);
    in.stateKey = "new";
    in.state = "new";
    in.actions = {"acknowledge", "take", "note", "close"};
    in.lastHeard_s = lastHeard_s;
    return in;
}

TEST(IncidentPanel, FollowsTheSourceActsAsTheOperatorAndKeepsMarkupAsText) {
    dashboard_test::FakeSource source;
    source.snapshot.now_s = kNow;
    source.snapshot.languageCode = 2000;
    source.snapshot.incidents = {Incident("a", "Q7MOB-9", kNow - 125)};
    incident_ui::IncidentPanel panel(source);
    std::vector<QString> answers = {"  Anna  ", "<b>road</b> closed", "found safe"};
    std::vector<bool> multiLine;
    panel.ask = [&](const QString&, const QString&, bool many) -> std::optional<QString> {
        multiLine.push_back(many);
        if (answers.empty()) return std::nullopt;
        QString next = answers.front();
        answers.erase(answers.begin());
        return next;
    };
    auto* table = panel.findChild<QTableWidget*>("incidents");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, panel.LastHeard)->text(), "2 min ago");

    // A new incident, with markup in its callsign and held back: the list follows the change.
    auto second = Incident("b", "<b>EVIL</b>", kNow);
    second.heldBack = "<i>outside the area</i>";
    second.evidence = "<script>x</script> comment";
    source.snapshot.incidents.push_back(second);
    source.Changed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 2; }, 2000));
    EXPECT_EQ(table->item(1, panel.Callsign)->text(), "<b>EVIL</b>");
    EXPECT_EQ(table->item(1, panel.HeldBack)->text(), "<i>outside the area</i>");
    EXPECT_EQ(table->item(1, panel.Callsign)->toolTip(), "&lt;b&gt;EVIL&lt;/b&gt;");

    // Nothing selected: no action goes out.
    panel.findChild<QPushButton*>("acknowledge")->click();
    EXPECT_TRUE(source.actions.empty());
    table->selectRow(1);
    EXPECT_TRUE(panel.findChild<QPlainTextEdit*>("detail")->toPlainText().contains(
        "<script>x</script> comment"));

    // Each action reaches the source with the name asked once, trimmed; notes as typed.
    for (const char* name : {"acknowledge", "take", "note", "close"})
        panel.findChild<QPushButton*>(name)->click();
    ASSERT_EQ(source.actions.size(), 4U);
    const dash::ActionKind kinds[] = {dash::ActionKind::Acknowledge, dash::ActionKind::Take,
                                      dash::ActionKind::Note, dash::ActionKind::Close};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(source.actions[i].kind, kinds[i]);
        EXPECT_EQ(source.actions[i].incident, "b");
        EXPECT_EQ(source.actions[i].operatorName, "Anna");
    }
    EXPECT_EQ(source.actions[2].note, "<b>road</b> closed");
    EXPECT_EQ(source.actions[3].note, "found safe");
    EXPECT_EQ(multiLine, (std::vector<bool>{false, true, true}));

    // A refusal is shown, as text; a cancelled note sends nothing.
    auto* status = panel.findChild<QLabel*>("status");
    source.next = platform::Fail("<u>the incident is closed</u>");
    panel.findChild<QPushButton*>("take")->click();
    EXPECT_EQ(status->text(), "Refused: <u>the incident is closed</u>");
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
    panel.findChild<QPushButton*>("note")->click();
    EXPECT_EQ(source.actions.size(), 5U);

    // A closed incident offers no action (the book says so through the view); the selection stays
    // on its incident across changes.
    source.snapshot.incidents[1].stateKey = source.snapshot.incidents[1].state = "closed";
    source.snapshot.incidents[1].actions.clear();
    source.snapshot.incidents.insert(source.snapshot.incidents.begin(),
                                     Incident("c", "Q7NEW", kNow));
    source.Changed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 3; }, 2000));
    EXPECT_EQ(table->item(table->currentRow(), panel.Callsign)->text(), "<b>EVIL</b>");
    for (auto* button : panel.findChildren<QPushButton*>()) EXPECT_FALSE(button->isEnabled());

    panel.resize(720, 300);
    panel.show();
    qttest::SaveScreenshot(panel, "incident-list");
}

TEST(IncidentPanel, OffersWhatTheStateAllowsAndHandsOverWithANote) {
    dashboard_test::FakeSource source;
    source.snapshot.now_s = kNow;
    source.snapshot.languageCode = 2000;
    auto taken = Incident("a", "Q7MOB-9", kNow);
    taken.stateKey = "being_handled";
    taken.actions = {"take_over", "release", "note", "close"};
    taken.operatorName = "Anna";
    source.snapshot.incidents = {taken};
    incident_ui::IncidentPanel panel(source);
    std::vector<QString> answers = {"Bruno", "Anna went home"};
    panel.ask = [&](const QString&, const QString&, bool) -> std::optional<QString> {
        QString next = answers.front();
        answers.erase(answers.begin());
        return next;
    };
    panel.findChild<QTableWidget*>("incidents")->selectRow(0);
    const auto enabled = [&](const char* name) {
        return panel.findChild<QPushButton*>(name)->isEnabled();
    };
    EXPECT_FALSE(enabled("take")) << "someone handles it: it is taken over, not taken";
    EXPECT_FALSE(enabled("acknowledge"));
    EXPECT_TRUE(enabled("take_over") && enabled("release") && enabled("note") && enabled("close"));
    panel.findChild<QPushButton*>("take_over")->click();
    ASSERT_EQ(source.actions.size(), 1U);
    EXPECT_EQ(source.actions[0].kind, dash::ActionKind::TakeOver);
    EXPECT_EQ(source.actions[0].operatorName, "Bruno");
    EXPECT_EQ(source.actions[0].note, "Anna went home");
}

TEST(IncidentPanel, SpeaksTheAddOnsLanguageAndFollowsASwitch) {
    dashboard_test::FakeSource source;  // the add-on's default: Italian
    source.snapshot.now_s = kNow;
    source.snapshot.incidents = {Incident("a", "Q7MOB-9", kNow - 125)};
    incident_ui::IncidentPanel panel(source);
    auto* table = panel.findChild<QTableWidget*>("incidents");
    EXPECT_EQ(panel.windowTitle(), "Interventi");
    EXPECT_EQ(table->horizontalHeaderItem(panel.Callsign)->text(), "Nominativo");
    EXPECT_EQ(table->item(0, panel.LastHeard)->text(), "2 min fa");
    EXPECT_EQ(panel.findChild<QPushButton*>("acknowledge")->text(), "Tacita");
    source.snapshot.languageCode = 2000;
    source.Changed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.windowTitle() == "Incidents"; }, 2000));
    EXPECT_EQ(table->horizontalHeaderItem(panel.Callsign)->text(), "Callsign");
    EXPECT_EQ(panel.findChild<QPushButton*>("acknowledge")->text(), "Acknowledge");
}

TEST(IncidentPanel, SaysHowLongAgo) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {-3, "0 s ago"},        {59, "59 s ago"},        {60, "1 min ago"},
        {3599, "59 min ago"},   {3600, "1 h 0 min ago"}, {90000, "1 d 1 h ago"},
        {172800, "2 d 0 h ago"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(incident_ui::IncidentPanel::Ago(seconds), text) << seconds;
    EXPECT_EQ(incident_ui::IncidentPanel::Ago(90000, false), "1 g 1 h fa");
}

}  // namespace
