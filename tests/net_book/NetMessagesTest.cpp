// The net's incident messages: what is written reads back the same, and what a hostile or
// broken publisher sends is refused with a reason.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "net_book/NetMessages.h"

namespace net_book {
namespace {

NetChange Take() {
    NetChange change;
    change.key = {"CENTRE", 12};
    change.watcher = "SHACK-2";
    change.sequence = 1'796'000'000'001;
    change.time_s = 1'796'000'000;
    change.callsign = "IZ1ABC-9";
    change.kind = Kind::Operator;
    change.action = incidents::OperatorAction::Take;
    change.operatorName = "Anna";
    change.note = "on my way, \"quoted\" è";
    return change;
}

TEST(NetMessages, ChangeAndSnapshotReadBackAsWritten) {
    const NetChange take = Take();
    const Parsed change = ParseMessage(FormatChange(take));
    ASSERT_TRUE(change.message) << change.error;
    EXPECT_EQ(std::get<NetChange>(*change.message), take);

    NetChange open = take;
    open.kind = Kind::Open;
    open.action = {};  // an operator's only
    open.watcher = "CENTRE";
    open.grade = incidents::EvidenceGrade::MicEEmergency;
    const Snapshot snapshot{"CENTRE", {"CENTRE", 12}, {open, take}};
    const Parsed back = ParseMessage(FormatSnapshot(snapshot));
    ASSERT_TRUE(back.message) << back.error;
    const auto& read = std::get<Snapshot>(*back.message);
    EXPECT_EQ(read.key, snapshot.key);
    EXPECT_EQ(read.changes, snapshot.changes);
}

TEST(NetMessages, KeysAndWatcherNames) {
    EXPECT_EQ(KeyFromText("centre/12"), (NetKey{"CENTRE", 12}));
    for (const char* bad : {"CENTRE", "/12", "CENTRE/", "CENTRE/0", "CENTRE/12x", "CEN TRE/1",
                            "CENTRE/-1", "CENTRE/99999999999999999999999"}) {
        EXPECT_FALSE(KeyFromText(bad)) << bad;
    }
}

TEST(NetMessages, RefusesWhatIsBrokenOrOutOfBounds) {
    const std::string good = FormatChange(Take());
    auto with = [&](const std::string& field, const std::string& value) {
        auto object = nlohmann::json::parse(good);
        object[field] = nlohmann::json::parse(value);
        return object.dump();
    };
    struct Case {
        std::string payload;
        std::string why;  // a part of the reason
    };
    const Case cases[] = {
        {"", "not JSON"},
        {"{\"v\":1,", "not JSON"},
        {"[1,2]", "not a JSON object"},
        {std::string(kMaxSnapshotBytes + 1, ' '), "longer than"},
        {with("v", "2"), "version"},
        {with("type", "\"vote\""), "unknown type"},
        {with("action", "\"detonate\""), "unknown action"},
        {with("note", "\"" + std::string(kMaxNoteBytes + 1, 'x') + "\""), "\"note\" longer"},
        {with("note", "\"a\\u0007b\""), "control characters"},
        {with("key", "\"CENTRE/0\""), "\"key\""},
        {with("seq", "0"), "\"seq\""},
        {with("seq", "9007199254740993"), "\"seq\""},
        {with("time", "1.5"), "\"time\""},
        {with("time", "-5"), "\"time\""},
        {with("watcher", "\"a/b\""), "watcher's name"},
        {with("callsign", "\"\""), "empty"},
        {with("callsign", "7"), "not text"},
        {with("grade", "\"loud\""), "unknown grade"},
        {with("action", "\"open\""), "only CENTRE opens"},
        {"{\"v\":1,\"type\":\"snapshot\",\"watcher\":\"A\",\"key\":\"A/1\",\"changes\":[" + good +
             std::string(",") + good + ",{}]}",
         "no \"key\""},
    };
    for (const Case& c : cases) {
        const Parsed parsed = ParseMessage(c.payload);
        EXPECT_FALSE(parsed.message) << c.payload.substr(0, 200);
        EXPECT_NE(parsed.error.find(c.why), std::string::npos)
            << parsed.error << " / " << c.payload.substr(0, 200);
    }
}

}  // namespace
}  // namespace net_book
