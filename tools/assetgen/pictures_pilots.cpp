// The four people of the story as neon line busts, drawn in a 200 × 200 figure
// space (x −100..100, y 0 top .. 200 bottom) and scaled into the caller's box.
//   Sena Amagi   – the player, white helmet, cyan visor.
//   Haruka       – the operator aboard the carrier, headset, green.
//   Veil Crow    – the rival pilot of the E.R.L frames, horned helmet, rose slit.
//   E.R.L        – the silent guardian intelligence, an amber eye.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/pictures_parts.h"

namespace pic {
namespace {

struct Figure {
    Canvas& c;
    cairo_matrix_t m;
    double unit;  // device pixels per figure unit

    // Sets the figure transform on any context (the canvas or a glow layer).
    void Apply(cairo_t* cr) const { cairo_set_matrix(cr, &m); }

    void Fill(const std::function<void(cairo_t*)>& path, Rgb col, double a = 1.0) const
    {
        cairo_t* cr = c.cr();
        cairo_save(cr);
        Apply(cr);
        cairo_new_path(cr);
        path(cr);
        SetRgb(cr, col, a);
        cairo_fill(cr);
        cairo_restore(cr);
    }

    void FillPattern(const std::function<void(cairo_t*)>& path, cairo_pattern_t* p) const
    {
        cairo_t* cr = c.cr();
        cairo_save(cr);
        Apply(cr);
        cairo_new_path(cr);
        path(cr);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_restore(cr);
    }

    // Glowing strokes: width in figure units.
    void Lines(const std::function<void(cairo_t*)>& path, Rgb glow, Rgb core, double width, double gain = 1.2) const
    {
        const int blur = std::max(1, static_cast<int>(std::lround(unit * 2.2)));
        Neon(
            c,
            [&](cairo_t* cr, Rgb k) {
                Apply(cr);
                cairo_new_path(cr);
                path(cr);
                SetRgb(cr, k);
                cairo_set_line_width(cr, width);
                cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
                cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                cairo_stroke(cr);
            },
            glow, core, blur, gain);
    }

    void Glow(const std::function<void(cairo_t*)>& path, Rgb glow, double blurUnits, double gain = 1.5) const
    {
        const int blur = std::max(1, static_cast<int>(std::lround(unit * blurUnits)));
        Halo(
            c,
            [&](cairo_t* cr, Rgb k) {
                Apply(cr);
                cairo_new_path(cr);
                path(cr);
                SetRgb(cr, k);
                cairo_fill(cr);
            },
            glow, blur, gain);
    }
};

// Shoulders and chest of a flight suit; `tone` tints the seams.
void Torso(const Figure& f, Rgb tone, bool collarHigh)
{
    auto body = [](cairo_t* cr) {
        cairo_move_to(cr, -100, 201);
        cairo_curve_to(cr, -98, 166, -82, 150, -50, 143);
        cairo_line_to(cr, -22, 134);
        cairo_line_to(cr, 22, 134);
        cairo_line_to(cr, 50, 143);
        cairo_curve_to(cr, 82, 150, 98, 166, 100, 201);
        cairo_close_path(cr);
    };
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 130, 0, 200);
    cairo_pattern_add_color_stop_rgb(g, 0, tone.r * 0.16, tone.g * 0.16, tone.b * 0.2);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.02, 0.02, 0.04);
    f.FillPattern(body, g);
    cairo_pattern_destroy(g);
    // Neck.
    f.Fill([](cairo_t* cr) { cairo_rectangle(cr, -15, 108, 30, 30); }, {0.05, 0.06, 0.09});
    f.Lines(
        [&](cairo_t* cr) {
            body(cr);
            // Collar.
            if (collarHigh) {
                cairo_move_to(cr, -24, 134);
                cairo_line_to(cr, -20, 118);
                cairo_move_to(cr, 24, 134);
                cairo_line_to(cr, 20, 118);
            }
            cairo_move_to(cr, -22, 136);
            cairo_line_to(cr, 0, 168);
            cairo_line_to(cr, 22, 136);
            // Shoulder plates.
            cairo_move_to(cr, -50, 146);
            cairo_curve_to(cr, -70, 152, -84, 166, -88, 186);
            cairo_move_to(cr, 50, 146);
            cairo_curve_to(cr, 70, 152, 84, 166, 88, 186);
            // Chest harness.
            cairo_move_to(cr, -40, 200);
            cairo_line_to(cr, -30, 160);
            cairo_move_to(cr, 40, 200);
            cairo_line_to(cr, 30, 160);
        },
        tone, Lift(tone, 0.55), 1.4, 1.0);
}

void Sena(const Figure& f)
{
    const Rgb tone = col::kCyan;
    Torso(f, tone, true);
    auto shell = [](cairo_t* cr) {
        cairo_move_to(cr, 0, 18);
        cairo_curve_to(cr, 40, 18, 56, 46, 55, 80);
        cairo_curve_to(cr, 54, 104, 44, 122, 24, 128);
        cairo_line_to(cr, -24, 128);
        cairo_curve_to(cr, -44, 122, -54, 104, -55, 80);
        cairo_curve_to(cr, -56, 46, -40, 18, 0, 18);
        cairo_close_path(cr);
    };
    auto visor = [](cairo_t* cr) {
        cairo_move_to(cr, -44, 64);
        cairo_curve_to(cr, -30, 52, 30, 52, 44, 64);
        cairo_line_to(cr, 40, 94);
        cairo_curve_to(cr, 22, 106, -22, 106, -40, 94);
        cairo_close_path(cr);
    };
    cairo_pattern_t* g = cairo_pattern_create_linear(-40, 20, 40, 130);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.78, 0.86, 0.92);
    cairo_pattern_add_color_stop_rgb(g, 0.5, 0.42, 0.5, 0.6);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.12, 0.15, 0.22);
    f.FillPattern(shell, g);
    cairo_pattern_destroy(g);
    g = cairo_pattern_create_linear(0, 54, 0, 104);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.05, 0.35, 0.5);
    cairo_pattern_add_color_stop_rgb(g, 0.6, 0.02, 0.12, 0.22);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.01, 0.05, 0.1);
    f.FillPattern(visor, g);
    cairo_pattern_destroy(g);
    // Eyes behind the glass.
    f.Glow(
        [](cairo_t* cr) {
            cairo_save(cr);
            cairo_translate(cr, -17, 80);
            cairo_scale(cr, 7, 3.2);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            cairo_save(cr);
            cairo_translate(cr, 17, 80);
            cairo_scale(cr, 7, 3.2);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
        },
        {0.4, 0.95, 1.0}, 2.5, 2.0);
    f.Fill(
        [](cairo_t* cr) {
            cairo_rectangle(cr, -22, 79, 10, 2);
            cairo_rectangle(cr, 12, 79, 10, 2);
        },
        {0.85, 1.0, 1.0});
    // Reflections on the visor.
    f.Fill(
        [](cairo_t* cr) {
            cairo_move_to(cr, -34, 64);
            cairo_line_to(cr, -24, 60);
            cairo_line_to(cr, -34, 90);
            cairo_line_to(cr, -38, 88);
            cairo_close_path(cr);
            cairo_move_to(cr, 26, 60);
            cairo_line_to(cr, 31, 61);
            cairo_line_to(cr, 24, 96);
            cairo_line_to(cr, 20, 97);
            cairo_close_path(cr);
        },
        col::kWhite, 0.35);
    f.Lines(
        [&](cairo_t* cr) {
            shell(cr);
            visor(cr);
            cairo_move_to(cr, 0, 18);  // crest
            cairo_line_to(cr, 0, 54);
            cairo_arc(cr, -54, 82, 9, 0, 2 * M_PI);  // ear discs
            cairo_new_sub_path(cr);
            cairo_arc(cr, 54, 82, 9, 0, 2 * M_PI);
        },
        tone, {0.85, 1.0, 1.0}, 1.6);
    // A stripe of her squadron colour across the helmet.
    f.Lines(
        [](cairo_t* cr) {
            cairo_move_to(cr, -8, 22);
            cairo_curve_to(cr, -30, 26, -44, 40, -50, 56);
            cairo_move_to(cr, 8, 22);
            cairo_curve_to(cr, 30, 26, 44, 40, 50, 56);
        },
        col::kRose, {1.0, 0.85, 0.9}, 2.2, 0.8);
}

void Haruka(const Figure& f)
{
    const Rgb tone = col::kGreen;
    Torso(f, tone, false);
    auto hairBack = [](cairo_t* cr) {
        cairo_move_to(cr, -50, 112);
        cairo_curve_to(cr, -62, 60, -46, 16, 0, 14);
        cairo_curve_to(cr, 46, 16, 62, 60, 50, 112);
        cairo_curve_to(cr, 40, 118, 30, 114, 28, 100);
        cairo_line_to(cr, -28, 100);
        cairo_curve_to(cr, -30, 114, -40, 118, -50, 112);
        cairo_close_path(cr);
    };
    auto face = [](cairo_t* cr) {
        cairo_move_to(cr, -32, 58);
        cairo_curve_to(cr, -34, 94, -20, 120, 0, 124);
        cairo_curve_to(cr, 20, 120, 34, 94, 32, 58);
        cairo_close_path(cr);
    };
    auto bangs = [](cairo_t* cr) {
        cairo_move_to(cr, -40, 76);
        cairo_curve_to(cr, -44, 40, -24, 24, 0, 24);
        cairo_curve_to(cr, 24, 24, 44, 40, 40, 76);
        cairo_line_to(cr, 30, 62);
        cairo_line_to(cr, 24, 70);
        cairo_line_to(cr, 16, 56);
        cairo_line_to(cr, 6, 66);
        cairo_line_to(cr, -2, 54);
        cairo_line_to(cr, -12, 66);
        cairo_line_to(cr, -20, 56);
        cairo_line_to(cr, -28, 68);
        cairo_close_path(cr);
    };
    f.Fill(hairBack, {0.08, 0.16, 0.12});
    f.Fill(face, {0.16, 0.18, 0.2});
    f.Fill(bangs, {0.1, 0.22, 0.16});
    // Eyes, brows, mouth.
    f.Fill(
        [](cairo_t* cr) {
            for (int s = -1; s <= 1; s += 2) {
                cairo_move_to(cr, s * 6, 84);
                cairo_curve_to(cr, s * 10, 78, s * 20, 77, s * 24, 82);
                cairo_curve_to(cr, s * 20, 88, s * 10, 89, s * 6, 84);
                cairo_close_path(cr);
            }
        },
        {0.75, 1.0, 0.8});
    f.Fill(
        [](cairo_t* cr) {
            cairo_arc(cr, -15, 83, 3, 0, 2 * M_PI);
            cairo_new_sub_path(cr);
            cairo_arc(cr, 15, 83, 3, 0, 2 * M_PI);
        },
        {0.05, 0.25, 0.12});
    f.Lines(
        [&](cairo_t* cr) {
            hairBack(cr);
            bangs(cr);
            face(cr);
            cairo_move_to(cr, -22, 72);  // brows
            cairo_line_to(cr, -8, 71);
            cairo_move_to(cr, 8, 71);
            cairo_line_to(cr, 22, 72);
            cairo_move_to(cr, -5, 107);  // mouth
            cairo_curve_to(cr, -2, 109, 2, 109, 5, 107);
        },
        tone, Lift(tone, 0.6), 1.3, 1.0);
    // Headset: band, ear cup, boom microphone.
    f.Lines(
        [](cairo_t* cr) {
            cairo_arc(cr, 0, 66, 50, M_PI * 1.05, M_PI * 1.95);
            cairo_new_sub_path(cr);
            cairo_arc(cr, -50, 84, 10, 0, 2 * M_PI);
            cairo_move_to(cr, -48, 94);
            cairo_curve_to(cr, -44, 112, -30, 116, -16, 112);
            cairo_new_sub_path(cr);
            cairo_arc(cr, -14, 112, 3, 0, 2 * M_PI);
        },
        col::kAmber, {1.0, 0.95, 0.8}, 2.0, 1.0);
}

void Veil(const Figure& f)
{
    const Rgb tone = col::kRose;
    // Long hair behind the shoulders.
    auto hair = [](cairo_t* cr) {
        cairo_move_to(cr, -46, 96);
        cairo_curve_to(cr, -70, 130, -74, 170, -86, 200);
        cairo_line_to(cr, -56, 200);
        cairo_curve_to(cr, -50, 170, -40, 140, -30, 118);
        cairo_close_path(cr);
        cairo_move_to(cr, 46, 96);
        cairo_curve_to(cr, 70, 130, 74, 170, 86, 200);
        cairo_line_to(cr, 56, 200);
        cairo_curve_to(cr, 50, 170, 40, 140, 30, 118);
        cairo_close_path(cr);
    };
    f.Fill(hair, {0.14, 0.05, 0.1});
    Torso(f, tone, true);
    auto shell = [](cairo_t* cr) {
        cairo_move_to(cr, 0, 14);
        cairo_line_to(cr, 34, 28);
        cairo_line_to(cr, 52, 62);
        cairo_line_to(cr, 48, 102);
        cairo_line_to(cr, 26, 124);
        cairo_line_to(cr, -26, 124);
        cairo_line_to(cr, -48, 102);
        cairo_line_to(cr, -52, 62);
        cairo_line_to(cr, -34, 28);
        cairo_close_path(cr);
    };
    auto fins = [](cairo_t* cr) {
        cairo_move_to(cr, 34, 28);
        cairo_line_to(cr, 78, 2);
        cairo_line_to(cr, 50, 46);
        cairo_close_path(cr);
        cairo_move_to(cr, -34, 28);
        cairo_line_to(cr, -78, 2);
        cairo_line_to(cr, -50, 46);
        cairo_close_path(cr);
    };
    cairo_pattern_t* g = cairo_pattern_create_linear(-40, 10, 40, 130);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.32, 0.12, 0.2);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.06, 0.02, 0.05);
    f.FillPattern(fins, g);
    f.FillPattern(shell, g);
    cairo_pattern_destroy(g);
    // The slit visor.
    auto slit = [](cairo_t* cr) {
        cairo_move_to(cr, -42, 72);
        cairo_line_to(cr, 42, 72);
        cairo_line_to(cr, 36, 82);
        cairo_line_to(cr, -36, 82);
        cairo_close_path(cr);
    };
    f.Fill(slit, {0.08, 0.0, 0.03});
    f.Glow([](cairo_t* cr) { cairo_rectangle(cr, -34, 75, 68, 4); }, {1.0, 0.2, 0.4}, 3.0, 2.5);
    f.Fill([](cairo_t* cr) { cairo_rectangle(cr, -30, 76, 60, 2); }, {1.0, 0.85, 0.9});
    // Hair falling over the shoulders in front.
    f.Lines(
        [&](cairo_t* cr) {
            hair(cr);
            cairo_move_to(cr, -38, 110);
            cairo_curve_to(cr, -54, 140, -60, 170, -66, 200);
            cairo_move_to(cr, 38, 110);
            cairo_curve_to(cr, 54, 140, 60, 170, 66, 200);
        },
        {0.8, 0.3, 0.6}, {1.0, 0.7, 0.85}, 1.0, 0.8);
    f.Lines(
        [&](cairo_t* cr) {
            shell(cr);
            fins(cr);
            slit(cr);
            cairo_move_to(cr, 0, 14);  // ridge
            cairo_line_to(cr, 0, 64);
            cairo_move_to(cr, -26, 124);  // jaw plates
            cairo_line_to(cr, -20, 96);
            cairo_line_to(cr, 20, 96);
            cairo_line_to(cr, 26, 124);
        },
        tone, {1.0, 0.85, 0.92}, 1.6);
}

void Erl(const Figure& f)
{
    const Rgb tone = col::kAmber;
    auto hex = [](cairo_t* cr, double r, double cy) {
        for (int i = 0; i < 6; ++i) {
            const double a = M_PI / 6 + i * M_PI / 3;
            const double x = std::cos(a) * r, y = cy + std::sin(a) * r;
            if (i == 0) cairo_move_to(cr, x, y);
            else cairo_line_to(cr, x, y);
        }
        cairo_close_path(cr);
    };
    f.Fill([&](cairo_t* cr) { hex(cr, 92, 100); }, {0.08, 0.05, 0.01});
    f.Lines(
        [&](cairo_t* cr) {
            hex(cr, 92, 100);
            hex(cr, 74, 100);
            for (int i = 0; i < 12; ++i) {
                const double a = i * M_PI / 6;
                cairo_move_to(cr, std::cos(a) * 44, 100 + std::sin(a) * 44);
                cairo_line_to(cr, std::cos(a) * 60, 100 + std::sin(a) * 60);
            }
            cairo_new_sub_path(cr);
            cairo_arc(cr, 0, 100, 40, 0, 2 * M_PI);
        },
        tone, {1.0, 0.92, 0.7}, 1.6);
    // The eye: a lens with a bright iris.
    auto lens = [](cairo_t* cr) {
        cairo_move_to(cr, -34, 100);
        cairo_curve_to(cr, -16, 80, 16, 80, 34, 100);
        cairo_curve_to(cr, 16, 120, -16, 120, -34, 100);
        cairo_close_path(cr);
    };
    f.Fill(lens, {0.18, 0.08, 0.0});
    f.Glow([](cairo_t* cr) { cairo_arc(cr, 0, 100, 11, 0, 2 * M_PI); }, {1.0, 0.6, 0.15}, 5.0, 2.5);
    f.Fill([](cairo_t* cr) { cairo_arc(cr, 0, 100, 5, 0, 2 * M_PI); }, {1.0, 0.97, 0.85});
    f.Lines(lens, tone, {1.0, 0.92, 0.7}, 1.6);
}

}  // namespace

void DrawPilot(Canvas& c, Pilot who, double x, double y, double w, double h)
{
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    Figure f{c, {}, h / 200.0};
    cairo_matrix_init_translate(&f.m, x + w / 2.0, y);
    cairo_matrix_scale(&f.m, f.unit, f.unit);
    // The glow layers are separate contexts and are not clipped: callers that need
    // a hard edge draw the pilot on a scratch canvas and clip when compositing.
    switch (who) {
    case Pilot::kSena: Sena(f); break;
    case Pilot::kHaruka: Haruka(f); break;
    case Pilot::kVeil: Veil(f); break;
    case Pilot::kErl: Erl(f); break;
    }
    cairo_restore(cr);
}

}  // namespace pic
