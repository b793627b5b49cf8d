// Finding a resource: override files beside the program win and are used as
// they are; library resources are packed scrambled and come back descrambled.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "core/Util.h"
#include "platform/PePacker.h"
#include "platform/PeResources.h"
#include "platform/Resources.h"
#include "tests/support/HostileFiles.h"

namespace fs = std::filesystem;

namespace {

class ResourceLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Dir = fs::temp_directory_path() /
                ("mz_resource_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_Dir);
        fs::create_directories(m_Dir);
        SetProgramDir(m_Dir.string());
        SetResourceMessageSink(&ResourceLookup::Capture);
        s_Messages.clear();
    }
    void TearDown() override
    {
        CloseResourceLibrary();
        SetResourceMessageSink(nullptr);
        SetProgramDir("");
        fs::remove_all(m_Dir);
    }

    void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }

    // Packs the folder "pack" under the test folder into "data.dll" there.
    void PackAndOpen()
    {
        std::vector<uint8_t> dll;
        std::string error;
        ASSERT_TRUE(PackResourceFolder((m_Dir / "pack").string(), &dll, &error)) << error;
        WriteFile(m_Dir / "data.dll", dll);
        std::string message;
        ASSERT_TRUE(OpenResourceLibrary(&message)) << message;
    }

    static void Capture(const char* text) { s_Messages.push_back(text); }

    fs::path m_Dir;
    static std::vector<std::string> s_Messages;
};

std::vector<std::string> ResourceLookup::s_Messages;

std::vector<uint8_t> Pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 37);
    return v;
}

TEST_F(ResourceLookup, OverridePathIsTypeFolderAndNumberBesideTheProgram)
{
    EXPECT_EQ(GetOverridePath("#7", "TEXTURE", ".png"), GetProgramDir() + "TEXTURE/7.png");
    EXPECT_EQ(GetOverridePath("#109", "BGM", ".ogg"), GetProgramDir() + "BGM/109.ogg");
    EXPECT_EQ(GetOverridePath("#101", "MODEL", ".x"), GetProgramDir() + "MODEL/101.x");
}

TEST_F(ResourceLookup, LibraryResourcesArePackedScrambledAndReadBackExactly)
{
    // Sizes around the word boundary: the 1-3 byte tail is scrambled apart.
    const size_t sizes[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 40, 41, 4099};
    for (size_t i = 0; i < std::size(sizes); ++i)
        WriteFile(m_Dir / "pack" / "SE" / (std::to_string(100 + i) + ".ogg"), Pattern(sizes[i], uint8_t(i)));
    PackAndOpen();

    const CPeResourceFile* lib = GetResourceLibrary();
    ASSERT_NE(lib, nullptr);
    for (size_t i = 0; i < std::size(sizes); ++i) {
        std::string name = "#" + std::to_string(100 + i);
        std::vector<uint8_t> original = Pattern(sizes[i], uint8_t(i));
        const CPeResourceFile::Entry* e = lib->Find("SE", name.c_str());
        ASSERT_NE(e, nullptr) << name;
        ASSERT_EQ(e->nSize, sizes[i]);
        if (sizes[i] >= 4) {
            std::vector<uint8_t> stored(e->nSize);
            ASSERT_TRUE(lib->Read(*e, stored.data()));
            EXPECT_NE(stored, original) << "stored in the clear: " << name;
        }
        std::vector<uint8_t> out;
        EXPECT_EQ(LoadResourceBytes(name.c_str(), "SE", ".ogg", out), RESOURCE_LIBRARY) << name;
        EXPECT_EQ(out, original) << name;
    }
    EXPECT_TRUE(s_Messages.empty());
}

// The library's resources are read from the file when they are wanted: one
// replaced or cut short while the game runs loses the resources it no longer
// holds, and nothing crashes.
TEST_F(ResourceLookup, ALibraryCutShortWhileOpenLosesOnlyWhatIsGone)
{
    WriteFile(m_Dir / "pack" / "SE" / "100.ogg", Pattern(300, 1));
    WriteFile(m_Dir / "pack" / "SE" / "101.ogg", Pattern(70000, 2));
    PackAndOpen();
    const CPeResourceFile::Entry* big = GetResourceLibrary()->Find("SE", "#101");
    ASSERT_NE(big, nullptr);
    fs::resize_file(m_Dir / "data.dll", big->nOffset + 100);
    std::vector<uint8_t> out;
    EXPECT_EQ(LoadResourceBytes("#101", "SE", ".ogg", out), RESOURCE_MISSING);
    EXPECT_TRUE(out.empty());
    const CPeResourceFile::Entry* small = GetResourceLibrary()->Find("SE", "#100");
    ASSERT_NE(small, nullptr);
    ASSERT_LE(small->nOffset + small->nSize, big->nOffset) << "packed in number order";
    EXPECT_EQ(LoadResourceBytes("#100", "SE", ".ogg", out), RESOURCE_LIBRARY);
    EXPECT_EQ(out, Pattern(300, 1));
}

TEST_F(ResourceLookup, OverrideFileWinsAndIsNotDescrambled)
{
    const std::vector<uint8_t> packed = Pattern(64, 1);
    const std::vector<uint8_t> loose = Pattern(50, 9);
    WriteFile(m_Dir / "pack" / "TEXTURE" / "7.png", packed);
    WriteFile(m_Dir / "pack" / "TEXTUREM" / "7.png", packed);
    PackAndOpen();

    std::vector<uint8_t> out;
    EXPECT_EQ(LoadResourceBytes("#7", "TEXTURE", ".png", out), RESOURCE_LIBRARY);
    EXPECT_EQ(out, packed);

    WriteFile(m_Dir / "TEXTURE" / "7.png", loose);
    std::string path;
    EXPECT_EQ(LoadResourceBytes("#7", "TEXTURE", ".png", out, &path), RESOURCE_OVERRIDE);
    EXPECT_EQ(out, loose);
    EXPECT_EQ(path, (m_Dir / "TEXTURE" / "7.png").string());

    // Mesh textures have no override files: a loose one is ignored.
    WriteFile(m_Dir / "TEXTUREM" / "7.png", loose);
    EXPECT_EQ(LoadResourceBytes("#7", "TEXTUREM", nullptr, out), RESOURCE_LIBRARY);
    EXPECT_EQ(out, packed);

    // An override works without any library at all.
    CloseResourceLibrary();
    EXPECT_EQ(LoadResourceBytes("#7", "TEXTURE", ".png", out), RESOURCE_OVERRIDE);
    EXPECT_EQ(out, loose);
    EXPECT_EQ(LoadResourceBytes("#7", "TEXTUREM", nullptr, out), RESOURCE_MISSING);
    EXPECT_TRUE(out.empty());
}

// A folder, pipe or device with an override's name is no override: the
// library's copy serves (and nothing waits on a pipe). An override file that is
// too large counts as missing rather than being read.
TEST_F(ResourceLookup, AnOverrideThatIsNoRegularFileFallsBackToTheLibrary)
{
    const std::vector<uint8_t> packed = Pattern(64, 1);
    for (const char* n : {"1", "2", "3", "4"}) WriteFile(m_Dir / "pack" / "TEXTURE" / (std::string(n) + ".png"), packed);
    PackAndOpen();
    fs::create_directories(m_Dir / "TEXTURE" / "1.png");
    ASSERT_EQ(::mkfifo((m_Dir / "TEXTURE" / "2.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", m_Dir / "TEXTURE" / "3.png");
    {
        std::ofstream big(m_Dir / "TEXTURE" / "4.png", std::ios::binary);
        big.seekp(static_cast<std::streamoff>(kMaxOverrideFileBytes));
        big.put('x');
    }
    std::vector<std::string> warnings;
    {
        CaptureFileWarnings capture(&warnings);
        Watchdog watchdog(10);  // a read that blocks or never ends ends the test instead
        std::vector<uint8_t> out;
        for (const char* name : {"#1", "#2", "#3"}) {
            EXPECT_EQ(LoadResourceBytes(name, "TEXTURE", ".png", out), RESOURCE_LIBRARY) << name;
            EXPECT_EQ(out, packed) << name;
        }
        EXPECT_EQ(LoadResourceBytes("#4", "TEXTURE", ".png", out), RESOURCE_MISSING);
        EXPECT_TRUE(out.empty());
    }
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_NE(warnings[0].find("1.png\" is not a file"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[3].find("is larger than"), std::string::npos) << warnings[3];
}

TEST_F(ResourceLookup, MissingResourceIsReportedWithTypeThenName)
{
    PackAndOpen();  // an empty library
    std::vector<uint8_t> out = {1, 2, 3};
    EXPECT_EQ(LoadResourceBytes("#999", "TEXTURE", ".png", out), RESOURCE_MISSING);
    EXPECT_TRUE(out.empty());
    ReportUndefinedResource("TEXTURE", "#999");
    ASSERT_EQ(s_Messages.size(), 1u);
    EXPECT_EQ(s_Messages[0], "Undefined Resource TEXTURE #999");
}

TEST_F(ResourceLookup, MissingLibraryNamesTheFileAndTheFolder)
{
    std::string message;
    EXPECT_FALSE(OpenResourceLibrary(&message));
    EXPECT_FALSE(IsResourceLibraryOpen());
    EXPECT_NE(message.find("data.dll"), std::string::npos) << message;
    EXPECT_NE(message.find(GetProgramDir()), std::string::npos) << message;

    // A file that is there but is no library is refused the same way.
    WriteFile(m_Dir / "data.dll", Pattern(300, 3));
    message.clear();
    EXPECT_FALSE(OpenResourceLibrary(&message));
    EXPECT_NE(message.find("data.dll"), std::string::npos) << message;
}

TEST_F(ResourceLookup, TheLibraryIsTakenFromTheFirstFolderThatHasIt)
{
    const std::string a = (m_Dir / "game").string() + "/", b = (m_Dir / "share").string() + "/";
    fs::create_directories(a);
    std::vector<uint8_t> dll;
    std::string error;
    WriteFile(m_Dir / "pack" / "TEXTURE" / "7.png", Pattern(10, 1));
    ASSERT_TRUE(PackResourceFolder((m_Dir / "pack").string(), &dll, &error)) << error;
    WriteFile(b + "data.dll", dll);

    // Not in the game's folder: the installed one serves.
    std::string message;
    ASSERT_TRUE(OpenResourceLibraryFrom({a, b}, &message)) << message;
    EXPECT_EQ(GetResourceLibraryPath(), b + "data.dll");
    CloseResourceLibrary();
    EXPECT_EQ(GetResourceLibraryPath(), "");

    // A damaged copy in the game's folder is the one the player put there:
    // it is named, not passed over.
    WriteFile(a + "data.dll", Pattern(300, 3));
    EXPECT_FALSE(OpenResourceLibraryFrom({a, b}, &message));
    EXPECT_NE(message.find("folder \"" + a + "\":"), std::string::npos) << message;

    // In none of them: each folder searched is named.
    fs::remove(a + "data.dll");
    fs::remove(b + "data.dll");
    EXPECT_FALSE(OpenResourceLibraryFrom({a, b}, &message));
    EXPECT_NE(message.find("\"data.dll\" could not be loaded from the folder \"" + a + "\" (nor from \"" + b +
                           "\"): the file does not exist."),
              std::string::npos)
        << message;
}

TEST_F(ResourceLookup, PackerRefusesMisnamedFilesAndKeepsIdOrder)
{
    WriteFile(m_Dir / "pack" / "MODEL" / "120.x", Pattern(5, 0));
    WriteFile(m_Dir / "pack" / "MODEL" / "101.x", Pattern(5, 1));
    WriteFile(m_Dir / "pack" / "MODEL" / "7.x", Pattern(5, 2));
    std::vector<PeResourceItem> items;
    std::string error;
    ASSERT_TRUE(CollectResourceFolder((m_Dir / "pack").string(), &items, &error)) << error;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].nId, 7);
    EXPECT_EQ(items[1].nId, 101);
    EXPECT_EQ(items[2].nId, 120);

    for (const char* bad : {"craft.x", "101.png", "70000.x", "12a.x"}) {
        fs::path p = m_Dir / "pack" / "MODEL" / bad;
        WriteFile(p, Pattern(5, 0));
        EXPECT_FALSE(CollectResourceFolder((m_Dir / "pack").string(), &items, &error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
        fs::remove(p);
    }
}

} // namespace
