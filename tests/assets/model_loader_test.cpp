// Loading .x meshes: the file's own conventions survive (positions, clockwise
// winding, texture v downward, frame transforms), materials get ambient =
// diffuse, textures come from the right place, and damaged files fail cleanly.
#include <png.h>

#include "assets_fixture.h"
#include "core/Util.h"
#include "gfx/Model.h"
#include "gfx/Texture.h"
#include "platform/PePacker.h"
#include "platform/Resources.h"
#include "tests/support/TempHome.h"

using namespace assets;

namespace {

// Two triangles, two materials, a root frame moved by (10, 20, 30); the first
// material names "tex\\skin.png".
const char kExample[] = R"(xof 0303txt 0032
Frame Root {
 FrameTransformMatrix {
  1.0,0.0,0.0,0.0,
  0.0,1.0,0.0,0.0,
  0.0,0.0,1.0,0.0,
  10.0,20.0,30.0,1.0;;
 }
 Mesh quad {
  4;
  -1.0;1.0;2.0;,
  1.0;1.0;2.0;,
  1.0;-1.0;2.0;,
  -1.0;-1.0;2.0;;
  2;
  3;0,1,2;,
  3;0,2,3;;
  MeshNormals {
   1;
   0.0;0.0;-1.0;;
   2;
   3;0,0,0;,
   3;0,0,0;;
  }
  MeshTextureCoords {
   4;
   0.0;0.0;,
   1.0;0.0;,
   1.0;1.0;,
   0.0;1.0;;
  }
  MeshMaterialList {
   2;
   2;
   0,
   1;;
   Material red {
    1.0;0.0;0.0;0.5;;
    8.0;
    1.0;1.0;1.0;;
    0.1;0.0;0.0;;
    TextureFilename { "tex\\skin.png"; }
   }
   Material green {
    0.0;1.0;0.0;1.0;;
    0.0;
    0.0;0.0;0.0;;
    0.0;0.0;0.0;;
   }
  }
 }
}
)";

std::vector<uint8_t> TinyPng()
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep d, png_size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), d, d + n);
        },
        nullptr);
    png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    uint8_t row[6] = {10, 20, 30, 40, 50, 60};
    png_write_row(png, row);
    png_write_row(png, row);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<std::string> g_Messages;

class ModelLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_Messages.clear();
        SetResourceMessageSink([](const char* t) { g_Messages.push_back(t); });
    }
    void TearDown() override
    {
        SetResourceMessageSink(nullptr);
        CloseResourceLibrary();
    }
    void Write(const std::string& rel, const void* data, size_t size)
    {
        std::filesystem::path p = std::filesystem::path(m_Home) / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CTempHome m_Temp{"mz-model"};
    const std::string m_Home = m_Temp.Dir();   // with a trailing separator
};

TEST_F(ModelLoader, KeepsTheFilesConventionsAndFrameTransform)
{
    Write("MODEL/7.x", kExample, sizeof kExample - 1);
    CModel m(nullptr);
    ASSERT_TRUE(m.Load("#7", "MODEL"));
    ASSERT_EQ(m.m_nMaterials, 2u);
    ASSERT_EQ(m.m_nFaces, 2u);
    EXPECT_EQ(m.m_nVertices, 4u);  // corners shared by both triangles are joined
    EXPECT_EQ(m.GetVertexFormat(), static_cast<uint32_t>(FVF_XYZ | FVF_NORMAL | FVF_TEX1));

    // Subset 0 is the first face (0, 1, 2), subset 1 the second (0, 2, 3), each
    // in the file's clockwise order and moved by the frame's translation.
    struct Corner {
        float x, y, z, u, v;
    };
    const Corner expected[2][3] = {{{9, 21, 32, 0, 0}, {11, 21, 32, 1, 0}, {11, 19, 32, 1, 1}},
                                   {{9, 21, 32, 0, 0}, {11, 19, 32, 1, 1}, {9, 19, 32, 0, 1}}};
    for (int s = 0; s < 2; ++s) {
        ASSERT_EQ(m.Subsets()[s].nTriangleCount, 1);
        for (int k = 0; k < 3; ++k) {
            const RVertex& v = m.Vertices()[m.Indices()[m.Subsets()[s].nFirstIndex + k]];
            const Corner& c = expected[s][k];
            EXPECT_FLOAT_EQ(v.x, c.x) << s << "," << k;
            EXPECT_FLOAT_EQ(v.y, c.y) << s << "," << k;
            EXPECT_FLOAT_EQ(v.z, c.z) << s << "," << k;
            EXPECT_FLOAT_EQ(v.u, c.u) << s << "," << k;
            EXPECT_FLOAT_EQ(v.v, c.v) << s << "," << k;
            EXPECT_FLOAT_EQ(v.nz, -1.0f);
        }
    }
    const SMaterial& red = m.m_pMaterials[0];
    EXPECT_FLOAT_EQ(red.diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(red.diffuse.a, 0.5f);
    EXPECT_FLOAT_EQ(red.ambient.r, 1.0f);  // ambient := diffuse
    EXPECT_FLOAT_EQ(red.ambient.a, 0.5f);
    EXPECT_FLOAT_EQ(red.power, 8.0f);
    EXPECT_FLOAT_EQ(red.emissive.r, 0.1f);
    EXPECT_FLOAT_EQ(m.m_pMaterials[1].ambient.g, 1.0f);
    // No skin.png beside the mesh: that subset is simply untextured.
    EXPECT_EQ(m.m_ppTextures[0], nullptr);
    EXPECT_EQ(m.m_ppTextures[1], nullptr);
    EXPECT_TRUE(g_Messages.empty());
}

TEST_F(ModelLoader, OverrideMeshTakesItsTextureFromItsOwnFolder)
{
    Write("MODEL/7.x", kExample, sizeof kExample - 1);
    std::vector<uint8_t> png = TinyPng();
    Write("MODEL/skin.png", png.data(), png.size());  // base name of "tex\\skin.png"
    CModel m(nullptr);
    ASSERT_TRUE(m.Load("#7", "MODEL"));
    ASSERT_NE(m.m_ppTextures[0], nullptr);
    EXPECT_EQ(m.m_ppTextures[0]->m_nWidth, 2);
    EXPECT_EQ(m.m_ppTextures[1], nullptr);
}

TEST_F(ModelLoader, LibraryMeshTakesItsTextureFromTheLibraryByNumber)
{
    // A material naming "55.png" in the library's mesh means "TEXTUREM" "#55".
    std::string text = kExample;
    text.replace(text.find("tex\\\\skin.png"), 13, "art\\\\55.png");
    std::vector<uint8_t> png = TinyPng();
    Write("pack/MODEL/7.x", text.data(), text.size());
    Write("pack/TEXTUREM/55.png", png.data(), png.size());
    std::vector<uint8_t> dll;
    std::string error;
    ASSERT_TRUE(PackResourceFolder(m_Home + "pack", &dll, &error)) << error;
    Write("data.dll", dll.data(), dll.size());
    ASSERT_TRUE(OpenResourceLibrary(&error)) << error;

    CModel m(nullptr);
    ASSERT_TRUE(m.Load("#7", "MODEL"));
    ASSERT_NE(m.m_ppTextures[0], nullptr);
    EXPECT_EQ(m.m_ppTextures[0]->m_nHeight, 2);

    // Without the texture in the library the mesh still loads, untextured.
    std::filesystem::remove(m_Home + "pack/TEXTUREM/55.png");
    ASSERT_TRUE(PackResourceFolder(m_Home + "pack", &dll, &error)) << error;
    Write("data.dll", dll.data(), dll.size());
    ASSERT_TRUE(OpenResourceLibrary(&error)) << error;
    CModel bare(nullptr);
    ASSERT_TRUE(bare.Load("#7", "MODEL"));
    EXPECT_EQ(bare.m_ppTextures[0], nullptr);
}

TEST_F(ModelLoader, PolygonsBecomeFansFromTheirFirstCorner)
{
    const char quad[] = "xof 0303txt 0032\nMesh q {\n 5;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 2.0;1.0;0.0;,\n"
                        " 1.0;2.0;0.0;,\n 0.0;1.0;0.0;;\n 1;\n 5;0,1,2,3,4;;\n}\n";
    Write("MODEL/8.x", quad, sizeof quad - 1);
    CModel m(nullptr);
    ASSERT_TRUE(m.Load("#8", "MODEL"));
    ASSERT_EQ(m.m_nFaces, 3u);
    const float xs[3][3] = {{0, 1, 2}, {0, 2, 1}, {0, 1, 0}};
    const float ys[3][3] = {{0, 0, 1}, {0, 1, 2}, {0, 2, 1}};
    for (int t = 0; t < 3; ++t)
        for (int k = 0; k < 3; ++k) {
            const RVertex& v = m.Vertices()[m.Indices()[3 * t + k]];
            EXPECT_FLOAT_EQ(v.x, xs[t][k]) << t << "," << k;
            EXPECT_FLOAT_EQ(v.y, ys[t][k]) << t << "," << k;
        }
}

TEST_F(ModelLoader, DamagedMeshesFailWithAMessageAndNeverCrash)
{
    CModel missing(nullptr);
    EXPECT_FALSE(missing.Load("#9", "MODEL"));
    ASSERT_EQ(g_Messages.size(), 1u);
    EXPECT_EQ(g_Messages[0], "Undefined Resource MODEL #9");

    const std::string full = kExample;
    // Cut anywhere: a load either fails cleanly or (when only the tail is
    // gone) still gives a sound mesh.
    for (size_t len = 0; len < full.size(); len += 7) {
        CModel m(nullptr);
        std::string why;
        bool ok = m.LoadFromMemory(reinterpret_cast<const uint8_t*>(full.data()), len, "", &why);
        if (ok) {
            for (uint16_t i : m.Indices()) ASSERT_LT(i, m.m_nVertices) << len;
        } else {
            EXPECT_FALSE(why.empty()) << len;
            EXPECT_TRUE(m.IsEmpty()) << len;
        }
    }
    // An index past the vertex list: the broken face never reaches the index
    // data (the importer drops its bad corner, leaving a line that draws nothing).
    std::string bad = full;
    bad.replace(bad.find("3;0,2,3;;"), 9, "3;0,2,9;;");
    {
        CModel m(nullptr);
        if (m.LoadFromMemory(reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), "")) {
            EXPECT_EQ(m.m_nFaces, 1u);
            for (uint16_t i : m.Indices()) EXPECT_LT(i, m.m_nVertices);
        }
    }
    // Not a mesh at all.
    const char garbage[] = "xof 0303txt 0032\nMesh { 3; 1.0;;; what }";
    Write("MODEL/10.x", garbage, sizeof garbage - 1);
    g_Messages.clear();
    CModel m(nullptr);
    EXPECT_FALSE(m.Load("#10", "MODEL"));
    ASSERT_EQ(g_Messages.size(), 1u);
    EXPECT_EQ(g_Messages[0].rfind("Damaged Resource MODEL #10", 0), 0u) << g_Messages[0];
}

}  // namespace
