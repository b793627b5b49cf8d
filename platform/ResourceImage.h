// PNG pictures as the game's textures see them. A picture's alpha is blended
// over black (so additive sprites stay clean), and then opaque pure magenta
// (255, 0, 255) is the colour key: such pixels become fully transparent black,
// every other pixel fully opaque.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CResourceImage {
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    std::vector<uint8_t> m_Pixels;  // R, G, B, A bytes, rows top first
};

// Pictures larger than this in either direction, or of more pixels than
// kMaxImagePixels (64 MiB as RGBA), are refused as damaged, as is a picture
// whose declared size its compressed data could never hold.
constexpr int32_t kMaxImageSide = 16384;
constexpr uint64_t kMaxImagePixels = uint64_t(4096) * 4096;
// The most that deflate can expand data: 1032 to 1 (a stored length-258 match
// per bit pair); a little more is allowed for headers.
constexpr uint64_t kMaxDeflateRatio = 1032;

// A PNG's alpha blended over black, one channel: round(c * a / 255), computed as
// t = c * a + 128, (t + (t >> 8)) >> 8.
inline uint8_t BlendOverBlack(uint32_t c, uint32_t a)
{
    uint32_t t = c * a + 128;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// One blended pixel with the magenta colour key applied: opaque, or all zero
// (transparent black, so that filtering never bleeds magenta into edges).
inline void KeyedPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t* out)
{
    const bool keyed = r == 255 && g == 0 && b == 255;
    out[0] = keyed ? 0 : r;
    out[1] = keyed ? 0 : g;
    out[2] = keyed ? 0 : b;
    out[3] = keyed ? 0 : 255;
}

// The texture image of a PNG file: alpha blended over black, then keyed. False
// (with a reason) when the bytes are not a PNG or cannot be decoded.
bool DecodeTextureImage(const uint8_t* data, size_t size, CResourceImage* pImage, std::string* pError = nullptr);

// A PNG as it is, alpha kept (pictures for the desktop, such as the window
// icon); RGB pictures become opaque.
bool DecodePngImage(const uint8_t* data, size_t size, CResourceImage* pImage, std::string* pError = nullptr);
