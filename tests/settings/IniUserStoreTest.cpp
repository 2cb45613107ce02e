// The per-user store kept as one INI file per application.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "settings/IniUserStore.h"

namespace settings {
namespace {

TEST(IniUserStore, HostFolderLivesInTheApplicationsFile) {
    settings_test::TempFolder dir;
    const std::string config = (dir.Path() / "config" / "nested").string();
    IniUserStore store(config);
    EXPECT_EQ(store.Get("Peak Systems", "UI-View32", "Program Folder"), "");

    const std::string longFolder = "/home/op/" + std::string(400, 'h') + "/";
    ASSERT_TRUE(store.Set("Peak Systems", "UI-View32", "Program Folder", longFolder));
    EXPECT_TRUE(std::filesystem::exists(config + "/Peak Systems.ini"));
    EXPECT_EQ(store.Get("Peak Systems", "ui-view32", "program folder"), longFolder)
        << "stored folders are not cut to the settings file's 254 characters";
    EXPECT_EQ(settings_test::ReadAll(config + "/Peak Systems.ini"),
              "[UI-View32]\nProgram Folder=" + longFolder + "\n");
}

TEST(IniUserStore, ApplicationNamesCannotLeaveTheFolder) {
    settings_test::TempFolder dir;
    IniUserStore store((dir.Path() / "config").string());
    EXPECT_FALSE(store.Set("../escape", "S", "K", "1"));
    EXPECT_FALSE(store.Set("", "S", "K", "1"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "escape.ini"));
    EXPECT_EQ(store.Get("../escape", "S", "K"), "");
}

TEST(IniUserStore, UnusableFolderFailsWithoutThrowing) {
    settings_test::TempFolder dir;
    settings_test::WriteAll(dir.File("file"), "x");
    IniUserStore store(dir.File("file") + "/config");
    EXPECT_FALSE(store.Set("Peak Systems", "UI-View32", "Program Folder", "/x/"));
    EXPECT_EQ(store.Get("Peak Systems", "UI-View32", "Program Folder"), "");
}

}  // namespace
}  // namespace settings
