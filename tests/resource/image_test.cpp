// Texture pictures: alpha blended over black with the game's rounding, then
// opaque pure magenta keyed out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "platform/ResourceImage.h"
#include "PngWrite.h"

namespace {

struct Rgba {
    uint8_t r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

std::ostream& operator<<(std::ostream& os, const Rgba& c)
{
    return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

Rgba PixelOf(const CResourceImage& img, int x, int y)
{
    const uint8_t* p = &img.m_Pixels[4 * (static_cast<size_t>(y) * img.m_nWidth + x)];
    return {p[0], p[1], p[2], p[3]};
}

// One RGBA pixel through the whole path.
Rgba DecodeOne(Rgba in)
{
    std::vector<uint8_t> png = testpng::Encode(1, 1, PNG_COLOR_TYPE_RGBA, 8, {in.r, in.g, in.b, in.a});
    CResourceImage img;
    std::string error;
    EXPECT_TRUE(DecodeTextureImage(png.data(), png.size(), &img, &error)) << error;
    if (img.m_Pixels.size() != 4) return {1, 2, 3, 4};
    return PixelOf(img, 0, 0);
}

TEST(TextureImage, AlphaIsBlendedOverBlackAndOnlyOpaqueMagentaIsKeyed)
{
    struct Case {
        Rgba in, expected;
    } cases[] = {
        {{255, 0, 255, 255}, {0, 0, 0, 0}},        // the colour key: fully transparent
        {{255, 0, 255, 128}, {128, 0, 128, 255}},  // half-transparent magenta stays visible
        {{254, 0, 255, 255}, {254, 0, 255, 255}},  // near-magenta is not the key
        {{255, 1, 255, 255}, {255, 1, 255, 255}},
        {{10, 20, 30, 0}, {0, 0, 0, 255}},         // alpha 0 gives opaque black
        {{10, 20, 30, 255}, {10, 20, 30, 255}},    // alpha 255 keeps the colour
        {{255, 255, 255, 1}, {1, 1, 1, 255}},      // round(255/255)
        {{100, 200, 51, 127}, {50, 100, 25, 255}}, // 49.8, 99.6, 25.4 rounded
        {{1, 3, 255, 128}, {1, 2, 128, 255}},      // 0.502, 1.506, 128.0
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeOne(c.in), c.expected) << "input " << c.in;
}

TEST(TextureImage, BlendRoundingMatchesExactRoundingForEveryPair)
{
    for (uint32_t c = 0; c < 256; ++c)
        for (uint32_t a = 0; a < 256; ++a)
            ASSERT_EQ(BlendOverBlack(c, a), static_cast<uint8_t>((c * a * 2 + 255) / 510)) << c << " " << a;
}

TEST(TextureImage, EveryPngLayoutGivesTheSamePicture)
{
    // A 3 x 2 picture: magenta, grey 128, white / red, black, magenta.
    const Rgba expected[6] = {{0, 0, 0, 0},     {128, 128, 128, 255}, {255, 255, 255, 255},
                              {255, 0, 0, 255}, {0, 0, 0, 255},       {0, 0, 0, 0}};
    std::vector<png_color> palette = {{255, 0, 255}, {128, 128, 128}, {255, 255, 255}, {255, 0, 0}, {0, 0, 0}};
    struct Layout {
        const char* what;
        std::vector<uint8_t> png;
    } layouts[] = {
        {"rgb8", testpng::Encode(3, 2, PNG_COLOR_TYPE_RGB, 8,
                                 {255, 0, 255, 128, 128, 128, 255, 255, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255})},
        {"rgb16", testpng::Encode(3, 2, PNG_COLOR_TYPE_RGB, 16,
                                  {255, 255, 0, 0, 255, 255, 128, 0, 128, 0, 128, 0, 255, 255, 255, 255, 255, 255,
                                   255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 255, 255})},
        {"palette", testpng::Encode(3, 2, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 3, 4, 0}, palette)},
        {"rgba8", testpng::Encode(3, 2, PNG_COLOR_TYPE_RGBA, 8,
                                  {255, 0, 255, 255, 128, 128, 128, 255, 255, 255, 255, 255, 255, 0, 0, 255, 9, 9,
                                   9, 0, 255, 0, 255, 255})},
    };
    for (const Layout& l : layouts) {
        CResourceImage img;
        std::string error;
        ASSERT_TRUE(DecodeTextureImage(l.png.data(), l.png.size(), &img, &error)) << l.what << ": " << error;
        ASSERT_EQ(img.m_nWidth, 3) << l.what;
        ASSERT_EQ(img.m_nHeight, 2) << l.what;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(PixelOf(img, i % 3, i / 3), expected[i]) << l.what << " pixel " << i;
    }

    // Grey with alpha, and a palette whose transparency table fades an entry.
    std::vector<uint8_t> ga = testpng::Encode(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {200, 128, 255, 255});
    std::vector<uint8_t> pt = testpng::Encode(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}, palette, {128, 255});
    CResourceImage img;
    ASSERT_TRUE(DecodeTextureImage(ga.data(), ga.size(), &img));
    EXPECT_EQ(PixelOf(img, 0, 0), (Rgba{100, 100, 100, 255}));
    EXPECT_EQ(PixelOf(img, 1, 0), (Rgba{255, 255, 255, 255}));
    ASSERT_TRUE(DecodeTextureImage(pt.data(), pt.size(), &img));
    EXPECT_EQ(PixelOf(img, 0, 0), (Rgba{128, 0, 128, 255}));
    EXPECT_EQ(PixelOf(img, 1, 0), (Rgba{128, 128, 128, 255}));
}

TEST(TextureImage, DamagedDataIsRefusedWithAReason)
{
    std::vector<uint8_t> png = testpng::Encode(4, 4, PNG_COLOR_TYPE_RGB, 8, std::vector<uint8_t>(48, 77));
    CResourceImage img;
    std::string error;
    EXPECT_FALSE(DecodeTextureImage(nullptr, 0, &img, &error));
    EXPECT_FALSE(error.empty());
    const std::string text = "not a picture at all";
    EXPECT_FALSE(DecodeTextureImage(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &img, &error));
    for (size_t len = 8; len < png.size() - 12; ++len) {  // cut anywhere before the end chunk
        std::vector<uint8_t> cut(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(len));
        error.clear();
        EXPECT_FALSE(DecodeTextureImage(cut.data(), cut.size(), &img, &error)) << len;
        EXPECT_FALSE(error.empty()) << len;
    }
    // A header claiming a picture far too large to be real.
    std::vector<uint8_t> huge = png;
    huge[16] = 0x7F;  // width high byte, with the chunk's CRC made right again
    uint32_t crc = static_cast<uint32_t>(crc32(0, huge.data() + 12, 17));
    for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    EXPECT_FALSE(DecodeTextureImage(huge.data(), huge.size(), &img, &error));
}

// A chunk declaring more bytes than the file holds is refused before libpng
// sizes a buffer by it (a 230-byte file once made it ask for 1.9 GB); chunks
// after the end chunk are never read and do not matter.
TEST(TextureImage, ChunksLongerThanTheFileAreRefusedBeforeDecoding)
{
    const std::vector<uint8_t> png = testpng::Encode(4, 4, PNG_COLOR_TYPE_RGB, 8, std::vector<uint8_t>(48, 77));
    // A text chunk after the header (ancillary, so libpng would read it) that
    // declares length bytes and holds four.
    auto withChunk = [&](uint32_t length) {
        std::vector<uint8_t> out(png.begin(), png.begin() + 33);
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (24 - 8 * i)));
        for (char c : std::string("tEXtabcd")) out.push_back(static_cast<uint8_t>(c));
        out.insert(out.end(), 4, 0);  // CRC
        out.insert(out.end(), png.begin() + 33, png.end());
        return out;
    };
    for (uint32_t length : {0x73737373u, 0x7FFFFFFFu, 0xFFFFFFFFu, 5000u}) {
        const std::vector<uint8_t> bomb = withChunk(length);
        CResourceImage img;
        std::string error;
        EXPECT_FALSE(DecodeTextureImage(bomb.data(), bomb.size(), &img, &error)) << length;
        EXPECT_NE(error.find("longer than the file"), std::string::npos) << length << ": " << error;
    }
    // Bytes after the end chunk, however they read, are left alone.
    std::vector<uint8_t> trailing = png;
    for (uint8_t b : {0xFF, 0xFF, 0xFF, 0xFF, 0x49, 0x44, 0x41, 0x54}) trailing.push_back(b);
    CResourceImage img;
    std::string error;
    EXPECT_TRUE(DecodeTextureImage(trailing.data(), trailing.size(), &img, &error)) << error;
}

} // namespace

namespace {

// A copy of png whose header declares w x h, with the header's CRC made right.
std::vector<uint8_t> Declaring(std::vector<uint8_t> png, uint32_t w, uint32_t h)
{
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<uint8_t>(w >> (24 - 8 * i));
        png[20 + i] = static_cast<uint8_t>(h >> (24 - 8 * i));
    }
    uint32_t crc = static_cast<uint32_t>(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return png;
}

} // namespace

// A small file must not make the decoder allocate for a picture it cannot
// hold: sizes beyond a texture's and sizes beyond what the compressed data can
// expand to are refused from the header alone.
TEST(TextureImage, DeclaredSizesBeyondLimitsOrTheDataAreRefusedBeforeDecoding)
{
    const std::vector<uint8_t> small = testpng::Encode(4, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, std::vector<uint8_t>(64, 7));
    const struct {
        uint32_t w, h;
        const char* why;
    } kCases[] = {
        {16384, 16384, "more pixels than a texture may have"},
        {4097, 4096, "more pixels than a texture may have"},
        {4096, 4096, "more pixels than its data can hold"},
        {4000, 1000, "more pixels than its data can hold"},
    };
    for (const auto& c : kCases) {
        const std::vector<uint8_t> bomb = Declaring(small, c.w, c.h);
        CResourceImage img;
        std::string error;
        EXPECT_FALSE(DecodeTextureImage(bomb.data(), bomb.size(), &img, &error)) << c.w << "x" << c.h;
        EXPECT_NE(error.find(c.why), std::string::npos) << c.w << "x" << c.h << ": " << error;
        EXPECT_TRUE(img.m_Pixels.empty());
    }
    // A genuine picture compressed as far as deflate goes still loads.
    const std::vector<uint8_t> flat = testpng::Encode(2048, 2048, PNG_COLOR_TYPE_RGB, 8,
                                                      std::vector<uint8_t>(size_t(2048) * 2048 * 3, 0));
    CResourceImage img;
    std::string error;
    EXPECT_TRUE(DecodeTextureImage(flat.data(), flat.size(), &img, &error)) << flat.size() << ": " << error;
}
