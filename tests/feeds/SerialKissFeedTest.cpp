// A serial KISS TNC played by a pair of linked pseudo-terminals (socat): frames read from
// one end as the TNC writes them at the other, and on Linux the TNC unplugged (the pair and
// its names gone) and plugged back in. Under Wine the pair is two COM ports the test's script
// links in the prefix, named by SIRENWATCH_SERIAL_PAIR ("COM5,COM6"); the unplugging is
// Linux's part.
#include <gtest/gtest.h>

#include <boost/asio/serial_port.hpp>
#include <boost/asio/write.hpp>
#include <cstdlib>
#include <filesystem>

#include "FeedTestLoops.h"
#include "decode/Ax25.h"
#include "decode/Kiss.h"
#include "feeds/SerialKissFeed.h"

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace feeds_test {
namespace {

const char kOrdinary[] = "IW2ABC>APRS,WIDE2-1:!4530.00N/00915.00E-Home station";
const char kEmergency[] = "N0CALL-9>423W1T,WIDE1-1*:`c0ooZO>/]\"6)}EMERGENCY test";

std::string Kiss(const char* tnc2) {
    return decode::KissEncode(decode::Tnc2ToAx25(tnc2).value_or(""));
}

// The TNC's end of the line writes a frame.
bool TncSends(boost::asio::io_context& io, const std::string& device, const std::string& bytes) {
    boost::asio::serial_port tnc(io);
    boost::system::error_code e;
    tnc.open(device, e);
    if (!e) boost::asio::write(tnc, boost::asio::buffer(bytes), e);
    return !e;
}

#ifndef _WIN32
bool SocatThere() {
    return std::system("command -v socat >/dev/null 2>&1") == 0;
}

// socat's two linked pseudo-terminals, named by links that go with it: a TNC plugged in.
class PtyPair {
public:
    PtyPair(const std::string& line, const std::string& tnc) : line_(line), tnc_(tnc) {
        const std::string a = "pty,raw,echo=0,link=" + line, b = "pty,raw,echo=0,link=" + tnc;
        const char* argv[] = {"socat", a.c_str(), b.c_str(), nullptr};
        if (posix_spawnp(&pid_, "socat", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = -1;
    }
    ~PtyPair() { Unplug(); }
    bool Started() const { return pid_ > 0; }
    // socat removes its links as it ends.
    void Unplug() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    std::string line_, tnc_;
    pid_t pid_ = -1;
};

TEST(SerialKissFeed, FindsTheTncWhenItIsPluggedInAndAgainAfterItWasUnplugged) {
    if (!SocatThere()) GTEST_SKIP() << "socat is not installed";
    const auto dir =
        std::filesystem::temp_directory_path() / ("feeds-serial-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string line = (dir / "ttyTNC").string(), tnc = (dir / "tnc-side").string();
    Loops loops;
    auto feed = loops.Make<feeds::SerialKissFeed>(line, 9600, 50);
    Told told;
    told.Listen(*feed);
    feed->Start();
    ASSERT_TRUE(loops.WaitFor([&] { return told.Said("trying again every 0.05 s"); }));

    auto pair = std::make_unique<PtyPair>(line, tnc);
    ASSERT_TRUE(pair->Started());
    const std::string opened = "KISS " + line + " at 9600 bd: open";
    ASSERT_TRUE(loops.WaitFor([&] { return told.Said(opened); })) << told.AllSaid();
    ASSERT_TRUE(TncSends(loops.servers, tnc, Kiss(kOrdinary) + Kiss(kEmergency)));
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 2; }));

    const std::size_t before = told.statuses.size();
    pair->Unplug();
    ASSERT_TRUE(loops.WaitFor([&] { return told.statuses.size() > before; }));
    EXPECT_EQ(
        told.statuses[before],
        "KISS " + line + " at 9600 bd: no such device (unplugged?), trying again every 0.05 s");
    pair = std::make_unique<PtyPair>(line, tnc);
    ASSERT_TRUE(loops.WaitFor([&] { return told.statuses.back() == opened; })) << told.AllSaid();
    ASSERT_TRUE(TncSends(loops.servers, tnc, Kiss(kEmergency)));
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 3; }));
    EXPECT_EQ(told.lines, (std::vector<std::string>{kOrdinary, kEmergency, kEmergency}));
    EXPECT_EQ(told.Links(),
              "down: no such device (unplugged?)|up|down: no such device (unplugged?)|up");
    feed.reset();
    pair.reset();
    std::filesystem::remove_all(dir);
}
#endif

// Under Wine: the feed reads a COM port while the test writes the other one of the pair.
TEST(SerialKissFeed, ReadsAComPortPair) {
    const char* pair = std::getenv("SIRENWATCH_SERIAL_PAIR");
    if (pair == nullptr) GTEST_SKIP() << "SIRENWATCH_SERIAL_PAIR names no pair of COM ports";
    const std::string names = pair;
    const std::string line = names.substr(0, names.find(',')),
                      tnc = names.substr(names.find(',') + 1);
    Loops loops;
    auto feed = loops.Make<feeds::SerialKissFeed>(line, 9600, 50);
    Told told;
    told.Listen(*feed);
    feed->Start();
    ASSERT_TRUE(loops.WaitFor([&] { return told.Said("KISS " + line + " at 9600 bd: open"); }))
        << told.AllSaid();
    ASSERT_TRUE(TncSends(loops.servers, tnc, Kiss(kEmergency)));
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 1; }));
    EXPECT_EQ(told.lines[0], kEmergency);
}

}  // namespace
}  // namespace feeds_test
