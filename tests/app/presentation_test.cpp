// The presentation objects: fader ramps, cut-in slides, the side panel, the
// camera, score digits and flares; the drawing ones also on the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../gfx/gfx_fixture.h"
#include "core/ObjectLists.h"
#include "gfx/Texture.h"
#include "platform/RenderMath.h"
#include "stage/Camera.h"
#include "stage/CinemaScope.h"
#include "stage/Cutin.h"
#include "stage/DigitalNumber.h"
#include "stage/Fader.h"
#include "stage/Flare.h"

namespace {

struct CListsCleaner {
    ~CListsCleaner()
    {
        DeleteAll(g_OverlayList);
        DeleteAll(g_ForegroundList);
    }
};

// The device as the game's objects reach it.
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

std::unique_ptr<CTexture> SolidTexture(CGraphicsDevice* d, int w, int h, uint32_t argb)
{
    auto t = std::make_unique<CTexture>(d);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h, argb);
    t->m_nWidth = w;
    t->m_nHeight = h;
    t->m_pTexture = d->GetRenderer()->CreateTexture(w, h, px.data(), false);
    return t;
}

// The fader's opacity on each of n frames (Step: draw, then count down).
std::vector<float> FaderAlphas(CFader& f, int n)
{
    std::vector<float> a;
    for (int i = 0; i < n; ++i) {
        a.push_back(f.GetAlpha());
        f.Update();
    }
    return a;
}

}  // namespace

TEST(Fader, RampsByOperation)
{
    struct Case {
        const char* name;
        void (*start)(CFader&);
        int frames;
        float r, g, b;
        // Opacity on frame 0, frame frames / 2 and from frame `frames` on
        // (negative: nothing drawn).
        float first, middle, end;
    };
    const Case cases[] = {
        {"fade from black", [](CFader& f) { f.FadeFromBlack(120); }, 120, 0, 0, 0, 1.0f, 0.5f, -1.0f},
        {"fade to black", [](CFader& f) { f.FadeToBlack(480); }, 480, 0, 0, 0, -1.0f, 0.5f, 1.0f},
        {"flash white", [](CFader& f) { f.FlashWhite(); }, 30, 1, 1, 1, 1.0f, 0.5f, -1.0f},
        {"long flash white", [](CFader& f) { f.LongFlashWhite(); }, 240, 1, 1, 1, 1.0f, 0.5f, -1.0f},
        {"flash red", [](CFader& f) { f.FlashColor(1, 0, 0); }, 30, 1, 0, 0, 1.0f, 0.5f, -1.0f},
        {"darken by half", [](CFader& f) { f.FlashColor(0.5f, 0, 0, 0); }, 30, 0, 0, 0, 0.5f, 0.25f, -1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFader f;
        f.FlashColor(0.3f, 0.2f, 0.4f, 0.6f);  // something running before: restarted
        f.Update();
        c.start(f);
        EXPECT_EQ(f.m_fRed, c.r);
        EXPECT_EQ(f.m_fGreen, c.g);
        EXPECT_EQ(f.m_fBlue, c.b);
        const std::vector<float> a = FaderAlphas(f, c.frames + 100);
        EXPECT_FLOAT_EQ(a[0], c.first);
        EXPECT_FLOAT_EQ(a[c.frames / 2], c.middle);
        for (int i = c.frames; i < c.frames + 100; ++i) ASSERT_FLOAT_EQ(a[i], c.end) << i;
        // Steady ramp in between.
        for (int i = 2; i < c.frames; ++i)
            ASSERT_NEAR(a[i] - a[i - 1], a[2] - a[1], 1e-5) << i;
    }
}

TEST(Fader, FadeToBlackFirstDrawsNothingThenStaysBlackUntilSwitchedOff)
{
    CFader f;
    EXPECT_LT(f.GetAlpha(), 0.0f);  // a new fader is off
    f.FadeToBlack(480);
    const std::vector<float> a = FaderAlphas(f, 1000);
    EXPECT_LT(a[0], 0.0f);
    EXPECT_NEAR(a[1], 1.0f / 480.0f, 1e-6);
    EXPECT_NEAR(a[479], 479.0f / 480.0f, 1e-6);
    EXPECT_FLOAT_EQ(a[999], 1.0f);
    f.Off();
    EXPECT_LT(f.GetAlpha(), 0.0f);
    // A fade of no frames draws nothing rather than dividing by zero.
    f.FadeFromBlack(0);
    EXPECT_LT(f.GetAlpha(), 0.0f);
    f.FadeToBlack(0);
    EXPECT_LT(f.GetAlpha(), 0.0f);
}

TEST(Cutin, PictureSlidesInHoldsThenSwellsAway)
{
    struct Case {
        int side;
        float startX, stopX;
    };
    for (const Case& c : {Case{0, -360.0f, 0.0f}, Case{1, 640.0f, 280.0f}}) {
        SCOPED_TRACE(c.side);
        CCutin p(nullptr, c.side);
        EXPECT_EQ(p.m_vPos.x, c.startX);
        EXPECT_EQ(p.m_vPos.y, 60.0f);
        for (int k = 1; k < 20; ++k) {
            p.Update();
            ASSERT_EQ(p.m_vPos.x, c.startX + (c.side == 0 ? 18.0f : -18.0f) * k) << k;
            ASSERT_EQ(p.m_nPhase, 0);
        }
        p.Update();  // the 20th step crosses the line
        EXPECT_EQ(p.m_vPos.x, c.stopX);
        EXPECT_EQ(p.m_nPhase, 1);
        int updates = 20, holding = 0;
        while (p.m_nState == CObject::STATE_ALIVE) {
            p.Update();
            ++updates;
            ++holding;
            ASSERT_EQ(p.m_vPos.x, c.stopX);
        }
        EXPECT_EQ(holding, 30);
        EXPECT_EQ(p.m_nState, CObject::STATE_VANISH);
        EXPECT_EQ(p.m_nVanishTotal, 60);
        while (p.m_nState != CObject::STATE_DEAD) {
            p.Update();
            ++updates;
        }
        EXPECT_EQ(updates, 20 + 30 + 59);  // the hand-over update counts for both
    }
}

TEST(Cutin, TextStripStopsPausesDriftsAndStays)
{
    struct Case {
        int side;
        float stopX;
        int slide;
        float endY;
        int drift;
    };
    // Side 1 overshoots 358 (640 - 16 x 18 = 352) and is put back on it; it
    // drifts to the top and is held at 32. Side 0 stops past 134 and drifts to
    // the bottom until below 438.
    for (const Case& c : {Case{0, 152.0f, 20, 442.0f, 23}, Case{1, 358.0f, 16, 32.0f, 80}}) {
        SCOPED_TRACE(c.side);
        CCutinString s(nullptr, c.side);
        EXPECT_EQ(s.m_vPos.x, c.side == 0 ? -208.0f : 640.0f);
        EXPECT_EQ(s.m_vPos.y, 350.0f);
        for (int k = 0; k < c.slide; ++k) s.Update();
        EXPECT_EQ(s.m_vPos.x, c.stopX);
        EXPECT_EQ(s.m_nPhase, 1);
        const int age = s.m_nAge;
        for (int k = 0; k < 30; ++k) s.Update();  // frozen: not even aged
        EXPECT_EQ(s.m_nAge, age);
        EXPECT_EQ(s.m_vPos.y, 350.0f);
        for (int k = 0; k < c.drift - 1; ++k) {
            s.Update();
            ASSERT_EQ(s.m_nPhase, 1) << k;
        }
        s.Update();
        EXPECT_EQ(s.m_vPos.y, c.endY);
        EXPECT_EQ(s.m_vPos.x, c.stopX);
        EXPECT_EQ(s.m_nPhase, 2);
        EXPECT_EQ(s.m_nLifeCount, 240);
        EXPECT_EQ(s.m_nVanishTotal, 120);
        EXPECT_FLOAT_EQ(s.GetVanishRate(), 1.0f);
        for (int k = 0; k < 240 + 60; ++k) s.Update();
        EXPECT_EQ(s.m_vPos.y, c.endY);  // it stays where it ended
        // The life ends on its 240th update, which also counts the first vanish frame.
        EXPECT_NEAR(s.GetVanishRate(), 59.0f / 120.0f, 1e-6);
    }
}

TEST(Cutin, SpawnAddsPictureAndStripToTheOverlay)
{
    CListsCleaner clean;
    CTexture picture(nullptr), text(nullptr);
    CCutin::Spawn(&picture, &text, 1);  // no sound set: nothing plays, nothing breaks
    ASSERT_EQ(g_OverlayList.Count(), 2);
    EXPECT_EQ(g_OverlayList.At(0)->m_pTexture, &picture);
    EXPECT_EQ(g_OverlayList.At(1)->m_pTexture, &text);
    EXPECT_EQ(g_OverlayList.At(0)->m_vPos.x, 640.0f);
    EXPECT_EQ(g_OverlayList.At(1)->m_vPos.y, 350.0f);
}

TEST(CinemaScope, BandGrowsStaysAndShrinks)
{
    CListsCleaner clean;
    CCinemaScope* p = CCinemaScope::Spawn(200, 120, 120, 120);
    ASSERT_EQ(g_ForegroundList.Count(), 1);
    struct Row {
        int frame;
        int width;
        float alpha;
    };
    // Frame k is drawn after k updates.
    const Row rows[] = {{0, 0, 0.0f},     {60, 100, 0.25f}, {90, 150, 0.375f}, {120, 200, 0.5f},
                        {238, 200, 0.5f}, {239, 198, 0.4958333f}, {298, 100, 0.25f}};
    int frame = 0;
    for (const Row& r : rows) {
        for (; frame < r.frame; ++frame) p->Update();
        int w = -1;
        float a = -1.0f;
        ASSERT_TRUE(p->GetBand(w, a)) << r.frame;
        EXPECT_EQ(w, r.width) << r.frame;
        EXPECT_NEAR(a, r.alpha, 1e-6) << r.frame;
    }
    while (p->m_nState != CObject::STATE_DEAD) p->Update();
    int w = 0;
    float a = 0.0f;
    EXPECT_FALSE(p->GetBand(w, a));
}

TEST(Camera, ResetAndView)
{
    CCameraObject cam;
    CObject target;
    cam.SetPos(Vec3{1, 2, 3});
    cam.SetRot(Vec3{4, 5, 6});
    cam.SetVel(Vec3{1, 1, 1});
    cam.SetTarget(&target);
    cam.MoveTo(Vec3{9, 9, 9}, 10);
    cam.Reset();
    EXPECT_EQ(cam.m_vPos, (Vec3{0, 0, -10}));
    EXPECT_EQ(cam.m_vRot, g_vZero);
    EXPECT_EQ(cam.m_vAux, g_vUp);
    EXPECT_EQ(cam.m_vVel, g_vZero);
    EXPECT_EQ(cam.GetTarget(), nullptr);
    EXPECT_FALSE(cam.m_PosTrack.active);
    // Eye at -10 looking at the origin: the origin is 10 ahead, +X right, +Y up.
    Matrix view;
    ASSERT_TRUE(cam.BuildView(view));
    const Vec3 o = TransformCoord(Vec3{0, 0, 0}, view);
    EXPECT_NEAR(o.z, 10.0f, 1e-6);
    const Vec3 r = TransformCoord(Vec3{1, 2, 0}, view);
    EXPECT_NEAR(r.x, 1.0f, 1e-6);
    EXPECT_NEAR(r.y, 2.0f, 1e-6);
    // Following: looks at the target wherever it is.
    target.SetPos(Vec3{5, 0, 0});
    cam.SetTarget(&target);
    ASSERT_TRUE(cam.BuildView(view));
    const Vec3 t = TransformCoord(target.m_vPos, view);
    EXPECT_NEAR(t.x, 0.0f, 1e-5);
    EXPECT_NEAR(t.y, 0.0f, 1e-5);
    EXPECT_GT(t.z, 0.0f);
    // The eye on the point it looks at defines no view.
    cam.SetTarget(nullptr);
    cam.SetPos(g_vZero);
    EXPECT_FALSE(cam.BuildView(view));
}

TEST(Camera, StepGlidesTheEyeOnItsTrack)
{
    CCameraObject cam;
    cam.MoveTo(Vec3{0, 0, -20}, 4);
    cam.AuxTo(Vec3{0, 0, -1}, 4);
    for (int i = 0; i < 4; ++i) cam.Step();  // no device: the view is skipped
    EXPECT_EQ(cam.m_vPos, (Vec3{0, 0, -20}));
    EXPECT_EQ(cam.m_vAux, (Vec3{0, 0, -1}));
}

TEST_F(CDeviceTest, CameraSetsTheViewAndTheSkyViewTurnsWithoutMoving)
{
    ASSERT_TRUE(Open(true));
    CGlobalDevice global(m_Device.get());
    CCameraObject cam;
    cam.SetPos(Vec3{3, 4, -10});
    cam.SetRot(Vec3{3, 4, 0});
    cam.Step();
    const Matrix view = m_Device->GetTransform(ETransform::View);
    const Vec3 p = TransformCoord(Vec3{3, 4, 5}, view);
    EXPECT_NEAR(p.x, 0.0f, 1e-5);
    EXPECT_NEAR(p.y, 0.0f, 1e-5);
    EXPECT_NEAR(p.z, 15.0f, 1e-5);
    cam.ApplySkyView();
    const Matrix sky = m_Device->GetTransform(ETransform::View);
    // Same turn, no translation.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(sky.m[i][j], view.m[i][j], 1e-6);
    EXPECT_EQ(sky.m[3][0], 0.0f);
    EXPECT_EQ(sky.m[3][1], 0.0f);
    EXPECT_EQ(sky.m[3][2], 0.0f);
    cam.RestoreView();
    const Matrix back = m_Device->GetTransform(ETransform::View);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(back.m[i][j], view.m[i][j]);
}

TEST(DigitalNumber, CentredLayoutAndProjection)
{
    // n characters 12 pixels apart, centred: the first is 6 n left of the point.
    EXPECT_EQ(CDigitalNumber::FirstDigitX(320.0f, 3), 302.0f);
    EXPECT_EQ(CDigitalNumber::FirstDigitX(100.0f, 1), 94.0f);
    EXPECT_EQ(CDigitalNumber(4096).m_strNumber, "4096");
    EXPECT_EQ(CDigitalNumber(0).m_strNumber, "0");
    Matrix identity;
    MatrixIdentity(identity);
    SViewport play;
    play.x = 140;
    play.width = 360;
    float x = 0, y = 0;
    ASSERT_TRUE(CDigitalNumber::Project(Vec3{0, 0, 0.5f}, identity, identity, play, x, y));
    EXPECT_FLOAT_EQ(x, 320.0f);
    EXPECT_FLOAT_EQ(y, 240.0f);
    ASSERT_TRUE(CDigitalNumber::Project(Vec3{-1, 1, 0}, identity, identity, play, x, y));
    EXPECT_FLOAT_EQ(x, 140.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    Matrix behind = identity;
    behind.m[3][3] = -1.0f;
    EXPECT_FALSE(CDigitalNumber::Project(Vec3{0, 0, 0}, identity, behind, play, x, y));
}

TEST(DigitalNumber, SpawnMovesAndFadesOver180Frames)
{
    CListsCleaner clean;
    CDigitalNumber* n = CDigitalNumber::Spawn(Vec3{1, 2, 0}, Vec3{0, 0.01f, 0}, 500);
    ASSERT_EQ(g_ForegroundList.Count(), 1);
    EXPECT_EQ(n->m_nVanishTotal, 180);
    for (int i = 0; i < 90; ++i) n->Update();
    EXPECT_FLOAT_EQ(n->GetVanishRate(), 0.5f);
    EXPECT_NEAR(n->m_vPos.y, 2.9f, 1e-5);
}

// "305" centred on a point that lands on (320, 240): digits 3, 0, 5 at x 302,
// 314 and 326, each its own picture.
TEST_F(CDeviceTest, ScoreDigitsLandCentredOnTheirPoint)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    CListsCleaner clean;
    std::unique_ptr<CTexture> digits[10];
    for (int i = 0; i < 10; ++i) {
        digits[i] = SolidTexture(m_Device.get(), 10, 16, 0xFF000000u | static_cast<uint32_t>(20 * (i + 1)) << 16);
        CDigitalNumber::s_pDigits[i] = digits[i].get();
    }
    CDigitalNumber* n = CDigitalNumber::Spawn(Vec3{0, 0, 0}, g_vZero, 305);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->SetProjection(45, 640.0f / 480.0f);
    m_Device->SetTransform(ETransform::View, LookAtLH(Vec3{0, 0, -10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
    n->Step();
    m_Device->EndFrame();
    const auto px = Pixels();
    for (CTexture*& d : CDigitalNumber::s_pDigits) d = nullptr;
    EXPECT_EQ(R8(At(px, 302, 245)), 80);   // "3"
    EXPECT_EQ(R8(At(px, 311, 245)), 80);
    EXPECT_EQ(R8(At(px, 312, 245)), 0);    // the gap between digits
    EXPECT_EQ(R8(At(px, 314, 245)), 20);   // "0"
    EXPECT_EQ(R8(At(px, 326, 245)), 120);  // "5"
    EXPECT_EQ(R8(At(px, 301, 245)), 0);
    EXPECT_EQ(R8(At(px, 302, 239)), 0);    // top edge on the projected y
    EXPECT_EQ(R8(At(px, 302, 240)), 80);
}

TEST(Flare, SpawnsAndSizes)
{
    CListsCleaner clean;
    CFlare* f = CFlare::Spawn(Vec3{1, 2, 3});
    CFlare* l = CFlare::SpawnLong(Vec3{4, 5, 6}, Vec3{0, 0, 0.25f});
    ASSERT_EQ(g_ForegroundList.Count(), 2);
    EXPECT_EQ(f->m_fWidth, 3.0f);
    EXPECT_EQ(f->m_fHeight, 3.0f);
    EXPECT_EQ(f->m_vPos, (Vec3{1, 2, 3}));
    EXPECT_EQ(l->m_fWidth, 0.5f);
    EXPECT_EQ(l->m_fHeight, 15.0f);
    EXPECT_EQ(l->m_vRot, (Vec3{0, 0, 0.25f}));
    for (CFlare* p : {f, l}) {
        EXPECT_EQ(p->m_nState, CObject::STATE_VANISH);
        EXPECT_EQ(p->m_nVanishCount, 60);
    }
}

// The flare adds its glow and shrinks with its vanish rate; the fader covers
// the whole screen with its colour at its opacity.
TEST_F(CDeviceTest, FlareShrinksAndFaderCovers)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    CListsCleaner clean;
    auto glow = SolidTexture(m_Device.get(), 16, 16, 0xFF404040u);
    CFlare::s_pTexture = glow.get();
    CFlare* f = CFlare::Spawn(g_vZero);
    auto frame = [&](auto&& draw) {
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->SetProjection(45, 640.0f / 480.0f);
        m_Device->SetTransform(ETransform::View, LookAtLH(Vec3{0, 0, -10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
        draw();
        m_Device->EndFrame();
        return Pixels();
    };
    // 3 units at 10 from the eye: about 143 pixels wide; two flares add up.
    auto px = frame([&] {
        f->Draw();
        f->Draw();
    });
    EXPECT_EQ(R8(At(px, 320, 240)), 0x80);
    EXPECT_EQ(R8(At(px, 380, 240)), 0x80);
    for (int i = 0; i < 30; ++i) f->Update();  // half size: about 72 pixels
    px = frame([&] { f->Draw(); });
    EXPECT_EQ(R8(At(px, 320, 240)), 0x40);
    EXPECT_EQ(R8(At(px, 380, 240)), 0);
    CFlare::s_pTexture = nullptr;

    CFader fader;
    fader.FlashColor(0.5f, 1.0f, 1.0f, 0.0f);
    px = frame([&] { fader.Step(); });
    for (auto [x, y] : {std::pair{0, 0}, std::pair{639, 479}, std::pair{320, 240}}) {
        EXPECT_NEAR(R8(At(px, x, y)), 128, 1);
        EXPECT_NEAR(G8(At(px, x, y)), 128, 1);
        EXPECT_EQ(B8(At(px, x, y)), 0);
    }
}

// The band starts at the play field's left edge (x = 140) even while the
// play-field viewport is set, as in the foreground pass.
TEST_F(CDeviceTest, SidePanelDarkensFromThePlayFieldEdge)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    CCinemaScope band(200);
    m_Device->SetFogColor(200, 200, 200);
    m_Device->BeginFrame();
    m_Device->SetPlayFieldViewport();
    band.Draw();
    m_Device->EndFrame();
    const auto px = Pixels();
    EXPECT_EQ(R8(At(px, 139, 100)), 200);
    EXPECT_NEAR(R8(At(px, 140, 100)), 100, 1);  // black at 0.5
    EXPECT_NEAR(R8(At(px, 339, 479)), 100, 1);
    EXPECT_EQ(R8(At(px, 340, 100)), 200);
}

// While it fades the picture swells about its centre: at vanish rate 0.5 it
// is drawn 1.5 times its 360 x 307 size at half opacity, from (-90, -16.75).
TEST_F(CDeviceTest, CutinSwellsAboutItsCentreWhileFading)
{
    ASSERT_TRUE(Open());
    CGlobalDevice global(m_Device.get());
    auto picture = SolidTexture(m_Device.get(), 400, 320, 0xFFFF0000u);  // only 360 x 307 of it is shown
    CCutin c(picture.get(), 0);
    for (int i = 0; i < 20; ++i) c.Update();
    ASSERT_EQ(c.m_vPos.x, 0.0f);
    auto frame = [&] {
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        c.Draw();
        m_Device->EndFrame();
        return Pixels();
    };
    auto px = frame();  // holding: its own size, opaque
    EXPECT_EQ(R8(At(px, 0, 60)), 255);
    EXPECT_EQ(R8(At(px, 359, 366)), 255);
    EXPECT_EQ(R8(At(px, 360, 200)), 0);
    EXPECT_EQ(R8(At(px, 200, 367)), 0);
    c.Vanish(60);
    for (int i = 0; i < 30; ++i) c.Update();
    ASSERT_FLOAT_EQ(c.GetVanishRate(), 0.5f);
    px = frame();
    EXPECT_NEAR(R8(At(px, 0, 0)), 128, 1);
    EXPECT_NEAR(R8(At(px, 448, 441)), 128, 1);
    EXPECT_EQ(R8(At(px, 452, 200)), 0);
    EXPECT_EQ(R8(At(px, 200, 446)), 0);
}
