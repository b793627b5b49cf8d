// Pictures on the screen: a texture loaded through the resource path and drawn
// as a sprite and as a billboard lands where the game expects it, the right
// way up, with its colour key cut out.
#include <png.h>

#include <cmath>
#include <memory>

#include "assets_fixture.h"
#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Sprite.h"
#include "gfx/Texture.h"
#include "platform/RenderMath.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "tests/support/TempHome.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kMagenta = 0xFF00FF;

uint32_t Rgb(uint32_t px) { return px & 0xFFFFFFu; }

void WritePng(const std::string& path, int w, int h, const std::vector<uint32_t>& rgb)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FILE* fp = std::fopen(path.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, fp);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t c = rgb[static_cast<size_t>(y) * w + x];
            row[3 * x] = static_cast<uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(fp);
}

// Quadrants: red top-left, green top-right, blue bottom-left, white
// bottom-right; optionally a magenta (keyed) top-left corner of 2 x 2.
std::vector<uint32_t> Quadrants(int n, bool keyedCorner)
{
    std::vector<uint32_t> px(static_cast<size_t>(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            uint32_t c = y < n / 2 ? (x < n / 2 ? kRed : kGreen) : (x < n / 2 ? kBlue : kWhite);
            if (keyedCorner && x < 2 && y < 2) c = kMagenta;
            px[static_cast<size_t>(y) * n + x] = c;
        }
    return px;
}

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SWindowConfig cfg;
        cfg.headless = true;
        std::string error;
        ASSERT_TRUE(m_Window.Create(cfg, error)) << error;
        m_Device = std::make_unique<CGraphicsDevice>();
        ASSERT_TRUE(m_Device->CreateDevice(&m_Window, 640, 480, 0.75f, false, false, false, true));
        g_pDevice = m_Device.get();
    }
    void TearDown() override
    {
        g_pDevice = nullptr;
        m_Device.reset();
        m_Window.Destroy();
    }
    std::vector<uint32_t> Pixels()
    {
        m_Device->GetRenderer()->Flush();
        std::vector<uint32_t> px;
        EXPECT_TRUE(m_Device->GetRenderer()->ReadBackBuffer(px));
        return px;
    }
    static uint32_t At(const std::vector<uint32_t>& px, int x, int y) { return Rgb(px[static_cast<size_t>(y) * 640 + x]); }

    CTempHome m_Temp{"mz-draw"};
    const std::string m_Home = m_Temp.Dir();   // with a trailing separator
    CWindow m_Window;
    std::unique_ptr<CGraphicsDevice> m_Device;
};

TEST_F(DrawTest, SpriteShowsThePicturePixelForPixelWithItsKeyCutOut)
{
    // An override file: "#7" of "TEXTURE" is TEXTURE/7.png in the program folder.
    WritePng(m_Home + "TEXTURE/7.png", 8, 8, Quadrants(8, true));
    std::unique_ptr<CTexture> tex(CTexture::Create("#7", "TEXTURE"));
    ASSERT_EQ(tex->m_nWidth, 8);
    ASSERT_EQ(tex->m_nHeight, 8);

    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->ClearScreen();
    m_Device->Sprite().Begin();
    tex->DrawSpriteBlend(100, 50, 1.0f);
    m_Device->Sprite().End();
    std::vector<uint32_t> px = Pixels();

    const std::vector<uint32_t> src = Quadrants(8, true);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            uint32_t expected = src[static_cast<size_t>(y) * 8 + x];
            if (expected == kMagenta) expected = 0;  // keyed: the black background shows
            EXPECT_EQ(At(px, 100 + x, 50 + y), expected) << "texel " << x << "," << y;
        }
    for (int i = 0; i < 10; ++i) {  // nothing outside the picture
        EXPECT_EQ(At(px, 99, 50 + i % 8), 0u);
        EXPECT_EQ(At(px, 108, 50 + i % 8), 0u);
        EXPECT_EQ(At(px, 100 + i % 8, 49), 0u);
        EXPECT_EQ(At(px, 100 + i % 8, 58), 0u);
    }
}

TEST_F(DrawTest, ScaledSpriteGrowsAboutItsCentreAndCropsItsRectangle)
{
    // A 16 x 8 picture: left half green, right half red. Drawing the left 8 x 8
    // at scale 2 from (200, 100) covers (196, 96) - (212, 112) in green.
    std::vector<uint32_t> src(16 * 8);
    for (int i = 0; i < 16 * 8; ++i) src[i] = (i % 16) < 8 ? kGreen : kRed;
    WritePng(m_Home + "TEXTURE/8.png", 16, 8, src);
    std::unique_ptr<CTexture> tex(CTexture::Create("#8", "TEXTURE"));
    ASSERT_EQ(tex->m_nWidth, 16);

    m_Device->BeginFrame();
    m_Device->SetFullScreenViewport();
    m_Device->ClearScreen();
    m_Device->Sprite().Begin();
    SRect rect{0, 0, 8, 8};
    tex->DrawSprite(200, 100, &rect, 2.0f, 1.0f);
    m_Device->Sprite().End();
    std::vector<uint32_t> px = Pixels();

    for (int y = 96; y < 112; ++y)
        for (int x = 196; x < 212; ++x) {
            // Linear filtering may tint the last column toward the red half.
            if (x == 211) continue;
            ASSERT_EQ(At(px, x, y), kGreen) << x << "," << y;
        }
    for (int i = 96; i < 112; ++i) {
        EXPECT_EQ(At(px, 195, i), 0u) << i;
        EXPECT_EQ(At(px, 212, i), 0u) << i;
        EXPECT_EQ(At(px, i + 100, 95), 0u) << i;
        EXPECT_EQ(At(px, i + 100, 112), 0u) << i;
    }
}

TEST_F(DrawTest, BillboardFacesTheDefaultCameraUprightAtTheOrigin)
{
    WritePng(m_Home + "TEXTURE/9.png", 64, 64, Quadrants(64, false));
    std::unique_ptr<CTexture> tex(CTexture::Create("#9", "TEXTURE"));

    // The game's default camera: eye (0, 0, -10) looking at the origin, the
    // 45 projection over the play field.
    m_Device->BeginFrame();
    m_Device->SetPlayFieldViewport();
    m_Device->ClearScreen();
    m_Device->SetProjection(45, 0.75f);
    m_Device->SetTransform(ETransform::View, LookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
    m_Device->SetWorldTransform(IdentityMatrix());
    m_Device->SetCullMode(0);
    m_Device->SetFog(0);
    m_Device->SetDepthTest(0);
    tex->DrawBillboard(2.0f, 1.0f);
    std::vector<uint32_t> px = Pixels();

    // Half the picture's side on screen: 1 unit at distance 10 with a vertical
    // field of view of 0.9299114 rad over 480 pixels.
    const double half = 1.0 / (10.0 * std::tan(0.9299114 / 2.0)) * 240.0;
    const int cx = 140 + 180, cy = 240;
    const int q = static_cast<int>(half / 2);  // middle of each quadrant
    EXPECT_EQ(At(px, cx - q, cy - q), kRed);    // top-left of the picture at the top left
    EXPECT_EQ(At(px, cx + q, cy - q), kGreen);
    EXPECT_EQ(At(px, cx - q, cy + q), kBlue);
    EXPECT_EQ(At(px, cx + q, cy + q), kWhite);
    const int in = static_cast<int>(half) - 2, out = static_cast<int>(half) + 2;
    EXPECT_NE(At(px, cx - in, cy - q), 0u);
    EXPECT_NE(At(px, cx + in, cy + q), 0u);
    EXPECT_EQ(At(px, cx - out, cy), 0u);
    EXPECT_EQ(At(px, cx + out, cy), 0u);
    EXPECT_EQ(At(px, cx, cy - out), 0u);
    EXPECT_EQ(At(px, cx, cy + out), 0u);
}

}  // namespace
