// The TCP feeds against servers of the test's own on loopback: KISS frames cut anywhere, the
// link made again after 1, 2 ... seconds and told down and up once each way, AGWPE's request
// for raw frames and its stream out of step, APRS-IS's login and keep-alive.
#include <gtest/gtest.h>

#include "FeedTestLoops.h"
#include "decode/Agwpe.h"
#include "decode/AprsIs.h"
#include "decode/Ax25.h"
#include "decode/Kiss.h"
#include "feeds/AgwpeFeed.h"
#include "feeds/AprsIsFeed.h"
#include "feeds/KissTcpFeed.h"

namespace feeds_test {
namespace {

using namespace std::string_literals;

const char kOrdinary[] = "IW2ABC>APRS,WIDE2-1:!4530.00N/00915.00E-Home station";
const char kEmergency[] = "N0CALL-9>423W1T,WIDE1-1*:`c0ooZO>/]\"6)}EMERGENCY test";

std::string Ax25(const char* tnc2) {
    return decode::Tnc2ToAx25(tnc2).value_or("");
}

std::string RawReport(const std::string& ax25) {
    return decode::AgwpeEncode({0, 'K', 0, "", "", "\0"s + ax25});
}

// Sends the bytes in pieces, each one heard before the next goes, so the feed reads them apart.
void SendInPieces(Loops& loops, LoopbackServer& server, Told& told, const std::string& bytes,
                  int pieces) {
    const std::size_t size = bytes.size() / pieces + 1;
    for (std::size_t at = 0; at < bytes.size(); at += size) {
        const int before = told.heard;
        server.Send(bytes.substr(at, size));
        ASSERT_TRUE(loops.WaitFor([&] { return told.heard > before; }));
    }
}

TEST(KissTcpFeed, FramesCutAnywhereAndTheLinkMadeAgainAfterALongerWaitEachTime) {
    Loops loops;
    auto server = std::make_unique<LoopbackServer>(loops.servers);
    const std::uint16_t port = server->Port();
    auto feed = loops.Make<feeds::KissTcpFeed>("127.0.0.1", port);
    Told told;
    told.Listen(*feed);
    feed->Start();
    ASSERT_TRUE(loops.WaitFor([&] { return server->Clients() == 1; }));
    const std::string oversize = decode::KissEncode(std::string(1000, 'x'));
    SendInPieces(
        loops, *server, told,
        decode::KissEncode(Ax25(kOrdinary)) + oversize + decode::KissEncode(Ax25(kEmergency)), 7);
    EXPECT_EQ(told.lines, (std::vector<std::string>{kOrdinary, kEmergency}));
    EXPECT_GT(told.heard, 0);

    // Dropped, then refused while the server is away: told down once, tried after 1 s, 2 s.
    server->Close();
    ASSERT_TRUE(loops.WaitFor([&] { return told.Said("retrying in 2 s"); })) << told.AllSaid();
    EXPECT_TRUE(told.Said("KISS 127.0.0.1:" + std::to_string(port) +
                          ": The remote host closed the connection, retrying in 1 s"))
        << told.AllSaid();
    EXPECT_TRUE(told.Said(": Connection refused, retrying in 2 s")) << told.AllSaid();
    server = std::make_unique<LoopbackServer>(loops.servers, port);
    ASSERT_TRUE(loops.WaitFor([&] { return server->Clients() == 1; })) << told.AllSaid();
    ASSERT_TRUE(loops.WaitFor([&] { return told.link.size() == 2; }));
    server->Send(decode::KissEncode(Ax25(kEmergency)));
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 3; }));
    EXPECT_EQ(told.Links(), "down: The remote host closed the connection|up");
    EXPECT_EQ(told.statuses.back(), "KISS 127.0.0.1:" + std::to_string(port) + ": connected");
    EXPECT_FALSE(told.offThread) << "everything is told on the UI thread";
}

// The client asks for raw frames; only UI frames of raw reports become lines (frames cut
// anywhere are AgwpeTest's); a stream out of step is dropped and the link made again.
TEST(AgwpeFeed, AsksForRawFramesReadsThemAndRestartsAStreamOutOfStep) {
    Loops loops;
    LoopbackServer server(loops.servers);
    auto feed = loops.Make<feeds::AgwpeFeed>("127.0.0.1", server.Port());
    Told told;
    told.Listen(*feed);
    feed->Start();
    ASSERT_TRUE(loops.WaitFor([&] { return server.Clients() == 1; }));
    ASSERT_TRUE(loops.WaitFor([&] { return server.Last().received.size() >= 36; }));
    EXPECT_EQ(server.Last().received, decode::AgwpeRawMonitorRequest());

    std::string notUi = Ax25(kOrdinary);
    notUi[14 + 7] = '\x3F';  // a SABM: a connected-mode frame, not UI
    server.Send(decode::AgwpeEncode({0, 'R', 0, "", "", "\2\0\0\0\0\0\0\0"s}) +
                RawReport(Ax25(kOrdinary)) + RawReport(notUi) +
                decode::AgwpeEncode({0, 'U', 0, "A", "B", "monitor text"}) +
                RawReport(Ax25(kEmergency)));
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 2; }));
    EXPECT_EQ(told.lines, (std::vector<std::string>{kOrdinary, kEmergency}));

    server.Send(std::string(36, '\xFF'));  // a data length of 4 GB
    ASSERT_TRUE(loops.WaitFor([&] { return server.Clients() == 2; })) << told.AllSaid();
    EXPECT_TRUE(told.Said("not AGWPE, retrying in 1 s")) << told.AllSaid();
    ASSERT_TRUE(loops.WaitFor([&] { return server.Last().received.size() >= 36; }));
    EXPECT_EQ(server.Last().received, decode::AgwpeRawMonitorRequest());
    server.Send(RawReport(Ax25(kOrdinary)));
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 3; }));
    EXPECT_EQ(told.Links(), "down: the server sent something that is not AGWPE|up");
}

// The login first; a server's comment is something heard though no line; a comment line
// goes out now and then so the server keeps the link.
TEST(AprsIsFeed, LogsInHearsCommentsAndSaysSomethingNowAndThen) {
    Loops loops;
    LoopbackServer server(loops.servers);
    auto feed = loops.Make<feeds::AprsIsFeed>("127.0.0.1", server.Port(), "N0CALL", "1.1.1",
                                              "r/45.5/9.2/100", 30);
    Told told;
    told.Listen(*feed);
    feed->Start();
    ASSERT_TRUE(loops.WaitFor([&] { return server.Clients() == 1; }));
    server.Send("# aprsc 2.1.19 7 Dec 2026 00:00:00 GMT T2TEST 127.0.0.1:14580\r\n");
    ASSERT_TRUE(loops.WaitFor([&] { return told.heard > 0; }));
    EXPECT_TRUE(told.lines.empty());
    const std::string login = decode::AprsIsLogin("N0CALL", "1.1.1", "r/45.5/9.2/100");
    const std::string comment = "# Sirenwatch 1.1.1 listening\r\n";
    ASSERT_TRUE(loops.WaitFor(
        [&] { return server.Last().received.size() >= login.size() + 2 * comment.size(); }));
    EXPECT_EQ(server.Last().received.substr(0, login.size() + 2 * comment.size()),
              login + comment + comment);
    server.Send(std::string(kOrdinary) + "\r\n# a comment\r\n" + kEmergency + "\n");
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 2; }));
    EXPECT_EQ(told.lines, (std::vector<std::string>{kOrdinary, kEmergency}));
}

}  // namespace
}  // namespace feeds_test
