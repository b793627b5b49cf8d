#include "tests/support/HostileFiles.h"
#include "tests/support/TempHome.h"

#include "persist/SettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <utime.h>

namespace {

using SettingsFile = TempHome;

TEST_F(SettingsFile, ReadsLinesAsTheFormatSays)
{
    const std::string k1500(1500, 'x');
    const std::string overflow = "long," + std::string(1018, 'a') + "z,tail\n";  // 1023 + 7 bytes
    const struct {
        const char* what;
        std::string file;
        std::string key;
        std::optional<std::string> value;  // nullopt: the key is absent
    } kCases[] = {
        {"first occurrence wins", "windowmode,1\nwindowmode,0\n", "windowmode", "1"},
        {"a line without comma is ignored", "upkey 200\n", "upkey 200", std::nullopt},
        {"a line without comma gives no key", "upkey 200\n", "upkey", std::nullopt},
        {"only the first comma separates", "name,a,b\n", "name", "a,b"},
        {"no trimming of the value", "a, b\n", "a", " b"},
        {"no trimming of the key", " a ,b\n", " a ", "b"},
        {"last line without line feed", "x,1\nlast,value", "last", "value"},
        {"an empty key is a key", ",empty\n", "", "empty"},
        {"an empty value is a value", "k,\n", "k", ""},
        {"CR LF ends a line", "k,v\r\nm,w\r\n", "m", "w"},
        {"a lone CR is data", "k,v\rw\n", "k", "v\rw"},
        {"keys are case-sensitive", "Key,1\n", "key", std::nullopt},
        {"bytes pass unchanged", "scorename,\x83\x65\x83\x58\x83\x67\n", "scorename", "\x83\x65\x83\x58\x83\x67"},
        {"overlong value is cut to 767 bytes", "k," + k1500 + "\n", "k", std::string(767, 'x')},
        {"a long line is read in 1023-byte pieces", overflow, "z", "tail"},
        {"the first piece ends at 1023 bytes", overflow, "long", std::string(767, 'a')},
        {"overlong key is cut to 255 bytes", std::string(300, 'q') + ",v\n", std::string(255, 'q'), "v"},
        {"a byte-order mark is not part of the first key", "\xEF\xBB\xBFscorename,Alice\n", "scorename", "Alice"},
        {"only one byte-order mark is skipped", "\xEF\xBB\xBF\xEF\xBB\xBFk,v\n", "\xEF\xBB\xBFk", "v"},
        {"a byte-order mark elsewhere is data", "a,1\n\xEF\xBB\xBF" "b,2\n", "\xEF\xBB\xBF" "b", "2"},
    };
    for (const auto& c : kCases) {
        WriteFile("t.ini", c.file);
        CSettingsFile s("t.ini");
        std::string got = s.GetString(c.key, "<default>");
        EXPECT_EQ(got, c.value.value_or("<default>")) << c.what;
        EXPECT_EQ(s.Has(c.key), c.value.has_value()) << c.what;
    }
}

TEST_F(SettingsFile, RemainderOfAnOverlongLineWithoutCommaIsIgnored)
{
    WriteFile("t.ini", "k," + std::string(1500, 'x') + "\nnext,1\n");
    CSettingsFile s("t.ini");
    std::map<std::string, std::string> expected{{"k", std::string(767, 'x')}, {"next", "1"}};
    EXPECT_EQ(s.GetEntries(), expected);
}

// What a file held besides keys and values is counted, so that a file that
// must hold nothing else can tell it was damaged.
TEST_F(SettingsFile, PiecesThatAreNoKeyAndValueAreCounted)
{
    const struct {
        std::string file;
        size_t unread;
    } kCases[] = {
        {"", 0},
        {"k,v\n\n\r\nm,w\n", 0},                          // empty lines are no damage
        {"k,v\nupkey 200\nm,w", 1},
        {"k,v\nlast", 1},
        {std::string("k,v\0junk\nm,w\n", 13), 1},           // cut short at the zero byte
        {std::string("\0\0\0\n", 4), 1},
        {"k," + std::string(1500, 'x') + "\n", 1},          // the rest of an overlong line
    };
    for (const auto& c : kCases) {
        WriteFile("t.ini", c.file);
        EXPECT_EQ(CSettingsFile("t.ini").GetUnreadPieces(), c.unread) << c.file.substr(0, 40);
    }
}

TEST_F(SettingsFile, MissingFileIsEmptyAndGivesDefaults)
{
    CSettingsFile s("nothing.ini");
    EXPECT_TRUE(s.GetEntries().empty());
    EXPECT_EQ(s.GetString("attack0key", "44"), "44");
    EXPECT_EQ(s.GetInt("attack0key", 44), 44);
}

TEST_F(SettingsFile, GetIntConvertsADecimalPrefixAndUsesTheDefaultForEmpty)
{
    WriteFile("t.ini", "a,200\nb,12abc\nc,abc\nd,\ne,-5\n");
    CSettingsFile s("t.ini");
    EXPECT_EQ(s.GetInt("a", 1), 200);
    EXPECT_EQ(s.GetInt("b", 1), 12);
    EXPECT_EQ(s.GetInt("c", 1), 0);
    EXPECT_EQ(s.GetInt("d", 1), 1);
    EXPECT_EQ(s.GetInt("e", 1), -5);
    EXPECT_EQ(s.GetInt("missing", 7), 7);
}

TEST_F(SettingsFile, GetStringIntoABufferCutsToFit)
{
    WriteFile("t.ini", "long,abcdef\nshort,xy\n");
    CSettingsFile s("t.ini");
    char buf[8];

    std::memset(buf, '#', sizeof buf);
    s.GetString("long", buf, 4, "d");
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(buf[4], '#');  // nothing written beyond the given size

    std::memset(buf, '#', sizeof buf);
    s.GetString("short", buf, sizeof buf, "default");
    EXPECT_STREQ(buf, "xy");

    s.GetString("missing", buf, sizeof buf, "a-longer-default");
    EXPECT_STREQ(buf, "a-longe");
}

TEST_F(SettingsFile, ReadOnlyUseLeavesTheFileUntouched)
{
    const std::string content = "zeta,1\nalpha,2\nalpha,3\nno comma here\n";
    WriteFile("t.ini", content);
    struct utimbuf old{1000000000, 1000000000};
    ASSERT_EQ(::utime(PathOf("t.ini").c_str(), &old), 0);
    {
        CSettingsFile s("t.ini");
        EXPECT_EQ(s.GetString("alpha"), "2");
        s.SetString("zeta", "1");  // the same value is no change
        EXPECT_FALSE(s.IsModified());
        EXPECT_TRUE(s.Save());
    }
    EXPECT_EQ(ReadFile("t.ini"), content);
    struct stat st;
    ASSERT_EQ(::stat(PathOf("t.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);
}

TEST_F(SettingsFile, CloseAfterAChangeRewritesEveryKeySortedByteWise)
{
    WriteFile("t.ini", "zeta,1\nalpha,2\nBeta,3\n\xE3\x81\x82,4\nalpha,5\njunk\n~,6\n,7\n");
    {
        CSettingsFile s("t.ini");
        s.SetString("alpha", "9");
        s.SetString("new", "a,b");
    }
    EXPECT_EQ(ReadFile("t.ini"), ",7\nBeta,3\nalpha,9\nnew,a,b\nzeta,1\n~,6\n\xE3\x81\x82,4\n");
}

TEST_F(SettingsFile, SaveCreatesTheFolderAndOnlyWritesOnce)
{
    CSettingsFile s("profile/korvoh.txt");
    s.SetInt("left", 120);
    s.SetInt("top", -4);
    EXPECT_TRUE(s.IsModified());
    ASSERT_TRUE(s.Save());
    EXPECT_FALSE(s.IsModified());
    EXPECT_EQ(ReadFile("profile/korvoh.txt"), "left,120\ntop,-4\n");
}

TEST_F(SettingsFile, FailedSaveKeepsTheOldFileAndReportsFailure)
{
    const std::string content = "scorename,pilot\nplaycount,3\n";
    WriteFile("critical.ini", content);
    auto s = std::make_unique<CSettingsFile>("critical.ini");
    s->SetString("big", std::string(4096, 'v'));
    {
        FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.Ok());
        EXPECT_FALSE(s->Save());
    }
    EXPECT_TRUE(s->IsModified());
    EXPECT_EQ(ReadFile("critical.ini"), content);
    // Nothing is left behind in the folder.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(Dir())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
    // Once writing works again the change is saved.
    EXPECT_TRUE(s->Save());
    EXPECT_EQ(ReadFile("critical.ini"),
              "big," + std::string(4096, 'v') + "\nplaycount,3\nscorename,pilot\n");
}

TEST_F(SettingsFile, SaveIntoAFolderThatIsAFileFails)
{
    WriteFile("profile", "not a folder");
    CSettingsFile s("profile/korvoh.txt");
    s.SetInt("left", 1);
    EXPECT_FALSE(s.Save());
    EXPECT_EQ(ReadFile("profile"), "not a folder");
}

TEST_F(SettingsFile, AbsoluteNamesAreUsedAsGiven)
{
    std::filesystem::create_directories(PathOf("elsewhere"));
    {
        CSettingsFile s(PathOf("elsewhere/a.ini"));
        s.SetString("k", "v");
    }
    EXPECT_EQ(ReadFile("elsewhere/a.ini"), "k,v\n");
}

// Something that is not a regular file in a settings file's place is neither
// read (a pipe would block, a device never end) nor replaced, and the player is
// told once.
TEST_F(SettingsFile, WhatIsNotARegularFileIsNeitherReadNorReplaced)
{
    std::vector<std::string> warnings;
    CaptureFileWarnings capture(&warnings);
    ASSERT_EQ(::mkfifo(PathOf("fifo.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", PathOf("zero.ini"));
    std::filesystem::create_directories(PathOf("folder.ini"));
    WriteFile("huge.ini", std::string(kMaxSettingsFileBytes + 1, 'x'));
    for (const char* name : {"fifo.ini", "zero.ini", "folder.ini", "huge.ini"}) {
        SCOPED_TRACE(name);
        Watchdog watchdog(10);  // a read that blocks or never ends fails here
        warnings.clear();
        {
            CSettingsFile s(name);
            EXPECT_FALSE(s.IsReadable());
            EXPECT_TRUE(s.GetEntries().empty());
            s.SetString("k", "v");
            EXPECT_FALSE(s.Save());
        }
        CSettingsFile again(name);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find(PathOf(name)), std::string::npos) << warnings[0];
    }
    struct stat st;
    ASSERT_EQ(::lstat(PathOf("fifo.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::lstat(PathOf("zero.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("folder.ini")));
    EXPECT_EQ(std::filesystem::file_size(PathOf("huge.ini")), kMaxSettingsFileBytes + 1);
}

}  // namespace
