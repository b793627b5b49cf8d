// Drawing toolkit of the picture generator: cairo canvases, the two IPA fonts,
// neon glows, and the PNG writer that turns a canvas into what the game's
// texture loader expects.
//
// The loader blends every pixel over black and makes exactly (255, 0, 255)
// see-through, everything else opaque. So a picture is either
//  - additive (glows, bullets of light): written over black, black is invisible;
//  - keyed (sprites drawn with alpha blending): every fully transparent pixel of
//    the canvas becomes magenta, every other pixel is its colour over a dark
//    backdrop, so antialiased edges fade to dark instead of to pink;
//  - opaque (screens, panels).
#pragma once
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>

namespace pic {

struct Rgb {
    double r, g, b;
};

// A few colours shared by every picture so the set reads as one style.
namespace col {
constexpr Rgb kWhite{1.0, 1.0, 1.0};
constexpr Rgb kCyan{0.25, 0.9, 1.0};
constexpr Rgb kBlue{0.25, 0.45, 1.0};
constexpr Rgb kTeal{0.2, 1.0, 0.75};
constexpr Rgb kGreen{0.35, 1.0, 0.4};
constexpr Rgb kAmber{1.0, 0.72, 0.2};
constexpr Rgb kOrange{1.0, 0.5, 0.15};
constexpr Rgb kRed{1.0, 0.25, 0.3};
constexpr Rgb kRose{1.0, 0.4, 0.62};
constexpr Rgb kViolet{0.7, 0.4, 1.0};
constexpr Rgb kInk{0.03, 0.04, 0.09};    // panel fill
constexpr Rgb kDeep{0.01, 0.015, 0.04};  // screen background
}  // namespace col

enum FontId { kFontGothic = 0, kFontPGothic = 1 };

// Loads IPA Gothic and IPA P Gothic through fontconfig. False (with a message on
// stderr) when either is missing.
bool InitFonts();
void ShutdownFonts();

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return m_pCr; }
    cairo_surface_t* surface() const { return m_pSurface; }
    int width() const { return m_nWidth; }
    int height() const { return m_nHeight; }
    bool ok() const;

    void Clear();  // fully transparent
    void Fill(Rgb c, double a = 1.0);

    // Premultiplied ARGB access for per-pixel work (call Flush/MarkDirty around it).
    uint32_t* Pixels();
    int Stride() const;  // in pixels
    void Flush() { cairo_surface_flush(m_pSurface); }
    void MarkDirty() { cairo_surface_mark_dirty(m_pSurface); }

private:
    int m_nWidth, m_nHeight;
    cairo_surface_t* m_pSurface;
    cairo_t* m_pCr;
};

// ---- text -------------------------------------------------------------------
struct Font {
    FontId id = kFontPGothic;
    double size = 12.0;
    double tracking = 0.0;  // extra advance after every character, pixels
    bool hinted = false;    // full hinting for small HUD and menu text
};

void SetFont(cairo_t* cr, const Font& f);
double TextWidth(cairo_t* cr, const Font& f, const std::string& utf8);
// Appends the outline of the text to the current path, baseline at (x, y).
void TextPath(cairo_t* cr, const Font& f, double x, double y, const std::string& utf8);
// Capital height of the font (for vertical centring).
double CapHeight(cairo_t* cr, const Font& f);

enum class Align { kLeft, kCenter, kRight };
double AlignX(cairo_t* cr, const Font& f, const std::string& s, double x, Align a);

// Text with an optional dark outline: the outline is stroked first, the fill on top.
void DrawText(cairo_t* cr, const Font& f, double x, double y, const std::string& s, Rgb fill,
              Align align = Align::kLeft, double outline = 0.0, Rgb outlineCol = col::kDeep, double alpha = 1.0);

// ---- glow ---------------------------------------------------------------------
// Box blur (three passes approximate a gaussian) of a premultiplied surface.
void Blur(Canvas& c, int radius);

// Draws `shape` (which builds a path and fills/strokes it itself with the colour
// it is given) into a scratch layer, blurs it and adds it onto the canvas `gain`
// times; then draws the shape crisply on top. The classic neon tube.
void Neon(Canvas& c, const std::function<void(cairo_t*, Rgb)>& shape, Rgb glow, Rgb core, int blur, double gain = 1.0);
// Only the blurred halo (for soft light without a crisp core).
void Halo(Canvas& c, const std::function<void(cairo_t*, Rgb)>& shape, Rgb glow, int blur, double gain = 1.0);

void NeonText(Canvas& c, const Font& f, double x, double y, const std::string& s, Rgb glow, Rgb core, int blur,
              double gain = 1.0, Align align = Align::kLeft);

// ---- helpers --------------------------------------------------------------------
void SetRgb(cairo_t* cr, Rgb c, double a = 1.0);
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scale(Rgb a, double k);
Rgb Lift(Rgb a, double t);  // toward white
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// Parallelogram with its top edge shifted right by `slant` pixels.
void SlantRect(cairo_t* cr, double x, double y, double w, double h, double slant);

// Deterministic generator for the pictures' own noise (never the game's).
class Rng {
public:
    explicit Rng(uint64_t seed) : m_uState(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint32_t Next();
    double Real() { return (Next() >> 8) * (1.0 / 16777216.0); }  // [0, 1)

private:
    uint64_t m_uState;
};

// Smooth value noise in [0, 1], periodic with `period` cells (0 = not periodic).
double ValueNoise(double x, double y, uint32_t seed, int period = 0);
double Fbm(double x, double y, uint32_t seed, int octaves, int period = 0);

// ---- output ---------------------------------------------------------------------
enum class Mode { kOpaque, kAdditive, kKeyed, kAlpha };

// Writes the canvas as an 8-bit RGB PNG. kKeyed: pixels with alpha below
// `cutAlpha` (0..255) become (255, 0, 255); the rest are blended over `backdrop`.
// Opaque and additive pictures are blended over black. No pixel other than a
// see-through one is ever exactly (255, 0, 255). kAlpha (pictures the desktop
// shows, not the game: the window icons) keeps the alpha: an RGBA PNG.
bool WritePng(const Canvas& c, const std::string& path, Mode mode, int cutAlpha = 24, Rgb backdrop = {0.0, 0.0, 0.0});

}  // namespace pic
