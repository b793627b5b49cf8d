// The graphics device's settings, caches, effects and set-up log, on the null back
// end (states are kept exactly as on the OpenGL one) or OpenGL where pixels matter.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "gfx_fixture.h"
#include "persist/SettingsFile.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void WriteIni(const std::string& text)
{
    std::ofstream f(GetProgramDir() + "korvo.ini", std::ios::binary);
    f << text;
}

}  // namespace

TEST(DisplaySettings, KorvoIniKeys)
{
    struct Case {
        const char* ini;
        bool fullScreen, vsync, software, bits32;
        int quality, scale;
    };
    const Case cases[] = {
        // No file at all: full screen, vsync on, hardware, 16-bit, quality 0.
        {nullptr, true, true, false, false, 0, 1},
        {"windowmode,0\nvsync,1\n", false, false, false, false, 0, 1},
        {"windowmode,1\nvsync,0\n", true, false, false, false, 0, 1},
        {"windowmode,yes\nvsync,\n", true, true, false, false, 0, 1},
        {"behavior,0\nbitdepth,1\nmodelquality,2\n", true, true, true, true, 2, 1},
        {"behavior,\nbitdepth,32\nmodelquality,\n", true, true, false, false, 0, 1},
        {"behavior,7\nwindowscale,3\n", true, true, false, false, 0, 3},
        {"windowscale,0\n", true, true, false, false, 0, 1},
        {"windowscale,-4\n", true, true, false, false, 0, 1},
    };
    for (const Case& c : cases) {
        CTempHome home;
        if (c.ini) WriteIni(c.ini);
        SCOPED_TRACE(c.ini ? c.ini : "(no file)");
        const SDisplaySettings s = ReadDisplaySettings();
        EXPECT_EQ(s.fullScreen, c.fullScreen);
        EXPECT_EQ(s.vsync, c.vsync);
        EXPECT_EQ(s.softwareVertexProcessing, c.software);
        EXPECT_EQ(s.bitDepth32, c.bits32);
        EXPECT_EQ(s.modelQuality, c.quality);
        EXPECT_EQ(s.windowScale, c.scale);
    }
}

TEST(DisplaySettings, ModeSelectionPrefersTheLowestRateOfSixtyOrMore)
{
    // 75, 60 and 0 Hz in that order: each is chosen in turn, 0 Hz is used.
    int best = 65535;
    EXPECT_TRUE(IsModeSelected(640, 480, 75, best));
    EXPECT_TRUE(IsModeSelected(640, 480, 60, best));
    EXPECT_TRUE(IsModeSelected(640, 480, 0, best));
    EXPECT_EQ(best, 0);
    best = 65535;
    EXPECT_FALSE(IsModeSelected(640, 480, 50, best));
    EXPECT_FALSE(IsModeSelected(800, 600, 60, best));
    EXPECT_TRUE(IsModeSelected(640, 480, 85, best));
    EXPECT_FALSE(IsModeSelected(640, 480, 85, best));  // not strictly below
    EXPECT_FALSE(IsModeSelected(640, 480, 100, best));
}

// The game's speed must not follow the display: only a 60 Hz display paces it.
TEST(DisplaySettings, DisplayPacesOnlyAtSixtyHertz)
{
    struct Case {
        bool fullScreen, vsync;
        int hz;
        bool display;
    };
    const Case cases[] = {
        {true, true, 60, true},   {true, true, 59, true},   {true, true, 61, true},
        {true, true, 120, false}, {true, true, 144, false}, {true, true, 75, false},
        {true, true, 58, false},  {true, true, 0, false},   {false, true, 60, false},
        {true, false, 60, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UseDisplayPacing(c.fullScreen, c.vsync, c.hz), c.display)
            << c.fullScreen << " " << c.vsync << " " << c.hz;
}

TEST_F(CDeviceTest, SetUpStatesAndLog)
{
    ASSERT_TRUE(Open(true));
    const SDeviceState& s = R().State();
    auto rs = [&](ERenderState e) { return s.render[static_cast<int>(e)]; };
    EXPECT_EQ(rs(ERenderState::ZEnable), 0u);
    EXPECT_EQ(rs(ERenderState::ZWriteEnable), 0u);
    EXPECT_EQ(rs(ERenderState::CullMode), static_cast<uint32_t>(CULL_CCW));
    EXPECT_EQ(rs(ERenderState::Ambient), 0x00AAAAAAu);
    EXPECT_EQ(rs(ERenderState::Lighting), 1u);
    EXPECT_EQ(rs(ERenderState::FogEnable), 0u);
    EXPECT_EQ(s.stage[static_cast<int>(EStageState::AlphaArg2)], static_cast<uint32_t>(TA_DIFFUSE));
    EXPECT_TRUE(s.light.enabled);
    EXPECT_FLOAT_EQ(s.light.diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(s.light.direction.z, 1.0f);
    // Projection code 45 with the given aspect, near 1, far 1000.
    const Matrix& p = m_Device->GetTransform(ETransform::Projection);
    EXPECT_FLOAT_EQ(p.m[1][1], 1.0f / std::tan(0.9299114f * 0.5f));
    EXPECT_FLOAT_EQ(p.m[0][0], p.m[1][1] / 0.75f);
    EXPECT_FLOAT_EQ(p.m[2][2], 1000.0f / 999.0f);
    EXPECT_FLOAT_EQ(p.m[3][2], -1000.0f / 999.0f);
    EXPECT_EQ(p.m[2][3], 1.0f);

    m_Device->Release();
    const std::string log = ReadText(GetProgramDir() + "log/d3d9.txt");
    const char* steps[] = {"Create Null Renderer.\n -> Finished.\n", "Enumerate Display Modes.\n -> Using 32bpp.\n",
                           "Initialize Null Device (Primary).\n -> Using Hardware T/L.\n",
                           "Initialize Render States.\n", "Release Null Device.\n -> Finished.\n"};
    size_t at = 0;
    for (const char* step : steps) {
        const size_t found = log.find(step, at);
        EXPECT_NE(found, std::string::npos) << step << " in\n" << log;
        if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(log.find("Failed"), std::string::npos);
}

TEST_F(CDeviceTest, OpenGlSetUpIsLogged)
{
    ASSERT_TRUE(Open());
    const std::string log = ReadText(GetProgramDir() + "log/d3d9.txt");
    EXPECT_EQ(log.rfind("Create OpenGL Context.\n -> Finished.\nEnumerate Display Modes.\n", 0), 0u) << log;
    EXPECT_NE(log.find("Initialize OpenGL Device (Primary).\n -> Using Hardware T/L.\n"), std::string::npos);
    EXPECT_NE(log.find("Initialize Render States.\n -> Finished.\n"), std::string::npos) << log;
}

TEST_F(CDeviceTest, ProjectionCodesAndCache)
{
    ASSERT_TRUE(Open(true));
    const Matrix p45 = m_Device->GetTransform(ETransform::Projection);
    // An unknown code changes nothing on the device but takes the cache.
    m_Device->SetProjection(30, 0.5f);
    EXPECT_EQ(std::memcmp(&m_Device->GetTransform(ETransform::Projection), &p45, sizeof p45), 0);
    Matrix marker{};
    marker.m[0][0] = 7.0f;
    m_Device->SetTransform(ETransform::Projection, marker);
    m_Device->SetProjection(30, 0.5f);  // skipped by the cache
    EXPECT_EQ(m_Device->GetTransform(ETransform::Projection).m[0][0], 7.0f);
    m_Device->SetProjection(90, 1.0f);
    const Matrix& p90 = m_Device->GetTransform(ETransform::Projection);
    EXPECT_NEAR(p90.m[1][1], 1.0f, 1e-6f);
    EXPECT_NEAR(p90.m[0][0], 1.0f, 1e-6f);
    m_Device->SetProjection(0, 1.0f);
    const Matrix& p0 = m_Device->GetTransform(ETransform::Projection);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(p0.m[i][j], i == j ? 1.0f : 0.0f);
    m_Device->SetProjection(45, 0.75f);
    EXPECT_EQ(std::memcmp(&m_Device->GetTransform(ETransform::Projection), &p45, sizeof p45), 0);
}

TEST_F(CDeviceTest, FogNeedsARange)
{
    ASSERT_TRUE(Open(true));
    auto fogOn = [&] { return R().GetRenderState(ERenderState::FogEnable); };
    m_Device->SetFogRange(0.0f, 0.0f);
    m_Device->SetFog(1);
    EXPECT_EQ(fogOn(), 0u);
    m_Device->SetFog(0);
    m_Device->SetFogColor(256 + 10, -1, 300);
    m_Device->SetFogRange(20.0f, 40.0f);
    m_Device->SetFog(1);
    EXPECT_EQ(fogOn(), 1u);
    EXPECT_EQ(R().GetRenderState(ERenderState::FogColor), 0xFF0AFF2Cu);
    EXPECT_EQ(R().GetRenderStateF(ERenderState::FogStart), 20.0f);
    EXPECT_EQ(R().GetRenderStateF(ERenderState::FogEnd), 40.0f);
    // A range of 0 .. 0 is stored but not applied.
    m_Device->SetFogRange(0.0f, 0.0f);
    EXPECT_EQ(R().GetRenderStateF(ERenderState::FogEnd), 40.0f);
}

TEST_F(CDeviceTest, BlendModeStates)
{
    ASSERT_TRUE(Open(true));
    struct Case {
        int mode;
        uint32_t enable, src, dst, alphaOp;
    };
    const Case cases[] = {
        {0, 1, BLEND_SRCALPHA, BLEND_INVSRCALPHA, TOP_MODULATE},
        {1, 1, BLEND_ONE, BLEND_ONE, TOP_SELECTARG1},
        {2, 1, BLEND_INVDESTCOLOR, BLEND_ZERO, TOP_SELECTARG1},
        {3, 1, BLEND_DESTCOLOR, BLEND_ZERO, TOP_SELECTARG1},
    };
    for (const Case& c : cases) {
        m_Device->SetBlendMode(c.mode);
        EXPECT_EQ(R().GetRenderState(ERenderState::AlphaBlendEnable), c.enable) << c.mode;
        EXPECT_EQ(R().GetRenderState(ERenderState::SrcBlend), c.src) << c.mode;
        EXPECT_EQ(R().GetRenderState(ERenderState::DestBlend), c.dst) << c.mode;
        EXPECT_EQ(R().GetStageState(EStageState::AlphaOp), c.alphaOp) << c.mode;
    }
    m_Device->SetBlendMode(9);
    EXPECT_EQ(R().GetRenderState(ERenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(m_Device->GetBlendMode(), 9);
    // Blend mode is applied every time, even when it equals the last one.
    R().SetRenderState(ERenderState::AlphaBlendEnable, 1);
    m_Device->SetBlendMode(9);
    EXPECT_EQ(R().GetRenderState(ERenderState::AlphaBlendEnable), 0u);
}

TEST_F(CDeviceTest, CachedSettersSkipValuesTheyHold)
{
    ASSERT_TRUE(Open(true));
    // Code that sets a state on the renderer directly leaves the cache as it was,
    // and an equal value through the cache is then skipped.
    m_Device->SetWireframe(1);
    EXPECT_EQ(R().GetRenderState(ERenderState::FillMode), static_cast<uint32_t>(FILL_WIREFRAME));
    R().SetRenderState(ERenderState::FillMode, FILL_SOLID);
    m_Device->SetWireframe(1);
    EXPECT_EQ(R().GetRenderState(ERenderState::FillMode), static_cast<uint32_t>(FILL_SOLID));
    m_Device->SetCullMode(0);
    EXPECT_EQ(R().GetRenderState(ERenderState::CullMode), static_cast<uint32_t>(CULL_NONE));
    m_Device->SetCullMode(1);
    EXPECT_EQ(R().GetRenderState(ERenderState::CullMode), static_cast<uint32_t>(CULL_CCW));
    m_Device->SetDepthTest(1);
    EXPECT_EQ(R().GetRenderState(ERenderState::ZEnable), 1u);
    EXPECT_EQ(R().GetRenderState(ERenderState::ZWriteEnable), 1u);
    m_Device->SetDepthTest(2);
    EXPECT_EQ(R().GetRenderState(ERenderState::ZEnable), 0u);
    m_Device->SetTextureFilter(1);
    EXPECT_EQ(R().GetSamplerState(ESamplerState::AddressU), static_cast<uint32_t>(TADDRESS_CLAMP));
    EXPECT_EQ(R().GetSamplerState(ESamplerState::MinFilter), static_cast<uint32_t>(TEXF_LINEAR));
    m_Device->SetTextureFilter(0);
    EXPECT_EQ(R().GetSamplerState(ESamplerState::AddressV), static_cast<uint32_t>(TADDRESS_WRAP));
    EXPECT_EQ(R().GetSamplerState(ESamplerState::MagFilter), static_cast<uint32_t>(TEXF_NONE));
    m_Device->SetMaterialColor(0.5f, 0.1f, 0.2f, 0.3f);
    const SMaterial& m = R().GetMaterial();
    EXPECT_EQ(m.diffuse.a, 0.5f);
    EXPECT_EQ(m.ambient.g, 0.2f);
    EXPECT_EQ(m.emissive.b, 0.3f);
    EXPECT_EQ(m.specular.r, 0.0f);
}

// A sprite batch puts the renderer's states back at its end; code inside it
// that changed them through the cache (a sprite turns depth and fog off) must
// not leave the cache believing otherwise, or the next equal request would be
// skipped over a renderer in the other state.
TEST_F(CDeviceTest, SpriteBatchesLeaveTheCacheTrue)
{
    ASSERT_TRUE(Open(true));
    m_Device->SetFogRange(10.0f, 100.0f);
    struct SCase {
        const char* name;
        void (CGraphicsDevice::*set)(int);
        ERenderState state;
        uint32_t off;   // the renderer's value for set(0)
    };
    const SCase cases[] = {
        {"depth", &CGraphicsDevice::SetDepthTest, ERenderState::ZEnable, 0u},
        {"fog", &CGraphicsDevice::SetFog, ERenderState::FogEnable, 0u},
        {"wireframe", &CGraphicsDevice::SetWireframe, ERenderState::FillMode, FILL_SOLID},
        {"cull", &CGraphicsDevice::SetCullMode, ERenderState::CullMode, CULL_NONE},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        (m_Device.get()->*c.set)(1);
        m_Device->Sprite().Begin();
        (m_Device.get()->*c.set)(0);
        m_Device->Sprite().End();
        (m_Device.get()->*c.set)(0);
        EXPECT_EQ(R().GetRenderState(c.state), c.off);
    }
}

TEST_F(CDeviceTest, ShakeDecaysAndStopsByItself)
{
    ASSERT_TRUE(Open(true));
    m_Device->SetQuake(32.0f);
    int frames = 0;
    while (m_Device->GetQuakeAmplitude() != 0.0f && frames < 1000) {
        m_Device->Update();
        ++frames;
        int dx, dy;
        m_Device->GetShakeOffset(dx, dy);
        const float a = m_Device->GetQuakeAmplitude();
        const int amp = static_cast<int>(a), half = static_cast<int>(a * 0.5f);
        EXPECT_GE(dx, -half);
        EXPECT_LE(dx, amp - half);
        EXPECT_GE(dy, -half);
        EXPECT_LE(dy, amp - half);
    }
    // 32 x 0.95^n first reaches 1 or less at n = 68.
    EXPECT_EQ(frames, 68);
    int dx = 1, dy = 1;
    m_Device->GetShakeOffset(dx, dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
}

TEST_F(CDeviceTest, SlowMotionCountsDownAndToggles)
{
    ASSERT_TRUE(Open(true));
    m_Device->BeginSlowMotion(3);
    EXPECT_TRUE(m_Device->IsSlowMotion());
    EXPECT_FALSE(m_Device->SlowMotionToggle());
    const bool expect[] = {true, false, true};
    for (bool t : expect) {
        m_Device->Update();
        EXPECT_EQ(m_Device->SlowMotionToggle(), t);
    }
    EXPECT_FALSE(m_Device->IsSlowMotion());
    m_Device->Update();
    EXPECT_TRUE(m_Device->SlowMotionToggle());  // stays as it was
    m_Device->HoldSlowMotion(480);
    EXPECT_TRUE(m_Device->IsSlowMotion());
    m_Device->EndSlowMotion();
    EXPECT_FALSE(m_Device->IsSlowMotion());
}

TEST_F(CDeviceTest, ReflectionTexturesAlternate)
{
    ASSERT_TRUE(Open(true));
    CRenderTexture* first = m_Device->GetReflectionTexture();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Width(), 1024);
    EXPECT_EQ(first->Height(), 512);
    m_Device->Update();
    EXPECT_EQ(m_Device->GetReflectionTexture(), first);  // previous index 0
    m_Device->Update();
    CRenderTexture* second = m_Device->GetReflectionTexture();
    EXPECT_NE(second, first);
    m_Device->Update();
    EXPECT_EQ(m_Device->GetReflectionTexture(), first);
}

TEST_F(CDeviceTest, BillboardMatrixIsTheTransposedViewRotation)
{
    ASSERT_TRUE(Open(true));
    Matrix view{{{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {3, 4, 5, 1}}};
    m_Device->SetTransform(ETransform::View, view);
    Matrix b;
    m_Device->GetBillboardMatrix(b);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(b.m[i][j], view.m[j][i]);
    EXPECT_EQ(b.m[3][0], 0.0f);
    EXPECT_EQ(b.m[3][2], 0.0f);
    EXPECT_EQ(b.m[3][3], 1.0f);
}

TEST_F(CDeviceTest, SnapshotsInOneSecondDoNotOverwriteEachOther)
{
    ASSERT_TRUE(Open());
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->FillRect(0, 0, 1, 1, 1.0f, 1.0f, 0.0f, 0.0f);
    m_Device->EndFrame();
    std::string a, b;
    // Retry across a second boundary so both fall in the same second; a loaded
    // machine can take a good part of a second per save, so allow many tries.
    for (int tries = 0; tries < 20; ++tries) {
        a = m_Device->SaveSnapshot();
        b = m_Device->SaveSnapshot();
        if (!a.empty() && !b.empty() && a.substr(a.rfind('/') + 1, 14) == b.substr(b.rfind('/') + 1, 14)) break;
    }
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_EQ(a.find(GetProgramDir() + "snapshot/"), 0u);
    const std::string name = a.substr(a.rfind('/') + 1);
    EXPECT_EQ(name.size(), 18u);  // %Y%m%d%H%M%S.bmp
    EXPECT_EQ(name.substr(14), ".bmp");
    EXPECT_EQ(b.substr(b.size() - 6), "-2.bmp");
    const std::string bmp = ReadText(a);
    ASSERT_EQ(bmp.size(), 54u + 640u * 480u * 3u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    // Bottom-up rows: the top-left pixel is the first pixel of the last row.
    const size_t lastRow = 54 + 479u * 640u * 3u;
    EXPECT_EQ(static_cast<unsigned char>(bmp[lastRow + 2]), 255);  // red
    EXPECT_EQ(static_cast<unsigned char>(bmp[lastRow + 1]), 0);
}

TEST_F(CDeviceTest, NullRendererWritesNoSnapshot)
{
    ASSERT_TRUE(Open(true));
    EXPECT_EQ(m_Device->SaveSnapshot(), "");
    EXPECT_FALSE(m_Device->SaveSnapshotPng("snapshot/x.png"));
}
