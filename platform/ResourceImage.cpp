#include "platform/ResourceImage.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

struct MemoryReader {
    const uint8_t* pData;
    size_t nSize;
    size_t nPos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    MemoryReader* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > r->nSize - r->nPos) png_error(png, "unexpected end of data");
    std::memcpy(out, r->pData + r->nPos, length);
    r->nPos += length;
}

void OnPngWarning(png_structp, png_const_charp) {}

// Damaged pictures are reported by the caller; libpng itself stays quiet.
[[noreturn]] void OnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Everything libpng may jump out of lives in this plain C-style frame: no
// object with a destructor is skipped by the jump. rows must have height
// entries into a buffer of height * rowBytes.
bool ReadPngRows(png_structp png, png_infop info, png_bytep* rows, const char** pWhy)
{
    if (setjmp(png_jmpbuf(png))) {
        *pWhy = "the PNG data is damaged";
        return false;
    }
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

bool ReadPngHeader(png_structp png, png_infop info, size_t dataSize, uint32_t* pWidth, uint32_t* pHeight,
                   int* pChannels, const char** pWhy)
{
    if (setjmp(png_jmpbuf(png))) {
        *pWhy = "the PNG header is damaged";
        return false;
    }
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    // Text, profiles and other side chunks are never shown: keep them small.
    png_set_chunk_malloc_max(png, 1u << 20);
    png_set_chunk_cache_max(png, 128);
    png_read_info(png, info);
    int colourType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    // Before a single row is allocated: a small file must not be allowed to
    // ask for gigabytes.
    const uint64_t declaredW = png_get_image_width(png, info);
    const uint64_t declaredH = png_get_image_height(png, info);
    if (declaredW * declaredH > kMaxImagePixels) {
        *pWhy = "the picture declares more pixels than a texture may have";
        return false;
    }
    const uint64_t rawRow = (declaredW * png_get_channels(png, info) * static_cast<uint64_t>(bitDepth) + 7) / 8 + 1;
    if (rawRow * declaredH > (static_cast<uint64_t>(dataSize) + 1024) * kMaxDeflateRatio) {
        *pWhy = "the picture declares more pixels than its data can hold";
        return false;
    }
    if (bitDepth == 16) png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *pWidth = png_get_image_width(png, info);
    *pHeight = png_get_image_height(png, info);
    *pChannels = png_get_channels(png, info);
    return true;
}

void SetError(std::string* pError, const char* why)
{
    if (pError) *pError = why;
}

// Whether every chunk up to the end chunk fits in the data. libpng sizes some
// chunks' buffers from the length a chunk declares before reading it, so a
// few hundred bytes declaring a 2 GB text chunk would have it ask for 2 GB; no
// chunk of a real file is longer than the file.
bool ChunksFitTheData(const uint8_t* data, size_t size)
{
    size_t pos = 8;  // after the signature
    while (size - pos >= 8) {
        const uint32_t length = png_get_uint_32(data + pos);
        if (length > size - pos - 8 || size - pos - 8 - length < 4) return false;  // data and CRC
        const bool end = std::memcmp(data + pos + 4, "IEND", 4) == 0;
        pos += 12 + static_cast<size_t>(length);
        if (end) return true;
    }
    return true;  // cut short before its end: libpng says so
}

} // namespace

namespace {

// Decodes to 8-bit RGB or RGBA rows (3 or 4 channels): palettes, grey, 16-bit
// samples and transparency tables are expanded by libpng.
bool DecodeRows(const uint8_t* data, size_t size, uint32_t* pWidth, uint32_t* pHeight, int* pChannels,
                std::vector<uint8_t>* pPixels, std::string* pError)
{
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        SetError(pError, "not a PNG picture");
        return false;
    }
    if (!ChunksFitTheData(data, size)) {
        SetError(pError, "the PNG data is damaged (a chunk is longer than the file)");
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!png) {
        SetError(pError, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        SetError(pError, "out of memory");
        return false;
    }
    MemoryReader reader{data, size, 0};
    png_set_read_fn(png, &reader, ReadFromMemory);

    const char* why = nullptr;
    uint32_t w = 0, h = 0;
    int channels = 0;
    bool ok = ReadPngHeader(png, info, size, &w, &h, &channels, &why);
    if (ok && (w == 0 || h == 0 || w > static_cast<uint32_t>(kMaxImageSide) ||
               h > static_cast<uint32_t>(kMaxImageSide) || (channels != 3 && channels != 4))) {
        why = "unsupported PNG layout";
        ok = false;
    }
    std::vector<png_bytep> rows;
    if (ok) {
        size_t rowBytes = static_cast<size_t>(w) * static_cast<size_t>(channels);
        pPixels->resize(rowBytes * h);
        rows.resize(h);
        for (uint32_t y = 0; y < h; ++y) rows[y] = pPixels->data() + rowBytes * y;
        ok = ReadPngRows(png, info, rows.data(), &why);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        pPixels->clear();
        SetError(pError, why ? why : "the PNG data is damaged");
        return false;
    }
    *pWidth = w;
    *pHeight = h;
    *pChannels = channels;
    return true;
}

} // namespace

namespace {

// Decodes to R, G, B, A bytes; each pixel then goes through pixel(r, g, b, a,
// out), RGB pictures with a = 255.
template <class F>
bool DecodeRgba(const uint8_t* data, size_t size, CResourceImage* pImage, std::string* pError, F pixel)
{
    uint32_t w, h;
    int channels;
    std::vector<uint8_t> pixels;
    if (!DecodeRows(data, size, &w, &h, &channels, &pixels, pError)) return false;
    const size_t n = static_cast<size_t>(w) * h;
    if (channels == 3) {
        pImage->m_Pixels.resize(n * 4);
        uint8_t* out = pImage->m_Pixels.data();
        const uint8_t* p = pixels.data();
        for (size_t i = 0; i < n; ++i, p += 3, out += 4) pixel(p[0], p[1], p[2], 255u, out);
    } else {
        // In place: each pixel is read before it is overwritten.
        uint8_t* p = pixels.data();
        for (size_t i = 0; i < n; ++i, p += 4) pixel(p[0], p[1], p[2], p[3], p);
        pImage->m_Pixels = std::move(pixels);
    }
    pImage->m_nWidth = static_cast<int32_t>(w);
    pImage->m_nHeight = static_cast<int32_t>(h);
    return true;
}

} // namespace

bool DecodeTextureImage(const uint8_t* data, size_t size, CResourceImage* pImage, std::string* pError)
{
    return DecodeRgba(data, size, pImage, pError, [](uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint8_t* out) {
        // Over black with a = 255 is the colour itself.
        KeyedPixel(BlendOverBlack(r, a), BlendOverBlack(g, a), BlendOverBlack(b, a), out);
    });
}

bool DecodePngImage(const uint8_t* data, size_t size, CResourceImage* pImage, std::string* pError)
{
    return DecodeRgba(data, size, pImage, pError, [](uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint8_t* out) {
        out[0] = static_cast<uint8_t>(r);
        out[1] = static_cast<uint8_t>(g);
        out[2] = static_cast<uint8_t>(b);
        out[3] = static_cast<uint8_t>(a);
    });
}
