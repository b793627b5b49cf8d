// The built data.dll: it holds every resource the game asks for, each one
// descrambles to the generated file, and every picture and mesh loads through
// the game's own loaders at the size the drawing code relies on.
#include <cmath>
#include <map>

#include "assets_fixture.h"
#include "core/Util.h"
#include "gfx/Model.h"
#include "gfx/Texture.h"
#include "platform/PeResources.h"
#include "platform/Resources.h"
#include "tests/support/TempHome.h"

using namespace assets;

namespace {

std::vector<std::string> g_Messages;
void Capture(const char* text) { g_Messages.push_back(text); }

// The library opened from the build, with a program folder that holds no
// override files, so every load comes from the library.
class BuiltLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string message;
        ASSERT_TRUE(OpenResourceLibraryFile(DataDll(), &message)) << message;
        g_Messages.clear();
        SetResourceMessageSink(Capture);
    }
    void TearDown() override
    {
        SetResourceMessageSink(nullptr);
        CloseResourceLibrary();
    }
    CTempHome m_Temp{"mz-assets"};
    const std::string m_Home = m_Temp.Dir();   // with a trailing separator
};

std::string Name(int id) { return "#" + std::to_string(id); }

TEST_F(BuiltLibrary, HoldsEveryManifestResourceAndNothingElse)
{
    const CPeResourceFile* lib = GetResourceLibrary();
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(lib->SkippedCount(), 0);
    std::set<std::pair<std::string, int>> wanted;
    for (const ManifestEntry& e : ReadManifest()) {
        wanted.insert({e.type, e.id});
        EXPECT_NE(lib->Find(e.type.c_str(), Name(e.id).c_str()), nullptr) << e.type << " #" << e.id << e.role;
    }
    // A resource nothing asks for is either a forgotten manifest line or a
    // misnumbered asset.
    for (const CPeResourceFile::Entry& e : lib->Entries())
        EXPECT_TRUE(wanted.count({e.type.strName, static_cast<int>(e.name.nId)}))
            << e.type.strName << " #" << e.name.nId << " is in data.dll but not in the manifest";
}

TEST_F(BuiltLibrary, EveryResourceDescramblesToTheGeneratedFile)
{
    int checked = 0;
    for (const char* type : {"TEXTURE", "TEXTUREM", "MODEL", "BGM", "SE"})
        for (const auto& f : FilesOf(type)) {
            std::vector<uint8_t> file, packed;
            ASSERT_TRUE(ReadWholeFile(f.string(), file)) << f;
            std::string name = "#" + f.stem().string();
            ASSERT_EQ(LoadResourceBytes(name.c_str(), type, nullptr, packed), RESOURCE_LIBRARY) << f;
            EXPECT_TRUE(packed == file) << f << " differs after descrambling";
            ++checked;
        }
    EXPECT_GT(checked, 0);
}

TEST_F(BuiltLibrary, EveryPictureLoadsAtItsDrawnSize)
{
    for (const ManifestEntry& e : ReadManifest()) {
        if (e.type != "TEXTURE") continue;
        CTexture tex(nullptr);
        EXPECT_EQ(tex.Load(Name(e.id).c_str(), "TEXTURE"), 0) << "#" << e.id;
        if (e.width >= 0) {
            EXPECT_EQ(tex.m_nWidth, e.width) << "TEXTURE #" << e.id << e.role;
        }
        if (e.height >= 0) {
            EXPECT_EQ(tex.m_nHeight, e.height) << "TEXTURE #" << e.id << e.role;
        }
    }
    EXPECT_TRUE(g_Messages.empty()) << g_Messages.front();
}

struct Extent {
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f, minZ = 1e9f, maxZ = -1e9f;
    float Radius() const  // largest distance from the model's origin in the play plane
    {
        return std::sqrt(std::max(minX * minX, maxX * maxX) + std::max(minY * minY, maxY * maxY));
    }
};

Extent ExtentOf(const CModel& m)
{
    Extent e;
    for (const RVertex& v : m.Vertices()) {
        e.minX = std::min(e.minX, v.x), e.maxX = std::max(e.maxX, v.x);
        e.minY = std::min(e.minY, v.y), e.maxY = std::max(e.maxY, v.y);
        e.minZ = std::min(e.minZ, v.z), e.maxZ = std::max(e.maxZ, v.z);
    }
    return e;
}

TEST_F(BuiltLibrary, EveryMeshLoadsWithItsTextures)
{
    for (const ManifestEntry& e : ReadManifest()) {
        if (e.type != "MODEL") continue;
        CModel m(nullptr);
        ASSERT_TRUE(m.Load(Name(e.id).c_str(), "MODEL")) << "#" << e.id;
        EXPECT_GT(m.m_nFaces, 0u) << "#" << e.id;
        EXPECT_EQ(m.m_pMaterials.size(), m.m_nMaterials);
        for (uint32_t i = 0; i < m.m_nMaterials; ++i) {
            // Ambient is the diffuse colour: unlit sides keep the model's hue.
            EXPECT_EQ(m.m_pMaterials[i].ambient.r, m.m_pMaterials[i].diffuse.r);
            EXPECT_GT(m.Subsets()[i].nTriangleCount, 0) << "#" << e.id << " material " << i << " is unused";
        }
    }
    // The craft and its menu rendition carry the hull texture from "TEXTUREM".
    for (int id : {101, 200}) {
        CModel m(nullptr);
        ASSERT_TRUE(m.Load(Name(id).c_str(), "MODEL"));
        int textured = 0;
        for (CTexture* t : m.m_ppTextures) textured += (t && !t->IsEmpty()) ? 1 : 0;
        EXPECT_GE(textured, 1) << "MODEL #" << id;
    }
    EXPECT_TRUE(g_Messages.empty()) << g_Messages.front();
}

TEST_F(BuiltLibrary, MeshSizesFitTheirHitRadiiAndThePlayField)
{
    // Bounds in the play plane (largest distance from the origin) against the
    // hit radii the game uses: the look should roughly match what hits.
    struct Case {
        int id;
        float minRadius, maxRadius;
        const char* why;
    } cases[] = {
        {101, 0.2f, 0.45f, "craft: small beside 0.24-radius bullets, well inside the 7.2 wide field"},
        {106, 0.15f, 0.4f, "zab, hit radius 0.25"},
        {107, 0.4f, 0.8f, "raptor, hit radius 0.5"},
        {121, 0.6f, 1.4f, "boss, hit radius 0.4, a large wireframe ship"},
        {104, 0.1f, 0.5f, "score item, picked up within 0.5"},
        {120, 0.1f, 0.35f, "bit"},
        {122, 1.4f, 1.6f, "blade, reach 1.5 along +Y"},
        {103, 0.25f, 0.6f, "barrier around the craft, menu cursor"},
    };
    for (const Case& c : cases) {
        CModel m(nullptr);
        ASSERT_TRUE(m.Load(Name(c.id).c_str(), "MODEL"));
        float r = ExtentOf(m).Radius();
        EXPECT_GE(r, c.minRadius) << "MODEL #" << c.id << ": " << c.why;
        EXPECT_LE(r, c.maxRadius) << "MODEL #" << c.id << ": " << c.why;
    }
    // Noses point along +Y, the way FaceToward turns objects.
    for (int id : {101, 107, 121, 122}) {
        CModel m(nullptr);
        ASSERT_TRUE(m.Load(Name(id).c_str(), "MODEL"));
        Extent e = ExtentOf(m);
        EXPECT_GT(e.maxY, -e.minY) << "MODEL #" << id;
    }
}

TEST_F(BuiltLibrary, BackgroundChunksTileAlongYWithoutASeam)
{
    for (int id : {102, 113}) {
        CModel m(nullptr);
        ASSERT_TRUE(m.Load(Name(id).c_str(), "MODEL"));
        Extent e = ExtentOf(m);
        // Chunks are placed 10 units apart.
        EXPECT_FLOAT_EQ(e.minY, 0.0f) << id;
        EXPECT_FLOAT_EQ(e.maxY, 10.0f) << id;
        // Wide enough for the tilted views, and always behind the play plane
        // (z = 0) so that nothing of it passes in front of the craft.
        EXPECT_LE(e.minX, -12.0f) << id;
        EXPECT_GE(e.maxX, 12.0f) << id;
        EXPECT_GT(e.minZ, 0.0f) << id;
        // The edge at y = 10 meets the next chunk's edge at y = 0 point for point.
        std::set<std::pair<int, int>> start, end;
        for (const RVertex& v : m.Vertices()) {
            auto key = std::make_pair(static_cast<int>(std::lround(v.x * 1000)), static_cast<int>(std::lround(v.z * 1000)));
            if (v.y == 0.0f) start.insert(key);
            if (v.y == 10.0f) end.insert(key);
        }
        EXPECT_FALSE(start.empty()) << id;
        EXPECT_EQ(start, end) << "MODEL #" << id << " has a seam";
    }
}

}  // namespace

namespace {

// The meshes come out byte for byte the same on every run, so data.dll only
// changes when the models do.
TEST(GeneratedMeshes, AreTheSameBytesOnEveryRun)
{
    const std::string assetgen =
        (std::filesystem::path(MZ_BIN_DIR).parent_path() / "tools" / "bin" / "assetgen").string();
    ASSERT_TRUE(std::filesystem::exists(assetgen)) << assetgen;
    const CTempHome again("mz-meshes", false);
    const std::string tmpl = again.Dir();
    std::string out;
    ASSERT_EQ(RunCommand(Quote(assetgen) + " " + Quote(tmpl) + " meshes", &out), 0) << out;
    for (const char* type : {"MODEL", "TEXTUREM"}) {
        auto built = FilesOf(type);
        ASSERT_FALSE(built.empty()) << type;
        for (const auto& f : built) {
            std::vector<uint8_t> a, b;
            ASSERT_TRUE(ReadWholeFile(f.string(), a)) << f;
            ASSERT_TRUE(ReadWholeFile((std::filesystem::path(tmpl) / type / f.filename()).string(), b)) << f;
            EXPECT_TRUE(a == b) << f << " differs between runs";
        }
    }
}

}  // namespace
