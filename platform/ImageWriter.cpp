#include "platform/ImageWriter.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

bool WriteBmp24(const std::string& path, int width, int height, const uint32_t* pixels)
{
    if (width <= 0 || height <= 0 || !pixels) return false;
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    std::vector<uint8_t> b;
    b.reserve(54 + imageBytes);
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + imageBytes);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));  // positive: rows bottom up
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, imageBytes);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = height - 1; y >= 0; --y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            b.push_back(static_cast<uint8_t>(row[x]));
            b.push_back(static_cast<uint8_t>(row[x] >> 8));
            b.push_back(static_cast<uint8_t>(row[x] >> 16));
        }
        for (uint32_t p = static_cast<uint32_t>(width) * 3; p < rowBytes; ++p) b.push_back(0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return (std::fclose(f) == 0) && ok;
}

bool WritePng24(const std::string& path, int width, int height, const uint32_t* pixels)
{
    if (width <= 0 || height <= 0 || !pixels) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        rgb[i * 3 + 0] = static_cast<uint8_t>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
    }
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr);
    png_image_free(&image);
    return ok != 0;
}
