// The per-user store kept as one INI file per application.
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/FakePorts.h"
#include "fakes/FileText.h"
#include "settings/IniUserStore.h"

namespace settings {
namespace {

TEST(IniUserStore, HostFolderLivesInTheApplicationsFile) {
    fakes::TempDir dir;
    const std::string config = dir.File("config/nested");
    IniUserStore store(config);
    EXPECT_EQ(store.Get("Peak Systems", "UI-View32", "Program Folder"), "");

    const std::string longFolder = "/home/op/" + std::string(400, 'h') + "/";
    ASSERT_TRUE(store.Set("Peak Systems", "UI-View32", "Program Folder", longFolder));
    EXPECT_EQ(store.Get("Peak Systems", "ui-view32", "program folder"), longFolder)
        << "stored folders are not cut to the settings file's 254 characters";
    EXPECT_EQ(fakes::ReadAll(config + "/Peak Systems.ini"),
              "[UI-View32]\nProgram Folder=" + longFolder + "\n");
}

TEST(IniUserStore, NamesThatLeaveTheFolderAndAnUnusableFolderStoreNothing) {
    fakes::TempDir dir;
    IniUserStore store(dir.File("config"));
    EXPECT_FALSE(store.Set("../escape", "S", "K", "1"));
    EXPECT_FALSE(store.Set("", "S", "K", "1"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("escape.ini")));
    EXPECT_EQ(store.Get("../escape", "S", "K"), "");

    fakes::WriteAll(dir.File("file"), "x");
    IniUserStore blocked(dir.File("file") + "/config");
    EXPECT_FALSE(blocked.Set("Peak Systems", "UI-View32", "Program Folder", "/x/"));
}

}  // namespace
}  // namespace settings
