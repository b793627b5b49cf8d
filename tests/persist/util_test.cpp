#include "tests/support/HostileFiles.h"
#include "tests/support/TempHome.h"

#include "core/Util.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <iterator>

#include <sys/stat.h>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(Md5Hex, MatchesTheRfc1321TestSuite)
{
    const struct {
        const char* text;
        const char* digest;
    } kCases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890"
         "1234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Md5Hex(c.text), c.digest) << '"' << c.text << '"';
}

TEST(ParseDecimal, ReadsADecimalPrefixLikeTheCLibrary)
{
    const struct {
        const char* text;
        std::int32_t value;
    } kCases[] = {
        {"", 0},           {"abc", 0},          {"12abc", 12},          {"  -7", -7},
        {"+5", 5},         {"\t42\n", 42},      {"1 2", 1},             {"- 3", 0},
        {"2147483647", INT32_MAX},              {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},             {"-99999999999999999999", INT32_MIN},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(ParseDecimal(c.text), c.value) << '"' << c.text << '"';
}

using Paths = TempHome;

TEST_F(Paths, RelativeNamesResolveAgainstTheProgramFolder)
{
    EXPECT_EQ(GetProgramDir(), Dir());
    EXPECT_EQ(ResolvePath("replay/_tmp.dat"), Dir() + "replay/_tmp.dat");
    EXPECT_EQ(ResolvePath("/etc/x"), "/etc/x");
    EXPECT_EQ(ResolvePath("C:/game/x"), "C:/game/x");
    EXPECT_EQ(ResolvePath("a"), Dir() + "a");

    SetProgramDir(Dir() + "sub");  // a trailing separator is added
    EXPECT_EQ(GetProgramDir(), Dir() + "sub/");
}

TEST_F(Paths, FileExistsAndReadWholeFile)
{
    std::vector<std::uint8_t> bytes{1, 2, 3};
    EXPECT_FALSE(FileExists("missing.bin"));
    EXPECT_FALSE(ReadWholeFile("missing.bin", bytes));
    EXPECT_TRUE(bytes.empty());

    std::string data("a\0b\r\n\xff", 6);
    WriteFile("TEXTURE/7.png", data);
    EXPECT_TRUE(FileExists("TEXTURE/7.png"));
    EXPECT_TRUE(FileExists(PathOf("TEXTURE/7.png")));
    ASSERT_TRUE(ReadWholeFile("TEXTURE/7.png", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), data);
}

TEST_F(Paths, WriteLogCreatesItsFolderEmptiesOnNullAndAppends)
{
    ASSERT_TRUE(WriteLog("log/dinput.txt", nullptr));
    EXPECT_EQ(ReadFile("log/dinput.txt"), "");
    ASSERT_TRUE(WriteLog("log/dinput.txt", "Loading Bind Datas.\n"));
    ASSERT_TRUE(WriteLog("log/dinput.txt", " -> Finished.\n"));
    EXPECT_EQ(ReadFile("log/dinput.txt"), "Loading Bind Datas.\n -> Finished.\n");
    ASSERT_TRUE(WriteLog("log/dinput.txt", nullptr));
    EXPECT_EQ(ReadFile("log/dinput.txt"), "");

    WriteFile("blocker", "a file, not a folder");
    EXPECT_FALSE(WriteLog("blocker/d3d9.txt", "x"));
}

TEST_F(Paths, WriteFileAtomicReplacesTheWholeFile)
{
    WriteFile("data.bin", "old contents, longer than the new ones");
    ASSERT_TRUE(WriteFileAtomic("data.bin", "new", 3));
    EXPECT_EQ(ReadFile("data.bin"), "new");
    ASSERT_TRUE(WriteFileAtomic("empty.bin", "", 0));
    EXPECT_TRUE(Exists("empty.bin"));
    EXPECT_EQ(ReadFile("empty.bin"), "");

    WriteFile("blocker", "x");
    EXPECT_FALSE(WriteFileAtomic("blocker/data.bin", "abc", 3));
    EXPECT_FALSE(WriteFileAtomic("no-such-folder/data.bin", "abc", 3));
}

TEST(MakeTimestamp, FormatsLocalTime)
{
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    EXPECT_EQ(MakeTimestamp(0), "19700101000000");
    EXPECT_EQ(MakeTimestamp(1700000000), "20231114221320");
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    EXPECT_EQ(MakeTimestamp(1700000000), "20231115071320");
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(MakeTimestamp().size(), 14u);
}

TEST(Scrambler, TableComesFromTheKeyDigestGroups)
{
    // MD5("abc") = 900150983cd24fb0d6963f7d28e17f72
    const std::uint8_t key[] = {'a', 'b', 'c'};
    std::uint32_t t[10];
    MakeScrambleTable(key, sizeof key, t);
    const std::uint32_t expected[10] = {0x90015098, 0x3cd24fb0, 0xd6963f7d, 0x28e17f72,
                                        0x0150983c, 0xd24fb0d6, 0x963f7d28,
                                        0x0150983c, 0xd24fb0d6, 0x963f7d28};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(t[i], expected[i]) << "T[" << i << "]";
}

TEST(Scrambler, RunningSumOnWordsAndTheTableWordAloneOnTheTail)
{
    // T[i] = 0x01010101 * (i + 1); k starts at size mod 10, s at size.
    std::uint32_t t[10];
    for (std::uint32_t i = 0; i < 10; ++i)
        t[i] = 0x01010101u * (i + 1);
    const struct {
        std::vector<std::uint8_t> in;
        std::vector<std::uint8_t> out;
    } kCases[] = {
        // size 6: k = 6, s = 6 + T[6] = 0x0707070D; tail 2 bytes with T[7].
        {{0, 0, 0, 0, 0, 0}, {0x0D, 0x07, 0x07, 0x07, 0x08, 0x08}},
        // size 13: k = 3; s = 0x04040411, 0x09090916, 0x0F0F0F1C; tail with T[6].
        {std::vector<std::uint8_t>(13, 0),
         {0x11, 4, 4, 4, 0x16, 9, 9, 9, 0x1C, 0x0F, 0x0F, 0x0F, 0x07}},
        // size 9: k = 9 wraps to 0; s = 0x0A0A0A13, 0x0B0B0B14; tail with T[1].
        {std::vector<std::uint8_t>(9, 0), {0x13, 0x0A, 0x0A, 0x0A, 0x14, 0x0B, 0x0B, 0x0B, 0x02}},
        // size 5 of 0xFF: the input is XORed in.
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0xF4, 0xF9, 0xF9, 0xF9, 0xF8}},
        // size 3: no whole word, the tail alone with T[3].
        {{0x10, 0x20, 0x30}, {0x14, 0x24, 0x34}},
        // size 8: k = 8; s = 8 + T[8] = 0x09090911, then + T[9] = 0x1313131B.
        {std::vector<std::uint8_t>(8, 0), {0x11, 9, 9, 9, 0x1B, 0x13, 0x13, 0x13}},
    };
    for (const auto& c : kCases) {
        std::vector<std::uint8_t> out(c.in.size(), 0xAA);
        ScrambleWithTable(t, out.data(), c.in.data(), c.in.size());
        EXPECT_EQ(out, c.out) << "size " << c.in.size();
    }
}

TEST(Scrambler, DescrambleInvertsScrambleForEverySize)
{
    std::mt19937 gen(7);
    for (std::size_t size = 0; size <= 67; ++size) {
        std::vector<std::uint8_t> plain(size);
        for (auto& b : plain)
            b = static_cast<std::uint8_t>(gen());
        std::vector<std::uint8_t> packed(size), back(size);
        ScrambleResource(packed.data(), plain.data(), size);
        if (size >= 4) {
            EXPECT_NE(packed, plain) << size;
        }
        DescrambleResource(back.data(), packed.data(), size);
        EXPECT_EQ(back, plain) << size;
        // In place, as a loader may do it.
        DescrambleResource(packed.data(), packed.data(), size);
        EXPECT_EQ(packed, plain) << size;
    }
}

}  // namespace

namespace {

using Files = TempHome;

// Only a regular file is read, and only up to the bound of its kind: a pipe
// would block the game for ever, a device such as /dev/zero never ends.
TEST_F(Files, OnlyRegularFilesWithinTheirBoundAreRead)
{
    WriteFile("plain", "abc");
    WriteFile("four", "abcd");
    std::filesystem::create_symlink("plain", PathOf("link"));
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(PathOf("fifo"), PathOf("link-to-fifo"));
    std::filesystem::create_symlink("/dev/zero", PathOf("zero"));
    std::filesystem::create_directories(PathOf("folder"));
    const char* const kNotRegular = "is not a regular file (a pipe, device or socket)";
    const struct {
        const char* name;
        EReadResult result;
        const char* bytes;
        const char* fault;   // the words a message gives after the file's name
    } kCases[] = {
        {"plain", EReadResult::Ok, "abc", ""},
        {"link", EReadResult::Ok, "abc", ""},
        {"four", EReadResult::TooLarge, "", "is larger than 3 bytes"},
        {"missing", EReadResult::Missing, "", "does not exist"},
        {"plain/below", EReadResult::Missing, "", "does not exist"},
        {"fifo", EReadResult::NotAFile, "", kNotRegular},
        {"link-to-fifo", EReadResult::NotAFile, "", kNotRegular},
        {"zero", EReadResult::NotAFile, "", kNotRegular},
        {"/dev/zero", EReadResult::NotAFile, "", kNotRegular},
        {"folder", EReadResult::NotAFile, "", "is a folder"},
    };
    Watchdog watchdog(10);
    for (const auto& c : kCases) {
        std::vector<std::uint8_t> out{9};
        const EReadResult result = ReadRegularFile(c.name, out, 3);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(std::string(out.begin(), out.end()), c.bytes) << c.name;
        if (result != EReadResult::Ok) {
            EXPECT_EQ(ReadFaultText(c.name, result, 3), c.fault) << c.name;
        }
    }
    // A read the system refuses gives the system's reason.
    const std::string tooLong(300, 'x');
    std::vector<std::uint8_t> out;
    ASSERT_EQ(ReadRegularFile(tooLong, out, 3), EReadResult::Failed);
    EXPECT_EQ(ReadFaultText(tooLong, EReadResult::Failed, 3), std::string("cannot be read: ") + std::strerror(ENAMETOOLONG));
    EXPECT_EQ(QuotedPath("folder"), "\"" + PathOf("folder") + "\"");
    EXPECT_EQ(QuotedPath("/a\nb"), "\"/a\\nb\"") << "escaped to one line";
    std::vector<std::uint8_t> head;
    EXPECT_EQ(ReadRegularFileHead("four", head, 2), EReadResult::Ok);
    EXPECT_EQ(std::string(head.begin(), head.end()), "ab");
    EXPECT_EQ(ReadRegularFileHead("fifo", head, 2), EReadResult::NotAFile);
    EXPECT_EQ(ReadResultText(EReadResult::NotAFile, 3), "is not a file");
    EXPECT_EQ(ReadResultText(EReadResult::TooLarge, 3), "is larger than 3 bytes");
}

// Whether a file can be written is told by looking only: nothing is made,
// emptied or changed, a link is followed, a pipe never waited on.
TEST_F(Files, WriteFaultsAreToldWithoutTouchingAnything)
{
    WriteFile("plain", "kept");
    std::filesystem::create_directories(PathOf("folder"));
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("folder", PathOf("link-to-folder"));
    std::filesystem::create_symlink("folder/new.wav", PathOf("dangling"));
    const struct {
        const char* name;
        std::string fault;
    } kCases[] = {
        {"plain", ""},
        {"new.wav", ""},
        {"folder/new.wav", ""},
        {"dangling", ""},
        {"folder", "is a folder"},
        {"link-to-folder", "is a folder"},
        {"fifo", "is not a regular file (a pipe, device or socket)"},
        {"/dev/null", "is not a regular file (a pipe, device or socket)"},
        {"missing/new.wav", "cannot be written: its folder \"" + PathOf("missing/") + "\" does not exist"},
        {"plain/new.wav", std::string("cannot be written: ") + std::strerror(ENOTDIR)},
    };
    Watchdog watchdog(10);
    for (const auto& c : kCases) EXPECT_EQ(WriteFaultText(c.name), c.fault) << c.name;
    EXPECT_EQ(ReadFile("plain"), "kept");
    for (const char* name : {"new.wav", "folder/new.wav", "missing"}) EXPECT_FALSE(Exists(name)) << name;
}

// A symbolic link in a saved file's place stays a link and its target gets the
// new contents (a plain file put in the link's place would leave the target,
// which other programs read, with the old ones).
TEST_F(Files, SavesWriteThroughSymbolicLinksToTheirTarget)
{
    std::filesystem::create_directories(PathOf("real"));
    WriteFile("real/records.ini", "old");
    std::filesystem::create_symlink("real/records.ini", PathOf("relative"));
    std::filesystem::create_symlink(PathOf("relative"), PathOf("chain"));
    std::filesystem::create_symlink("real/new.ini", PathOf("dangling"));
    std::filesystem::create_symlink("loop2", PathOf("loop1"));
    std::filesystem::create_symlink("loop1", PathOf("loop2"));

    EXPECT_EQ(WriteTarget("chain"), PathOf("real/records.ini"));
    ASSERT_TRUE(WriteFileAtomic("relative", "one", 3));
    EXPECT_EQ(ReadFile("real/records.ini"), "one");
    ASSERT_TRUE(WriteFileAtomic("chain", "two", 3));
    EXPECT_EQ(ReadFile("real/records.ini"), "two");
    ASSERT_TRUE(WriteFileAtomic("dangling", "new", 3));
    EXPECT_EQ(ReadFile("real/new.ini"), "new");
    EXPECT_FALSE(WriteFileAtomic("loop1", "x", 1));
    for (const char* link : {"relative", "chain", "dangling", "loop1"})
        EXPECT_TRUE(std::filesystem::is_symlink(PathOf(link))) << link;
    // Nothing but the targets was written: no temporary file is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PathOf("real")),
                            std::filesystem::directory_iterator()), 2);
}

// A folder, pipe or device where a file is saved is never replaced by it.
TEST_F(Files, SavesNeverReplaceWhatIsNotARegularFile)
{
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(PathOf("fifo"), PathOf("link-to-fifo"));
    std::filesystem::create_directories(PathOf("folder"));
    for (const char* name : {"fifo", "link-to-fifo", "folder"})
        EXPECT_FALSE(WriteFileAtomic(name, "x", 1)) << name;
    struct stat st;
    ASSERT_EQ(::stat(PathOf("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("link-to-fifo")));
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("folder")));
}

TEST_F(Files, WarningsAreGivenOncePerText)
{
    std::vector<std::string> warnings;
    CaptureFileWarnings capture(&warnings);
    WarnAboutFile("a");
    WarnAboutFile("b");
    WarnAboutFile("a");
    EXPECT_EQ(warnings, (std::vector<std::string>{"a", "b"}));
}

} // namespace
