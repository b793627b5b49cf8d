// The built library and asset files, checked by tools nobody here wrote: if
// these accept them, other programs that read PE images, .x meshes, Ogg Vorbis
// and PNG files will too.
#include <map>
#include <regex>

#include "assets_fixture.h"

using namespace assets;

namespace {

TEST(ExternalTools, ObjdumpSeesA32BitResourceOnlyDll)
{
    std::string out;
    ASSERT_EQ(RunCommand("objdump -p " + Quote(DataDll()), &out), 0) << out;
    EXPECT_NE(out.find("file format pei-i386"), std::string::npos) << out.substr(0, 400);
    EXPECT_NE(out.find("Characteristics 0x2102"), std::string::npos);
    EXPECT_NE(out.find("DLL"), std::string::npos);
    EXPECT_NE(out.find("(PE32)"), std::string::npos);
    EXPECT_NE(out.find("Resource Directory [.rsrc]"), std::string::npos);
}

TEST(ExternalTools, WrestoolListsEveryTypeAndEveryManifestId)
{
    std::string out;
    ASSERT_EQ(RunCommand("wrestool -l " + Quote(DataDll()), &out), 0) << out;
    // --type='SE' --name=1 --language=1033 [offset=0x10e8 size=4]
    std::regex line(R"(--type='([A-Z]+)' --name=(\d+) --language=\d+ \[offset=0x[0-9a-f]+ size=(\d+)\])");
    std::set<std::pair<std::string, int>> listed;
    std::map<std::pair<std::string, int>, long> sizes;
    std::istringstream in(out);
    std::string l;
    while (std::getline(in, l)) {
        std::smatch m;
        if (!std::regex_search(l, m, line)) continue;
        auto key = std::make_pair(m[1].str(), std::stoi(m[2].str()));
        listed.insert(key);
        sizes[key] = std::stol(m[3].str());
    }
    std::set<std::string> types;
    for (auto& k : listed) types.insert(k.first);
    EXPECT_EQ(types, (std::set<std::string>{"BGM", "MODEL", "SE", "TEXTURE", "TEXTUREM"}));
    for (const ManifestEntry& e : ReadManifest())
        EXPECT_TRUE(listed.count({e.type, e.id})) << e.type << " #" << e.id << " (" << e.role << ")";
    // The stored sizes are the files' sizes (scrambling keeps the length).
    for (const char* type : {"TEXTURE", "TEXTUREM", "MODEL", "BGM", "SE"})
        for (const auto& f : FilesOf(type)) {
            auto key = std::make_pair(std::string(type), std::stoi(f.stem().string()));
            ASSERT_TRUE(sizes.count(key)) << f;
            EXPECT_EQ(sizes[key], static_cast<long>(std::filesystem::file_size(f))) << f;
        }
}

TEST(ExternalTools, AssimpReadsEveryMesh)
{
    auto files = FilesOf("MODEL");
    ASSERT_FALSE(files.empty());
    for (const auto& f : files) {
        std::string out;
        EXPECT_EQ(RunCommand("assimp info " + Quote(f.string()), &out), 0) << f << "\n" << out;
        EXPECT_NE(out.find("Faces:"), std::string::npos) << f << "\n" << out;
    }
}

TEST(ExternalTools, OgginfoPassesEverySound)
{
    auto files = FilesOf("SE");
    auto music = FilesOf("BGM");
    files.insert(files.end(), music.begin(), music.end());
    ASSERT_FALSE(files.empty());
    for (const auto& f : files) {
        std::string out;
        EXPECT_EQ(RunCommand("ogginfo " + Quote(f.string()), &out), 0) << f << "\n" << out;
        EXPECT_EQ(out.find("WARNING"), std::string::npos) << f << "\n" << out;
    }
}

TEST(ExternalTools, PngcheckPassesEveryPicture)
{
    auto files = FilesOf("TEXTURE");
    auto meshTextures = FilesOf("TEXTUREM");
    files.insert(files.end(), meshTextures.begin(), meshTextures.end());
    ASSERT_FALSE(files.empty());
    // One run for all files; -q prints only the files with errors.
    std::string command = "pngcheck -q";
    for (const auto& f : files) command += " " + Quote(f.string());
    std::string out;
    EXPECT_EQ(RunCommand(command, &out), 0) << out;
}

}  // namespace
