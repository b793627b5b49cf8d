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
    std::vector<uint8_t> m_Pixels;  // RGBA, rows top first, 4 bytes a pixel
};

// Pictures larger than this in either direction are refused as damaged.
constexpr int32_t kMaxImageSide = 16384;

// Decodes a PNG into 8-bit RGB with its alpha blended over black: each channel
// c becomes round(c * a / 255), computed as t = c * a + 128, (t + (t >> 8)) >> 8.
// False (with a reason) when the bytes are not a PNG or cannot be decoded.
bool DecodePngOverBlack(const uint8_t* data, size_t size, int32_t* pWidth, int32_t* pHeight,
                        std::vector<uint8_t>* pRgb, std::string* pError = nullptr);

// The blend rule alone, for one channel.
inline uint8_t BlendOverBlack(uint32_t c, uint32_t a)
{
    uint32_t t = c * a + 128;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// RGB -> RGBA with the magenta colour key applied.
void ApplyColourKey(const std::vector<uint8_t>& rgb, std::vector<uint8_t>* pRgba);

// Both steps: the texture image of a PNG file.
bool DecodeTextureImage(const uint8_t* data, size_t size, CResourceImage* pImage, std::string* pError = nullptr);
