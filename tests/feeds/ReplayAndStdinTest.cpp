// The feeds with an end: a replay, fast or paced by its timestamps, that never queues more
// than a bounded number of lines for a UI thread that lags, and standard input; each tells
// its end once, after its last line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FeedTestLoops.h"
#include "feeds/ReplayFeed.h"
#include "feeds/StdinFeed.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace feeds_test {
namespace {

// A file of the test's own, removed at the end.
class Capture {
public:
    explicit Capture(const std::string& text) {
        static int made = 0;
        path_ = (std::filesystem::temp_directory_path() /
                 ("feeds-test-" + std::to_string(++made) + "-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                  ".tnc2"))
                    .string();
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~Capture() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string Name() const { return std::filesystem::path(path_).filename().string(); }

private:
    std::string path_;
};

std::string Line(int i) {
    return "Q1A>APRS:>line " + std::to_string(i);
}

// Every line once and in order; while the UI thread drains nothing, the replay stops after a
// bounded number of lines instead of queuing the whole file.
TEST(ReplayFeed, FastKeepsEveryLineInOrderAndStopsWhileTheUiThreadLags) {
    std::string text = "# a comment\n\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 50000; ++i) {
        expected.push_back(Line(i));
        text += (i % 2 ? "2026-12-06T10:00:00Z " : "") + expected.back() + "\r\n";
    }
    const Capture capture(text);
    Loops loops;
    auto feed = loops.Make<feeds::ReplayFeed>(capture.Path(), true);
    Told told;
    told.Listen(*feed);
    feed->Start();

    // Not drained: the replay fills the queue up to its bound and stops there. Each marker
    // runs after a turn of the replay, which, were it still going, would add a turn's lines.
    const auto tasks = [&] { return loops.queue.Waiting(); };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (tasks() < feeds::Outbox::kMaxWaitingLines / feeds::Outbox::kBatchLines &&
           std::chrono::steady_clock::now() < deadline)
        loops.network.RunAndWait([] {});
    for (int turn = 0; turn < 5; ++turn) loops.network.RunAndWait([] {});
    loops.queue.Drain();
    EXPECT_GE(told.lines.size(), feeds::Outbox::kMaxWaitingLines);
    EXPECT_LE(told.lines.size(), feeds::Outbox::kMaxWaitingLines + 4 * feeds::Outbox::kBatchLines);

    ASSERT_TRUE(loops.WaitFor([&] { return told.ends > 0; }));
    EXPECT_EQ(told.lines, expected);
    const std::string name = "replay " + capture.Name() + " (fast)";
    EXPECT_EQ(told.statuses,
              (std::vector<std::string>{name + ": 50000 lines", name + ": finished, 50000 lines"}));
    EXPECT_FALSE(loops.WaitFor([&] { return told.ends > 1; }, std::chrono::milliseconds(50)));
    EXPECT_FALSE(told.offThread);
}

TEST(ReplayFeed, PacedByTheTimestampsAndAFileThatCannotBeReadEndsAtOnce) {
    const Capture capture("10.0 " + Line(0) + "\n10.4 " + Line(1) + "\n" + Line(2) + "\n10.8 " +
                          Line(3) + "\n");
    Loops loops;
    auto feed = loops.Make<feeds::ReplayFeed>(capture.Path(), false);
    Told told;
    told.Listen(*feed);
    std::vector<std::chrono::steady_clock::time_point> when;
    feed->SetLineHandler([&](const std::string& line) {
        told.lines.push_back(line);
        when.push_back(std::chrono::steady_clock::now());
    });
    feed->Start();
    ASSERT_TRUE(loops.WaitFor([&] { return told.ends == 1; }));
    ASSERT_EQ(told.lines.size(), 4u);
    const auto gap = [&](int a, int b) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(when[b] - when[a]).count();
    };
    EXPECT_GE(gap(0, 1), 350) << "0.4 s apart in the file";
    EXPECT_LT(gap(1, 2), 300) << "a line without a timestamp follows at once";
    EXPECT_GE(gap(2, 3), 350);

    Loops other;
    auto missing = other.Make<feeds::ReplayFeed>(capture.Path() + ".missing", false);
    Told nothing;
    nothing.Listen(*missing);
    missing->Start();
    ASSERT_TRUE(other.WaitFor([&] { return nothing.ends == 1; }));
    ASSERT_EQ(nothing.statuses.size(), 1u);
    EXPECT_NE(nothing.statuses[0].find(": cannot read "), std::string::npos);
    EXPECT_TRUE(nothing.lines.empty());
}

// A pipe stands in for standard input: lines in the replay format, the last one without a
// line end, and the end of input told once after it.
TEST(StdinFeed, ReadsLinesToTheEndOfInputAndTellsTheEndOnce) {
    int ends[2];
#ifdef _WIN32
    ASSERT_EQ(_pipe(ends, 65536, _O_BINARY), 0);
#else
    ASSERT_EQ(pipe(ends), 0);
#endif
    Loops loops;
    auto feed = loops.Make<feeds::StdinFeed>(ends[0]);
    Told told;
    told.Listen(*feed);
    feed->Start();
    ASSERT_TRUE(loops.WaitFor([&] { return told.Said("standard input: reading"); }));
    const std::string first = "# comment\n2026-12-06T10:00:00Z " + Line(0) + "\r\n";
    ASSERT_EQ(write(ends[1], first.data(), static_cast<unsigned>(first.size())),
              static_cast<int>(first.size()));
    ASSERT_TRUE(loops.WaitFor([&] { return told.lines.size() == 1; }));
    const std::string last = Line(1);
    ASSERT_EQ(write(ends[1], last.data(), static_cast<unsigned>(last.size())),
              static_cast<int>(last.size()));
    close(ends[1]);
    ASSERT_TRUE(loops.WaitFor([&] { return told.ends == 1; }));
    EXPECT_EQ(told.lines, (std::vector<std::string>{Line(0), Line(1)}));
    EXPECT_EQ(told.statuses.back(), "standard input: ended");
    EXPECT_FALSE(told.offThread);
    close(ends[0]);
}

}  // namespace
}  // namespace feeds_test
