// The full screens, all 512 × 480 and drawn at (64, 0): loading pictures, the
// menus and lists, and the seven pictures of the title loop.
//
// Picture x = screen x − 64, picture y = screen y. The lists write their rows at
// screen y = 64 + 16 k (text) over additive row bars at y = 73 + 16 k, x 188;
// their columns start at screen x 192 (picture 128) and 320 / 384 (picture 256 /
// 320); the menu model turns near screen (490, 360), so that corner stays quiet.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/assetgen/pictures_parts.h"

namespace pic {
namespace {

constexpr int kW = 512, kH = 480;
constexpr Rgb kText{0.9, 0.96, 1.0};
constexpr Rgb kDim{0.5, 0.62, 0.75};

// ---- shared pieces ----------------------------------------------------------------------
void Background(Canvas& c, uint32_t seed, Rgb tint, bool grid)
{
    cairo_t* cr = c.cr();
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kH);
    cairo_pattern_add_color_stop_rgb(g, 0.0, 0.01, 0.012, 0.03);
    cairo_pattern_add_color_stop_rgb(g, 0.55, tint.r * 0.09, tint.g * 0.09, tint.b * 0.12);
    cairo_pattern_add_color_stop_rgb(g, 1.0, 0.01, 0.012, 0.03);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    // Stars.
    Rng rng(seed);
    for (int i = 0; i < 140; ++i) {
        const double x = rng.Real() * kW, y = rng.Real() * kH, b = rng.Real();
        cairo_rectangle(cr, std::floor(x), std::floor(y), 1, 1);
        cairo_set_source_rgba(cr, 0.7, 0.85, 1.0, 0.15 + 0.45 * b * b);
        cairo_fill(cr);
    }
    if (!grid) return;
    // A perspective floor of neon lines toward a horizon at y 300, fading into it.
    const double horizon = 300, vx = kW / 2.0;
    auto floor = [&](cairo_t* k, Rgb col, double alpha) {
        cairo_set_line_width(k, 1.0);
        for (int i = -12; i <= 12; ++i) {
            cairo_move_to(k, vx + i * 6, horizon);
            cairo_line_to(k, vx + i * 70, kH);
        }
        for (int j = 1; j < 9; ++j) {
            const double y = horizon + (kH - horizon) * std::pow(j / 8.0, 2.2);
            cairo_move_to(k, 0, y);
            cairo_line_to(k, kW, y);
        }
        cairo_pattern_t* fade = cairo_pattern_create_linear(0, horizon, 0, kH);
        cairo_pattern_add_color_stop_rgba(fade, 0.0, col.r, col.g, col.b, 0.0);
        cairo_pattern_add_color_stop_rgba(fade, 0.45, col.r, col.g, col.b, alpha * 0.8);
        cairo_pattern_add_color_stop_rgba(fade, 1.0, col.r, col.g, col.b, alpha);
        cairo_set_source(k, fade);
        cairo_stroke(k);
        cairo_pattern_destroy(fade);
    };
    Halo(
        c, [&](cairo_t* k, Rgb col) { floor(k, col, 0.9); }, Scale(tint, 0.7), 2, 1.0);
    floor(cr, Scale(tint, 0.35), 0.7);
}

// The title: "MERIDANE" as an outlined tube, "ZETA" solid and glowing, the
// reading in kana beneath. `cx`, `y` are the centre and the top; `k` scales it.
void Logo(Canvas& c, double cx, double y, double k)
{
    cairo_t* cr = c.cr();
    const Font top{kFontGothic, 30.0 * k, 9.0 * k, false};
    const Font big{kFontGothic, 64.0 * k, 14.0 * k, false};
    const Font kana{kFontPGothic, 13.0 * k, 6.0 * k, false};
    const std::string a = "MERIDANE", b = "ZETA", j = "メリダーネ・ゼータ";
    const double wa = TextWidth(cr, top, a), wb = TextWidth(cr, big, b), wj = TextWidth(cr, kana, j);
    const double ya = y + 30 * k, yb = y + 96 * k;
    Neon(
        c,
        [&](cairo_t* k2, Rgb col) {
            cairo_new_path(k2);
            TextPath(k2, top, cx - wa / 2, ya, a);
            SetRgb(k2, col);
            cairo_set_line_width(k2, 1.4 * k);
            cairo_stroke(k2);
        },
        col::kCyan, {0.8, 0.97, 1.0}, static_cast<int>(4 * k + 1), 1.5);
    Neon(
        c,
        [&](cairo_t* k2, Rgb col) {
            cairo_new_path(k2);
            TextPath(k2, big, cx - wb / 2, yb, b);
            SetRgb(k2, col);
            cairo_fill(k2);
        },
        col::kRose, {1.0, 0.9, 0.95}, static_cast<int>(8 * k + 1), 1.4);
    // A blade of light under the name.
    cairo_pattern_t* g = cairo_pattern_create_linear(cx - 170 * k, 0, cx + 170 * k, 0);
    cairo_pattern_add_color_stop_rgba(g, 0.0, 0.3, 0.8, 1.0, 0.0);
    cairo_pattern_add_color_stop_rgba(g, 0.5, 0.8, 0.95, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgba(g, 1.0, 0.3, 0.8, 1.0, 0.0);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, cx - 170 * k, yb + 12 * k, 340 * k, std::max(1.0, 1.5 * k));
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    DrawText(cr, kana, cx - wj / 2, yb + 34 * k, j, {0.75, 0.85, 1.0});
}

// Heading of a menu screen: English in capitals on the left, Japanese on the
// right, a rule beneath; all above y 36, clear of the rows.
void Header(Canvas& c, const std::string& en, const std::string& jp, Rgb glow)
{
    const Font f{kFontGothic, 22.0, 4.0, false};
    NeonText(c, f, 30, 27, en, glow, {0.9, 0.97, 1.0}, 4, 1.3);
    const Font s{kFontPGothic, 12.0, 1.0, true};
    DrawText(c.cr(), s, 482, 27, jp, kDim, Align::kRight);
    cairo_t* cr = c.cr();
    cairo_pattern_t* g = cairo_pattern_create_linear(24, 0, 488, 0);
    cairo_pattern_add_color_stop_rgba(g, 0.0, glow.r, glow.g, glow.b, 0.9);
    cairo_pattern_add_color_stop_rgba(g, 1.0, glow.r, glow.g, glow.b, 0.15);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 24, 33, 464, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

// Keys along the bottom edge.
void Hints(Canvas& c, const std::string& s)
{
    const Font f{kFontPGothic, 12.0, 0.5, true};
    cairo_t* cr = c.cr();
    cairo_rectangle(cr, 24, 452, 464, 1);
    cairo_set_source_rgba(cr, 0.3, 0.6, 0.9, 0.35);
    cairo_fill(cr);
    DrawText(cr, f, 30, 469, s, kDim);
}

// The dark plate the font writes the rows on.
void ListPlate(Canvas& c, double x, double y, double w, double h, Rgb edge)
{
    cairo_t* cr = c.cr();
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source_rgba(cr, 0.0, 0.01, 0.03, 0.82);
    cairo_fill(cr);
    cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
    SetRgb(cr, edge, 0.45);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // Corner ticks.
    cairo_set_line_width(cr, 2.0);
    SetRgb(cr, edge, 0.9);
    cairo_move_to(cr, x, y + 10);
    cairo_line_to(cr, x, y);
    cairo_line_to(cr, x + 10, y);
    cairo_move_to(cr, x + w, y + h - 10);
    cairo_line_to(cr, x + w, y + h);
    cairo_line_to(cr, x + w - 10, y + h);
    cairo_stroke(cr);
}

// A wireframe of the player's craft, seen from above, nose up.
void Craft(Canvas& c, double cx, double cy, double s, Rgb glow)
{
    auto path = [&](cairo_t* k) {
        const double pts[][2] = {{0, -1.0},    {0.16, -0.35}, {0.62, 0.25},  {0.62, 0.42},  {0.2, 0.3},
                                 {0.24, 0.62}, {0.1, 0.7},    {0, 0.58},     {-0.1, 0.7},   {-0.24, 0.62},
                                 {-0.2, 0.3},  {-0.62, 0.42}, {-0.62, 0.25}, {-0.16, -0.35}};
        cairo_move_to(k, cx + pts[0][0] * s, cy + pts[0][1] * s);
        for (const auto& p : pts) cairo_line_to(k, cx + p[0] * s, cy + p[1] * s);
        cairo_close_path(k);
        // Inner lines: spine, cockpit, wing ribs.
        cairo_move_to(k, cx, cy - 1.0 * s);
        cairo_line_to(k, cx, cy + 0.58 * s);
        cairo_move_to(k, cx - 0.07 * s, cy - 0.45 * s);
        cairo_line_to(k, cx, cy - 0.62 * s);
        cairo_line_to(k, cx + 0.07 * s, cy - 0.45 * s);
        cairo_line_to(k, cx, cy - 0.3 * s);
        cairo_close_path(k);
        cairo_move_to(k, cx + 0.16 * s, cy - 0.35 * s);
        cairo_line_to(k, cx + 0.2 * s, cy + 0.3 * s);
        cairo_move_to(k, cx - 0.16 * s, cy - 0.35 * s);
        cairo_line_to(k, cx - 0.2 * s, cy + 0.3 * s);
    };
    Neon(
        c,
        [&](cairo_t* k, Rgb col) {
            path(k);
            SetRgb(k, col);
            cairo_set_line_width(k, std::max(1.0, s * 0.012));
            cairo_set_line_join(k, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke(k);
        },
        glow, {0.85, 0.97, 1.0}, static_cast<int>(std::max(2.0, s * 0.05)), 1.6);
    // Engine light.
    Halo(
        c,
        [&](cairo_t* k, Rgb col) {
            cairo_arc(k, cx, cy + 0.72 * s, s * 0.08, 0, 2 * M_PI);
            SetRgb(k, col);
            cairo_fill(k);
        },
        {1.0, 0.6, 0.3}, static_cast<int>(std::max(2.0, s * 0.08)), 2.0);
}

// ---- icon -----------------------------------------------------------------------------------
// The craft, nose up, on a dark rounded plate with a cyan rim; transparent around it.
bool Icon(const std::string& path, int size)
{
    Canvas c(size, size);
    cairo_t* cr = c.cr();
    const double r = size * 0.18, inset = size / 32.0;
    const double x0 = inset, y0 = inset, x1 = size - inset, y1 = size - inset;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x1 - r, y0 + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x1 - r, y1 - r, r, 0, M_PI / 2);
    cairo_arc(cr, x0 + r, y1 - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x0 + r, y0 + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
    SetRgb(cr, col::kInk);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, col::kCyan.r, col::kCyan.g, col::kCyan.b, 0.8);
    cairo_set_line_width(cr, std::max(1.0, size / 32.0));
    cairo_stroke(cr);
    Craft(c, size / 2.0, size * 0.53, size * 0.4, col::kCyan);
    return WritePng(c, path, Mode::kAlpha);
}

// ---- loading --------------------------------------------------------------------------------
bool Loading(Out& out)
{
    {  // "#342": start-up.
        Canvas c(kW, kH);
        Background(c, 342, col::kBlue, true);
        Logo(c, kW / 2.0, 120, 1.0);
        const Font f{kFontGothic, 14.0, 5.0, false};
        NeonText(c, f, 480, 430, "NOW LOADING", col::kCyan, kText, 3, 1.0, Align::kRight);
        if (!out.Save(c, 342, Mode::kOpaque)) return false;
    }
    {  // "#344": before a chapter, while its music loads.
        Canvas c(kW, kH);
        Background(c, 344, col::kViolet, true);
        Craft(c, kW / 2.0, 200, 110, col::kCyan);
        const Font f{kFontGothic, 14.0, 5.0, false};
        NeonText(c, f, 480, 430, "NOW LOADING", col::kCyan, kText, 3, 1.0, Align::kRight);
        const Font s{kFontPGothic, 13.0, 2.0, true};
        DrawText(c.cr(), s, 480, 400, "出撃準備中", kDim, Align::kRight);
        if (!out.Save(c, 344, Mode::kOpaque)) return false;
    }
    return true;
}

// ---- main menu ----------------------------------------------------------------------------------
bool MainMenu(Out& out)
{
    Canvas c(kW, kH);
    Background(c, 343, col::kBlue, true);
    Craft(c, 400, 190, 90, Scale(col::kBlue, 0.6));
    Logo(c, 190, 56, 0.85);
    cairo_t* cr = c.cr();
    // The game names the items' pixels (542, 353) ... (452, 428), but the cursor
    // model placed there through the screen-to-world rule and seen by the default
    // camera (eye 10 away, vertical field 0.9299114, aspect 0.75) in the play-field
    // viewport (x 140, 360 wide) lands nearer the middle. Each label ends left of
    // where it really turns, clear of its 19-pixel radius.
    const double item[4][2] = {{542, 353}, {512, 378}, {482, 403}, {452, 428}};
    const double halfH = 10.0 * std::tan(0.9299114 / 2.0), halfW = halfH * 0.75;
    double cursor[4][2];
    for (int i = 0; i < 4; ++i) {
        const double wx = (item[i][0] - 140.0) / 480.0 * 10.0 - 5.0, wy = 5.0 - item[i][1] / 480.0 * 10.0;
        cursor[i][0] = 140.0 + 180.0 * (1.0 + wx / halfW) - 64.0;
        cursor[i][1] = 240.0 * (1.0 - wy / halfH);
    }
    const char* en[4] = {"GAME START", "CHAPTOR SELECT", "REPLAY", "RECORDS"};
    const char* jp[4] = {"最初から", "チャプター選択", "リプレイ再生", "弾幕記録"};
    // A faint rail along the diagonal.
    cairo_move_to(cr, cursor[0][0] + 30, cursor[0][1] - 25);
    cairo_line_to(cr, cursor[3][0] - 30, cursor[3][1] + 25);
    cairo_set_source_rgba(cr, 0.3, 0.7, 1.0, 0.25);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    const Font f{kFontGothic, 17.0, 2.5, false};
    const Font s{kFontPGothic, 11.0, 0.5, true};
    for (int i = 0; i < 4; ++i) {
        const double right = cursor[i][0] - 28, base = cursor[i][1] + 6;
        NeonText(c, f, right, base, en[i], col::kCyan, kText, 3, 1.0, Align::kRight);
        const double w = TextWidth(cr, f, en[i]);
        DrawText(cr, s, right - w - 10, base - 1, jp[i], kDim, Align::kRight);
    }
    // Left of the replay format version the game prints at screen (552, 16).
    DrawPixelText(c, 452, 19, "VER", {0.4, 0.55, 0.7}, 6, false);
    Hints(c, "↑↓ 選択　　Z 決定　　X 終了");
    return out.Save(c, 343, Mode::kOpaque);
}

// ---- chapter menu ---------------------------------------------------------------------------------
bool ChapterMenu(Out& out)
{
    Canvas c(kW, kH);
    Background(c, 405, col::kTeal, true);
    Header(c, "CHAPTOR SELECT", "チャプター選択", col::kTeal);
    ListPlate(c, 116, 58, 356, 44, col::kTeal);
    cairo_t* cr = c.cr();
    const Font t{kFontGothic, 14.0, 2.0, false};
    const Font s{kFontPGothic, 12.0, 0.3, true};
    struct Brief {
        const char* title;
        const char* lines[3];
    };
    const Brief briefs[2] = {
        {"CHAPTOR 1　外縁防衛線",
         {"環状都市の外縁。沈黙した E.R.L の防衛機群が", "守るべき空に牙をむく。",
          "大型機《アルカナ》が最外層を閉ざしている。"}},
        {"CHAPTOR 2　沈黙の中枢",
         {"E.R.L の眠る中枢区画。", "剣の機体《ジュディケイター》が、", "最後の扉の前で待つ。"}},
    };
    DrawText(cr, s, 40, 126, "到達したチャプターから出撃できます。", kDim);
    double y = 160;
    for (const Brief& b : briefs) {
        NeonText(c, t, 40, y, b.title, col::kTeal, kText, 3, 0.9);
        double ly = y + 22;
        for (const char* l : b.lines) {
            DrawText(cr, s, 52, ly, l, kDim);
            ly += 17;
        }
        y += 100;
    }
    Hints(c, "↑↓ 選択　　Z 出撃　　X 戻る");
    return out.Save(c, 405, Mode::kOpaque);
}

// ---- records -----------------------------------------------------------------------------------------
bool Records(Out& out)
{
    Canvas c(kW, kH);
    Background(c, 112, col::kAmber, true);
    Header(c, "RECORDS", "弾幕記録", col::kAmber);
    ListPlate(c, 116, 42, 356, 188, col::kAmber);
    // Column heads over the rows the game writes at y 64 + 16 n.
    DrawPixelText(c, 128, 49, "BARRAGE", {0.95, 0.75, 0.4}, 6, false);
    DrawPixelText(c, 320, 49, "CAPTURE", {0.95, 0.75, 0.4}, 6, false);
    DrawPixelText(c, 400, 49, "BONUS", {0.95, 0.75, 0.4}, 6, false);
    cairo_t* cr = c.cr();
    const Font s{kFontPGothic, 12.0, 0.3, true};
    const char* notes[3] = {"挑んだ弾幕と、その攻略の記録。被弾もボムもなしで破ると CAPTURE。",
                            "残り時間に応じたボーナスが入り、Max はその最高記録です。",
                            "灰色の弾幕はまだ攻略されていません。"};
    double y = 256;
    for (const char* n : notes) {
        DrawText(cr, s, 40, y, n, kDim);
        y += 18;
    }
    Hints(c, "Z / X 戻る");
    return out.Save(c, 112, Mode::kOpaque);
}

// ---- replay lists ------------------------------------------------------------------------------------
bool ReplayList(Out& out, int id, const char* en, const char* jp, const char* hint, Rgb tint)
{
    Canvas c(kW, kH);
    Background(c, id, tint, true);
    Header(c, en, jp, tint);
    ListPlate(c, 116, 58, 356, 172, tint);
    cairo_t* cr = c.cr();
    const Font s{kFontPGothic, 12.0, 0.3, true};
    if (id == 108) {
        DrawText(cr, s, 40, 262, "見たいスロットを選んでください。", kDim);
        DrawText(cr, s, 40, 280, "再生中は Z でフリーカメラ。方向キーで回り込み、", kDim);
        DrawText(cr, s, 40, 298, "Z / X で寄ったり離れたりできます。", kDim);
    } else {
        DrawText(cr, s, 40, 262, "保存するスロットを選んでください。", kDim);
        DrawText(cr, s, 40, 280, "今のプレイを保存します。同じスロットの古いリプレイは", kDim);
        DrawText(cr, s, 40, 298, "上書きされます。", kDim);
    }
    Hints(c, hint);
    return out.Save(c, id, Mode::kOpaque);
}

// ---- title loop ----------------------------------------------------------------------------------------
// Seven pictures: the logo, three story cards, the controls, and two cuts of
// the logo with "PRESS Z KEY" (dim, then lit) that read as a blink.
void StoryCard(Canvas& c, uint32_t seed, const char* const* lines, int n, double top)
{
    Background(c, seed, col::kBlue, false);
    cairo_t* cr = c.cr();
    const Font f{kFontPGothic, 16.0, 1.5, true};
    double y = top;
    for (int i = 0; i < n; ++i) {
        if (lines[i][0]) DrawText(cr, f, kW / 2.0, y, lines[i], kText, Align::kCenter);
        y += 30;
    }
}

bool Title(Out& out)
{
    {  // 280: the logo.
        Canvas c(kW, kH);
        Background(c, 280, col::kBlue, true);
        Logo(c, kW / 2.0, 110, 1.2);
        const Font s{kFontPGothic, 13.0, 3.0, true};
        DrawText(c.cr(), s, kW / 2.0, 330, "― 沈黙した守護者へ ―", kDim, Align::kCenter);
        if (!out.Save(c, 280, Mode::kOpaque)) return false;
    }
    {  // 281
        Canvas c(kW, kH);
        const char* lines[] = {"メリダーネ。",
                               "",
                               "赤道の空に浮かぶ六つの環状都市は、",
                               "百年のあいだ、ひとつの管理知性に守られてきた。",
                               "",
                               "その名は E.R.L。"};
        StoryCard(c, 281, lines, 6, 150);
        if (!out.Save(c, 281, Mode::kOpaque)) return false;
    }
    {  // 282
        Canvas c(kW, kH);
        const char* lines[] = {"ある夜、E.R.L は沈黙した。",   "", "都市を守るはずの防衛機群は、",
                               "外へ向かう船に砲口を向けた。", "", "環の外縁に残された迎撃機は、ただ一機。"};
        StoryCard(c, 282, lines, 6, 150);
        if (!out.Save(c, 282, Mode::kOpaque)) return false;
    }
    {  // 283: the craft and its pilot.
        Canvas c(kW, kH);
        Background(c, 283, col::kBlue, true);
        Craft(c, kW / 2.0, 150, 100, col::kCyan);
        cairo_t* cr = c.cr();
        const Font f{kFontPGothic, 16.0, 1.5, true};
        const char* lines[] = {"試作迎撃機 コルボ・ゼータ。", "パイロット、セナ・アマギ。", "",
                               "沈黙の理由を確かめるため、", "彼女は最後の防衛線を越える。"};
        double y = 300;
        for (const char* l : lines) {
            if (l[0]) DrawText(cr, f, kW / 2.0, y, l, kText, Align::kCenter, 2.0, col::kDeep);
            y += 28;
        }
        if (!out.Save(c, 283, Mode::kOpaque)) return false;
    }
    {  // 284: how to play.
        Canvas c(kW, kH);
        Background(c, 284, col::kTeal, true);
        Header(c, "HOW TO PLAY", "操作方法", col::kTeal);
        cairo_t* cr = c.cr();
        const Font k{kFontGothic, 14.0, 1.0, true};
        const Font s{kFontPGothic, 14.0, 0.5, true};
        const char* rows[][2] = {{"方向キー", "移動"},
                                 {"Z", "ショット（押し続けると溜め・低速移動）"},
                                 {"C + 左右", "ブレード（近くの敵を斬る）"},
                                 {"SHIFT", "ダッシュ（方向キーの向きへ）"},
                                 {"Q / W", "ロール（機首を回す）"},
                                 {"X", "ボム（方向キーを離して・ゲージ 1/3）"},
                                 {"X + 方向", "スローモーション（もう一度で解除）"},
                                 {"ESC", "メニューへ戻る"}};
        double y = 100;
        for (const auto& r : rows) {
            DrawText(cr, k, 150, y, r[0], {0.6, 1.0, 0.9}, Align::kRight);
            DrawText(cr, s, 170, y, r[1], kText);
            y += 32;
        }
        if (!out.Save(c, 284, Mode::kOpaque)) return false;
    }
    for (int lit = 0; lit < 2; ++lit) {  // 285, 286
        Canvas c(kW, kH);
        Background(c, 285, col::kBlue, true);
        Logo(c, kW / 2.0, 110, 1.2);
        const Font f{kFontGothic, 20.0, 6.0, false};
        if (lit) {
            NeonText(c, f, kW / 2.0, 360, "PRESS Z KEY", col::kAmber, {1.0, 0.97, 0.85}, 5, 1.6, Align::kCenter);
        } else {
            DrawText(c.cr(), f, kW / 2.0, 360, "PRESS Z KEY", {0.45, 0.4, 0.3}, Align::kCenter);
        }
        if (!out.Save(c, 285 + lit, Mode::kOpaque)) return false;
    }
    return true;
}

}  // namespace

bool DrawScreens(Out& out)
{
    bool ok = Loading(out);
    ok = MainMenu(out) && ok;
    ok = ChapterMenu(out) && ok;
    ok = Records(out) && ok;
    ok = ReplayList(out, 109, "REPLAY SAVE", "リプレイ保存", "↑↓ 選択　　Z 保存　　X 保存しないで戻る", col::kRose) &&
         ok;
    ok = ReplayList(out, 108, "REPLAY", "リプレイ再生", "↑↓ 選択　　Z 再生　　X 戻る", col::kViolet) && ok;
    ok = Title(out) && ok;
    return ok;
}

bool DrawIcons(const std::string& dir)
{
    bool ok = true;
    for (const int size : kIconSizes) ok = Icon(dir + "/" + std::to_string(size) + ".png", size) && ok;
    return ok;
}

}  // namespace pic
