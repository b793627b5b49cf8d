// The generated pictures as the game's texture loader sees them (alpha blended
// over black, then pure magenta see-through): where the game draws over the
// play field they must be see-through, where they fill a screen they must not
// have holes, additive light must fade to black before its square edge, and
// keyed edges must not show a pink fringe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ResourceImage.h"

namespace {

const std::string kBuild = std::filesystem::path(MZ_BIN_DIR).parent_path().string();
const std::string kTextures = kBuild + "/assets/TEXTURE/";

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Picture {
    CResourceImage image;
    const uint8_t* At(int x, int y) const { return &image.m_Pixels[(static_cast<size_t>(y) * image.m_nWidth + x) * 4]; }
    bool Clear(int x, int y) const { return At(x, y)[3] == 0; }
    int Luma(int x, int y) const
    {
        const uint8_t* p = At(x, y);
        return (p[0] * 3 + p[1] * 6 + p[2]) / 10;
    }
};

bool Load(int id, Picture& pic)
{
    const std::string path = kTextures + std::to_string(id) + ".png";
    std::vector<uint8_t> bytes = ReadFile(path);
    if (bytes.empty()) {
        ADD_FAILURE() << path << " is missing (the asset build writes it)";
        return false;
    }
    std::string error;
    if (!DecodeTextureImage(bytes.data(), bytes.size(), &pic.image, &error)) {
        ADD_FAILURE() << path << ": " << error;
        return false;
    }
    return true;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

// The menu cursor is a model placed at a menu item's pixel through the
// screen-to-world placement (x = (px - 140) / 480 x 10 - 5, y = 5 - py / 480 x 10)
// and drawn by the default camera (eye 10 in front, vertical field of view
// 0.9299114, aspect 0.75) in the play-field viewport (x 140, 360 x 480): it lands
// nearer the middle than the pixel named. Its barrier (radius 0.4, about 19
// pixels) must not cover the item's text, which is light.
TEST(Pictures, MainMenuLeavesRoomWhereTheCursorLands)
{
    Picture menu;
    ASSERT_TRUE(Load(343, menu));
    const double halfH = 10.0 * std::tan(0.9299114 / 2.0), halfW = halfH * 0.75;
    const int items[4][2] = {{542, 353}, {512, 378}, {482, 403}, {452, 428}};
    for (const auto& item : items) {
        const double wx = (item[0] - 140.0) / 480.0 * 10.0 - 5.0, wy = 5.0 - item[1] / 480.0 * 10.0;
        const double sx = 140.0 + 180.0 * (1.0 + wx / halfW), sy = 240.0 * (1.0 - wy / halfH);
        SCOPED_TRACE(testing::Message() << "item at " << item[0] << ", " << item[1] << " lands at " << sx << ", "
                                        << sy);
        int light = 0;
        for (int y = static_cast<int>(sy) - 20; y <= static_cast<int>(sy) + 20; ++y)
            for (int x = static_cast<int>(sx) - 20; x <= static_cast<int>(sx) + 20; ++x) {
                const double dx = x - sx, dy = y - sy;
                if (dx * dx + dy * dy > 20.0 * 20.0) continue;
                // Picture x = screen x - 64.
                if (menu.Luma(x - 64, y) > 160) ++light;
            }
        EXPECT_EQ(light, 0);
    }
}

// The icons, the window's and the desktop's: square, their own alpha kept
// (transparent corners around a rounded plate), the plate opaque in the middle.
TEST(Pictures, IconsAreRoundedPlatesOfTheirSize)
{
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> bytes = ReadFile(kBuild + "/assets/ICON/" + std::to_string(size) + ".png");
        CResourceImage icon;
        std::string error;
        ASSERT_TRUE(DecodePngImage(bytes.data(), bytes.size(), &icon, &error)) << error;
        ASSERT_EQ(icon.m_nWidth, size);
        ASSERT_EQ(icon.m_nHeight, size);
        const auto alpha = [&](int x, int y) { return icon.m_Pixels[(static_cast<size_t>(y) * size + x) * 4 + 3]; };
        // (At 16 pixels the corner's smoothing leaves a trace.)
        EXPECT_LE(alpha(0, 0), 4);
        EXPECT_LE(alpha(size - 1, size - 1), 4);
        EXPECT_EQ(alpha(size / 2, size / 2), 255);
        // The plate reaches the edges between its corners, a margin of a 32nd inside.
        EXPECT_EQ(alpha(size / 2, std::max(2, size / 16)), 255);
    }
}

TEST(Pictures, HudFrameLeavesThePlayFieldSeeThrough)
{
    // Drawn at (0, 0) over the panels every frame; the play field is x 140..499.
    Picture frame;
    ASSERT_TRUE(Load(110, frame));
    ASSERT_EQ(frame.image.m_nWidth, 640);
    ASSERT_EQ(frame.image.m_nHeight, 480);
    int covered = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 140; x < 500; ++x) covered += !frame.Clear(x, y);
    EXPECT_EQ(covered, 0) << "pixels of the frame hide the play field";
    int seam = 0;
    for (int y = 0; y < 480; ++y) seam += !frame.Clear(139, y) + !frame.Clear(500, y);
    EXPECT_GT(seam, 900) << "the frame should mark both edges of the play field";
}

TEST(Pictures, FullPicturesHaveNoHoles)
{
    // Screens, panels, backdrops and the noise are drawn with alpha blending
    // and must cover their whole rectangle.
    std::vector<int> ids = {342, 343, 344, 405, 112, 109, 108, 101, 102, 351, 400, 161};
    for (int id : Range(280, 286)) ids.push_back(id);
    for (int id : ids) {
        Picture p;
        if (!Load(id, p)) continue;
        int holes = 0;
        for (int y = 0; y < p.image.m_nHeight; ++y)
            for (int x = 0; x < p.image.m_nWidth; ++x) holes += p.Clear(x, y);
        EXPECT_EQ(holes, 0) << "TEXTURE #" << id;
    }
}

TEST(Pictures, ResultPanelShowsTheFiguresPlacedBeforeItsLastReveal)
{
    // The chapter score (y 237) and the total (y 274) are placed before the
    // panel's later reveals, which are drawn over them: only their slots may
    // be see-through, and all of each slot where a figure's digits land
    // (x 461 ... 496 for seven digits, panel x 89 ... 124).
    Picture p;
    ASSERT_TRUE(Load(132, p));
    auto inSlot = [](int x, int y) { return x >= 6 && x < 124 && ((y >= 74 && y < 86) || (y >= 111 && y < 123)); };
    int strayHoles = 0, slotCover = 0;
    for (int y = 0; y < p.image.m_nHeight; ++y)
        for (int x = 0; x < p.image.m_nWidth; ++x) {
            if (inSlot(x, y)) slotCover += !p.Clear(x, y);
            else strayHoles += p.Clear(x, y);
        }
    EXPECT_EQ(strayHoles, 0);
    EXPECT_EQ(slotCover, 0);
}

TEST(Pictures, AdditiveLightFadesToBlackBeforeItsEdge)
{
    // Quads of additive light: a lit border pixel would draw the square's edge.
    std::vector<int> ids = {103, 239, 187, 185, 115, 105, 106, 160};
    for (int id : Range(141, 156)) ids.push_back(id);
    for (int id : ids) {
        Picture p;
        if (!Load(id, p)) continue;
        const int w = p.image.m_nWidth, h = p.image.m_nHeight;
        int lit = 0;
        for (int x = 0; x < w; ++x) lit += p.Luma(x, 0) > 0 || p.Luma(x, h - 1) > 0;
        for (int y = 0; y < h; ++y) lit += p.Luma(0, y) > 0 || p.Luma(w - 1, y) > 0;
        EXPECT_EQ(lit, 0) << "TEXTURE #" << id;
        int lit2 = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) lit2 += p.Luma(x, y) > 16;
        EXPECT_GT(lit2, 0) << "TEXTURE #" << id << " gives no light";
    }
}

TEST(Pictures, KeyedEdgesShowNoPinkFringe)
{
    // Every picture drawn with alpha blending over the game. Antialiased edges
    // must fade to a dark colour: an edge blended toward the magenta key would
    // show as a pink rim, that is, be more magenta (red and blue over green)
    // than anything inside the picture.
    std::vector<int> ids = {110, 247, 410, 169, 170, 348, 350, 401, 222, 223, 430, 431, 131, 402, 341, 352, 130, 345,
                            347, 354, 355, 450, 346, 353, 359, 360, 420, 421, 422, 423, 107, 113, 114, 116, 117, 118};
    for (int id : Range(171, 181)) ids.push_back(id);
    for (int id : Range(120, 129)) ids.push_back(id);
    for (int id : Range(380, 383)) ids.push_back(id);
    for (int id : Range(440, 444)) ids.push_back(id);
    for (int id : Range(190, 193)) ids.push_back(id);
    for (int id : ids) {
        Picture p;
        if (!Load(id, p)) continue;
        const int w = p.image.m_nWidth, h = p.image.m_nHeight;
        auto edge = [&](int x, int y) {
            return (x > 0 && p.Clear(x - 1, y)) || (x + 1 < w && p.Clear(x + 1, y)) || (y > 0 && p.Clear(x, y - 1)) ||
                   (y + 1 < h && p.Clear(x, y + 1));
        };
        auto magenta = [&](int x, int y) {
            const uint8_t* c = p.At(x, y);
            return std::min(c[0], c[2]) - c[1];
        };
        int clear = 0, inside = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (p.Clear(x, y)) ++clear;
                else if (!edge(x, y)) inside = std::max(inside, magenta(x, y));
            }
        }
        int pink = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pink += !p.Clear(x, y) && edge(x, y) && magenta(x, y) > std::max(inside, 0) + 16;
        EXPECT_GT(clear, 0) << "TEXTURE #" << id << " has no see-through part";
        EXPECT_EQ(pink, 0) << "TEXTURE #" << id << ": edge pixels tinted by the key";
    }
}

// WCAG relative luminance of an sRGB colour.
double Luminance(const uint8_t* c)
{
    double l = 0.0;
    const double weight[3] = {0.2126, 0.7152, 0.0722};
    for (int k = 0; k < 3; ++k) {
        const double v = c[k] / 255.0;
        l += weight[k] * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    }
    return l;
}

// How well a line of lettering reads where the picture lies over the ground:
// the contrast ratio between the letters (the lightest tenth of the line's
// box) and what surrounds them (its median), with the ground showing through
// the see-through pixels. The box spans rows [y0, y1) and the columns of the
// line's light pixels.
double LetteringContrast(const Picture& p, const uint8_t ground[3], int y0, int y1)
{
    const int w = p.image.m_nWidth;
    int x0 = w, x1 = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!p.Clear(x, y) && Luminance(p.At(x, y)) >= 0.3) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x + 1);
            }
        }
    }
    std::vector<double> l;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) l.push_back(Luminance(p.Clear(x, y) ? ground : p.At(x, y)));
    if (l.empty()) return 0.0;
    std::sort(l.begin(), l.end());
    const double around = l[l.size() / 2], letters = l[l.size() * 9 / 10];
    return (std::max(letters, around) + 0.05) / (std::min(letters, around) + 0.05);
}

TEST(Pictures, LetteringOverThePlayFieldReadsOnEveryGround)
{
    // Lines of small lettering laid over the play field, and the grounds play
    // shows behind them: black space, chapter 1's navy and chapter 2's grey
    // fog, the yellow grid lines, a white flash. On each the letters must
    // stand out from what surrounds them at 7:1, the contrast small text needs.
    // (Thin light letters in a thick dark outline pass on black but read as
    // dark smudges on the grey.)
    const uint8_t grounds[][3] = {{0, 0, 0}, {0, 0, 85}, {119, 119, 119}, {255, 255, 66}, {255, 255, 255}};
    struct Line {
        int id, y0, y1;
        const char* what;
    };
    const Line lines[] = {
        {222, 6, 20, "chapter 1 banner"}, {223, 6, 20, "chapter 2 banner"},
        {341, 9, 26, "result banner"},    {341, 31, 44, "result banner, second line"},
        {352, 10, 22, "capture bonus"},   {352, 26, 37, "capture bonus, second line"},
        {130, 10, 22, "bonus failed"},    {130, 26, 37, "bonus failed, second line"},
    };
    for (const Line& line : lines) {
        Picture p;
        if (!Load(line.id, p)) continue;
        for (const auto& g : grounds) {
            EXPECT_GE(LetteringContrast(p, g, line.y0, line.y1), 7.0)
                << "TEXTURE #" << line.id << " (" << line.what << ") over ground " << int(g[0]) << ", " << int(g[1])
                << ", " << int(g[2]);
        }
    }
}

TEST(Pictures, BulletsAreRoundDistinctAndBrightInTheMiddle)
{
    const int ids[6] = {107, 113, 114, 116, 117, 118};
    uint8_t ring[6][3] = {};
    for (int i = 0; i < 6; ++i) {
        Picture p;
        ASSERT_TRUE(Load(ids[i], p));
        const int w = p.image.m_nWidth, h = p.image.m_nHeight;
        EXPECT_TRUE(p.Clear(0, 0) && p.Clear(w - 1, 0) && p.Clear(0, h - 1) && p.Clear(w - 1, h - 1))
            << "TEXTURE #" << ids[i] << " is not round";
        EXPECT_GE(p.Luma(w / 2, h / 2), 230) << "TEXTURE #" << ids[i] << " has no bright core";
        // The body colour, three quarters of the way out.
        const uint8_t* c = p.At(w / 2 + w * 3 / 8 - 2, h / 2);
        for (int k = 0; k < 3; ++k) ring[i][k] = c[k];
    }
    for (int i = 0; i < 6; ++i) {
        for (int j = i + 1; j < 6; ++j) {
            int d = 0;
            for (int k = 0; k < 3; ++k) d += std::abs(ring[i][k] - ring[j][k]);
            EXPECT_GT(d, 60) << "bullets #" << ids[i] << " and #" << ids[j] << " look alike";
        }
    }
}

TEST(Pictures, DigitsStayWithinTheirAdvance)
{
    // HUD glyphs are drawn every 5 pixels, floating score digits every 12.
    struct Case {
        int first, last, advance;
    };
    for (const Case& c : {Case{171, 181, 5}, Case{120, 129, 12}}) {
        for (int id = c.first; id <= c.last; ++id) {
            Picture p;
            if (!Load(id, p)) continue;
            int outside = 0, ink = 0;
            for (int y = 0; y < p.image.m_nHeight; ++y) {
                for (int x = 0; x < p.image.m_nWidth; ++x) {
                    if (p.Clear(x, y)) continue;
                    outside += x >= c.advance;
                    ink += p.Luma(x, y) > 160;
                }
            }
            EXPECT_EQ(outside, 0) << "TEXTURE #" << id;
            EXPECT_GT(ink, 4) << "TEXTURE #" << id;
        }
    }
}

TEST(Pictures, TalkAtlasesHaveALineInEveryRowShown)
{
    // Rows the chapter scripts and the bosses show: (atlas, rows, a row never shown).
    struct Case {
        int id, rows, unused;
    };
    const Case cases[] = {{346, 15, -1}, {353, 10, -1}, {359, 6, -1}, {360, 6, 1},
                          {420, 16, -1}, {421, 27, -1}, {422, 8, -1}, {423, 8, 1}};
    for (const Case& c : cases) {
        Picture p;
        if (!Load(c.id, p)) continue;
        EXPECT_EQ(p.image.m_nWidth, 512) << "TEXTURE #" << c.id;
        ASSERT_GE(p.image.m_nHeight, c.rows * 16) << "TEXTURE #" << c.id;
        for (int r = 0; r < c.rows; ++r) {
            if (r == c.unused) continue;
            int ink = 0;
            for (int y = r * 16; y < r * 16 + 16; ++y)
                for (int x = 0; x < 512; ++x) ink += !p.Clear(x, y) && p.Luma(x, y) > 100;
            EXPECT_GT(ink, 40) << "TEXTURE #" << c.id << " row " << r << " is empty";
        }
    }
}

TEST(Pictures, BarrageStripsKeepTheCounterPlaceDark)
{
    // The strip stays at (358, 32) while its barrage runs and the game prints
    // "clear/total" over it at y 64 from x ≈ 540 to 590: strip x 182..232, rows
    // 32..39. It must be there and dark so the white digits read.
    std::vector<int> ids = {348};
    for (int id : Range(380, 383)) ids.push_back(id);
    for (int id : Range(440, 444)) ids.push_back(id);
    for (int id : ids) {
        Picture p;
        if (!Load(id, p)) continue;
        int clear = 0, bright = 0;
        for (int y = 32; y < 40; ++y) {
            for (int x = 182; x < 233; ++x) {
                clear += p.Clear(x, y);
                bright += !p.Clear(x, y) && p.Luma(x, y) > 70;
            }
        }
        EXPECT_EQ(clear, 0) << "TEXTURE #" << id;
        EXPECT_EQ(bright, 0) << "TEXTURE #" << id;
    }
    // The bomb strip slides in from x −208: anything right of its 208 pixels
    // would pop into view on the first frame.
    Picture bomb;
    ASSERT_TRUE(Load(450, bomb));
    int visibleRight = 0;
    for (int y = 0; y < bomb.image.m_nHeight; ++y)
        for (int x = 208; x < bomb.image.m_nWidth; ++x) visibleRight += !bomb.Clear(x, y);
    EXPECT_EQ(visibleRight, 0);
}

TEST(Pictures, GeneratingAgainWritesTheSameBytes)
{
    const std::string tool = kBuild + "/tools/bin/assetgen";
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
    const std::string scratch = testing::TempDir() + "mz_pictures_again";
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    const std::string cmd = "\"" + tool + "\" \"" + scratch + "\" pictures > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch + "/TEXTURE")) {
        const std::string name = entry.path().filename().string();
        std::vector<uint8_t> built = ReadFile(kTextures + name);
        std::vector<uint8_t> again = ReadFile(entry.path().string());
        EXPECT_FALSE(built.empty()) << name << " was not built";
        EXPECT_TRUE(built == again) << name << " differs between two runs";
        ++compared;
    }
    EXPECT_GT(compared, 100);
    std::filesystem::remove_all(scratch, ec);
}

}  // namespace
