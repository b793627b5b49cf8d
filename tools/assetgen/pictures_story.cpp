// Story and boss pictures: cut-ins, portraits, barrage title strips, emblems,
// backdrops, banners and the result screen. Sizes and anchor points follow
// where the game draws each one (screen pixels in the comments).
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/assetgen/pictures_parts.h"

namespace pic {
namespace {

constexpr Rgb kText{0.92, 0.97, 1.0};
constexpr Rgb kBossTone{1.0, 0.35, 0.55};

// Paints `src` onto `dst` through the current path of `dst` (the path is consumed).
void PaintClipped(Canvas& dst, const Canvas& src)
{
    cairo_t* cr = dst.cr();
    cairo_save(cr);
    cairo_clip(cr);
    cairo_set_source_surface(cr, src.surface(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

void Stroke(cairo_t* cr, Rgb k, double a, double w)
{
    SetRgb(cr, k, a);
    cairo_set_line_width(cr, w);
    cairo_stroke(cr);
}

// A dark slanted plate with an edge in `tone`, under lettering the game lays
// over the play field: the letters then read the same on any ground (chapter
// 2's grey fog, the grid, a flash) instead of only on dark space.
void LetteringPlate(cairo_t* cr, double x, double y, double w, double h, double slant, Rgb tone)
{
    cairo_new_path(cr);
    SlantRect(cr, x, y, w, h, slant);
    SetRgb(cr, col::kInk);
    cairo_fill_preserve(cr);
    Stroke(cr, tone, 0.8, 1.0);
}

Rgb Tone(Pilot p)
{
    switch (p) {
    case Pilot::kSena: return col::kCyan;
    case Pilot::kHaruka: return col::kGreen;
    case Pilot::kVeil: return kBossTone;
    case Pilot::kErl: return col::kAmber;
    }
    return col::kCyan;
}

// ---- cut-ins (360 × 307) -------------------------------------------------------------------
// Slides in at y 60 (the player's from the left to x 0, the boss pilot's from the
// right to x 297), holds, then swells to twice its size while fading.
bool CutIn(Out& out, int id, Pilot who, const char* nameEn, const char* nameJp, bool fromLeft)
{
    const int w = 360, h = 307;
    const Rgb tone = Tone(who);
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    // The band the pilot bursts out of.
    auto band = [&](cairo_t* k) { SlantRect(k, 0, 92, w, 170, fromLeft ? 60 : -60); };
    cairo_new_path(cr);
    band(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 92, 0, 262);
    cairo_pattern_add_color_stop_rgb(g, 0, tone.r * 0.35, tone.g * 0.35, tone.b * 0.4);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.02, 0.02, 0.05);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Speed lines across the band.
    {
        Rng rng(static_cast<uint64_t>(id));
        cairo_save(cr);
        cairo_new_path(cr);
        band(cr);
        cairo_clip(cr);
        for (int i = 0; i < 26; ++i) {
            const double y = 96 + rng.Real() * 162, x = rng.Real() * w, len = 60 + rng.Real() * 160;
            cairo_rectangle(cr, x - len / 2, std::floor(y), len, 1);
            SetRgb(cr, Lift(tone, 0.3), 0.15 + 0.3 * rng.Real());
            cairo_fill(cr);
        }
        // The name, large and faint behind the figure.
        const Font big{kFontGothic, 46.0, 4.0, false};
        DrawText(cr, big, fromLeft ? 8 : w - 8, 250, nameEn, Lift(tone, 0.2), fromLeft ? Align::kLeft : Align::kRight,
                 0.0, col::kDeep, 0.22);
        cairo_restore(cr);
    }
    // The pilot, larger than the band so the head breaks out of it.
    Canvas figure(w, h);
    DrawPilot(figure, who, fromLeft ? 60 : 40, 10, 260, 297);
    cairo_rectangle(cr, 0, 0, w, h);
    PaintClipped(c, figure);
    // Band edges.
    cairo_new_path(cr);
    band(cr);
    Neon(
        c,
        [&](cairo_t* k, Rgb kk) {
            cairo_new_path(k);
            band(k);
            SetRgb(k, kk);
            cairo_set_line_width(k, 2.0);
            cairo_stroke(k);
        },
        tone, Lift(tone, 0.6), 4, 1.2);
    // Name plate.
    const Font jp{kFontPGothic, 16.0, 2.0, true};
    const Font en{kFontGothic, 11.0, 3.0, true};
    const double nx = fromLeft ? 250 : 110;
    DrawText(cr, jp, nx, 282, nameJp, kText, Align::kCenter, 2.0, col::kDeep);
    DrawText(cr, en, nx, 298, nameEn, Lift(tone, 0.4), Align::kCenter, 2.0, col::kDeep);
    return out.Save(c, id, Mode::kKeyed, 40, {0.02, 0.02, 0.05});
}

// ---- portraits (256 × 144) -------------------------------------------------------------------
// Shown at y 336, x −30 (left) or 414 (right), so the visible part is x 30..226;
// the talk line at y 448 crosses rows 112..127.
bool Portrait(Out& out, int id, Pilot who, const char* nameEn)
{
    const Rgb tone = Tone(who);
    Canvas c(256, 144);
    cairo_t* cr = c.cr();
    auto plate = [](cairo_t* k) { SlantRect(k, 34, 6, 188, 136, 14); };
    cairo_new_path(cr);
    plate(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 6, 0, 142);
    cairo_pattern_add_color_stop_rgb(g, 0, tone.r * 0.28, tone.g * 0.28, tone.b * 0.32);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.015, 0.02, 0.04);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Scan lines give the picture a monitor feel.
    cairo_save(cr);
    cairo_new_path(cr);
    plate(cr);
    cairo_clip(cr);
    for (int y = 8; y < 142; y += 3) {
        cairo_rectangle(cr, 0, y, 256, 1);
        SetRgb(cr, tone, 0.05);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    Canvas figure(256, 144);
    DrawPilot(figure, who, 48, 4, 160, 168);
    cairo_new_path(cr);
    plate(cr);
    PaintClipped(c, figure);
    cairo_new_path(cr);
    plate(cr);
    Stroke(cr, Lift(tone, 0.3), 1.0, 1.5);
    // Name in the top-left corner of the plate.
    DrawPixelText(c, 46, 11, nameEn, Lift(tone, 0.5), 6);
    return out.Save(c, id, Mode::kKeyed, 40, {0.02, 0.02, 0.05});
}

// ---- barrage title strips (282 × 42) -----------------------------------------------------------
// Cut-in text that ends at (358, 32) and stays there as the HUD title while the
// barrage runs; the game prints "clear/total" over it at y 64 from x ≈ 540 to
// 590, i.e. strip x 182..232, rows 32..39. The "CAPTURE" label ends before that.
void StripShape(cairo_t* cr, double w, bool slantLeft)
{
    if (slantLeft) {
        cairo_move_to(cr, 14, 0);
        cairo_line_to(cr, w, 0);
        cairo_line_to(cr, w, 42);
        cairo_line_to(cr, 0, 42);
    } else {
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, w - 14, 0);
        cairo_line_to(cr, w, 42);
        cairo_line_to(cr, 0, 42);
    }
    cairo_close_path(cr);
}

bool Strip(Out& out, int id, const std::string& name, const char* label, Rgb tone, int width, bool withCounters,
           int pictureWidth = 282)
{
    Canvas c(pictureWidth, 42);
    cairo_t* cr = c.cr();
    const bool slantLeft = withCounters;
    cairo_new_path(cr);
    StripShape(cr, width, slantLeft);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, width, 0);
    cairo_pattern_add_color_stop_rgb(g, 0, tone.r * 0.32, tone.g * 0.32, tone.b * 0.36);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.02, 0.02, 0.06);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Lower band, darker, for the small print and the counters.
    cairo_save(cr);
    cairo_new_path(cr);
    StripShape(cr, width, slantLeft);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 30, width, 12);
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.02, 0.75);
    cairo_fill(cr);
    cairo_restore(cr);
    const Font f{kFontPGothic, 17.0, 1.0, true};
    NeonText(c, f, 22, 22, name, tone, kText, 3, 1.0);
    cairo_rectangle(cr, 0, 0, width, 1);
    SetRgb(cr, Lift(tone, 0.4));
    cairo_fill(cr);
    // The bomb strip settles 4 pixels below the screen edge: its label sits higher.
    DrawPixelText(c, 22, withCounters ? 32 : 31, label, Lift(tone, 0.35), 6, false);
    if (withCounters) {
        DrawPixelText(c, 136, 32, "CAPTURE", {0.6, 0.7, 0.8}, 6, false);
        for (int k = 0; k < 3; ++k) {  // chevrons to the right of the counters
            const double x = 244 + 10 * k;
            cairo_move_to(cr, x, 32);
            cairo_line_to(cr, x + 4, 36);
            cairo_line_to(cr, x, 40);
        }
        Stroke(cr, tone, 0.4 + 0.2 * 1, 1.5);
    }
    return out.Save(c, id, Mode::kKeyed, 40, {0.02, 0.02, 0.06});
}

bool Strips(Out& out)
{
    struct Entry {
        int id;
        const char* name;
        const char* label;
    };
    // The names of the records table, one strip per barrage.
    const Entry first[] = {{348, "未確認弾幕", "BARRAGE 00"},
                           {380, "E.R.L テンパランス", "BARRAGE 10"},
                           {381, "E.R.L エンプレス", "BARRAGE 11"},
                           {382, "E.R.L マジシャン", "BARRAGE 12"},
                           {383, "E.R.L ハイエロファント", "BARRAGE 13"}};
    const Entry second[] = {{440, "ハーフエッジ", "BARRAGE 20"},
                            {441, "ハルバード", "BARRAGE 21"},
                            {442, "ダブルディザスター", "BARRAGE 22"},
                            {443, "ダンシングエッジ", "BARRAGE 23"},
                            {444, "ジャッジメントソード", "BARRAGE 24"}};
    for (const Entry& e : first) Strip(out, e.id, e.name, e.label, col::kViolet, 282, true);
    for (const Entry& e : second) Strip(out, e.id, e.name, e.label, kBossTone, 282, true);
    // "#450": the player's bomb. It enters from the left starting at x −208 and
    // settles at the bottom left, so only its left 208 pixels carry the strip;
    // the rest of the 282 is see-through.
    Strip(out, 450, "ロックオンレーザー", "BOMB", col::kCyan, 208, false, 282);
    return out.ok();
}

// ---- emblems (192 × 12), at (156, 8) above the boss gauge ------------------------------------
bool Emblem(Out& out, int id, const char* name, Rgb tone)
{
    Canvas c(192, 12);
    cairo_t* cr = c.cr();
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 186, 0);
    cairo_line_to(cr, 192, 11);
    cairo_line_to(cr, 0, 11);
    cairo_close_path(cr);
    SetRgb(cr, Scale(tone, 0.22));
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 0, 2, 11);
    SetRgb(cr, tone);
    cairo_fill(cr);
    DrawPixelText(c, 6, 2, "BOSS", kText, 6, false);
    DrawPixelText(c, 38, 2, name, Lift(tone, 0.35), 6, false);
    return out.Save(c, id, Mode::kKeyed, 40);
}

// ---- barrage backdrops (360 × 512, tiling vertically) ---------------------------------------------
// Drawn behind the wireframe background during a barrage; the motifs wrap at
// 512 pixels so the scroll never shows a seam.
template <class F>
void Wrapped(cairo_t* cr, F draw)
{
    for (int k = -1; k <= 1; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 0, 512.0 * k);
        draw(cr);
        cairo_restore(cr);
    }
}

bool BackdropArcana(Out& out)
{
    Canvas c(360, 512);
    c.Fill({0.01, 0.01, 0.16});
    // Soft clouds of colour, periodic in y.
    c.Flush();
    uint32_t* px = c.Pixels();
    const int stride = c.Stride();
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 360; ++x) {
            const double n = Fbm(x / 64.0, y / 64.0, 351u, 3, 8);
            const double v = std::clamp((n - 0.45) * 1.6, 0.0, 1.0);
            const int r = static_cast<int>(3 + 40 * v), g = static_cast<int>(3 + 10 * v),
                      b = static_cast<int>(40 + 60 * v);
            px[y * stride + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    c.MarkDirty();
    // Two wheels of the arcana: circles, a star and tick rings.
    auto wheel = [](cairo_t* k, double cx, double cy, double r) {
        cairo_new_sub_path(k);
        cairo_arc(k, cx, cy, r, 0, 2 * M_PI);
        cairo_new_sub_path(k);
        cairo_arc(k, cx, cy, r * 0.8, 0, 2 * M_PI);
        for (int i = 0; i < 7; ++i) {
            const double a0 = -M_PI / 2 + i * 2 * M_PI / 7, a1 = a0 + 3 * 2 * M_PI / 7;
            cairo_move_to(k, cx + std::cos(a0) * r * 0.8, cy + std::sin(a0) * r * 0.8);
            cairo_line_to(k, cx + std::cos(a1) * r * 0.8, cy + std::sin(a1) * r * 0.8);
        }
        for (int i = 0; i < 36; ++i) {
            const double a = i * M_PI / 18;
            cairo_move_to(k, cx + std::cos(a) * r, cy + std::sin(a) * r);
            cairo_line_to(k, cx + std::cos(a) * r * 1.06, cy + std::sin(a) * r * 1.06);
        }
    };
    Neon(
        c,
        [&](cairo_t* k, Rgb kk) {
            Wrapped(k, [&](cairo_t* k2) {
                wheel(k2, 180, 160, 130);
                wheel(k2, 60, 420, 70);
                wheel(k2, 320, 400, 50);
            });
            SetRgb(k, kk, 0.5);
            cairo_set_line_width(k, 1.2);
            cairo_stroke(k);
        },
        {0.45, 0.25, 1.0}, {0.5, 0.4, 0.9}, 4, 0.8);
    return out.Save(c, 351, Mode::kOpaque);
}

bool BackdropJudicator(Out& out)
{
    Canvas c(360, 512);
    c.Fill({0.2, 0.17, 0.2});
    cairo_t* cr = c.cr();
    c.Flush();
    uint32_t* px = c.Pixels();
    const int stride = c.Stride();
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 360; ++x) {
            const double n = Fbm(x / 48.0, y / 64.0, 400u, 3, 8);
            const double v = std::clamp((n - 0.4) * 1.4, 0.0, 1.0);
            const int r = static_cast<int>(50 + 40 * v), g = static_cast<int>(42 + 10 * v),
                      b = static_cast<int>(50 + 14 * v);
            px[y * stride + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    c.MarkDirty();
    // Crossing blade strokes, wrapping at 512.
    auto blades = [](cairo_t* k) {
        const double lines[][4] = {
            {-40, 60, 400, 300}, {400, 120, -40, 420}, {-40, 330, 260, 520}, {120, -20, 400, 180}, {-40, 200, 180, 40}};
        for (const auto& l : lines) {
            cairo_move_to(k, l[0], l[1]);
            cairo_line_to(k, l[2], l[3]);
        }
    };
    Neon(
        c,
        [&](cairo_t* k, Rgb kk) {
            Wrapped(k, blades);
            SetRgb(k, kk, 0.7);
            cairo_set_line_width(k, 2.0);
            cairo_stroke(k);
        },
        {0.9, 0.15, 0.25}, {1.0, 0.6, 0.6}, 5, 0.9);
    // Fine hatching, like brushed metal.
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.12);
    cairo_set_line_width(cr, 1.0);
    for (int y = 0; y < 512; y += 4) {
        cairo_move_to(cr, 0, y + 0.5);
        cairo_line_to(cr, 360, y + 0.5);
    }
    cairo_stroke(cr);
    return out.Save(c, 400, Mode::kOpaque);
}

// ---- banners ---------------------------------------------------------------------------------
// "#222" / "#223": chapter title at (148, 458), 320 × 22. Its top rows may lie
// under a talk line (y 448..463), so the lettering and its plate keep to rows
// 6..21.
bool ChapterBanner(Out& out, int id, const char* chapter, const char* title)
{
    Canvas c(320, 22);
    cairo_t* cr = c.cr();
    const Font en{kFontGothic, 12.0, 2.0, true};
    const Font jp{kFontPGothic, 13.0, 2.0, true};
    const double wEn = TextWidth(cr, en, chapter);
    const double wJp = TextWidth(cr, jp, title);
    LetteringPlate(cr, 0.5, 6.5, 4 + wEn + 12 + wJp + 18, 14, 6, {0.4, 0.9, 1.0});
    DrawText(cr, en, 6, 18, chapter, {0.7, 0.95, 1.0});
    DrawText(cr, jp, 6 + wEn + 12, 18, title, kText);
    return out.Save(c, id, Mode::kKeyed, 48, {0.02, 0.02, 0.05});
}

// "#430" / "#431": approach warning at (150, 200), drifting down; 340 × 64.
bool Warning(Out& out, int id, const char* line)
{
    Canvas c(340, 64);
    cairo_t* cr = c.cr();
    cairo_rectangle(cr, 0, 10, 340, 44);
    cairo_set_source_rgb(cr, 0.16, 0.0, 0.03);
    cairo_fill(cr);
    // Hazard stripes above and below.
    for (int band = 0; band < 2; ++band) {
        const double y = band == 0 ? 2 : 56;
        cairo_save(cr);
        cairo_rectangle(cr, 0, y, 340, 6);
        cairo_clip(cr);
        for (int x = -10; x < 350; x += 14) {
            cairo_move_to(cr, x, y + 6);
            cairo_line_to(cr, x + 6, y);
            cairo_line_to(cr, x + 13, y);
            cairo_line_to(cr, x + 7, y + 6);
            cairo_close_path(cr);
        }
        cairo_set_source_rgb(cr, 1.0, 0.3, 0.2);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    const Font big{kFontGothic, 26.0, 8.0, false};
    NeonText(c, big, 170, 37, "WARNING", col::kRed, {1.0, 0.9, 0.85}, 4, 1.4, Align::kCenter);
    const Font s{kFontPGothic, 11.0, 1.0, true};
    DrawText(cr, s, 170, 50, line, {1.0, 0.75, 0.7}, Align::kCenter);
    return out.Save(c, id, Mode::kKeyed, 40, {0.16, 0.0, 0.03});
}

// "#131" at (440, 300) and "#402" at (390, 300): the boss's name card, reaching
// over the right panel.
bool BossCard(Out& out, int id, int width, const char* kind, const char* name, const char* pilot)
{
    Canvas c(width, 120);
    cairo_t* cr = c.cr();
    auto plate = [&](cairo_t* k) { SlantRect(k, 0, 8, width - 4, 104, 18); };
    cairo_new_path(cr);
    plate(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, width, 0);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.25, 0.03, 0.1);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.04, 0.01, 0.04);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_new_path(cr);
    plate(cr);
    Stroke(cr, kBossTone, 0.8, 1.5);
    DrawPixelText(c, 30, 18, "BOSS", Lift(kBossTone, 0.4), 6);
    const Font k{kFontGothic, 13.0, 3.0, false};
    DrawText(cr, k, 62, 25, kind, {1.0, 0.7, 0.8});
    const Font big{kFontGothic, 26.0, 3.0, false};
    NeonText(c, big, 22, 64, name, kBossTone, {1.0, 0.92, 0.95}, 4, 1.3);
    cairo_rectangle(cr, 20, 74, width - 50, 1);
    SetRgb(cr, kBossTone, 0.7);
    cairo_fill(cr);
    const Font s{kFontPGothic, 12.0, 1.0, true};
    DrawText(cr, s, 22, 94, pilot, {0.9, 0.75, 0.8});
    return out.Save(c, id, Mode::kKeyed, 40, {0.04, 0.01, 0.04});
}

// ---- result ------------------------------------------------------------------------------------
// "#341" result banner at (148, 240), 224 × 48.
bool ResultBanner(Out& out)
{
    Canvas c(224, 48);
    LetteringPlate(c.cr(), 0.5, 1.5, 222, 45, 10, col::kCyan);
    const Font big{kFontGothic, 20.0, 4.0, false};
    NeonText(c, big, 8, 24, "CHAPTOR CLEAR", col::kCyan, kText, 4, 1.3);
    const Font s{kFontPGothic, 12.0, 1.0, true};
    DrawText(c.cr(), s, 10, 41, "戦闘区域を離脱します", {0.7, 0.85, 1.0});
    return out.Save(c, 341, Mode::kKeyed, 40, {0.02, 0.02, 0.05});
}

// "#132" result panel at (372, 160), 128 × 256, revealed down to rows 40, 86, 126
// and 256. The game prints the chapter score ending at x 496, y 237 (panel row
// 77) and the total at y 274 (row 114), and the rank at (486, 314).
bool ResultPanel(Out& out)
{
    Canvas c(128, 256);
    cairo_t* cr = c.cr();
    cairo_rectangle(cr, 0, 0, 128, 256);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 256);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.03, 0.07, 0.14);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.01, 0.02, 0.05);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_rectangle(cr, 0.5, 0.5, 127, 255);
    Stroke(cr, col::kCyan, 0.6, 1.0);
    // Band 0: heading.
    const Font h{kFontGothic, 17.0, 4.0, false};
    NeonText(c, h, 64, 27, "RESULT", col::kCyan, kText, 3, 1.2, Align::kCenter);
    auto divider = [&](double y) {
        cairo_rectangle(cr, 6, y, 116, 1);
        SetRgb(cr, col::kCyan, 0.5);
        cairo_fill(cr);
    };
    divider(39);
    // Band 1: this chapter's score.
    DrawPixelText(c, 8, 50, "CHAPTOR", {0.5, 0.8, 1.0}, 6);
    DrawPixelText(c, 56, 50, "SCORE", {0.5, 0.8, 1.0}, 6);
    divider(85);
    // Band 2: the running total.
    DrawPixelText(c, 8, 94, "TOTAL", {0.5, 0.8, 1.0}, 6);
    DrawPixelText(c, 44, 94, "SCORE", {0.5, 0.8, 1.0}, 6);
    divider(125);
    // Band 3: the rank, whose badge lands at panel (114, 154), half outside.
    DrawPixelText(c, 8, 136, "RANK", {0.5, 0.8, 1.0}, 6);
    const Font s{kFontPGothic, 11.0, 0.5, true};
    for (int k = 0; k < 4; ++k) {
        cairo_move_to(cr, 12, 172 + 16 * k + 0.5);
        cairo_line_to(cr, 100, 172 + 16 * k + 0.5);
        SetRgb(cr, col::kCyan, 0.12 + 0.08 * (3 - k));
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    }
    // An arrow toward the badge.
    cairo_move_to(cr, 60, 202);
    cairo_line_to(cr, 104, 202);
    cairo_line_to(cr, 98, 196);
    cairo_move_to(cr, 104, 202);
    cairo_line_to(cr, 98, 208);
    Stroke(cr, col::kCyan, 0.8, 1.5);
    DrawText(cr, s, 12, 236, "評価", {0.55, 0.7, 0.85});
    // The two figures are placed before the later, longer reveals of this
    // panel, which are drawn over them: their slots are see-through so the
    // figures show.
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, 6, 74, 118, 12);
    cairo_rectangle(cr, 6, 111, 118, 12);
    cairo_fill(cr);
    cairo_restore(cr);
    return out.Save(c, 132, Mode::kKeyed);
}

// Ranks "#190".."#193" (S, A, B, C), 96 × 96 seals at (486, 314).
bool Ranks(Out& out)
{
    const char* letters[4] = {"S", "A", "B", "C"};
    const Rgb tones[4] = {{1.0, 0.8, 0.25}, kBossTone, col::kCyan, {0.55, 0.8, 0.6}};
    for (int i = 0; i < 4; ++i) {
        Canvas c(96, 96);
        cairo_t* cr = c.cr();
        cairo_arc(cr, 48, 48, 44, 0, 2 * M_PI);
        SetRgb(cr, Scale(tones[i], 0.18));
        cairo_fill(cr);
        Neon(
            c,
            [&](cairo_t* k, Rgb kk) {
                cairo_new_path(k);
                cairo_arc(k, 48, 48, 42, 0, 2 * M_PI);
                cairo_new_sub_path(k);
                cairo_arc(k, 48, 48, 36, 0, 2 * M_PI);
                SetRgb(k, kk);
                cairo_set_line_width(k, 1.5);
                cairo_stroke(k);
            },
            tones[i], Lift(tones[i], 0.5), 3, 1.0);
        const Font f{kFontGothic, 54.0, 0.0, false};
        const double ch = CapHeight(cr, f);
        NeonText(c, f, 48, 48 + ch / 2, letters[i], tones[i], Lift(tones[i], 0.7), 5, 1.5, Align::kCenter);
        out.Save(c, 190 + i, Mode::kKeyed, 40, Scale(tones[i], 0.1));
    }
    return out.ok();
}

// "#352" bonus and "#130" no bonus at (200, 200), 216 × 40; the bonus figure is
// printed beside it at (420, 216), i.e. just right of the picture, rows 16..23.
bool Bonus(Out& out)
{
    {
        Canvas c(216, 40);
        LetteringPlate(c.cr(), 0.5, 0.5, 215, 39, 10, col::kAmber);
        const Font f{kFontGothic, 16.0, 3.0, false};
        NeonText(c, f, 206, 22, "CAPTURE BONUS", col::kAmber, {1.0, 0.97, 0.85}, 3, 1.3, Align::kRight);
        const Font s{kFontPGothic, 12.0, 1.0, true};
        DrawText(c.cr(), s, 200, 35, "弾幕攻略ボーナス", {1.0, 0.93, 0.78}, Align::kRight);
        if (!out.Save(c, 352, Mode::kKeyed, 40, {0.05, 0.03, 0.0})) return false;
    }
    {
        Canvas c(216, 40);
        LetteringPlate(c.cr(), 0.5, 0.5, 215, 39, 10, {0.5, 0.6, 0.75});
        const Font f{kFontGothic, 16.0, 3.0, false};
        NeonText(c, f, 206, 22, "BONUS FAILED", {0.5, 0.6, 0.75}, {0.85, 0.9, 0.95}, 3, 1.0, Align::kRight);
        const Font s{kFontPGothic, 12.0, 1.0, true};
        DrawText(c.cr(), s, 200, 35, "被弾・ボムでボーナスなし", {0.85, 0.9, 0.97}, Align::kRight);
        if (!out.Save(c, 130, Mode::kKeyed, 40, {0.02, 0.02, 0.05})) return false;
    }
    return true;
}

}  // namespace

bool DrawStory(Out& out)
{
    bool ok = CutIn(out, 169, Pilot::kSena, "SENA AMAGI", "セナ・アマギ", true);
    ok = CutIn(out, 170, Pilot::kVeil, "VEIL CROW", "ヴェイル・クロウ", false) && ok;
    ok = Portrait(out, 345, Pilot::kSena, "SENA") && ok;
    ok = Portrait(out, 347, Pilot::kHaruka, "HARUKA") && ok;
    ok = Portrait(out, 354, Pilot::kVeil, "VEIL") && ok;
    ok = Portrait(out, 355, Pilot::kErl, "E.R.L") && ok;
    ok = Strips(out) && ok;
    ok = Emblem(out, 350, "E.R.L ARCANA", kBossTone) && ok;
    ok = Emblem(out, 401, "JUDICATOR", kBossTone) && ok;
    ok = BackdropArcana(out) && ok;
    ok = BackdropJudicator(out) && ok;
    ok = ChapterBanner(out, 222, "CHAPTOR 1", "外縁防衛線") && ok;
    ok = ChapterBanner(out, 223, "CHAPTOR 2", "沈黙の中枢") && ok;
    ok = Warning(out, 430, "大型機 接近中 ― E.R.L ARCANA") && ok;
    ok = Warning(out, 431, "剣の機体 接近中 ― JUDICATOR") && ok;
    ok = BossCard(out, 131, 200, "E.R.L", "ARCANA", "PILOT  ヴェイル・クロウ") && ok;
    ok = BossCard(out, 402, 250, "E.R.L", "JUDICATOR", "PILOT  ヴェイル・クロウ") && ok;
    ok = ResultBanner(out) && ok;
    ok = ResultPanel(out) && ok;
    ok = Ranks(out) && ok;
    ok = Bonus(out) && ok;
    return ok;
}

}  // namespace pic
