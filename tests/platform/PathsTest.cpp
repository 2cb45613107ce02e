// The layout rule: beside a writable executable with its files, or spread as installed.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/Paths.h"

namespace {

using platform::ChooseLayout;
using platform::FileLayout;
using platform::LayoutInputs;

LayoutInputs Inputs(const char* exeFolder, const char* home, const char* xdgConfigHome,
                    const char* xdgDataHome) {
    LayoutInputs in;
    in.exeFolder = exeFolder;
    in.home = home;
    in.xdgConfigHome = xdgConfigHome;
    in.xdgDataHome = xdgDataHome;
    return in;
}

auto Fields(const FileLayout& l) {
    return std::tie(l.installed, l.shared, l.settings, l.hostFolder, l.userStore, l.data,
                    l.testLog);
}

TEST(Layout, BesideOrInstalled) {
    const FileLayout installed{true,
                               "/opt/share/sirenwatch",
                               "/home/op/.config/sirenwatch",
                               "/home/op/.config/sirenwatch/host",
                               "/srv/data/sirenwatch",
                               "/srv/data/sirenwatch",
                               "/srv/data/sirenwatch"};
    const struct {
        const char* what;
        bool writable, filesBeside;
        const char *configurationDirectory, *stateDirectory;
        FileLayout expected;
    } cases[] = {
        {"a writable folder with its files", true, true, "", "",
         FileLayout{false, "/opt/sw", "/opt/sw", "/srv/data/sirenwatch/host", "/home/op/.config",
                    "/srv/data/sirenwatch", "/opt/sw"}},
        {"a folder it cannot write to", false, true, "", "", installed},
        {"a writable folder without its files", true, false, "", "", installed},
        {"the system service", false, false, "/etc/sirenwatch/", "/var/lib/sirenwatch",
         FileLayout{true, "/opt/share/sirenwatch", "/etc/sirenwatch", "/etc/sirenwatch/host",
                    "/var/lib/sirenwatch", "/var/lib/sirenwatch", "/var/lib/sirenwatch"}},
    };
    const LayoutInputs user = Inputs("/opt/sw", "/home/op", "", "/srv/data");
    for (const auto& c : cases) {
        LayoutInputs in = user;
        in.exeFolderWritable = c.writable;
        in.shippedFilesBeside = c.filesBeside;
        in.configurationDirectory = c.configurationDirectory;
        in.stateDirectory = c.stateDirectory;
        EXPECT_EQ(Fields(ChooseLayout(in)), Fields(c.expected)) << c.what;
    }
}

TEST(Layout, XdgFoldersCountOnlyWhenAbsolute) {
    const FileLayout got = ChooseLayout(Inputs("/usr/bin", "/home/op", "relative/config", "/d"));
    EXPECT_EQ(got.shared, "/usr/share/sirenwatch");
    EXPECT_EQ(got.settings, "/home/op/.config/sirenwatch");
    EXPECT_EQ(got.data, "/d/sirenwatch");
    EXPECT_EQ(ChooseLayout(Inputs("/bin", "/h", "", "")).shared, "/share/sirenwatch");
}

}  // namespace
