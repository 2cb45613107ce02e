// The INI layer as Windows reads and writes it: values read and written in place, the rest of
// the file left alone, and a failed write that leaves the old file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fakes/FakePorts.h"
#include "fakes/FileText.h"
#include "settings/ProfileFile.h"

namespace settings {
namespace {

using fakes::ReadAll;
using fakes::WriteAll;
namespace fs = std::filesystem;

TEST(ProfileFile, WritesChangeOnlyTheWrittenKeysAndLeaveNoTemporaryFile) {
    const std::string sample =
        "; Sirenwatch settings\n# hand-edited\n\n[Other]\nColour=blue\n\n[SetUp]\nVersion=1.11\n"
        "CircleColor=255\n; the unit: 1 km, 2 miles\nUnit=1\n\n; last one\n[Tail]\nLeft=120\n";
    fakes::TempDir dir;
    const std::string ini = dir.File("Sirenwatch.ini");
    WriteAll(ini, sample);
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "CircleColor", "99"));
    ASSERT_TRUE(WriteProfileString(ini, "tail", "LEFT", "1099"));
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "Language", "2"));
    std::string expected = sample;
    expected.replace(expected.find("CircleColor=255"), 15, "CircleColor=99");
    expected.replace(expected.find("Left=120"), 8, "Left=1099");
    expected.insert(expected.find("Unit=1\n") + 7, "Language=2\n");  // after the section's last key
    EXPECT_EQ(ReadAll(ini), expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
        << "no temporary file may stay behind";
}

TEST(ProfileFile, NewFilesTakeTheSystemsLineEndAndOldFilesKeepTheirs) {
#ifdef _WIN32
    const std::string nl = "\r\n";
#else
    const std::string nl = "\n";
#endif
    fakes::TempDir dir;
    const std::string ini = dir.File("a.ini");
    ASSERT_TRUE(WriteProfileString(ini, "Setup", "CircleWidth", "5"));
    ASSERT_TRUE(WriteProfileString(ini, "SETUP", "FillType", "7"));
    EXPECT_EQ(ReadAll(ini), "[Setup]" + nl + "CircleWidth=5" + nl + "FillType=7" + nl)
        << "a new section takes the caller's spelling";

    WriteAll(ini, "[SetUp]\r\nUnit=1\r\n[Other]\r\nX=1");  // the last line has no end
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "Unit", "2"));
    ASSERT_TRUE(WriteProfileString(ini, "Other", "Y", "3"));
    ASSERT_TRUE(WriteProfileString(ini, "New", "Z", "4"));
    EXPECT_EQ(ReadAll(ini), "[SetUp]\r\nUnit=2\r\n[Other]\r\nX=1\r\nY=3\r\n[New]\r\nZ=4\r\n");
}

// Reads trim blanks and one pair of quotes, find only their own section's keys, and know keys
// above the first section.
TEST(ProfileFile, ReadsTrimAndFindOnlyTheirOwnSection) {
    fakes::TempDir dir;
    const std::string ini = dir.File("a.ini");
    EXPECT_EQ(ReadProfileString(ini, "S", "Key"), "") << "no file";
    const std::string sections = "[s]\nUnit=1\n[Other]\nKey=3\n";
    const std::string headers =
        "\xEF\xBB\xBFTop=above\n#Key=hash\n[S]]\nKey=bracket\n[T]\n#Key=t\n[AZ]\nZa=1\n";
    const struct {
        std::string file;
        const char *section, *key, *value;
    } reads[] = {
        {"[S]\r\n  Key  =  value \t\r\n", "S", "Key", "value"},
        {"[S]\r\nKey=\" padded \"\r\n", "S", "Key", " padded "},
        {"[S]\r\nKey=\"\r\n", "S", "Key", "\""},
        {"[S]\r\nKey=\"\"\r\n", "S", "Key", ""},
        {"[S]\r\nKey='single'\r\n", "S", "Key", "single"},
        {"[S]\r\nKey='mixed\"\r\n", "S", "Key", "'mixed\""},
        {"[S]\r\nKey=a=b\r\n", "S", "Key", "a=b"},
        {"[S]\r\n;Key=commented\r\n", "S", "Key", ""},
        {"[S]\r\nKeys=other\r\n", "S", "Key", ""},
        {sections, "S", "UNIT", "1"},
        {sections, "S", "Key", ""},  // a key of another section
        {sections, "Nothing", "Unit", ""},
        {headers, "", "Top", "above"},      // above the first header, behind a byte-order mark
        {headers, "", "#Key", "hash"},      // "#" starts a key, not a comment
        {headers, "", "Key", ""},           // ... so there is no key "Key" above the first header
        {headers, "S]", "Key", "bracket"},  // the name runs to the header's last "]"
        {headers, "S", "Key", ""},          // ... so there is no section "S"
        {headers, "T", "#key", "t"},        // "#" keys match without case like any other
        {headers, "az", "zA", "1"},         // from A to Z
    };
    for (const auto& r : reads) {
        WriteAll(ini, r.file);
        EXPECT_EQ(ReadProfileString(ini, r.section, r.key), r.value)
            << r.file << " " << r.section << "/" << r.key;
    }
}

TEST(ProfileFile, LongValueIsCutToTheBufferByCharacters) {
    fakes::TempDir dir;
    const std::string ini = dir.File("a.ini");
    std::string accented;
    for (int i = 0; i < 300; ++i) accented += "à";
    ASSERT_TRUE(WriteProfileString(ini, "SetUp", "MessageType", accented));
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "MessageType"), accented.substr(0, 254 * 2))
        << "cut by characters, never inside one";
    EXPECT_EQ(ReadProfileString(ini, "SetUp", "MessageType", 11), accented.substr(0, 10 * 2));
}

TEST(ProfileFile, ValuesWithEdgeBlanksOrQuotesReadBackUnchanged) {
    fakes::TempDir dir;
    const std::string ini = dir.File("a.ini");
    for (const std::string value :
         {" lead", "trail ", "\"quoted\"", "in \"mid\" dle", "", "'single'", "\"mixed'"}) {
        ASSERT_TRUE(WriteProfileString(ini, "S", "K", value));
        EXPECT_EQ(ReadProfileString(ini, "S", "K"), value);
    }
}

TEST(ProfileFile, RefusesTextThatWouldBreakTheFile) {
    fakes::TempDir dir;
    const std::string ini = dir.File("a.ini");
    WriteAll(ini, "[S]\nK=1\n");
    EXPECT_FALSE(WriteProfileString(ini, "S", "K", "1\n[Evil]\nX=2"));
    EXPECT_FALSE(WriteProfileString(ini, "", "K", "1"));
    EXPECT_FALSE(WriteProfileString(ini, "S", ";K", "1"));
    EXPECT_FALSE(WriteProfileString(ini, "S", "K=", "1"));
    EXPECT_FALSE(WriteProfileString(ini, "S", "", "1"));
    EXPECT_EQ(ReadAll(ini), "[S]\nK=1\n");
}

// A write that fails leaves what was there: no file, another file in the way, a file marked
// read-only, or a folder that takes no new file (here: no room in a name for the temporary
// file the write goes through, which stops even the administrator).
TEST(ProfileFile, FailedWriteLeavesTheOldFile) {
    fakes::TempDir dir;
    const std::string longName = dir.File(std::string(250, 'n') + ".ini");
    const struct {
        std::string file, before, what;  // `what` is the path that must stay as it was
    } cases[] = {{dir.File("missing/a.ini"), "", dir.File("missing")},
                 {dir.File("plain/a.ini"), "not a folder", dir.File("plain")},
                 {dir.File("ro.ini"), "[S]\nK=1\n", dir.File("ro.ini")},
                 {longName, "[S]\nK=1\n", longName}};
    for (const auto& c : cases) {
        if (!c.before.empty()) WriteAll(c.what, c.before);
        if (c.what == dir.File("ro.ini")) fs::permissions(c.what, fs::perms::owner_read);
        EXPECT_FALSE(WriteProfileString(c.file, "S", "K", "2")) << c.file;
        EXPECT_EQ(fs::exists(c.what), !c.before.empty()) << c.file;
        EXPECT_EQ(ReadAll(c.what), c.before) << c.file;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3)
        << "no temporary file may stay behind";
}

TEST(ProfileFile, WritingThroughALinkKeepsTheLink) {
    fakes::TempDir dir;
    WriteAll(dir.File("real.ini"), "[S]\nK=1\n");
    fs::create_symlink("real.ini", dir.File("link.ini"));
    ASSERT_TRUE(WriteProfileString(dir.File("link.ini"), "S", "K", "2"));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(ReadAll(dir.File("real.ini")), "[S]\nK=2\n");
}

}  // namespace
}  // namespace settings
