// Pictures drawn by the OpenGL back end, read back from the 640 x 480 back buffer
// and compared with what the original fixed-function device computes.
#include <gtest/gtest.h>

#include "gfx_fixture.h"
#include "core/Object.h"
#include "platform/GlRenderer.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// The exact colour a channel of 8 bits takes after blending, within rounding.
void ExpectRgbNear(uint32_t px, int r, int g, int b, int tol = 1)
{
    EXPECT_NEAR(R8(px), r, tol);
    EXPECT_NEAR(G8(px), g, tol);
    EXPECT_NEAR(B8(px), b, tol);
}

RVertex PreVertex(float x, float y, uint32_t color, float u = 0, float v = 0)
{
    RVertex r;
    r.x = x;
    r.y = y;
    r.diffuse = color;
    r.u = u;
    r.v = v;
    return r;
}

// A pre-transformed rectangle, clockwise on screen.
void DrawScreenRect(CRenderer& r, float x, float y, float w, float h, uint32_t color, uint32_t extra = 0)
{
    RVertex v[4] = {PreVertex(x, y, color, 0, 0), PreVertex(x + w, y, color, 1, 0), PreVertex(x, y + h, color, 0, 1),
                    PreVertex(x + w, y + h, color, 1, 1)};
    r.DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, v, FVF_XYZRHW | FVF_DIFFUSE | extra);
}

}  // namespace

TEST_F(CDeviceTest, FillRectCoversExactlyItsPixels)
{
    ASSERT_TRUE(Open());
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->FillRect(5, 91, 39, 10, 1.0f, 0.0f, 1.0f, 0.0f);
    m_Device->EndFrame();
    const auto px = Pixels();
    int covered = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const bool inside = x >= 5 && x < 44 && y >= 91 && y < 101;
            const uint32_t c = At(px, x, y);
            if (inside) {
                EXPECT_EQ(c, 0xFF00FF00u) << x << "," << y;
                ++covered;
            } else if (c != kBlack) {
                ADD_FAILURE() << "pixel outside the rectangle at " << x << "," << y;
                return;
            }
        }
    EXPECT_EQ(covered, 390);
}

TEST_F(CDeviceTest, BlendModesGiveTheFixedFunctionResults)
{
    ASSERT_TRUE(Open());
    // Destination (0.2, 0.4, 0.6); source (0.8, 0.5, 0.25) with vertex alpha 0.5.
    const int dst[3] = {51, 102, 153};
    const double s[3] = {204 / 255.0, 128 / 255.0, 64 / 255.0};
    const double d[3] = {dst[0] / 255.0, dst[1] / 255.0, dst[2] / 255.0};
    const uint32_t src = 0x80CC8040u;
    struct Case {
        int mode;
        double expect[3];
    };
    const Case cases[] = {
        {0, {s[0] * (128 / 255.0) + d[0] * (1 - 128 / 255.0), s[1] * (128 / 255.0) + d[1] * (1 - 128 / 255.0),
             s[2] * (128 / 255.0) + d[2] * (1 - 128 / 255.0)}},
        {1, {std::min(1.0, s[0] + d[0]), std::min(1.0, s[1] + d[1]), std::min(1.0, s[2] + d[2])}},
        {2, {s[0] * (1 - d[0]), s[1] * (1 - d[1]), s[2] * (1 - d[2])}},
        {3, {s[0] * d[0], s[1] * d[1], s[2] * d[2]}},
        {4, {s[0], s[1], s[2]}},  // any other mode: blending off
    };
    m_Device->SetFogColor(dst[0], dst[1], dst[2]);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    int x = 10;
    for (const Case& c : cases) {
        m_Device->SetBlendMode(c.mode);
        DrawScreenRect(R(), static_cast<float>(x), 10, 20, 20, src);
        x += 30;
    }
    m_Device->EndFrame();
    const auto px = Pixels();
    x = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ExpectRgbNear(At(px, x + 10, 20), static_cast<int>(std::lround(c.expect[0] * 255)),
                      static_cast<int>(std::lround(c.expect[1] * 255)),
                      static_cast<int>(std::lround(c.expect[2] * 255)));
        x += 30;
    }
}

TEST_F(CDeviceTest, TextureAlphaIsModulatedByVertexAlphaOnlyInAlphaBlending)
{
    ASSERT_TRUE(Open());
    // A white texture at half alpha over black: mode 0 fades by texture x vertex
    // alpha (0.5 x 0.5), mode 1 adds the colour modulated by the vertex colour but
    // takes no alpha into account (one, one).
    std::vector<uint32_t> texels(4 * 4, 0x80FFFFFFu);
    CRenderTexture* tex = R().CreateTexture(4, 4, texels.data(), false);
    ASSERT_NE(tex, nullptr);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->SetTexture(tex);
    m_Device->SetBlendMode(0);
    DrawScreenRect(R(), 10, 10, 20, 20, 0x80FFFFFFu, FVF_TEX1);
    m_Device->SetBlendMode(1);
    DrawScreenRect(R(), 40, 10, 20, 20, 0x80808080u, FVF_TEX1);
    m_Device->EndFrame();
    const auto px = Pixels();
    ExpectRgbNear(At(px, 20, 20), 64, 64, 64);
    ExpectRgbNear(At(px, 50, 20), 128, 128, 128);
    R().ReleaseTexture(tex);
}

// The default camera: eye (0, 0, -10) looking at the origin, up +y, projection code
// 45 with aspect 0.75, the play-field viewport. The expectation is computed here
// from the formulas of the original math library.
TEST_F(CDeviceTest, WorldPointLandsOnThePredictedPixel)
{
    ASSERT_TRUE(Open());
    // Look-at from (0,0,-10) to the origin with up (0,1,0): axes x (1,0,0), y (0,1,0),
    // z (0,0,1), translation (0, 0, 10).
    auto project = [](float px, float py, float pz, double& sx, double& sy) {
        const double vz = pz + 10.0;
        const double ys = 1.0 / std::tan(0.9299114f / 2.0);
        const double xs = ys / 0.75;
        const double ndcX = px * xs / vz, ndcY = py * ys / vz;
        sx = 140 + (1 + ndcX) * 360 / 2;
        sy = 0 + (1 - ndcY) * 480 / 2;
    };
    const float points[][3] = {{1.3f, -2.1f, 3.0f}, {-3.7f, 4.2f, 0.0f}, {0.0f, 0.0f, 20.0f}, {1.6f, 1.1f, -4.0f}};
    Matrix view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
    m_Device->SetTransform(ETransform::View, view);
    R().SetRenderState(ERenderState::Lighting, 0);
    for (const auto& p : points) {
        double sx = 0, sy = 0;
        project(p[0], p[1], p[2], sx, sy);
        SCOPED_TRACE(::testing::Message() << p[0] << "," << p[1] << "," << p[2] << " -> " << sx << "," << sy);
        // Pixel centres sit on whole coordinates: the nearest one is hit.
        const int ex = static_cast<int>(std::floor(sx + 0.5)), ey = static_cast<int>(std::floor(sy + 0.5));
        ASSERT_GT(std::fabs(sx - std::floor(sx) - 0.5), 0.05) << "ambiguous test point";
        ASSERT_GT(std::fabs(sy - std::floor(sy) - 0.5), 0.05) << "ambiguous test point";
        m_Device->BeginFrame();
        m_Device->SetPlayFieldViewport();
        RVertex v;
        v.x = p[0];
        v.y = p[1];
        v.z = p[2];
        v.diffuse = 0xFFFFFFFFu;
        m_Device->DrawPrimitiveUP(EPrimitive::PointList, 1, &v, FVF_XYZ | FVF_DIFFUSE);
        m_Device->EndFrame();
        const auto px = Pixels();
        int lit = 0, lx = -1, ly = -1;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if (At(px, x, y) != kBlack) {
                    ++lit;
                    lx = x;
                    ly = y;
                }
        EXPECT_EQ(lit, 1);
        EXPECT_EQ(lx, ex);
        EXPECT_EQ(ly, ey);
    }
}

TEST_F(CDeviceTest, LinearFogByViewDepth)
{
    ASSERT_TRUE(Open());
    Matrix view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
    m_Device->SetTransform(ETransform::View, view);
    R().SetRenderState(ERenderState::Lighting, 0);
    m_Device->SetCullMode(0);
    m_Device->SetBlendMode(-1);
    m_Device->SetFogColor(255, 0, 0);
    m_Device->SetFogRange(10.0f, 30.0f);
    m_Device->SetFog(1);
    struct Case {
        float viewDepth;
        double f;  // share of the vertex colour
    };
    const Case cases[] = {{5, 1.0}, {10, 1.0}, {20, 0.5}, {25, 0.25}, {30, 0.0}, {35, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.viewDepth);
        m_Device->BeginFrame();
        m_Device->SetPlayFieldViewport();
        const float z = c.viewDepth - 10.0f;
        const float h = c.viewDepth * 0.2f;  // a square well inside the view
        RVertex v[4];
        const float xs[4] = {-h, h, -h, h}, ys[4] = {h, h, -h, -h};
        for (int i = 0; i < 4; ++i) {
            v[i].x = xs[i];
            v[i].y = ys[i];
            v[i].z = z;
            v[i].diffuse = 0xFFFFFFFFu;
        }
        m_Device->DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, v, FVF_XYZ | FVF_DIFFUSE);
        m_Device->EndFrame();
        const auto px = Pixels();
        const int gb = static_cast<int>(std::lround(c.f * 255));
        ExpectRgbNear(At(px, 320, 240), 255, gb, gb);
    }
}

TEST_F(CDeviceTest, WireframeDrawsEdgesOnlyAndSolidFills)
{
    ASSERT_TRUE(Open());
    auto countLit = [&](int wire) {
        m_Device->SetWireframe(wire);
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->SetBlendMode(-1);
        // Clockwise on screen; untouched by the default culling.
        RVertex v[3] = {PreVertex(100, 100, 0xFFFFFFFFu), PreVertex(300, 100, 0xFFFFFFFFu),
                        PreVertex(100, 300, 0xFFFFFFFFu)};
        R().DrawPrimitiveUP(EPrimitive::TriangleList, 1, v, FVF_XYZRHW | FVF_DIFFUSE);
        m_Device->EndFrame();
        const auto px = Pixels();
        int lit = 0;
        for (uint32_t c : px) lit += c != kBlack;
        EXPECT_EQ(At(px, 150, 150) != kBlack, wire == 0);
        EXPECT_NE(At(px, 100, 200), kBlack);  // on the left edge
        return lit;
    };
    const int solid = countLit(0);
    const int wire = countLit(1);
    EXPECT_NEAR(solid, 200 * 200 / 2, 300);
    EXPECT_GT(wire, 500);
    EXPECT_LT(wire, 1000);
}

TEST_F(CDeviceTest, CounterClockwiseFacesAreCulled)
{
    ASSERT_TRUE(Open());
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->SetBlendMode(-1);
    RVertex cw[3] = {PreVertex(10, 10, 0xFFFFFFFFu), PreVertex(50, 10, 0xFFFFFFFFu), PreVertex(10, 50, 0xFFFFFFFFu)};
    RVertex ccw[3] = {PreVertex(110, 10, 0xFFFFFFFFu), PreVertex(110, 50, 0xFFFFFFFFu),
                      PreVertex(150, 10, 0xFFFFFFFFu)};
    R().DrawPrimitiveUP(EPrimitive::TriangleList, 1, cw, FVF_XYZRHW | FVF_DIFFUSE);
    R().DrawPrimitiveUP(EPrimitive::TriangleList, 1, ccw, FVF_XYZRHW | FVF_DIFFUSE);
    m_Device->SetCullMode(0);
    RVertex ccw2[3] = {PreVertex(210, 10, 0xFFFFFFFFu), PreVertex(210, 50, 0xFFFFFFFFu),
                       PreVertex(250, 10, 0xFFFFFFFFu)};
    R().DrawPrimitiveUP(EPrimitive::TriangleList, 1, ccw2, FVF_XYZRHW | FVF_DIFFUSE);
    m_Device->EndFrame();
    const auto px = Pixels();
    EXPECT_NE(At(px, 20, 20), kBlack);
    EXPECT_EQ(At(px, 120, 20), kBlack);
    EXPECT_NE(At(px, 220, 20), kBlack);
}

TEST_F(CDeviceTest, ShakeMovesThePresentedPicture)
{
    ASSERT_TRUE(Open());
    // A first, unshaken picture: the whole screen grey.
    m_Device->SetFogColor(64, 64, 64);
    m_Device->BeginFrame();
    m_Device->EndFrame();
    m_Device->Present();
    // Shake until the offsets are not zero in either direction.
    m_Device->SetQuake(32.0f);
    int dx = 0, dy = 0;
    for (int i = 0; i < 100 && (dx == 0 || dy == 0); ++i) {
        m_Device->Update();
        m_Device->GetShakeOffset(dx, dy);
    }
    ASSERT_NE(dx, 0);
    ASSERT_NE(dy, 0);
    m_Device->SetFogColor(0, 0, 0);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->FillRect(300, 200, 10, 10, 1.0f, 1.0f, 1.0f, 1.0f);
    m_Device->EndFrame();
    m_Device->Present();
    std::vector<uint32_t> shown;
    ASSERT_TRUE(R().ReadPresented(shown));
    EXPECT_EQ(At(shown, 300 + dx, 200 + dy), 0xFFFFFFFFu);
    EXPECT_EQ(At(shown, 309 + dx, 209 + dy), 0xFFFFFFFFu);
    EXPECT_NE(At(shown, 310 + dx, 209 + dy), 0xFFFFFFFFu);
    // The strips the moved picture leaves uncovered keep the previous picture.
    const int stripX = dx > 0 ? 0 : 639;
    const int stripY = dy > 0 ? 0 : 479;
    ExpectRgbNear(At(shown, stripX, 240), 64, 64, 64, 0);
    ExpectRgbNear(At(shown, 320, stripY), 64, 64, 64, 0);
    // Inside the moved picture the new black background shows.
    ExpectRgbNear(At(shown, 320 + dx, 100 + dy), 0, 0, 0, 0);
}

TEST_F(CDeviceTest, TextStaysInsideItsBoxJapaneseIncluded)
{
    ASSERT_TRUE(Open());
    auto boundsOf = [&](int x, int y, const char* text, int& minX, int& minY, int& maxX, int& maxY,
                        int width = CGraphicsDevice::kTextBoxWidth) {
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->DrawText(x, y, text, 0xFFFFFFFFu, width);
        m_Device->EndFrame();
        const auto px = Pixels();
        minX = minY = 100000;
        maxX = maxY = -1;
        int lit = 0;
        for (int py = 0; py < 480; ++py)
            for (int pxx = 0; pxx < 640; ++pxx)
                if (At(px, pxx, py) != kBlack) {
                    ++lit;
                    minX = std::min(minX, pxx);
                    maxX = std::max(maxX, pxx);
                    minY = std::min(minY, py);
                    maxY = std::max(maxY, py);
                }
        return lit;
    };
    int x0, y0, x1, y1;
    // Japanese renders, inside the box, on one line: ascent 11 pixels, a descender
    // reaching 2 pixels below the baseline.
    ASSERT_GT(boundsOf(100, 100, "先に config.exe を起動", x0, y0, x1, y1), 50);
    EXPECT_GE(x0, 100);
    EXPECT_GE(y0, 100);
    EXPECT_LE(y1, 112);
    // Far more text than fits: cut at the right edge (x + 512) and bottom (y + 32).
    std::string longLine(200, 'W');
    std::string text = longLine + "\n" + longLine + "\n" + longLine + "\n" + longLine + "\n" + longLine;
    ASSERT_GT(boundsOf(40, 200, text.c_str(), x0, y0, x1, y1), 100);
    EXPECT_GE(x0, 40);
    EXPECT_LT(x1, 40 + 512);
    EXPECT_GE(x1, 40 + 500);
    EXPECT_GE(y0, 200);
    EXPECT_LT(y1, 200 + 32);
    EXPECT_GE(y1, 200 + 24);  // the third line is drawn, cut at the box's bottom
    // A narrower box (a list's column) cuts the text at its own right edge.
    ASSERT_GT(boundsOf(192, 300, "8 - WWWWWWWWWWWWWWWW", x0, y0, x1, y1, 124), 50);
    EXPECT_LT(x1, 192 + 124);
    EXPECT_GE(x1, 192 + 114);
}

TEST_F(CDeviceTest, JapaneseGlyphsDiffer)
{
    ASSERT_TRUE(Open());
    auto picture = [&](const char* text) {
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->DrawText(0, 0, text, 0xFFFFFFFFu);
        m_Device->EndFrame();
        return Pixels();
    };
    const auto a = picture("未登録");
    const auto b = picture("起動");
    const auto c = picture("未登録");
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
}

namespace {

// The picture presented onto a surface of a display's size.
class CLetterboxTest : public CDeviceTest {
protected:
    struct SFill {
        int x, y, w, h;
        float r, g, b;
    };
    // The two rectangles drawn, presented and scaled onto a w x h surface; the
    // surface read back.
    void Composite(int w, int h, const SFill& a, const SFill& b)
    {
        ASSERT_TRUE(Open(false, w, h));
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        for (const SFill& f : {a, b}) m_Device->FillRect(f.x, f.y, f.w, f.h, 1.0f, f.r, f.g, f.b);
        m_Device->EndFrame();
        m_Device->Present();
        auto* gl = static_cast<CGlRenderer*>(m_Device->GetRenderer());
        int rw = 0, rh = 0;
        ASSERT_TRUE(gl->CompositeAndReadSurface(m_Surface, rw, rh));
        ASSERT_EQ(rw, w);
        ASSERT_EQ(rh, h);
        m_nWidth = w;
    }
    uint32_t SurfaceAt(int x, int y) const { return m_Surface[static_cast<size_t>(y) * m_nWidth + x]; }

    std::vector<uint32_t> m_Surface;
    int m_nWidth = 0;
};

}  // namespace

TEST_F(CLetterboxTest, FullScreenLetterboxPlacesLogicalOrigin)
{
    // A 1300 x 960 display: scale 2 exactly (1280 x 960), centred at (10, 0),
    // pixel for pixel.
    Composite(1300, 960, {0, 0, 1, 1, 1.0f, 0.0f, 0.0f}, {639, 479, 1, 1, 0.0f, 0.0f, 1.0f});
    for (int y = 0; y < 2; ++y)
        for (int x = 10; x < 12; ++x) EXPECT_EQ(SurfaceAt(x, y), 0xFFFF0000u) << x << "," << y;
    EXPECT_EQ(SurfaceAt(9, 0), kBlack);
    EXPECT_EQ(SurfaceAt(12, 0), kBlack);
    EXPECT_EQ(SurfaceAt(10, 2), kBlack);
    EXPECT_EQ(SurfaceAt(10 + 1278, 958), 0xFF0000FFu);
    EXPECT_EQ(SurfaceAt(10 + 1279, 959), 0xFF0000FFu);
    EXPECT_EQ(SurfaceAt(10 + 1280, 959), kBlack);
}

TEST_F(CLetterboxTest, AnyOtherSizeIsFilledSmoothlyBetweenBars)
{
    // 1400 x 1000 is wider than 4:3: the picture takes the whole height, 1333
    // pixels wide from x = 33, and the bars stay black.
    Composite(1400, 1000, {0, 0, 320, 480, 0.0f, 1.0f, 0.0f}, {320, 0, 320, 480, 0.0f, 0.0f, 1.0f});
    for (int y : {0, 500, 999}) {
        EXPECT_EQ(SurfaceAt(32, y), kBlack) << y;
        EXPECT_EQ(SurfaceAt(33, y), 0xFF00FF00u) << y;
        EXPECT_EQ(SurfaceAt(690, y), 0xFF00FF00u) << y;
        EXPECT_EQ(SurfaceAt(710, y), 0xFF0000FFu) << y;
        EXPECT_EQ(SurfaceAt(1365, y), 0xFF0000FFu) << y;
        EXPECT_EQ(SurfaceAt(1366, y), kBlack) << y;
    }
    // Between the halves the colours blend: scaled smoothly, not by repeating
    // whole pixels.
    bool blended = false;
    for (int x = 690; x < 710; ++x) blended |= G8(SurfaceAt(x, 500)) != 0 && B8(SurfaceAt(x, 500)) != 0;
    EXPECT_TRUE(blended);
}

TEST(Letterbox, LargestFourByThreeCentred)
{
    struct Case {
        int w, h, x, y, width, height;
        bool whole;
    };
    const Case cases[] = {
        {640, 480, 0, 0, 640, 480, true},         {1280, 960, 0, 0, 1280, 960, true},
        {1920, 1080, 240, 0, 1440, 1080, false},  {1366, 768, 171, 0, 1024, 768, false},
        {1024, 768, 0, 0, 1024, 768, false},      {3840, 2160, 480, 0, 2880, 2160, false},
        {2560, 1920, 0, 0, 2560, 1920, true},     {640, 1000, 0, 260, 640, 480, true},
        {600, 400, 33, 0, 533, 400, false},       {1400, 1000, 33, 0, 1333, 1000, false},
    };
    for (const Case& c : cases) {
        const SLetterbox b = ComputeLetterbox(c.w, c.h);
        EXPECT_EQ(b.x, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(b.y, c.y) << c.w << "x" << c.h;
        EXPECT_EQ(b.width, c.width) << c.w << "x" << c.h;
        EXPECT_EQ(b.height, c.height) << c.w << "x" << c.h;
        EXPECT_EQ(b.whole, c.whole) << c.w << "x" << c.h;
    }
}

TEST_F(CDeviceTest, BulletsWithTheirOwnWorldMatricesShareDrawCalls)
{
    ASSERT_TRUE(Open());
    std::vector<uint32_t> texels(16 * 16, 0xFFFFFFFFu);
    CRenderTexture* tex = R().CreateTexture(16, 16, texels.data(), false);
    Matrix view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
    m_Device->SetTransform(ETransform::View, view);
    m_Device->BeginFrame();
    m_Device->SetPlayFieldViewport();
    R().SetRenderState(ERenderState::Lighting, 0);
    const float half = 0.125f;
    RVertex quad[4];
    const float qx[4] = {-half, half, -half, half}, qy[4] = {half, half, -half, -half};
    for (int i = 0; i < 4; ++i) {
        quad[i].x = qx[i];
        quad[i].y = qy[i];
        quad[i].diffuse = 0xFFFFFFFFu;
        quad[i].u = i % 2 ? 1.0f : 0.0f;
        quad[i].v = i / 2 ? 1.0f : 0.0f;
    }
    for (int i = 0; i < 2000; ++i) {
        // Bullets in a grid; the first one is at (-3, 4), the last at (3, -4).
        const float x = -3.0f + 6.0f * static_cast<float>(i % 50) / 49.0f;
        const float y = 4.0f - 8.0f * static_cast<float>(i / 50) / 39.0f;
        Matrix w{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {x, y, 0, 1}}};
        m_Device->SetWorldTransform(w);
        m_Device->SetDepthTest(0);
        m_Device->SetFog(0);
        m_Device->SetBlendMode(0);
        m_Device->SetTexture(tex);
        m_Device->DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, quad, FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
    }
    m_Device->EndFrame();
    EXPECT_LE(R().Stats().drawCalls, 2);
    EXPECT_EQ(R().Stats().primitives, 4000);
    const auto px = Pixels();
    // Points (-3, 4) and (3, -4) at view depth 10.
    const double ys = 1.0 / std::tan(0.9299114f / 2.0), xs = ys / 0.75;
    const int ax = static_cast<int>(std::lround(140 + (1 + -3 * xs / 10) * 180));
    const int ay = static_cast<int>(std::lround((1 - 4 * ys / 10) * 240));
    EXPECT_EQ(At(px, ax, ay), 0xFFFFFFFFu);
    EXPECT_EQ(At(px, 2 * 320 - ax, 480 - ay), 0xFFFFFFFFu);
    R().ReleaseTexture(tex);
}

// A sprite at whole pixels puts texel (i, j) of its source rectangle on pixel
// (x + i, y + j); texels of alpha 0 leave the background; the colour tints and fades.
TEST_F(CDeviceTest, SpriteTexelsLandOnTheirPixels)
{
    ASSERT_TRUE(Open());
    // 64 x 64: a checker of distinct colours, with the block (16..31, 16..31) and
    // one texel (40, 3) fully transparent.
    std::vector<uint32_t> texels(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint32_t c = 0xFF000000u | static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 4) << 8 |
                         static_cast<uint32_t>((x + y) % 2 ? 255 : 0);
            if ((x >= 16 && x < 32 && y >= 16 && y < 32) || (x == 40 && y == 3)) c = 0x00FF00FFu;
            texels[static_cast<size_t>(y) * 64 + x] = c;
        }
    CRenderTexture* tex = R().CreateTexture(64, 64, texels.data(), false);
    m_Device->SetFogColor(10, 20, 30);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    CSprite& s = m_Device->Sprite();
    s.Begin();
    const SRect src{8, 2, 56, 40};
    const Vec3 at{100, 50, 0};
    s.Draw(tex, &src, nullptr, &at, 0xFFFFFFFFu);
    // The same, faded to half and tinted red only, further right.
    const Vec3 at2{300, 50, 0};
    s.Draw(tex, &src, nullptr, &at2, 0x80FF0000u);
    // Twice the size through the sprite transform.
    Matrix twice{{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    s.SetTransform(twice);
    const Vec3 at3{100, 100, 0};  // lands at (200, 200)
    s.Draw(tex, &src, nullptr, &at3, 0xFFFFFFFFu);
    s.SetTransform(Matrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
    s.End();
    m_Device->EndFrame();
    const auto px = Pixels();
    const uint32_t background = 0xFF0A141Eu;
    int checked = 0;
    for (int j = 0; j < 38; ++j)
        for (int i = 0; i < 48; ++i) {
            const uint32_t t = texels[static_cast<size_t>(j + 2) * 64 + (i + 8)];
            const uint32_t expect = (t >> 24) ? (t | 0xFF000000u) : background;
            ASSERT_EQ(At(px, 100 + i, 50 + j), expect) << i << "," << j;
            const uint32_t faded = At(px, 300 + i, 50 + j);
            if (t >> 24) {
                // Red x 128/255 over the background's red; green and blue fade to
                // half of the background.
                const double a = 128 / 255.0;
                EXPECT_NEAR(R8(faded), R8(t) * a + 10 * (1 - a), 1.0);
                EXPECT_NEAR(G8(faded), 20 * (1 - a), 1.0);
            } else {
                EXPECT_EQ(faded, background);
            }
            ++checked;
        }
    EXPECT_EQ(checked, 48 * 38);
    // Nothing around the unscaled sprite.
    EXPECT_EQ(At(px, 99, 60), background);
    EXPECT_EQ(At(px, 148, 60), background);
    EXPECT_EQ(At(px, 120, 88), background);
    // The scaled one covers (200, 200) .. (296, 276).
    EXPECT_NE(At(px, 201, 201), background);
    EXPECT_NE(At(px, 294, 274), background);
    EXPECT_EQ(At(px, 297, 240), background);
    EXPECT_EQ(At(px, 240, 277), background);
    R().ReleaseTexture(tex);
}

// A sprite drawn at a quarter of its size samples the texture's smaller levels.
// In each 4 x 4 block of texels only the middle 2 x 2 are white: the full-size
// level sampled between texels gives white, the levels a quarter of the white.
// The levels are made when first sampled; an update before or after must show
// in them.
TEST_F(CDeviceTest, ShrunkSpritesSampleSmallerLevelsOfTheCurrentTexels)
{
    ASSERT_TRUE(Open());
    std::vector<uint32_t> dots(64 * 64, kBlack);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (x % 4 == 1 || x % 4 == 2)
                if (y % 4 == 1 || y % 4 == 2) dots[static_cast<size_t>(y) * 64 + x] = 0xFFFFFFFFu;
    const std::vector<uint32_t> red(64 * 64, 0xFFFF0000u);
    // The centre of a 64 x 64 texture drawn shrunk to 16 x 16 at (100, 100).
    auto shrunkCentre = [&](CRenderTexture* tex) {
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        CSprite& s = m_Device->Sprite();
        s.Begin();
        s.SetTransform(Matrix{{{0.25f, 0, 0, 0}, {0, 0.25f, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
        const Vec3 at{400, 400, 0};
        s.Draw(tex, nullptr, nullptr, &at, 0xFFFFFFFFu);
        s.SetTransform(Matrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}});
        s.End();
        m_Device->EndFrame();
        return At(Pixels(), 108, 108);
    };
    CRenderTexture* tex = R().CreateTexture(64, 64, dots.data(), true);
    ASSERT_NE(tex, nullptr);
    ExpectRgbNear(shrunkCentre(tex), 64, 64, 64, 8);
    R().UpdateTexture(tex, 0, 0, 64, 64, red.data());
    {
        SCOPED_TRACE("levels made before an update follow it");
        ExpectRgbNear(shrunkCentre(tex), 255, 0, 0);
    }
    R().ReleaseTexture(tex);

    tex = R().CreateTexture(64, 64, dots.data(), true);
    ASSERT_NE(tex, nullptr);
    R().UpdateTexture(tex, 0, 0, 64, 64, red.data());
    SCOPED_TRACE("levels first made after an update");
    ExpectRgbNear(shrunkCentre(tex), 255, 0, 0);
    R().ReleaseTexture(tex);
}

// Each 16 x 16 block of a texture is known as see-through, partly visible or
// opaque (every texel alpha 255), blocks cut by the texture's edge by the texels
// they hold; an update recomputes what it covers.
TEST_F(CDeviceTest, TextureBlocksKnowWhetherTheyAreSeeThroughOrOpaque)
{
    ASSERT_TRUE(Open());
    enum { None, Visible, Opaque };
    auto kind = [](const CRenderTexture* t, int bx, int by) {
        return t->IsBlockOpaque(bx, by) ? Opaque : t->IsBlockVisible(bx, by) ? Visible : None;
    };
    // 40 x 20: blocks 3 x 2, the last column 8 texels wide and the last row 4 high.
    std::vector<uint32_t> texels(40 * 20, 0xFF102030u);
    auto at = [&](int x, int y) -> uint32_t& { return texels[static_cast<size_t>(y) * 40 + x]; };
    at(5, 5) = 0xFE102030u;                                          // block (0, 0): one texel not quite opaque
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x) at(x, y) = 0x00FF00FFu;        // block (1, 0): see-through
    at(17, 17) = 0x00000000u;                                         // block (1, 1): one hole
    CRenderTexture* tex = R().CreateTexture(40, 20, texels.data(), false);
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(kind(tex, 0, 0), Visible);
    EXPECT_EQ(kind(tex, 1, 0), None);
    EXPECT_EQ(kind(tex, 2, 0), Opaque) << "a block cut by the right edge";
    EXPECT_EQ(kind(tex, 0, 1), Opaque) << "a block cut by the bottom edge";
    EXPECT_EQ(kind(tex, 1, 1), Visible);
    EXPECT_EQ(kind(tex, 2, 1), Opaque);
    EXPECT_FALSE(tex->IsOpaque());

    // An update of part of a block cannot make it opaque (the rest is not
    // known), but makes a see-through block visible; an update of a whole block,
    // also one cut by an edge, decides it.
    const uint32_t solid[2] = {0xFF405060u, 0xFF405060u};
    R().UpdateTexture(tex, 5, 5, 1, 1, solid);
    R().UpdateTexture(tex, 20, 3, 2, 1, solid);
    EXPECT_EQ(kind(tex, 0, 0), Visible);
    EXPECT_EQ(kind(tex, 1, 0), Visible);
    std::vector<uint32_t> block(16 * 16, 0xFF000000u);
    R().UpdateTexture(tex, 0, 0, 16, 16, block.data());
    R().UpdateTexture(tex, 16, 0, 16, 16, block.data());
    R().UpdateTexture(tex, 16, 16, 16, 4, block.data());
    EXPECT_EQ(kind(tex, 0, 0), Opaque);
    EXPECT_EQ(kind(tex, 1, 1), Opaque);
    EXPECT_TRUE(tex->IsOpaque());
    block.assign(block.size(), 0x00000000u);
    R().UpdateTexture(tex, 32, 16, 8, 4, block.data());
    EXPECT_EQ(kind(tex, 2, 1), None);
    EXPECT_FALSE(tex->IsOpaque());
    R().ReleaseTexture(tex);

    CRenderTexture* target = R().CreateRenderTarget(32, 32);
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(target->IsBlockVisible(0, 0));
    EXPECT_FALSE(target->IsBlockOpaque(0, 0)) << "nothing is known of a render target's texels";
    EXPECT_FALSE(target->IsOpaque());
    R().ReleaseTexture(target);
}

// Opaque regions of a sprite are drawn without blending and each region without
// holes as one quad: the pixels are the texels, translucent texels still blend
// and see-through blocks still leave the background.
TEST_F(CDeviceTest, OpaqueSpriteRegionsKeepThePictureInFewerQuads)
{
    ASSERT_TRUE(Open());
    std::vector<uint32_t> texels(100 * 70);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x)
            texels[static_cast<size_t>(y) * 100 + x] =
                0xFF000000u | static_cast<uint32_t>(x * 2) << 16 | static_cast<uint32_t>(y * 3) << 8 | 0x40u;
    std::vector<uint32_t> holedTexels = texels;
    holedTexels[static_cast<size_t>(40) * 100 + 20] = 0x80FFFFFFu;  // half transparent white
    for (int y = 0; y < 16; ++y)
        for (int x = 48; x < 64; ++x) holedTexels[static_cast<size_t>(y) * 100 + x] = 0x00FF00FFu;
    CRenderTexture* whole = R().CreateTexture(100, 70, texels.data(), true);  // with mip levels, as pictures have
    CRenderTexture* holed = R().CreateTexture(100, 70, holedTexels.data(), false);
    ASSERT_TRUE(whole && holed);

    m_Device->SetFogColor(10, 20, 30);
    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    CSprite& s = m_Device->Sprite();
    s.Begin();
    const Vec3 first{37, 11, 0}, second{237, 11, 0}, faded{37, 211, 0};
    s.Draw(whole, nullptr, nullptr, &first, 0xFFFFFFFFu);
    R().Flush();
    EXPECT_EQ(R().Stats().primitives, 2) << "a picture without holes is one quad";
    s.Draw(holed, nullptr, nullptr, &second, 0xFFFFFFFFu);
    s.Draw(holed, nullptr, nullptr, &faded, 0x80FFFFFFu);
    s.End();
    m_Device->EndFrame();
    const auto px = Pixels();
    const uint32_t background = 0xFF0A141Eu;
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x) {
            ASSERT_EQ(At(px, 37 + x, 11 + y), texels[static_cast<size_t>(y) * 100 + x]) << x << "," << y;
            const uint32_t t = holedTexels[static_cast<size_t>(y) * 100 + x];
            if ((t >> 24) == 0xFF) {
                ASSERT_EQ(At(px, 237 + x, 11 + y), t) << x << "," << y;
            } else if ((t >> 24) == 0) {
                ASSERT_EQ(At(px, 237 + x, 11 + y), background) << x << "," << y;
            }
        }
    // The half transparent texel over the background, and the picture faded to
    // half over it.
    ExpectRgbNear(At(px, 257, 51), 10 + (255 - 10) * 128 / 255, 20 + (255 - 20) * 128 / 255, 30 + (255 - 30) * 128 / 255);
    const uint32_t t = texels[static_cast<size_t>(5) * 100 + 5];
    ExpectRgbNear(At(px, 42, 216), 10 + (R8(t) - 10) * 128 / 255, 20 + (G8(t) - 20) * 128 / 255,
                  30 + (B8(t) - 30) * 128 / 255);
    R().ReleaseTexture(whole);
    R().ReleaseTexture(holed);
}

// A large opaque picture placed texel for texel, in white, with nothing to
// write to depth, is copied into the back buffer rather than drawn: the same
// pixels, the texels' current ones after an update. Small pictures, pictures
// the viewport cuts, and pictures drawn where depth is written are drawn.
TEST_F(CDeviceTest, LargeOpaquePicturesPlacedTexelForTexelAreCopiedAsTheyAre)
{
    ASSERT_TRUE(Open());
    auto pattern = [](int w, int h, uint32_t salt) {
        std::vector<uint32_t> t(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                t[static_cast<size_t>(y) * w + x] =
                    0xFF000000u | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | salt;
        return t;
    };
    const std::vector<uint32_t> first = pattern(140, 200, 0x11), second = pattern(140, 200, 0x77);
    const std::vector<uint32_t> small = pattern(64, 64, 0x33);
    CRenderTexture* panel = R().CreateTexture(140, 200, first.data(), true);
    CRenderTexture* icon = R().CreateTexture(64, 64, small.data(), false);
    ASSERT_TRUE(panel && icon);
    const uint32_t background = 0xFF0A141Eu;
    m_Device->SetFogColor(10, 20, 30);
    // Draws the panel at (x, y) (and the icon beside it) in the given viewport;
    // returns how many pictures were copied.
    auto frame = [&](int x, int y, bool playField, bool depthWrites) {
        m_Device->BeginFrame();
        if (playField) m_Device->SetPlayFieldViewport();
        else m_Device->SetFullScreenViewport();
        const uint32_t writes = R().GetRenderState(ERenderState::ZWriteEnable);
        R().SetRenderState(ERenderState::ZEnable, depthWrites ? 1 : 0);
        R().SetRenderState(ERenderState::ZWriteEnable, depthWrites ? 1 : 0);
        CSprite& s = m_Device->Sprite();
        s.Begin();
        const Vec3 at{static_cast<float>(x), static_cast<float>(y), 0}, beside{500, 300, 0};
        s.Draw(panel, nullptr, nullptr, &at, 0xFFFFFFFFu);
        s.Draw(icon, nullptr, nullptr, &beside, 0xFFFFFFFFu);
        s.End();
        R().Flush();
        const int copies = R().Stats().copies;
        m_Device->EndFrame();
        R().SetRenderState(ERenderState::ZEnable, 1);
        R().SetRenderState(ERenderState::ZWriteEnable, writes);
        return copies;
    };
    auto expectPanel = [&](const std::vector<uint32_t>& texels, int x, int y, int left, int right) {
        const auto px = Pixels();
        for (int j = 0; j < 200; ++j)
            for (int i = 0; i < 140; ++i) {
                const bool inside = x + i >= left && x + i < right;
                ASSERT_EQ(At(px, x + i, y + j), inside ? texels[static_cast<size_t>(j) * 140 + i] : background)
                    << i << "," << j;
            }
        EXPECT_EQ(At(px, x - 1, y + 10), background);
        EXPECT_EQ(At(px, x + 10, y + 200), background);
    };
    EXPECT_EQ(frame(20, 30, false, false), 1) << "the panel, not the small icon";
    expectPanel(first, 20, 30, 0, 640);
    R().UpdateTexture(panel, 0, 0, 140, 200, second.data());
    EXPECT_EQ(frame(20, 30, false, false), 1);
    {
        SCOPED_TRACE("copied after an update");
        expectPanel(second, 20, 30, 0, 640);
    }
    EXPECT_EQ(frame(420, 30, true, false), 0) << "cut by the play field's viewport";
    {
        SCOPED_TRACE("drawn and cut at the viewport's edge");
        expectPanel(second, 420, 30, 140, 500);
    }
    EXPECT_EQ(frame(20, 30, false, true), 0) << "drawn where it writes depth";
    expectPanel(second, 20, 30, 0, 640);
    R().ReleaseTexture(panel);
    R().ReleaseTexture(icon);
}

// The noise overlay: nothing while the noise object is dead; at full life the
// texture's 640 x 480 region at the maximum strength, mirrored left to right in
// frames 3 to 5 of every 12.
TEST_F(CDeviceTest, NoiseOverlayFollowsTheNoiseObject)
{
    ASSERT_TRUE(Open());
    std::vector<uint32_t> texels(1024 * 512, 0xFF0000FFu);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 320; ++x) texels[static_cast<size_t>(y) * 1024 + x] = 0xFFFF0000u;
    CRenderTexture* noiseTex = R().CreateTexture(1024, 512, texels.data(), false);
    CObject noise;
    m_Device->SetNoise(&noise);
    m_Device->SetNoiseTexture(nullptr, noiseTex, 0.5f);
    auto frame = [&] {
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->EndFrame();
        return Pixels();
    };
    EXPECT_EQ(At(frame(), 10, 10), kBlack);  // killed when registered
    noise.Activate();
    noise.m_nAge = 0;
    auto px = frame();
    ExpectRgbNear(At(px, 10, 10), 128, 0, 0);
    ExpectRgbNear(At(px, 630, 470), 0, 0, 128);
    noise.m_nAge = 4;
    px = frame();
    ExpectRgbNear(At(px, 10, 10), 0, 0, 128);
    ExpectRgbNear(At(px, 630, 470), 128, 0, 0);
    noise.m_nAge = 12;
    ExpectRgbNear(At(frame(), 10, 10), 128, 0, 0);
    m_Device->SetNoise(nullptr);
    R().ReleaseTexture(noiseTex);
}

// Lit draws that differ only in their material (the segments of a laser streak,
// lit triangles of different shades) share one draw call, and the picture is
// the same as when each is drawn on its own.
TEST_F(CDeviceTest, LitDrawsThatDifferInMaterialShareADrawCallWithTheSamePixels)
{
    ASSERT_TRUE(Open());
    Matrix view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
    m_Device->SetTransform(ETransform::View, view);
    m_Device->SetLight(0, SColorValue{0.8f, 0.7f, 0.6f, 1.0f}, SColorValue{}, SColorValue{0.1f, 0.2f, 0.3f, 1.0f},
                       Vec3{0.3f, -0.5f, 1.0f});
    auto draw = [&](bool eachAlone) {
        m_Device->BeginFrame();
        m_Device->SetPlayFieldViewport();
        for (int i = 0; i < 24; ++i) {
            const float a = 1.0f - static_cast<float>(i) / 24.0f;
            const float x = -3.0f + 0.25f * static_cast<float>(i);
            const Vec3 from{x, -3.0f, 0.0f}, to{x + 0.3f, 3.0f, 0.0f};
            m_Device->DrawLine3D(&from, &to, a, a * 0.75f, a * 0.75f, 1.0f);
            if (eachAlone) R().Flush();
        }
        // Triangles with normals and no vertex colour: the material's diffuse
        // colour is lit by the light.
        RVertex tri[3];
        const float tx[3] = {0.0f, 0.4f, 0.0f}, ty[3] = {0.0f, 0.0f, -0.4f};
        for (int i = 0; i < 12; ++i) {
            for (int j = 0; j < 3; ++j) {
                tri[j] = RVertex{};
                tri[j].x = -3.0f + 0.5f * static_cast<float>(i) + tx[j];
                tri[j].y = 3.5f + ty[j];
                tri[j].nz = -1.0f;
            }
            const float shade = static_cast<float>(i) / 11.0f;
            SMaterial m;
            m.diffuse = SColorValue{shade, 1.0f - shade, 0.5f, 1.0f};
            m.ambient = SColorValue{0.2f, 0.2f, shade, 1.0f};
            m.emissive = SColorValue{0.0f, shade * 0.3f, 0.0f, 1.0f};
            m_Device->SetMaterial(m);
            m_Device->DrawPrimitiveUP(EPrimitive::TriangleList, 1, tri, FVF_XYZ | FVF_NORMAL);
            if (eachAlone) R().Flush();
        }
        R().Flush();
        const int calls = R().Stats().drawCalls;
        m_Device->EndFrame();
        return std::make_pair(calls, Pixels());
    };
    const auto alone = draw(true);
    const auto together = draw(false);
    EXPECT_EQ(alone.first, 36);
    EXPECT_EQ(together.first, 2);
    ASSERT_EQ(alone.second.size(), together.second.size());
    int lit = 0, differ = 0;
    for (size_t i = 0; i < alone.second.size(); ++i) {
        lit += (alone.second[i] & 0xFFFFFFu) != (kBlack & 0xFFFFFFu) ? 1 : 0;
        differ += alone.second[i] != together.second[i] ? 1 : 0;
    }
    EXPECT_GT(lit, 1000);
    EXPECT_EQ(differ, 0);
}
