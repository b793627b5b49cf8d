// The head-up display: the two side panels, the frame laid over them, the small
// pixel digits the HUD counts with, the floating score digits and the labels.
//
// Where the game writes into the panels (screen pixels):
//   left  "#101" at (0, 0):   score right-aligned ending at x 127, y 14..21;
//                             gauge bar (5, 91) 117 × 10; stock ending at x 127,
//                             y 120..127; stock bar (5, 140) 117 × 10.
//   right "#102" at (500, 0): frames per second ending at x 615, y 8, its label
//                             "#247" at (616, 8); the barrage title at (358, 32)
//                             with the counters at y 64; replay marker at (516, 96).
#include <algorithm>
#include <cmath>

#include "tools/assetgen/pictures_parts.h"

namespace pic {

// ---- the pixel font ------------------------------------------------------------------
namespace {

struct Glyph {
    char ch;
    const char* rows[7];
};

// Digits and "/" are four cells wide so they fit a 5-pixel advance with a gap;
// capitals use five.
const Glyph kGlyphs[] = {
    {'0', {".##..", "#..#.", "#..#.", "#..#.", "#..#.", "#..#.", ".##.."}},
    {'1', {".#...", "##...", ".#...", ".#...", ".#...", ".#...", "###.."}},
    {'2', {".##..", "#..#.", "...#.", "..#..", ".#...", "#....", "####."}},
    {'3', {"###..", "...#.", "...#.", ".##..", "...#.", "...#.", "###.."}},
    {'4', {"..#..", ".##..", "#.#..", "#.#..", "####.", "..#..", "..#.."}},
    {'5', {"####.", "#....", "###..", "...#.", "...#.", "#..#.", ".##.."}},
    {'6', {".##..", "#....", "#....", "###..", "#..#.", "#..#.", ".##.."}},
    {'7', {"####.", "...#.", "..#..", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".##..", "#..#.", "#..#.", ".##..", "#..#.", "#..#.", ".##.."}},
    {'9', {".##..", "#..#.", "#..#.", ".###.", "...#.", "...#.", ".##.."}},
    {'/', {"...#.", "...#.", "..#..", "..#..", ".#...", ".#...", "#...."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'-', {".....", ".....", ".....", "####.", ".....", ".....", "....."}},
    {':', {".....", "..#..", ".....", ".....", ".....", "..#..", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".....", "..#.."}},
};

const Glyph* FindGlyph(char ch)
{
    for (const Glyph& g : kGlyphs) {
        if (g.ch == ch) return &g;
    }
    return nullptr;
}

uint32_t Opaque(Rgb c)
{
    auto k = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return 0xFF000000u | (k(c.r) << 16) | (k(c.g) << 8) | k(c.b);
}

}  // namespace

void DrawPixelText(Canvas& c, int x, int y, const char* text, Rgb ink, int advance, bool shadow)
{
    c.Flush();
    uint32_t* px = c.Pixels();
    const int stride = c.Stride();
    auto put = [&](int px_, int py, uint32_t v) {
        if (px_ < 0 || py < 0 || px_ >= c.width() || py >= c.height()) return;
        px[py * stride + px_] = v;
    };
    // Shadows of the whole string first, so ink always lands on top of them.
    for (int pass = shadow ? 0 : 1; pass < 2; ++pass) {
        int gx = x;
        for (int i = 0; text[i]; ++i, gx += advance) {
            const Glyph* g = FindGlyph(text[i]);
            if (!g) continue;
            for (int r = 0; r < 7; ++r) {
                // The two lowest rows take a cool tint: the digits read as lit from above.
                const uint32_t v = pass == 0 ? Opaque(col::kDeep) : Opaque(r >= 5 ? Mix(ink, col::kCyan, 0.35) : ink);
                for (int k = 0; k < 5; ++k) {
                    if (g->rows[r][k] == '#') put(gx + k + (pass == 0), y + r + (pass == 0), v);
                }
            }
        }
    }
    c.MarkDirty();
}

namespace {

constexpr Rgb kHudInk{0.95, 0.98, 1.0};
constexpr Rgb kLabel{0.45, 0.85, 1.0};

// ---- small pictures -----------------------------------------------------------------------
bool Glyphs(Out& out)
{
    // "#171".."#180" are "0".."9", "#181" is "/": 5 × 8, one 4 × 7 glyph with its
    // shadow, drawn every 5 pixels.
    const char* chars = "0123456789/";
    for (int i = 0; i < 11; ++i) {
        Canvas c(5, 8);
        const char s[2] = {chars[i], 0};
        DrawPixelText(c, 0, 0, s, kHudInk);
        out.Save(c, 171 + i, Mode::kKeyed, 128);
    }
    return out.ok();
}

bool ScoreDigits(Out& out)
{
    // "#120".."#129": the floating score, 12-pixel advance, warm and outlined.
    for (int d = 0; d < 10; ++d) {
        Canvas c(12, 16);
        const Font f{kFontGothic, 15.0, 0.0, true};
        const std::string s(1, static_cast<char>('0' + d));
        cairo_t* cr = c.cr();
        const double w = TextWidth(cr, f, s);
        const double x = std::floor((12 - w) / 2.0), y = 13.0;
        DrawText(cr, f, x, y, s, {1.0, 0.92, 0.55}, Align::kLeft, 1.6, {0.15, 0.06, 0.0});
        // A brighter top half, like the HUD digits.
        cairo_save(cr);
        cairo_rectangle(cr, 0, 0, 12, 8);
        cairo_clip(cr);
        cairo_new_path(cr);
        TextPath(cr, f, x, y, s);
        cairo_set_source_rgba(cr, 1, 1, 0.9, 0.6);
        cairo_fill(cr);
        cairo_restore(cr);
        out.Save(c, 120 + d, Mode::kKeyed, 48, {0.15, 0.06, 0.0});
    }
    return out.ok();
}

bool Labels(Out& out)
{
    {  // "#247": "FPS" right of the frames-per-second figure.
        Canvas c(20, 8);
        DrawPixelText(c, 2, 0, "FPS", kLabel, 6);
        out.Save(c, 247, Mode::kKeyed, 128);
    }
    {  // "#410": replay marker, a red tab with a play sign.
        Canvas c(96, 16);
        cairo_t* cr = c.cr();
        RoundedRect(cr, 0.5, 0.5, 95, 15, 3);
        cairo_set_source_rgb(cr, 0.22, 0.02, 0.05);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 1.0, 0.3, 0.35);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
        cairo_move_to(cr, 7, 4);
        cairo_line_to(cr, 14, 8);
        cairo_line_to(cr, 7, 12);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1.0, 0.45, 0.45);
        cairo_fill(cr);
        DrawPixelText(c, 20, 4, "REPLAY", {1.0, 0.85, 0.85}, 6, false);
        out.Save(c, 410, Mode::kKeyed, 64);
    }
    {  // "#111": menu row bar, drawn additively under each list row.
        Canvas c(320, 8);
        c.Fill({0, 0, 0});
        cairo_t* cr = c.cr();
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 320, 0);
        cairo_pattern_add_color_stop_rgb(g, 0.0, 0.25, 0.7, 1.0);
        cairo_pattern_add_color_stop_rgb(g, 0.35, 0.1, 0.3, 0.55);
        cairo_pattern_add_color_stop_rgb(g, 1.0, 0.0, 0.0, 0.0);
        cairo_set_source(cr, g);
        cairo_rectangle(cr, 0, 4, 320, 1);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        g = cairo_pattern_create_linear(0, 0, 320, 0);
        cairo_pattern_add_color_stop_rgb(g, 0.0, 0.06, 0.16, 0.3);
        cairo_pattern_add_color_stop_rgb(g, 1.0, 0.0, 0.0, 0.0);
        cairo_set_source(cr, g);
        cairo_rectangle(cr, 0, 1, 320, 6);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        cairo_set_source_rgb(cr, 0.45, 0.9, 1.0);
        cairo_rectangle(cr, 0, 1, 2, 6);
        cairo_fill(cr);
        out.Save(c, 111, Mode::kAdditive);
    }
    return out.ok();
}

// ---- panels ------------------------------------------------------------------------------------
void PanelBackground(Canvas& c, uint32_t seed)
{
    cairo_t* cr = c.cr();
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, c.height());
    cairo_pattern_add_color_stop_rgb(g, 0.0, 0.045, 0.06, 0.13);
    cairo_pattern_add_color_stop_rgb(g, 1.0, 0.015, 0.02, 0.05);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    // Fine diagonal hatching, barely visible: the panel reads as a surface.
    cairo_set_source_rgba(cr, 0.4, 0.6, 1.0, 0.035);
    cairo_set_line_width(cr, 1.0);
    for (int k = -c.height(); k < c.width(); k += 6) {
        cairo_move_to(cr, k, c.height());
        cairo_line_to(cr, k + c.height(), 0);
    }
    cairo_stroke(cr);
    // A few circuit traces.
    Rng rng(seed);
    cairo_set_source_rgba(cr, 0.3, 0.7, 1.0, 0.08);
    for (int i = 0; i < 9; ++i) {
        double x = 8 + rng.Real() * (c.width() - 16), y = 180 + rng.Real() * 290;
        cairo_move_to(cr, x, y);
        const double len = 20 + rng.Real() * 40;
        cairo_line_to(cr, x, y - len);
        cairo_line_to(cr, x + (rng.Real() < 0.5 ? -12 : 12), y - len - 12);
        cairo_stroke(cr);
        cairo_arc(cr, x, y, 1.8, 0, 2 * M_PI);
        cairo_fill(cr);
    }
}

void Frame(cairo_t* cr, double x, double y, double w, double h, Rgb k, double a)
{
    cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
    SetRgb(cr, k, a);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void Rule(cairo_t* cr, double x0, double x1, double y, Rgb k, double a)
{
    cairo_pattern_t* g = cairo_pattern_create_linear(x0, 0, x1, 0);
    cairo_pattern_add_color_stop_rgba(g, 0.0, k.r, k.g, k.b, a);
    cairo_pattern_add_color_stop_rgba(g, 1.0, k.r, k.g, k.b, 0.0);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, x0, y, x1 - x0, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

bool LeftPanel(Out& out)
{
    Canvas c(140, 480);
    PanelBackground(c, 101);
    cairo_t* cr = c.cr();
    // Score: label left, the number lands right-aligned at x 122..127, y 14..21.
    DrawPixelText(c, 6, 14, "SCORE", kLabel, 6);
    Rule(cr, 4, 136, 27, col::kCyan, 0.6);
    // The title between score and gauge, small.
    const Font small{kFontGothic, 10.0, 2.0, false};
    DrawText(cr, small, 8, 46, "MERIDANE", {0.45, 0.7, 0.9});
    const Font zeta{kFontGothic, 17.0, 3.0, false};
    NeonText(c, zeta, 8, 66, "ZETA", col::kBlue, {0.75, 0.9, 1.0}, 3, 1.2);
    // Gauge: bar (5, 91) 117 × 10 inside a frame, ticks at the thirds (one bomb each).
    DrawPixelText(c, 6, 79, "GAUGE", kLabel, 6);
    cairo_rectangle(cr, 5, 91, 117, 10);
    cairo_set_source_rgb(cr, 0.0, 0.02, 0.03);
    cairo_fill(cr);
    Frame(cr, 4, 90, 119, 12, col::kCyan, 0.75);
    for (int k = 1; k <= 2; ++k) {
        cairo_rectangle(cr, 5 + 39 * k - 1, 91, 1, 10);
        cairo_set_source_rgba(cr, 0.4, 0.8, 1.0, 0.35);
        cairo_fill(cr);
    }
    for (int k = 1; k <= 3; ++k) {
        const char s[2] = {static_cast<char>('0' + k), 0};
        DrawPixelText(c, 5 + 39 * k - 4, 104, s, {0.4, 0.6, 0.75}, 5, false);
    }
    DrawPixelText(c, 6, 104, "BOMB", {0.4, 0.6, 0.75}, 6, false);
    // Stock: label left, number ending at x 127, y 120; bar (5, 140) in nine cells.
    DrawPixelText(c, 6, 120, "STOCK", kLabel, 6);
    cairo_rectangle(cr, 5, 140, 117, 10);
    cairo_set_source_rgb(cr, 0.0, 0.02, 0.03);
    cairo_fill(cr);
    Frame(cr, 4, 139, 119, 12, col::kCyan, 0.75);
    for (int k = 1; k < 9; ++k) {
        cairo_rectangle(cr, 5 + 13 * k, 141, 1, 8);
        cairo_set_source_rgba(cr, 0.4, 0.8, 1.0, 0.25);
        cairo_fill(cr);
    }
    Rule(cr, 4, 136, 160, col::kCyan, 0.45);
    // The controls, as a reminder.
    DrawPixelText(c, 6, 176, "CONTROL", kLabel, 6);
    struct Line {
        const char* key;
        const char* what;
    };
    const Line lines[] = {{"Z", "ショット"}, {"C", "ブレード"},    {"SHIFT", "ダッシュ"}, {"Q / W", "ロール"},
                          {"X", "ボム"},     {"X+方向", "スロー"}, {"ESC", "メニュー"}};
    const Font key{kFontGothic, 11.0, 0.0, true};
    const Font txt{kFontPGothic, 11.0, 0.0, true};
    double y = 202;
    for (const Line& l : lines) {
        DrawText(cr, key, 8, y, l.key, {0.85, 0.95, 1.0});
        DrawText(cr, txt, 62, y, l.what, {0.6, 0.75, 0.9});
        y += 17;
    }
    Rule(cr, 4, 136, 330, col::kCyan, 0.35);
    // The lower part is where the left portrait appears: a quiet radar motif.
    cairo_set_line_width(cr, 1.0);
    for (int r = 18; r <= 90; r += 24) {
        cairo_arc(cr, 70, 420, r, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0.3, 0.7, 1.0, 0.09);
        cairo_stroke(cr);
    }
    cairo_move_to(cr, 70, 330);
    cairo_line_to(cr, 70, 480);
    cairo_move_to(cr, 0, 420);
    cairo_line_to(cr, 140, 420);
    cairo_stroke(cr);
    return out.Save(c, 101, Mode::kOpaque);
}

bool RightPanel(Out& out)
{
    Canvas c(140, 480);
    PanelBackground(c, 102);
    cairo_t* cr = c.cr();
    Rule(cr, 4, 136, 21, col::kCyan, 0.5);
    // The barrage title strip covers (358..640, 32..74) while a barrage runs; the
    // panel shows an empty slot there otherwise.
    cairo_rectangle(cr, 2, 32, 136, 42);
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.35);
    cairo_fill(cr);
    Frame(cr, 2, 32, 136, 42, col::kCyan, 0.3);
    DrawPixelText(c, 10, 40, "BARRAGE", {0.3, 0.5, 0.65}, 6, false);
    DrawPixelText(c, 10, 56, "- - -", {0.3, 0.5, 0.65}, 6, false);
    Rule(cr, 4, 136, 86, col::kCyan, 0.35);
    // The title, standing on its side.
    cairo_save(cr);
    cairo_translate(cr, 70, 300);
    cairo_rotate(cr, -M_PI / 2);
    const Font logo{kFontGothic, 24.0, 3.0, false};
    cairo_new_path(cr);
    const double w = TextWidth(cr, logo, "MERIDANE ZETA");
    TextPath(cr, logo, -w / 2, 9, "MERIDANE ZETA");
    cairo_set_source_rgba(cr, 0.3, 0.75, 1.0, 0.24);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
    for (int k = 0; k < 3; ++k) Rule(cr, 4, 136, 448 + 6 * k, col::kCyan, 0.2);
    return out.Save(c, 102, Mode::kOpaque);
}

// "#110": drawn over both panels every frame. Only the seams along the play field
// and the corner marks are visible; the play field itself is see-through.
bool HudFrame(Out& out)
{
    Canvas c(640, 480);
    cairo_t* cr = c.cr();
    // Glow only on the panel side of each seam so no opaque pixel covers play.
    auto seam = [&](double x, double dir) {
        cairo_pattern_t* g = cairo_pattern_create_linear(x, 0, x + dir * 10, 0);
        cairo_pattern_add_color_stop_rgba(g, 0.0, 0.2, 0.7, 1.0, 0.8);
        cairo_pattern_add_color_stop_rgba(g, 1.0, 0.2, 0.7, 1.0, 0.0);
        cairo_set_source(cr, g);
        cairo_rectangle(cr, dir > 0 ? x : x - 10, 0, 10, 480);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    };
    seam(500, 1);
    seam(140, -1);
    cairo_set_source_rgb(cr, 0.75, 0.95, 1.0);
    cairo_rectangle(cr, 139, 0, 1, 480);
    cairo_rectangle(cr, 500, 0, 1, 480);
    cairo_fill(cr);
    // Corner marks on the panels.
    auto corner = [&](double x, double y, double sx, double sy) {
        cairo_move_to(cr, x + sx * 14, y);
        cairo_line_to(cr, x, y);
        cairo_line_to(cr, x, y + sy * 14);
    };
    cairo_set_line_width(cr, 2.0);
    corner(3, 3, 1, 1);
    corner(137, 3, -1, 1);
    corner(3, 477, 1, -1);
    corner(637, 3, -1, 1);
    corner(637, 477, -1, -1);
    corner(503, 477, 1, -1);
    cairo_set_source_rgb(cr, 0.35, 0.8, 1.0);
    cairo_stroke(cr);
    return out.Save(c, 110, Mode::kKeyed, 40);
}

}  // namespace

bool DrawHud(Out& out)
{
    bool ok = Glyphs(out);
    ok = ScoreDigits(out) && ok;
    ok = Labels(out) && ok;
    ok = LeftPanel(out) && ok;
    ok = RightPanel(out) && ok;
    ok = HudFrame(out) && ok;
    return ok;
}

}  // namespace pic
