// The INI layer: values read and written in place, the rest of the file left alone, and a
// failed write that leaves the old file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"
#include "settings/ProfileFile.h"

namespace settings {
namespace {

using settings_test::ReadAll;
using settings_test::TempFolder;
using settings_test::WriteAll;
namespace fs = std::filesystem;

const std::string kSample =
    "; Sirenwatch settings\n"
    "# hand-edited\n"
    "\n"
    "[Other]\n"
    "Colour=blue\n"
    "\n"
    "[SetUp]\n"
    "Version=1.11\n"
    "CircleColor=255\n"
    "; the unit: 1 km, 2 miles\n"
    "Unit=1\n"
    "\n"
    "; last one\n"
    "[Tail]\n"
    "Left=120\n";

TEST(ProfileFile, HundredWritesChangeOnlyTheWrittenKeys) {
    TempFolder dir;
    const std::string ini = dir.File("Sirenwatch.ini");
    WriteAll(ini, kSample);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(WriteProfileString(ini, "SetUp", "CircleColor", std::to_string(i)));
        ASSERT_TRUE(WriteProfileString(ini, "Tail", "Left", std::to_string(1000 + i)));
    }
    std::string expected = kSample;
    expected.replace(expected.find("CircleColor=255"), 15, "CircleColor=99");
    expected.replace(expected.find("Left=120"), 8, "Left=1099");
    EXPECT_EQ(ReadAll(ini), expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
        << "no temporary file may stay behind";
}

TEST(ProfileFile, NewKeyGoesAfterTheSectionsLastKey) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    WriteAll(ini, kSample);
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "Language", "2"));
    std::string expected = kSample;
    expected.insert(expected.find("Unit=1\n") + 7, "Language=2\n");
    EXPECT_EQ(ReadAll(ini), expected);
}

TEST(ProfileFile, CreatesFileAndSectionWithTheCallersSpelling) {
    TempFolder dir;
    const std::string ini = dir.File("new.ini");
    ASSERT_TRUE(WriteProfileString(ini, "Setup", "CircleWidth", "5"));
    ASSERT_TRUE(WriteProfileString(ini, "SETUP", "FillType", "7"));
#ifdef _WIN32
    EXPECT_EQ(ReadAll(ini), "[Setup]\r\nCircleWidth=5\r\nFillType=7\r\n");
#else
    EXPECT_EQ(ReadAll(ini), "[Setup]\nCircleWidth=5\nFillType=7\n");
#endif
}

TEST(ProfileFile, SectionAndKeyMatchWithoutRegardToCase) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    WriteAll(ini, "[SetUp]\nCircleColor=255\n");
    ASSERT_TRUE(WriteProfileString(ini, "Setup", "circlecolor", "65280"));
    EXPECT_EQ(ReadAll(ini), "[SetUp]\nCircleColor=65280\n");
    EXPECT_EQ(ReadProfileString(ini, "SETUP", "CIRCLECOLOR"), "65280");
}

TEST(ProfileFile, KeepsTheLineEndsAsFound) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    WriteAll(ini, "[SetUp]\r\nUnit=1\r\n[Other]\r\nX=1");
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "Unit", "2"));
    ASSERT_TRUE(WriteProfileString(ini, "Other", "Y", "3"));
    ASSERT_TRUE(WriteProfileString(ini, "New", "Z", "4"));
    EXPECT_EQ(ReadAll(ini), "[SetUp]\r\nUnit=2\r\n[Other]\r\nX=1\r\nY=3\r\n[New]\r\nZ=4\r\n");
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "Unit"), "2");
    EXPECT_EQ(ReadProfileString(ini, "Other", "X"), "1");
}

struct ReadCase {
    std::string line;
    std::string expected;
};

class ProfileFileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileFileRead, TrimsBlanksAndQuotes) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    WriteAll(ini, "[S]\r\n" + GetParam().line + "\r\n");
    EXPECT_EQ(ReadProfileString(ini, "S", "Key"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileFileRead,
                         testing::Values(ReadCase{"Key=value", "value"},
                                         ReadCase{"  Key  =  value \t", "value"},
                                         ReadCase{"Key=\" padded \"", " padded "},
                                         ReadCase{"Key=\"", "\""}, ReadCase{"Key=", ""},
                                         ReadCase{"Key=a=b", "a=b"}, ReadCase{";Key=commented", ""},
                                         ReadCase{"Keys=other", ""}, ReadCase{"Key=\"\"", ""}));

TEST(ProfileFile, MissingFileSectionOrKeyReadsEmpty) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "Unit"), "");
    WriteAll(ini, "[SetUp]\nUnit=1\n[Other]\nLeft=3\n");
    EXPECT_EQ(ReadProfileString(ini, "Nothing", "Unit"), "");
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "Left"), "") << "a key of another section";
}

TEST(ProfileFile, LongValueIsCutToTheBuffer) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    const std::string ascii(300, 'x');
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "MessageType", ascii));
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "MessageType"), ascii.substr(0, 254));
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "MessageType", 11), ascii.substr(0, 10));

    std::string accented;
    for (int i = 0; i < 300; ++i) accented += "à";
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "MessageType", accented));
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "MessageType"), accented.substr(0, 254 * 2))
        << "cut by characters, never inside one";
}

TEST(ProfileFile, ValuesWithEdgeBlanksOrQuotesReadBackUnchanged) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    for (const std::string value : {" lead", "trail ", "\"quoted\"", "in \"mid\" dle", ""}) {
        ASSERT_TRUE(WriteProfileString(ini, "S", "K", value));
        EXPECT_EQ(ReadProfileString(ini, "S", "K"), value);
    }
}

TEST(ProfileFile, RefusesTextThatWouldBreakTheFile) {
    TempFolder dir;
    const std::string ini = dir.File("a.ini");
    WriteAll(ini, "[S]\nK=1\n");
    EXPECT_FALSE(WriteProfileString(ini, "S", "K", "1\n[Evil]\nX=2"));
    EXPECT_FALSE(WriteProfileString(ini, "S]", "K", "1"));
    EXPECT_FALSE(WriteProfileString(ini, "S", "K=", "1"));
    EXPECT_FALSE(WriteProfileString(ini, "S", "", "1"));
    EXPECT_EQ(ReadAll(ini), "[S]\nK=1\n");
}

TEST(ProfileFile, FailedWriteLeavesTheOldFile) {
    TempFolder dir;
    EXPECT_FALSE(WriteProfileString(dir.File("missing/a.ini"), "S", "K", "1"));
    EXPECT_FALSE(fs::exists(dir.Path() / "missing"));

    WriteAll(dir.File("plain"), "not a folder");
    EXPECT_FALSE(WriteProfileString(dir.File("plain/a.ini"), "S", "K", "1"));
    EXPECT_EQ(ReadAll(dir.File("plain")), "not a folder");

    const std::string readOnly = dir.File("ro.ini");
    WriteAll(readOnly, "[S]\nK=1\n");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(WriteProfileString(readOnly, "S", "K", "2"));
    EXPECT_EQ(ReadAll(readOnly), "[S]\nK=1\n");
}

TEST(ProfileFile, FailedWriteInAReadOnlyFolder) {
    TempFolder dir;
    if (settings_test::PermissionsAreIgnored(dir))
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    const std::string ini = dir.File("a.ini");
    WriteAll(ini, "[S]\nK=1\n");
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteProfileString(ini, "S", "K", "2"));
    fs::permissions(dir.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadAll(ini), "[S]\nK=1\n");
}

TEST(ProfileFile, WritingThroughALinkKeepsTheLink) {
    TempFolder dir;
    WriteAll(dir.File("real.ini"), "[S]\nK=1\n");
    fs::create_symlink("real.ini", dir.Path() / "link.ini");
    ASSERT_TRUE(WriteProfileString(dir.File("link.ini"), "S", "K", "2"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.ini"));
    EXPECT_EQ(ReadAll(dir.File("real.ini")), "[S]\nK=2\n");
}

}  // namespace
}  // namespace settings
