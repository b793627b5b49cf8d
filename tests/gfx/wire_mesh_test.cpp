// Static meshes in wireframe are drawn as lists of their edges, each edge once,
// and meshes wholly outside the view are not drawn at all. Both must leave the
// picture of the unfilled triangles, which the same triangles drawn from the
// caller's memory still give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "gfx_fixture.h"

namespace {

// A lit grid of cols x rows quads (two triangles each, sharing their corners
// with their neighbours) in the plane z = 0, most facing the default camera.
struct SGrid {
    std::vector<RVertex> vertices;
    std::vector<uint16_t> indices;
    SGrid(int cols, int rows, float x0, float y0, float size)
    {
        for (int j = 0; j <= rows; ++j)
            for (int i = 0; i <= cols; ++i) {
                RVertex v;
                v.x = x0 + size * static_cast<float>(i) + 0.013f * static_cast<float>(j);
                v.y = y0 - size * static_cast<float>(j);
                v.nz = -1.0f;
                vertices.push_back(v);
            }
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < cols; ++i) {
                const auto at = [&](int di, int dj) { return static_cast<uint16_t>((j + dj) * (cols + 1) + i + di); };
                // Clockwise on screen (front faces), every third quad the other way.
                const bool back = (i + j) % 3 == 2;
                for (uint16_t k : {at(0, 0), back ? at(0, 1) : at(1, 0), back ? at(1, 0) : at(0, 1), at(1, 0),
                                   back ? at(0, 1) : at(1, 1), back ? at(1, 1) : at(0, 1)})
                    indices.push_back(k);
            }
    }
    int Triangles() const { return static_cast<int>(indices.size() / 3); }
};

class CWireMeshTest : public CDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open());
        Matrix view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
        m_Device->SetTransform(ETransform::View, view);
        m_Device->SetWorldTransform(Matrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
    }
    void TearDown() override
    {
        if (m_pMesh) R().ReleaseMesh(m_pMesh);
        CDeviceTest::TearDown();
    }

    struct SLook {
        float alpha = 1.0f;
        int blend = 0;  // the device's blend mode; -1 off
        int depth = 1;
        int cull = 0;
    };
    // The grid drawn over a grey square (so that blending shows), as the
    // mesh (fromMesh) or as triangles from memory.
    std::vector<uint32_t> Draw(const SGrid& grid, const SLook& look, bool fromMesh)
    {
        if (!m_pMesh)
            m_pMesh = R().CreateMesh(grid.vertices.data(), static_cast<int>(grid.vertices.size()),
                                     grid.indices.data(), static_cast<int>(grid.indices.size()), FVF_XYZ | FVF_NORMAL);
        m_Device->BeginFrame();
        m_Device->SetPlayFieldViewport();
        m_Device->SetWireframe(0);
        m_Device->SetBlendMode(-1);
        m_Device->FillRect(200, 100, 200, 200, 1.0f, 0.3f, 0.3f, 0.3f);
        m_Device->SetPlayFieldViewport();
        m_Device->SetFog(0);
        m_Device->SetCullMode(look.cull);
        m_Device->SetBlendMode(look.blend);
        m_Device->SetDepthTest(look.depth);
        m_Device->SetWireframe(1);
        SMaterial m;
        m.diffuse = SColorValue{0.2f, 0.9f, 1.0f, look.alpha};
        m.ambient = m.diffuse;
        m.emissive = SColorValue{0.1f, 0.2f, 0.3f, 0.0f};
        m_Device->SetMaterial(m);
        if (fromMesh)
            m_Device->DrawMesh(m_pMesh, 0, grid.Triangles());
        else
            m_Device->DrawIndexedPrimitiveUP(EPrimitive::TriangleList, static_cast<int>(grid.vertices.size()),
                                             grid.Triangles(), grid.indices.data(), grid.vertices.data(),
                                             FVF_XYZ | FVF_NORMAL);
        m_Device->SetWireframe(0);
        m_Device->EndFrame();
        return Pixels();
    }

    CRenderMesh* m_pMesh = nullptr;
};

// Pixels of the two pictures that differ by more than 8 levels in a channel.
int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int most = 0;
        for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
        n += most > 8 ? 1 : 0;
    }
    return n;
}

int Lit(const std::vector<uint32_t>& px, const std::vector<uint32_t>& background)
{
    int n = 0;
    for (size_t i = 0; i < px.size(); ++i) n += px[i] != background[i] ? 1 : 0;
    return n;
}

TEST_F(CWireMeshTest, EdgesOnceLookLikeTheUnfilledTriangles)
{
    const SGrid grid(6, 4, -3.0f, 2.0f, 1.0f);
    struct SCase {
        const char* what;
        SLook look;
    };
    const SCase cases[] = {
        {"opaque over depth", {1.0f, 0, 1, 0}},
        {"see-through over depth: a shared edge blends twice", {0.5f, 0, 1, 0}},
        {"see-through without depth", {0.35f, 0, 0, 0}},
        {"no blending", {0.5f, -1, 1, 0}},
        {"added light", {0.5f, 1, 1, 0}},
        {"culled", {0.5f, 0, 1, 1}},
    };
    SLook none;
    none.alpha = 0.0f;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint32_t> background = Draw(SGrid(0, 0, 0, 0, 0), none, false);
        const std::vector<uint32_t> triangles = Draw(grid, c.look, false);
        const std::vector<uint32_t> edges = Draw(grid, c.look, true);
        const int lit = Lit(triangles, background);
        ASSERT_GT(lit, 2000);
        // A line walked the other way may land a pixel apart at its ends.
        EXPECT_LE(Differing(triangles, edges), lit / 100) << lit << " pixels drawn";
    }
}

TEST_F(CWireMeshTest, ASharedEdgeIsOneLine)
{
    // Two triangles: four outer edges and the diagonal they share.
    const SGrid grid(1, 1, -1.0f, 1.0f, 2.0f);
    Draw(grid, SLook{}, true);
    EXPECT_EQ(R().Stats().lines, 5);
    EXPECT_EQ(R().Stats().drawCalls, 2);  // the grey square and the lines
}

TEST_F(CWireMeshTest, AMeshOutsideTheViewIsNotDrawn)
{
    const SGrid grid(2, 2, -1.0f, 1.0f, 1.0f);
    struct SCase {
        float x, y, z;
        bool unseen;
    };
    // The camera at z = -10 sees about +-3.1 x +-4.1 at z = 0 through the play field.
    const SCase cases[] = {
        {0, 0, 0, false},   {-4.5f, 0, 0, false},  // partly in view on the left
        {-6, 0, 0, true},   {6, 0, 0, true},       {0, 7, 0, true}, {0, -7, 0, true},
        {0, 0, -12, true},  // behind the camera
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << "," << c.z);
        m_Device->SetWorldTransform(Matrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {c.x, c.y, c.z, 1}}});
        Draw(grid, SLook{}, true);
        EXPECT_EQ(R().Stats().unseenDraws, c.unseen ? 1 : 0);
        EXPECT_EQ(R().Stats().drawCalls, c.unseen ? 1 : 2);
    }
}

}  // namespace
