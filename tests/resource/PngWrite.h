// Writes small PNG files in memory for the tests (libpng's writer).
#pragma once
#include <png.h>

#include <cstdint>
#include <vector>

namespace testpng {

inline void Append(png_structp png, png_bytep data, png_size_t len)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + len);
}
inline void Flush(png_structp) {}

// colourType: PNG_COLOR_TYPE_RGB, _RGBA, _GRAY, _GRAY_ALPHA or _PALETTE (then
// palette/trns give the table). pixels: rows top first, packed as the type
// needs at bitDepth (8 or 16 here; 16-bit samples big-endian).
inline std::vector<uint8_t> Encode(int w, int h, int colourType, int bitDepth, const std::vector<uint8_t>& pixels,
                                   const std::vector<png_color>& palette = {},
                                   const std::vector<uint8_t>& trns = {})
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, Flush);
    png_set_IHDR(png, info, w, h, bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    png_write_info(png, info);
    size_t rowBytes = pixels.size() / h;
    for (int y = 0; y < h; ++y) png_write_row(png, const_cast<png_bytep>(pixels.data() + rowBytes * y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace testpng
