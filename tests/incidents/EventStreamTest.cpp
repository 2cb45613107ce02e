// The event stream observed from the main window, and its tab lines. Whether an emergency is
// new or a copy is seen end to end, with the evidence the built-in host keeps.
#include <gtest/gtest.h>

#include <sstream>

#include "incidents/FormObserver.h"
#include "incidents/TabLines.h"

namespace incidents {
namespace {

TEST(FormObserver, EachChangeOnTheFormIsOneTypedEventAndAtMostOneTabLine) {
    forms::FrmMain f;
    platform::ProgramValues values;
    values.UnitaMisura = 2;
    Stream stream([] { return std::int64_t{1796637600}; });
    std::vector<std::pair<std::size_t, std::string>> told;  // index in What, tab line
    std::string unit;
    std::ostringstream line;
    stream.Subscribe([&, print = TabLinePrinter(line)](const Event& e) {
        EXPECT_EQ(e.time_s, 1796637600);
        if (const auto* emergency = std::get_if<Emergency>(&e.what)) unit = emergency->unit;
        print(e);
        told.emplace_back(e.what.index(), line.str());
        line.str("");
    });
    FormObserver observer(f, values, stream);
    f.TxtNominativo.SetText("Q7MOB-9");
    // Air text: tabs and breaks are blanked, what a terminal acts on is escaped.
    f.TxtBeaconMsg.SetText("help\tneeded\r\nnow\x1b[2J\a\xe8");
    f.TxtAltezza.SetText("160");  // the last box an emergency fills: the panel is complete
    f.TimerAllarme.SetTimerEnabled(true);
    f.TimerAllarme.SetInterval(1000);  // other changes of the timer say nothing
    f.TimerAllarme.SetTimerEnabled(false);
    stream.Emit(FeedSilent{"KISS 127.0.0.1:8001", 900, 5});
    stream.Emit(FeedBack{"KISS"});
    stream.Emit(FeedDown{"KISS 127.0.0.1:8001", "Connection\trefused"});
    stream.Emit(FeedUp{"KISS 127.0.0.1:8001"});
    stream.Emit(Position{"Q7MOB-9", {45, 9}});

    const std::vector<std::pair<std::size_t, std::string>> expected = {
        {0, "EMERGENCY\tQ7MOB-9\t\thelp needed  now\\x1b[2J\\x07\\xe8\t\t\t\t\t\t\t\t160\n"},
        {1, "ALARM\ton\n"},
        {2, "ALARM\toff\n"},
        {3, "FEED\tsilent\t900\tKISS 127.0.0.1:8001\n"},
        {4, "FEED\tback\n"},
        {5, "FEED\tdown\tConnection refused\tKISS 127.0.0.1:8001\n"},
        {6, "FEED\tup\n"},
        {7, ""}};  // a position is for the log only
    EXPECT_EQ(told, expected);
    EXPECT_EQ(unit, "mi");
}

}  // namespace
}  // namespace incidents
