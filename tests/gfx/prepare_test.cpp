// Kinds of draw: named by a line of text, recorded while drawing, and prepared
// ahead so that drawing them later builds nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "gfx_fixture.h"
#include "platform/GlRenderer.h"

namespace {

// A few draws of different kinds: a sprite, a lit mesh in wireframe with fog,
// and lines.
void DrawSome(CGraphicsDevice& d)
{
    CRenderer& r = *d.GetRenderer();
    std::vector<uint32_t> texels(16 * 16, 0xFF808080u);
    CRenderTexture* tex = r.CreateTexture(16, 16, texels.data(), true);
    d.BeginFrame();
    d.SetFullScreenViewport();
    CSprite& s = d.Sprite();
    s.Begin();
    const Vec3 at{10, 10, 0};
    s.Draw(tex, nullptr, nullptr, &at, 0x80FFFFFFu);
    s.End();
    RVertex tri[3];
    tri[1].x = 1.0f;
    tri[2].y = -1.0f;
    for (RVertex& v : tri) {
        v.z = 5.0f;
        v.nz = -1.0f;
    }
    const uint16_t indices[3] = {0, 1, 2};
    CRenderMesh* mesh = r.CreateMesh(tri, 3, indices, 3, FVF_XYZ | FVF_NORMAL);
    d.SetFogRange(1.0f, 10.0f);
    d.SetFog(1);
    d.SetWireframe(1);
    d.DrawMesh(mesh, 0, 1);
    d.SetWireframe(0);
    d.SetFog(0);
    const Vec3 from{-1, -1, 5}, to{1, 1, 5};
    d.DrawLine3D(&from, &to, 1.0f, 1.0f, 0.5f, 0.0f);
    // A second shade joins the first line's batch, each line with its material.
    d.DrawLine3D(&to, &from, 0.5f, 0.5f, 0.25f, 0.0f);
    d.EndFrame();
    r.Flush();
    r.ReleaseMesh(mesh);
    r.ReleaseTexture(tex);
}

}  // namespace

TEST(DrawKind, TextNamesEveryFieldAndOnlyItsOwnTextReadsBack)
{
    SDrawKind k;
    k.format = FVF_XYZ | FVF_DIFFUSE | FVF_TEX1;
    k.primitive = SDrawKind::kLines;
    k.mesh = false;
    k.sameW = false;
    for (int i = 0; i < SDrawKind::kStateCount; ++i) k.render[i] = static_cast<uint32_t>(i + 1);
    k.lightOn = true;
    for (uint32_t& v : k.stage) v = 3;
    for (uint32_t& v : k.sampler) v = 2;
    k.texture = SDrawKind::kTexture | SDrawKind::kMipmaps;
    k.materials = true;
    const std::string text = k.ToText();
    SDrawKind back;
    ASSERT_TRUE(SDrawKind::FromText(text, back)) << text;
    EXPECT_EQ(back, k);
    for (const std::string& bad : {std::string(), text.substr(0, text.size() - 1), text + " ", " " + text,
                                   std::string("fmt c prim 7") + text.substr(text.find(" mesh"))}) {
        SDrawKind out = k;
        EXPECT_FALSE(SDrawKind::FromText(bad, out)) << bad;
        EXPECT_EQ(out, k) << "left as it was";
    }
}

// A back end merges lit draws that differ only in material into one batch,
// each vertex with its material, and builds another program for that: the
// recorded kinds say which batches do, as the null back end records them too.
TEST_F(CDeviceTest, RecordedKindsSayWhichBatchesMixMaterials)
{
    ASSERT_TRUE(Open(true));
    RVertex line[2];
    line[1].x = 1.0f;
    SMaterial red, green;
    red.diffuse = red.ambient = SColorValue{1, 0, 0, 1};
    green.diffuse = green.ambient = SColorValue{0, 1, 0, 1};
    struct SCase {
        const char* what;
        bool secondMaterial, stateBetween, pretransformed;
        bool mixed;
    };
    const SCase cases[] = {
        {"one material", false, false, false, false},
        {"two materials", true, false, false, true},
        {"two materials, a state changed between", true, true, false, false},
        {"two materials, unlit", true, false, true, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::set<std::string> kinds;
        const uint32_t format = c.pretransformed ? FVF_XYZRHW : FVF_XYZ;
        R().BeginScene();
        R().RecordDrawKinds(&kinds);
        R().SetRenderState(ERenderState::AlphaBlendEnable, 0);
        R().SetMaterial(red);
        R().DrawPrimitiveUP(EPrimitive::LineList, 1, line, format);
        if (c.stateBetween) {
            R().SetRenderState(ERenderState::AlphaBlendEnable, 1);
            R().SetRenderState(ERenderState::AlphaBlendEnable, 0);
        }
        R().SetMaterial(c.secondMaterial ? green : red);
        R().DrawPrimitiveUP(EPrimitive::LineList, 1, line, format);
        R().RecordDrawKinds(nullptr);
        int mixed = 0;
        for (const std::string& k : kinds) mixed += k.find("materials 1") != std::string::npos ? 1 : 0;
        EXPECT_EQ(mixed, c.mixed ? 1 : 0);
        EXPECT_EQ(kinds.size(), c.mixed ? 2u : 1u);
    }
}

// The kinds recorded while one device draws, prepared on a fresh device, build
// every program those draws need: drawing them afterwards builds none, and
// preparing leaves the states as they were.
TEST_F(CDeviceTest, PreparedKindsLeaveNothingToBuildWhenDrawn)
{
    ASSERT_TRUE(Open());
    std::set<std::string> kinds;
    R().RecordDrawKinds(&kinds);
    DrawSome(*m_Device);
    R().RecordDrawKinds(nullptr);
    ASSERT_GE(kinds.size(), 3u);
    TearDown();

    ASSERT_TRUE(Open());
    auto& gl = static_cast<CGlRenderer&>(R());
    std::vector<const char*> texts;
    for (const std::string& k : kinds) texts.push_back(k.c_str());
    texts.push_back("not a kind of draw");
    const SDeviceState before = R().State();
    const int programsBefore = gl.ProgramCount();
    EXPECT_EQ(R().PrepareDrawKinds(texts.data(), static_cast<int>(texts.size())), 1);
    const SDeviceState& after = R().State();
    EXPECT_TRUE(std::equal(std::begin(before.render), std::end(before.render), std::begin(after.render)));
    EXPECT_TRUE(std::equal(std::begin(before.stage), std::end(before.stage), std::begin(after.stage)));
    EXPECT_TRUE(std::equal(std::begin(before.sampler), std::end(before.sampler), std::begin(after.sampler)));
    EXPECT_EQ(before.light.enabled, after.light.enabled);
    EXPECT_EQ(R().GetTexture(), nullptr);
    const int prepared = gl.ProgramCount();
    EXPECT_GT(prepared, programsBefore);
    // A kind is prepared once.
    const int calls = R().Stats().drawCalls;
    R().PrepareDrawKinds(texts.data(), static_cast<int>(texts.size()));
    EXPECT_EQ(R().Stats().drawCalls, calls);
    DrawSome(*m_Device);
    EXPECT_EQ(gl.ProgramCount(), prepared);
}
