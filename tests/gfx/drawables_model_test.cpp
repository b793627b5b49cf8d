// The world drawables: the mirror's texture coordinates, the sky box's faces,
// the fading trail quad and the additive glow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "drawables_support.h"
#include "gfx_fixture.h"
#include "gfx/Model.h"
#include "gfx/RectangleShadow.h"
#include "gfx/SimpleModel.h"
#include "gfx/Skybox.h"
#include "platform/RenderMath.h"

namespace {

// A square of four corners (-1, 1), (1, 1), (-1, -1), (1, -1) and its centre.
const char kMesh[] = R"(xof 0303txt 0032
Mesh m {
 5;
 -1.0;1.0;0.0;,
 1.0;1.0;0.0;,
 -1.0;-1.0;0.0;,
 1.0;-1.0;0.0;,
 0.0;0.0;0.0;;
 4;
 3;0,1,4;,
 3;1,3,4;,
 3;3,2,4;,
 3;2,0,4;;
}
)";

// The device as the game's objects reach it (their world transforms go
// through the object framework's link).
class CGlobalDevice {
public:
    explicit CGlobalDevice(CGraphicsDevice* d)
    {
        g_pDevice = d;
        g_pDeviceLink = d;
    }
    ~CGlobalDevice()
    {
        g_pDevice = nullptr;
        g_pDeviceLink = nullptr;
    }
};

}  // namespace

// With the identity as world, view and projection a vertex's x and y are its
// projected position: the corners map onto the corners of the play field's
// part of the reflection texture (x 140 ... 500 of 1024, rows 0 ... 480 of
// 512, both shifted by 0.01).
TEST(SimpleModel, MirrorCoordinatesCoverThePlayFieldOfTheReflection)
{
    CModel model(nullptr);
    ASSERT_TRUE(model.LoadFromMemory(reinterpret_cast<const uint8_t*>(kMesh), sizeof kMesh - 1, ""));
    Matrix identity;
    MatrixIdentity(identity);
    std::vector<RVertex> v;
    CSimpleModel::BuildReflectionVertices(model, identity, v);
    ASSERT_EQ(v.size(), model.Vertices().size());
    for (size_t i = 0; i < v.size(); ++i) {
        const float x = model.Vertices()[i].x, y = model.Vertices()[i].y;
        SCOPED_TRACE(testing::Message() << x << "," << y);
        EXPECT_NEAR(v[i].u, (140.0f + (x + 1.0f) * 180.0f) / 1024.0f + 0.01f, 1e-6);
        EXPECT_NEAR(v[i].v, (1.0f - y) * 240.0f / 512.0f + 0.01f, 1e-6);
        EXPECT_EQ(v[i].x, x);  // positions untouched
    }
    // The perspective divide: the same point twice as far (w = 2) lands halfway
    // to the centre.
    Matrix persp = identity;
    persp.m[3][3] = 2.0f;
    CSimpleModel::BuildReflectionVertices(model, persp, v);
    for (size_t i = 0; i < v.size(); ++i) {
        const float x = model.Vertices()[i].x * 0.5f;
        EXPECT_NEAR(v[i].u, (140.0f + (x + 1.0f) * 180.0f) / 1024.0f + 0.01f, 1e-6);
    }
    // Behind the eye (w = 0): the centre, never a division by zero.
    Matrix flat = identity;
    flat.m[3][3] = 0.0f;
    CSimpleModel::BuildReflectionVertices(model, flat, v);
    for (const RVertex& r : v) {
        EXPECT_TRUE(std::isfinite(r.u));
        EXPECT_NEAR(r.u, 0.3225f, 1e-6);
        EXPECT_NEAR(r.v, 0.47875f, 1e-6);
    }
}

// A mirrored model shows the reflection texture (cleared to the fog colour at
// set-up), not its own material; a plain one shows its material.
TEST_F(CDeviceTest, MirrorShowsTheReflectionNotItsMaterial)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    CModel model(m_Device.get());
    ASSERT_TRUE(model.LoadFromMemory(reinterpret_cast<const uint8_t*>(kMesh), sizeof kMesh - 1, ""));
    for (SMaterial& m : model.m_pMaterials) {
        m.diffuse = m.ambient = m.emissive = SColorValue{1.0f, 0.0f, 0.0f, 1.0f};
    }
    CSimpleModel plain(&model, Vec3{-2, 0, 0});
    CSimpleModel mirror(&model, Vec3{2, 0, 0});
    mirror.m_bMirror = true;
    m_Device->SetFogColor(0, 0, 64);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->SetProjection(45, 640.0f / 480.0f);
    m_Device->SetTransform(ETransform::View, LookAtLH(Vec3{0, 0, -10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
    m_Device->SetFogColor(0, 64, 0);  // the background differs from the reflection
    m_Device->ClearScreen();
    plain.Draw();
    mirror.Draw();
    m_Device->EndFrame();
    const auto px = Pixels();
    // 2 units at 10 from the eye: about 2 / (10 tan(0.465)) x 240 = 95 pixels off centre.
    EXPECT_GT(R8(At(px, 320 - 95, 240)), 200);
    EXPECT_EQ(G8(At(px, 320 - 95, 240)), 0);
    const uint32_t m = At(px, 320 + 95, 240);
    EXPECT_EQ(R8(m), 0);
    EXPECT_EQ(G8(m), 0);  // the reflection texture's black, not the green background
    EXPECT_EQ(G8(At(px, 320, 240)), 64);
}

// A wireframe model drawn mirrored leaves the device in wireframe through its
// cache: a screen rectangle drawn next (a HUD bar, the fader) is filled.
TEST_F(CDeviceTest, AFillAfterAWireframeMirrorIsSolid)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    CModel model(m_Device.get());
    ASSERT_TRUE(model.LoadFromMemory(reinterpret_cast<const uint8_t*>(kMesh), sizeof kMesh - 1, ""));
    model.m_bWireframe = true;
    CSimpleModel mirror(&model, Vec3{});
    mirror.m_bMirror = true;
    m_Device->SetFogColor(0, 0, 0);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->ClearScreen();
    m_Device->SetProjection(45, 640.0f / 480.0f);
    m_Device->SetTransform(ETransform::View, LookAtLH(Vec3{0, 0, -10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
    m_Device->SetWireframe(0);
    mirror.Draw();
    m_Device->SetWireframe(0);
    m_Device->FillRect(20, 20, 40, 40, 1.0f, 0.0f, 1.0f, 0.0f);
    m_Device->EndFrame();
    const auto px = Pixels();
    // Inside, away from the outline and the diagonal of its two triangles.
    EXPECT_EQ(G8(At(px, 30, 35)), 255);
    EXPECT_EQ(G8(At(px, 50, 32)), 255);
}

// The sky box: looking along +Z shows the front face, along +X the right face,
// up the top face; the eye's position does not matter.
TEST_F(CDeviceTest, SkyboxFacesSurroundTheEye)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    const uint32_t colours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};
    CSkybox2 sky;
    CTexture* t[6];
    for (int i = 0; i < 6; ++i) t[i] = MakeTexture(m_Device.get(), 16, 16, colours[i]).release();
    sky.SetFaces(t[0], t[1], t[2], t[3], t[4], t[5]);
    struct Case {
        Vec3 dir, up;
        int face;
    };
    const Case cases[] = {
        {{0, 0, 1}, {0, 1, 0}, CSkybox2::FACE_FRONT}, {{0, 0, -1}, {0, 1, 0}, CSkybox2::FACE_BACK},
        {{-1, 0, 0}, {0, 1, 0}, CSkybox2::FACE_LEFT}, {{1, 0, 0}, {0, 1, 0}, CSkybox2::FACE_RIGHT},
        {{0, 1, 0}, {0, 0, -1}, CSkybox2::FACE_TOP},  {{0, -1, 0}, {0, 0, 1}, CSkybox2::FACE_BOTTOM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        const Vec3 eye{30, -20, 50};
        const Matrix view = LookAtLH(eye, eye + c.dir, c.up);
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->SetProjection(45, 640.0f / 480.0f);
        m_Device->SetTransform(ETransform::View, view);
        sky.Draw();
        m_Device->EndFrame();
        const auto px = Pixels();
        EXPECT_EQ(At(px, 320, 240), colours[c.face]);
        EXPECT_EQ(At(px, 10, 10), colours[c.face]);
        // The view is given back.
        EXPECT_EQ(std::memcmp(&m_Device->GetTransform(ETransform::View), &view, sizeof view), 0);
    }
}

// The trail quad fades with its vanish time from its own opacity.
TEST_F(CDeviceTest, RectangleShadowFadesOut)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    CListsCleaner clean;
    CRectangleShadow::Spawn(Vec3{-1, 1, 0}, Vec3{1, 1, 0}, Vec3{-1, -1, 0}, Vec3{1, -1, 0},
                            0.8f, 1.0f, 1.0f, 1.0f, 4);
    ASSERT_EQ(g_EffectList.Count(), 1);
    const int expected[4] = {204, 153, 102, 51};  // 255 x 0.8 x 4/4, 3/4, 2/4, 1/4
    for (int k = 0; k < 4; ++k) {
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->SetProjection(45, 640.0f / 480.0f);
        m_Device->SetTransform(ETransform::View, LookAtLH(Vec3{0, 0, -10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
        StepList(g_EffectList);
        m_Device->EndFrame();
        EXPECT_NEAR(R8(At(Pixels(), 320, 240)), expected[k], 2) << k;
    }
    StepList(g_EffectList);
    EXPECT_EQ(g_EffectList.Count(), 0);  // killed on its fourth update, deleted now
}
