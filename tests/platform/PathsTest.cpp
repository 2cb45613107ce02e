// The layout rule: beside a writable executable with its files, or spread as installed.
#include <gtest/gtest.h>

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

TEST(Layout, BesideOrInstalled) {
    const LayoutInputs user = Inputs("/opt/sw", "/home/op", "", "/srv/data");
    struct Case {
        const char* what;
        bool writable, filesBeside;
        std::string configurationDirectory, stateDirectory;
        FileLayout expected;
    };
    const Case cases[] = {
        {"a writable folder with its files",
         true,
         true,
         "",
         "",
         {false, "/opt/sw", "/opt/sw", "/srv/data/sirenwatch/host", "/home/op/.config",
          "/srv/data/sirenwatch"}},
        {"a folder it cannot write to",
         false,
         true,
         "",
         "",
         {true, "/opt/share/sirenwatch", "/home/op/.config/sirenwatch",
          "/home/op/.config/sirenwatch/host", "/srv/data/sirenwatch", "/srv/data/sirenwatch"}},
        {"a writable folder without its files",
         true,
         false,
         "",
         "",
         {true, "/opt/share/sirenwatch", "/home/op/.config/sirenwatch",
          "/home/op/.config/sirenwatch/host", "/srv/data/sirenwatch", "/srv/data/sirenwatch"}},
        {"the system service",
         false,
         false,
         "/etc/sirenwatch/",
         "/var/lib/sirenwatch",
         {true, "/opt/share/sirenwatch", "/etc/sirenwatch", "/etc/sirenwatch/host",
          "/var/lib/sirenwatch", "/var/lib/sirenwatch"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LayoutInputs in = user;
        in.exeFolderWritable = c.writable;
        in.shippedFilesBeside = c.filesBeside;
        in.configurationDirectory = c.configurationDirectory;
        in.stateDirectory = c.stateDirectory;
        const FileLayout got = ChooseLayout(in);
        EXPECT_EQ(got.installed, c.expected.installed);
        EXPECT_EQ(got.shared, c.expected.shared);
        EXPECT_EQ(got.settings, c.expected.settings);
        EXPECT_EQ(got.hostFolder, c.expected.hostFolder);
        EXPECT_EQ(got.userStore, c.expected.userStore);
        EXPECT_EQ(got.data, c.expected.data);
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
