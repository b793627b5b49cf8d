// Light and bullets: everything the play field flashes. The additive pictures are
// computed per pixel on black (black adds nothing); the bullets are drawn with
// alpha blending, so they sit on magenta with a dark rim that keeps them readable
// over any background.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/pictures_parts.h"

namespace pic {
namespace {

uint32_t Pack(double r, double g, double b)
{
    auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return 0xFF000000u | (c(r) << 16) | (c(g) << 8) | c(b);
}

// Fills an opaque picture pixel by pixel; f(x, y) is sampled at pixel centres.
template <class F>
void Shade(Canvas& c, F f)
{
    c.Flush();
    uint32_t* px = c.Pixels();
    const int stride = c.Stride();
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const Rgb v = f(x + 0.5, y + 0.5);
            px[y * stride + x] = Pack(v.r, v.g, v.b);
        }
    }
    c.MarkDirty();
}

double Gauss(double d, double sigma)
{
    return std::exp(-(d * d) / (2 * sigma * sigma));
}

// Fades a radial picture to exact black before its border so no square edge shows.
double EdgeFade(double r, double half, double width)
{
    return std::clamp((half - 1.0 - r) / width, 0.0, 1.0);
}

Rgb Add(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

// ---- enemy bullets ------------------------------------------------------------------
struct BulletLook {
    int id;
    Rgb rim;    // saturated body colour
    Rgb inner;  // lighter band inside the body
};

void DrawBullet(Canvas& c, const BulletLook& b)
{
    cairo_t* cr = c.cr();
    const double cx = 16, cy = 16;
    // Dark rim first: the edge of the disc fades into it, never into pink.
    cairo_arc(cr, cx, cy, 14.6, 0, 2 * M_PI);
    SetRgb(cr, Scale(b.rim, 0.28));
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, 13.2);
    cairo_pattern_add_color_stop_rgb(g, 0.00, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(g, 0.36, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(g, 0.52, b.inner.r, b.inner.g, b.inner.b);
    cairo_pattern_add_color_stop_rgb(g, 0.80, b.rim.r, b.rim.g, b.rim.b);
    cairo_pattern_add_color_stop_rgb(g, 1.00, b.rim.r * 0.7, b.rim.g * 0.7, b.rim.b * 0.7);
    cairo_set_source(cr, g);
    cairo_arc(cr, cx, cy, 13.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // A small highlight so the ball reads as round.
    cairo_arc(cr, cx - 4.5, cy - 4.5, 2.2, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.55);
    cairo_fill(cr);
}

// The slow-motion look: a pale shell around a deep core with tick marks, as if
// the bullet were frozen in time.
void DrawSlowBullet(Canvas& c)
{
    cairo_t* cr = c.cr();
    const double cx = 16, cy = 16;
    cairo_arc(cr, cx, cy, 14.6, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.05, 0.12, 0.2);
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, 13.2);
    cairo_pattern_add_color_stop_rgb(g, 0.00, 1.0, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgb(g, 0.22, 0.85, 0.97, 1.0);
    cairo_pattern_add_color_stop_rgb(g, 0.40, 0.10, 0.25, 0.45);
    cairo_pattern_add_color_stop_rgb(g, 0.70, 0.12, 0.35, 0.55);
    cairo_pattern_add_color_stop_rgb(g, 0.86, 0.80, 0.96, 1.0);
    cairo_pattern_add_color_stop_rgb(g, 1.00, 0.55, 0.85, 1.0);
    cairo_set_source(cr, g);
    cairo_arc(cr, cx, cy, 13.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_set_source_rgb(cr, 0.9, 1.0, 1.0);
    cairo_set_line_width(cr, 1.4);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        cairo_move_to(cr, cx + std::cos(a) * 6.5, cy + std::sin(a) * 6.5);
        cairo_line_to(cr, cx + std::cos(a) * 9.0, cy + std::sin(a) * 9.0);
    }
    cairo_stroke(cr);
}

bool Bullets(Out& out)
{
    const BulletLook looks[5] = {
        {107, {1.0, 0.16, 0.22}, {1.0, 0.62, 0.62}},  // 0 red
        {113, {0.18, 0.42, 1.0}, {0.62, 0.8, 1.0}},   // 1 blue
        {114, {0.15, 0.9, 0.3}, {0.7, 1.0, 0.7}},     // 2 green
        {116, {0.72, 0.26, 1.0}, {0.88, 0.7, 1.0}},   // 3 violet
        {117, {1.0, 0.62, 0.08}, {1.0, 0.88, 0.55}},  // 4 amber
    };
    for (const BulletLook& b : looks) {
        Canvas c(32, 32);
        DrawBullet(c, b);
        out.Save(c, b.id, Mode::kKeyed, 40);
    }
    Canvas slow(32, 32);
    DrawSlowBullet(slow);
    out.Save(slow, 118, Mode::kKeyed, 40);
    return out.ok();
}

// ---- additive light ------------------------------------------------------------------
bool Lights(Out& out)
{
    {  // "#103" player shot: a cyan bolt, nose (top of the picture) brightest.
        Canvas c(32, 32);
        Shade(c, [](double x, double y) {
            const double dx = x - 16, dy = y - 15;
            const double along = std::clamp(1.0 - (y - 2) / 30.0, 0.0, 1.0);  // 1 at the nose
            const double core = Gauss(dx, 1.3) * Gauss(std::max(0.0, std::abs(dy) - 9), 2.0);
            const double halo = Gauss(dx, 4.0) * Gauss(std::max(0.0, std::abs(dy) - 8), 4.0);
            const double k = 0.55 + 0.45 * along;
            const double e = EdgeFade(std::max(std::abs(dx), std::abs(y - 16)), 16, 2.5);
            return Scale(Add(Scale(col::kWhite, core * k), Scale({0.2, 0.75, 1.0}, halo * 0.9 * k)), e);
        });
        out.Save(c, 103, Mode::kAdditive);
    }
    {  // "#239" glow: a white point of light with a cool halo.
        Canvas c(64, 64);
        Shade(c, [](double x, double y) {
            const double r = std::hypot(x - 32, y - 32);
            const double core = Gauss(r, 4.0), halo = Gauss(r, 11.0);
            return Scale(Add(Scale(col::kWhite, core), Scale({0.55, 0.78, 1.0}, halo * 0.75)), EdgeFade(r, 32, 6));
        });
        out.Save(c, 239, Mode::kAdditive);
    }
    {  // "#187" shock ring.
        Canvas c(128, 128);
        Shade(c, [](double x, double y) {
            const double r = std::hypot(x - 64, y - 64);
            const double line = Gauss(r - 56, 1.6), glow = Gauss(r - 54, 5.0);
            const double inner = r < 56 ? 0.12 * std::pow(r / 56, 4) : 0.0;
            return Scale(
                Add(Add(Scale(col::kWhite, line), Scale({0.3, 0.8, 1.0}, glow * 0.7)), Scale({0.2, 0.5, 1.0}, inner)),
                EdgeFade(r, 64, 3));
        });
        out.Save(c, 187, Mode::kAdditive);
    }
    {  // "#185" zab flare: a warm star with a long horizontal streak.
        Canvas c(128, 128);
        Shade(c, [](double x, double y) {
            const double dx = x - 64, dy = y - 64, r = std::hypot(dx, dy);
            const double core = Gauss(r, 5.0), halo = Gauss(r, 16.0);
            const double streak = Gauss(dy, 1.4) * Gauss(dx, 34.0);
            const double spike = Gauss(dx, 1.2) * Gauss(dy, 14.0);
            const double ring = Gauss(r - 40, 1.5) * 0.22;
            Rgb v = Scale(col::kWhite, core + 0.8 * streak + 0.6 * spike);
            v = Add(v, Scale({1.0, 0.45, 0.55}, halo * 0.8 + ring));
            v = Add(v, Scale({1.0, 0.55, 0.3}, streak * 0.5));
            return Scale(v, EdgeFade(r, 64, 5));
        });
        out.Save(c, 185, Mode::kAdditive);
    }
    {  // "#115" boss death effect: an eight-rayed white-gold burst.
        Canvas c(64, 64);
        Shade(c, [](double x, double y) {
            const double dx = x - 32, dy = y - 32, r = std::hypot(dx, dy);
            const double a = std::atan2(dy, dx);
            const double rays = std::pow(std::abs(std::cos(a * 4)), 24) * Gauss(r, 14.0);
            const double core = Gauss(r, 4.5), halo = Gauss(r, 10.0);
            Rgb v = Scale(col::kWhite, core + rays * 0.9);
            v = Add(v, Scale({1.0, 0.8, 0.4}, halo * 0.7 + rays * 0.4));
            return Scale(v, EdgeFade(r, 32, 4));
        });
        out.Save(c, 115, Mode::kAdditive);
    }
    // "#105", "#106" and "#160" are loaded with the set but no object draws them:
    // small dim lights, harmless wherever they might end up.
    const int spares[3] = {105, 106, 160};
    const Rgb tint[3] = {{0.6, 0.4, 1.0}, {0.3, 1.0, 0.7}, {1.0, 0.6, 0.3}};
    for (int i = 0; i < 3; ++i) {
        Canvas c(32, 32);
        const Rgb t = tint[i];
        Shade(c, [t](double x, double y) {
            const double r = std::hypot(x - 16, y - 16);
            return Scale(t, Gauss(r, 5.0) * 0.6 * EdgeFade(r, 16, 3));
        });
        out.Save(c, spares[i], Mode::kAdditive);
    }
    return out.ok();
}

// ---- explosion ------------------------------------------------------------------------
// Sixteen frames of a fireball: a white flash that swells into turbulent orange,
// hollows out and cools to embers. Additive, so the dark parts vanish.
Rgb FireRamp(double h)
{
    struct Stop {
        double at;
        Rgb c;
    };
    static const Stop stops[] = {{0.00, {0.00, 0.00, 0.00}}, {0.18, {0.35, 0.04, 0.02}}, {0.38, {0.85, 0.22, 0.04}},
                                 {0.58, {1.00, 0.55, 0.12}}, {0.78, {1.00, 0.85, 0.45}}, {1.00, {1.00, 1.00, 0.95}}};
    h = std::clamp(h, 0.0, 1.0);
    for (int i = 1; i < 6; ++i) {
        if (h <= stops[i].at) {
            const double t = (h - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return Mix(stops[i - 1].c, stops[i].c, t);
        }
    }
    return stops[5].c;
}

bool Explosion(Out& out)
{
    for (int f = 0; f < 16; ++f) {
        const double t = f / 15.0;
        const double radius = 14.0 + 42.0 * (1.0 - (1.0 - t) * (1.0 - t));
        Canvas c(128, 128);
        Shade(c, [&](double x, double y) {
            const double dx = x - 64, dy = y - 64, r = std::hypot(dx, dy);
            const double d = r / radius;
            // Billows scale with the fireball so its outline stays round but ragged.
            const double nx = dx / radius * 2.6, ny = dy / radius * 2.6;
            const double n = Fbm(nx + 17.0 + t * 0.8, ny + 23.0 - t * 0.6, 77u, 4);
            double density = std::clamp((1.0 - d) * 2.2 + (n - 0.5) * 1.1, 0.0, 1.0);
            // Late frames burn out from the centre and leave a ragged shell.
            const double hollow = t * t * std::clamp(1.0 - d * 1.15, 0.0, 1.0) * (0.5 + 0.8 * n);
            density = std::clamp(density - hollow, 0.0, 1.0);
            const double heat = density * (1.1 - 0.8 * t) + (n - 0.5) * 0.3;
            Rgb v = Scale(FireRamp(heat), std::min(1.0, density * 1.8) * (1.0 - 0.5 * t * t));
            // A warm bloom around the ball while it is hot.
            v = Add(v, Scale({1.0, 0.45, 0.1}, Gauss(r, radius * 0.8) * 0.35 * (1.0 - t)));
            if (t < 0.25) {  // the opening flash
                const double k = 1.0 - t / 0.25;
                v = Add(v, Scale({1.0, 0.95, 0.85}, Gauss(r, radius * 0.7) * k));
            }
            return Scale(v, EdgeFade(r, 64, 8));
        });
        out.Save(c, 141 + f, Mode::kAdditive);
    }
    return out.ok();
}

// ---- noise overlay ------------------------------------------------------------------------
// 1024 × 512, of which the top-left 640 × 480 is shown over the screen: grey
// static with a few brighter scan bands. The rest stays black.
bool Noise(Out& out)
{
    Canvas c(1024, 512);
    c.Fill({0, 0, 0});
    c.Flush();
    uint32_t* px = c.Pixels();
    const int stride = c.Stride();
    Rng rng(161);
    for (int y = 0; y < 480; ++y) {
        const double band = rng.Real() < 0.06 ? 0.35 * rng.Real() : 0.0;
        const double rowShade = 0.85 + 0.15 * rng.Real();
        for (int x = 0; x < 640; ++x) {
            // Sixteen grey levels: static looks the same and the file stays small.
            double v = (rng.Next() >> 28) / 15.0;
            v = std::min(1.0, v * rowShade + band);
            const uint32_t g = static_cast<uint32_t>(std::lround(v * 255)) & 0xF0;
            px[y * stride + x] = 0xFF000000u | (g << 16) | (g << 8) | g;
        }
    }
    c.MarkDirty();
    return out.Save(c, 161, Mode::kOpaque);
}

}  // namespace

bool DrawEffects(Out& out)
{
    bool ok = Bullets(out);
    ok = Lights(out) && ok;
    ok = Explosion(out) && ok;
    ok = Noise(out) && ok;
    return ok;
}

}  // namespace pic
