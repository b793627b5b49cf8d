#include "tools/assetgen/pictures_canvas.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace pic {

// ---- fonts ------------------------------------------------------------------------
namespace {

struct FontSlot {
    const char* family;
    FT_Face face = nullptr;
    cairo_font_face_t* cairoFace = nullptr;
};

FT_Library g_ftLibrary = nullptr;
FontSlot g_fonts[2] = {{"IPAGothic"}, {"IPAPGothic"}};
cairo_user_data_key_t g_faceKey;

void DoneFace(void* p)
{
    FT_Done_Face(static_cast<FT_Face>(p));
}

// The file fontconfig picks for `family`, or "" when it would only offer a
// substitute of another family.
std::string FindFontFile(const char* family)
{
    std::string file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (!pattern) return file;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match) {
        bool sameFamily = false;
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            if (std::string(reinterpret_cast<char*>(name)) == family) sameFamily = true;
        }
        FcChar8* path = nullptr;
        if (sameFamily && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
            file = reinterpret_cast<char*>(path);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

}  // namespace

bool InitFonts()
{
    if (g_ftLibrary) return true;
    if (!FcInit()) {
        std::fprintf(stderr, "pictures: fontconfig could not be initialised\n");
        return false;
    }
    if (FT_Init_FreeType(&g_ftLibrary) != 0) {
        std::fprintf(stderr, "pictures: FreeType could not be initialised\n");
        g_ftLibrary = nullptr;
        return false;
    }
    for (FontSlot& slot : g_fonts) {
        const std::string file = FindFontFile(slot.family);
        if (file.empty() || FT_New_Face(g_ftLibrary, file.c_str(), 0, &slot.face) != 0) {
            std::fprintf(stderr,
                         "pictures: font \"%s\" not found (install the Debian package "
                         "fonts-ipafont-gothic)\n",
                         slot.family);
            ShutdownFonts();
            return false;
        }
        slot.cairoFace = cairo_ft_font_face_create_for_ft_face(slot.face, 0);
        if (cairo_font_face_set_user_data(slot.cairoFace, &g_faceKey, slot.face, DoneFace) != CAIRO_STATUS_SUCCESS) {
            cairo_font_face_destroy(slot.cairoFace);
            FT_Done_Face(slot.face);
            slot.cairoFace = nullptr;
            slot.face = nullptr;
            ShutdownFonts();
            return false;
        }
    }
    return true;
}

void ShutdownFonts()
{
    for (FontSlot& slot : g_fonts) {
        // The face itself is released by cairo once its last user is gone.
        if (slot.cairoFace) cairo_font_face_destroy(slot.cairoFace);
        slot.cairoFace = nullptr;
        slot.face = nullptr;
    }
    if (g_ftLibrary) {
        // Drop cairo's font caches so every face is released before the library.
        cairo_debug_reset_static_data();
        FT_Done_FreeType(g_ftLibrary);
        g_ftLibrary = nullptr;
        FcFini();
    }
}

// ---- canvas -----------------------------------------------------------------------
Canvas::Canvas(int width, int height) : m_nWidth(width), m_nHeight(height)
{
    m_pSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    m_pCr = cairo_create(m_pSurface);
    Clear();
}

Canvas::~Canvas()
{
    cairo_destroy(m_pCr);
    cairo_surface_destroy(m_pSurface);
}

bool Canvas::ok() const
{
    return cairo_surface_status(m_pSurface) == CAIRO_STATUS_SUCCESS && cairo_status(m_pCr) == CAIRO_STATUS_SUCCESS;
}

void Canvas::Clear()
{
    cairo_save(m_pCr);
    cairo_set_operator(m_pCr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(m_pCr);
    cairo_restore(m_pCr);
}

void Canvas::Fill(Rgb c, double a)
{
    cairo_save(m_pCr);
    cairo_set_operator(m_pCr, CAIRO_OPERATOR_SOURCE);
    SetRgb(m_pCr, c, a);
    cairo_paint(m_pCr);
    cairo_restore(m_pCr);
}

uint32_t* Canvas::Pixels()
{
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(m_pSurface));
}

int Canvas::Stride() const
{
    return cairo_image_surface_get_stride(m_pSurface) / 4;
}

// ---- text ---------------------------------------------------------------------------
void SetFont(cairo_t* cr, const Font& f)
{
    cairo_set_font_face(cr, g_fonts[f.id].cairoFace);
    cairo_set_font_size(cr, f.size);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(o, f.hinted ? CAIRO_HINT_STYLE_FULL : CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(o, f.hinted ? CAIRO_HINT_METRICS_ON : CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
}

namespace {

// Splits UTF-8 into characters so tracking can be applied between them.
std::vector<std::string> Characters(const std::string& s)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        n = std::min(n, s.size() - i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

}  // namespace

double TextWidth(cairo_t* cr, const Font& f, const std::string& utf8)
{
    SetFont(cr, f);
    if (f.tracking == 0.0) {
        cairo_text_extents_t e;
        cairo_text_extents(cr, utf8.c_str(), &e);
        return e.x_advance;
    }
    double w = 0.0;
    const auto chars = Characters(utf8);
    for (size_t i = 0; i < chars.size(); ++i) {
        cairo_text_extents_t e;
        cairo_text_extents(cr, chars[i].c_str(), &e);
        w += e.x_advance + (i + 1 < chars.size() ? f.tracking : 0.0);
    }
    return w;
}

void TextPath(cairo_t* cr, const Font& f, double x, double y, const std::string& utf8)
{
    SetFont(cr, f);
    if (f.tracking == 0.0) {
        cairo_move_to(cr, x, y);
        cairo_text_path(cr, utf8.c_str());
        return;
    }
    for (const std::string& ch : Characters(utf8)) {
        cairo_move_to(cr, x, y);
        cairo_text_path(cr, ch.c_str());
        cairo_text_extents_t e;
        cairo_text_extents(cr, ch.c_str(), &e);
        x += e.x_advance + f.tracking;
    }
}

double CapHeight(cairo_t* cr, const Font& f)
{
    SetFont(cr, f);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "H", &e);
    return -e.y_bearing;
}

double AlignX(cairo_t* cr, const Font& f, const std::string& s, double x, Align a)
{
    if (a == Align::kLeft) return x;
    const double w = TextWidth(cr, f, s);
    return a == Align::kCenter ? x - w / 2.0 : x - w;
}

void DrawText(cairo_t* cr, const Font& f, double x, double y, const std::string& s, Rgb fill, Align align,
              double outline, Rgb outlineCol, double alpha)
{
    x = AlignX(cr, f, s, x, align);
    cairo_save(cr);
    cairo_new_path(cr);
    TextPath(cr, f, x, y, s);
    if (outline > 0.0) {
        SetRgb(cr, outlineCol, alpha);
        cairo_set_line_width(cr, outline * 2.0);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    SetRgb(cr, fill, alpha);
    cairo_fill(cr);
    cairo_restore(cr);
}

// ---- glow ------------------------------------------------------------------------------
namespace {

// Three box passes over `n` samples spaced `step` apart (approximately a
// gaussian), each channel of the packed premultiplied ARGB separately.
void BoxLine(uint32_t* p, int n, int step, int r, std::vector<int>& buf)
{
    buf.resize(static_cast<size_t>(n) * 8);
    int* a = buf.data();
    int* b = a + static_cast<size_t>(n) * 4;
    for (int i = 0; i < n; ++i) {
        const uint32_t v = p[static_cast<size_t>(i) * step];
        for (int k = 0; k < 4; ++k) a[i * 4 + k] = (v >> (8 * k)) & 0xFF;
    }
    const int win = 2 * r + 1;
    for (int pass = 0; pass < 3; ++pass) {
        int sum[4] = {0, 0, 0, 0};
        for (int i = 0; i <= r && i < n; ++i)
            for (int k = 0; k < 4; ++k) sum[k] += a[i * 4 + k];
        for (int i = 0; i < n; ++i) {
            for (int k = 0; k < 4; ++k) b[i * 4 + k] = (sum[k] + win / 2) / win;
            const int out = i - r, in = i + r + 1;
            if (out >= 0)
                for (int k = 0; k < 4; ++k) sum[k] -= a[out * 4 + k];
            if (in < n)
                for (int k = 0; k < 4; ++k) sum[k] += a[in * 4 + k];
        }
        std::swap(a, b);
    }
    for (int i = 0; i < n; ++i) {
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(std::min(255, a[i * 4 + k])) << (8 * k);
        p[static_cast<size_t>(i) * step] = v;
    }
}

}  // namespace

void Blur(Canvas& c, int radius)
{
    if (radius <= 0) return;
    c.Flush();
    uint32_t* px = c.Pixels();
    const int stride = c.Stride();
    // Only the area the ink can spread into needs the work.
    int x0 = c.width(), y0 = c.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (px[y * stride + x] != 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
        }
    }
    if (x1 < 0) return;
    const int m = 3 * radius + 1;
    x0 = std::max(0, x0 - m), y0 = std::max(0, y0 - m);
    x1 = std::min(c.width() - 1, x1 + m), y1 = std::min(c.height() - 1, y1 + m);
    std::vector<int> buf;
    for (int y = y0; y <= y1; ++y) BoxLine(px + y * stride + x0, x1 - x0 + 1, 1, radius, buf);
    for (int x = x0; x <= x1; ++x) BoxLine(px + y0 * stride + x, y1 - y0 + 1, stride, radius, buf);
    c.MarkDirty();
}

void Halo(Canvas& c, const std::function<void(cairo_t*, Rgb)>& shape, Rgb glow, int blur, double gain)
{
    Canvas layer(c.width(), c.height());
    cairo_save(layer.cr());
    shape(layer.cr(), glow);
    cairo_restore(layer.cr());
    Blur(layer, blur);
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    cairo_set_source_surface(cr, layer.surface(), 0, 0);
    while (gain > 0.0) {
        cairo_paint_with_alpha(cr, std::min(gain, 1.0));
        gain -= 1.0;
    }
    cairo_restore(cr);
}

void Neon(Canvas& c, const std::function<void(cairo_t*, Rgb)>& shape, Rgb glow, Rgb core, int blur, double gain)
{
    Halo(c, shape, glow, blur, gain);
    cairo_save(c.cr());
    shape(c.cr(), core);
    cairo_restore(c.cr());
}

void NeonText(Canvas& c, const Font& f, double x, double y, const std::string& s, Rgb glow, Rgb core, int blur,
              double gain, Align align)
{
    x = AlignX(c.cr(), f, s, x, align);
    Neon(
        c,
        [&](cairo_t* cr, Rgb k) {
            cairo_new_path(cr);
            TextPath(cr, f, x, y, s);
            SetRgb(cr, k);
            cairo_fill(cr);
        },
        glow, core, blur, gain);
}

// ---- helpers ------------------------------------------------------------------------------
void SetRgb(cairo_t* cr, Rgb c, double a)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, a);
}

Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb a, double k)
{
    return {a.r * k, a.g * k, a.b * k};
}

Rgb Lift(Rgb a, double t)
{
    return Mix(a, {1.0, 1.0, 1.0}, t);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void SlantRect(cairo_t* cr, double x, double y, double w, double h, double slant)
{
    cairo_move_to(cr, x + slant, y);
    cairo_line_to(cr, x + w, y);
    cairo_line_to(cr, x + w - slant, y + h);
    cairo_line_to(cr, x, y + h);
    cairo_close_path(cr);
}

uint32_t Rng::Next()
{
    // xorshift64*, enough for texture noise.
    m_uState ^= m_uState >> 12;
    m_uState ^= m_uState << 25;
    m_uState ^= m_uState >> 27;
    return static_cast<uint32_t>((m_uState * 0x2545F4914F6CDD1Dull) >> 32);
}

namespace {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x27d4eb2dU;
    h ^= static_cast<uint32_t>(x) * 0x85ebca6bU;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xc2b2ae35U;
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

double Lattice(int x, int y, uint32_t seed, int period)
{
    if (period > 0) {
        x = ((x % period) + period) % period;
        y = ((y % period) + period) % period;
    }
    return (Hash(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

}  // namespace

double ValueNoise(double x, double y, uint32_t seed, int period)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const double a = Lattice(ix, iy, seed, period), b = Lattice(ix + 1, iy, seed, period);
    const double c = Lattice(ix, iy + 1, seed, period), d = Lattice(ix + 1, iy + 1, seed, period);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double Fbm(double x, double y, uint32_t seed, int octaves, int period)
{
    double sum = 0.0, amp = 0.5, norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * ValueNoise(x, y, seed + 101u * i, period);
        norm += amp;
        x *= 2.0;
        y *= 2.0;
        if (period > 0) period *= 2;
        amp *= 0.5;
    }
    return sum / norm;
}

// ---- output -----------------------------------------------------------------------------------
bool WritePng(const Canvas& c, const std::string& path, Mode mode, int cutAlpha, Rgb backdrop)
{
    Canvas& cc = const_cast<Canvas&>(c);
    if (!cc.ok()) {
        std::fprintf(stderr, "pictures: drawing failed for %s\n", path.c_str());
        return false;
    }
    cc.Flush();
    const int w = c.width(), h = c.height();
    const uint32_t* px = cc.Pixels();
    const int stride = c.Stride();
    const int bd[3] = {static_cast<int>(std::lround(backdrop.r * 255)), static_cast<int>(std::lround(backdrop.g * 255)),
                       static_cast<int>(std::lround(backdrop.b * 255))};
    const int channels = mode == Mode::kAlpha ? 4 : 3;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t p = px[y * stride + x];
            const int a = p >> 24;
            int ch[3] = {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                         static_cast<int>(p & 0xFF)};
            uint8_t* o = &rgb[(static_cast<size_t>(y) * w + x) * channels];
            if (mode == Mode::kAlpha) {
                // cairo keeps colours premultiplied; the file wants them straight.
                for (int k = 0; k < 3; ++k)
                    o[k] = static_cast<uint8_t>(a == 0 ? 0 : std::min(255, (ch[k] * 255 + a / 2) / a));
                o[3] = static_cast<uint8_t>(a);
                continue;
            }
            if (mode == Mode::kKeyed) {
                if (a < cutAlpha) {
                    o[0] = 255, o[1] = 0, o[2] = 255;
                    continue;
                }
                for (int k = 0; k < 3; ++k) ch[k] = std::min(255, ch[k] + ((255 - a) * bd[k] + 127) / 255);
            }
            if (ch[0] == 255 && ch[1] == 0 && ch[2] == 255) ch[0] = 254;  // never see-through by accident
            o[0] = static_cast<uint8_t>(ch[0]);
            o[1] = static_cast<uint8_t>(ch[1]);
            o[2] = static_cast<uint8_t>(ch[2]);
        }
    }

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "pictures: cannot write %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        std::fprintf(stderr, "pictures: PNG encoding failed for %s\n", path.c_str());
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, &rgb[static_cast<size_t>(y) * w * channels]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(f) == 0;
    if (!closed) std::fprintf(stderr, "pictures: cannot finish %s\n", path.c_str());
    return closed;
}

}  // namespace pic
