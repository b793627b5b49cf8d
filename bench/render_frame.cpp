// One full 640 x 480 frame on the headless OpenGL back end: the HUD panels and
// digits, the gauge bars, 2,000 alpha-blended textured bullet quads (0.25 world
// units, each with its own world matrix, drawn one by one as the game does) and
// 200 lines. Reports the time per frame (use the median of the repetitions; the
// minimum shows what a quiet machine does) and the draw calls of the whole frame
// and of the bullets alone. Every frame ends with glFinish, so the time includes
// the rasteriser's work, not only the submission. BM_RenderPart times each part
// of the frame alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/Util.h"
#include "bench_device.h"
#include "bench_figures.h"
#include "gfx/GraphicsDevice.h"
#include "platform/Window.h"

namespace {

struct SScene {
    CWindow window;
    std::unique_ptr<CGraphicsDevice> device;
    CRenderTexture* panel = nullptr;
    CRenderTexture* overlay = nullptr;
    CRenderTexture* digits = nullptr;
    CRenderTexture* bullet = nullptr;
    std::string home;

    bool Open()
    {
        if (!OpenBenchDevice(window, device, home, false)) return false;
        CRenderer& r = *device->GetRenderer();
        std::vector<uint32_t> px(1024 * 512);
        for (size_t i = 0; i < px.size(); ++i) px[i] = 0xFF203040u + static_cast<uint32_t>(i % 97);
        panel = r.CreateTexture(256, 512, px.data(), false);
        // The frame overlay: transparent in the middle, as the HUD frame is.
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 1024; ++x)
                px[static_cast<size_t>(y) * 1024 + x] = (x < 140 || (x >= 500 && x < 640)) ? 0x80FFFFFFu : 0u;
        overlay = r.CreateTexture(1024, 512, px.data(), false);
        digits = r.CreateTexture(64, 16, px.data(), false);
        std::vector<uint32_t> b(32 * 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const float d = std::hypot(x - 15.5f, y - 15.5f) / 16.0f;
                const uint32_t a = d >= 1.0f ? 0u : static_cast<uint32_t>((1.0f - d) * 255.0f);
                b[static_cast<size_t>(y) * 32 + x] = (a << 24) | 0xFF80C0u;
            }
        bullet = r.CreateTexture(32, 32, b.data(), false);
        Matrix view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
        device->SetTransform(ETransform::View, view);
        return panel && overlay && digits && bullet;
    }

    ~SScene()
    {
        device.reset();
        window.Destroy();
        SetProgramDir("");
        std::error_code ec;
        if (!home.empty()) std::filesystem::remove_all(home, ec);
    }

    enum : int { kBullets = 1, kLines = 2, kHud = 4, kAll = 7 };

    // Returns the draw calls the bullets took.
    int DrawFrame(int frame, int parts = kAll)
    {
        CGraphicsDevice& d = *device;
        CRenderer& r = *d.GetRenderer();
        d.Update();
        d.BeginFrame();
        d.SetPlayFieldViewport();

        // Bullets: one quad each in the play plane, in the order they were spawned.
        const int before = r.Stats().drawCalls;
        RVertex quad[4];
        const float h = 0.125f;
        const float qx[4] = {-h, h, -h, h}, qy[4] = {h, h, -h, -h};
        for (int i = 0; i < 4; ++i) {
            quad[i].x = qx[i];
            quad[i].y = qy[i];
            quad[i].diffuse = 0xFF000000u;
            quad[i].u = static_cast<float>(i % 2);
            quad[i].v = static_cast<float>(i / 2);
        }
        d.SetTextureFilter(1);
        const int bullets = (parts & kBullets) ? 2000 : 0;
        for (int i = 0; i < bullets; ++i) {
            const float a = 0.0031f * static_cast<float>(i * 7 + frame);
            const float radius = 0.5f + 3.5f * static_cast<float>(i % 100) / 100.0f;
            Matrix w{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0},
                      {radius * std::cos(a * 17.0f), radius * std::sin(a * 13.0f), 0, 1}}};
            d.SetWorldTransform(w);
            d.SetDepthTest(0);
            d.SetFog(0);
            d.SetMaterialColor(1.0f, 1.0f, 1.0f, 1.0f);
            d.SetWireframe(0);
            d.SetBlendMode(0);
            d.SetTexture(bullet);
            d.DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, quad, FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
        }
        d.SetTextureFilter(0);
        r.Flush();
        const int bulletCalls = r.Stats().drawCalls - before;

        // Lines (lasers, trails).
        Matrix identity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
        d.SetWorldTransform(identity);
        const int lines = (parts & kLines) ? 200 : 0;
        for (int i = 0; i < lines; ++i) {
            const Vec3 from{-3.0f + 0.03f * i, -4.0f, 0.0f};
            const Vec3 to{3.0f - 0.03f * i, 4.0f, 0.0f};
            d.DrawLine3D(&from, &to, 0.5f, 0.2f, 1.0f, 0.4f);
        }

        // HUD: panels, frame overlay, digits, gauges, text.
        d.ClearDepth();
        d.SetFullScreenViewport();
        if (!(parts & kHud)) {
            d.EndFrame();
            d.Present();
            r.Finish();
            return bulletCalls;
        }
        CSprite& s = d.Sprite();
        s.Begin();
        const Vec3 left{0, 0, 0}, right{500, 0, 0}, origin{0, 0, 0};
        SRect panelRect{0, 0, 140, 480};
        s.Draw(panel, &panelRect, nullptr, &left, 0xFFFFFFFFu);
        s.Draw(panel, &panelRect, nullptr, &right, 0xFFFFFFFFu);
        SRect overlayRect{0, 0, 640, 480};
        s.Draw(overlay, &overlayRect, nullptr, &origin, 0xFFFFFFFFu);
        for (int i = 0; i < 24; ++i) {
            SRect digit{(i % 11) * 5, 0, (i % 11) * 5 + 5, 8};
            const Vec3 at{static_cast<float>(80 + (i % 8) * 5), static_cast<float>(14 + (i / 8) * 50), 0};
            s.Draw(digits, &digit, nullptr, &at, 0xFFFFFFFFu);
        }
        s.End();
        d.FillRect(5, 91, 117 * (frame % 100) / 100, 10, 0.5f, 0.0f, 1.0f, 0.0f);
        d.FillRect(5, 91, 39, 10, 0.5f, 1.0f, 1.0f, 0.0f);
        d.FillRect(5, 140, 52, 10, 0.5f, 0.0f, 1.0f, 0.0f);
        d.DrawText(552, 16, "#6", 0xFFFFFFFFu);
        d.EndFrame();
        d.Present();
        r.Finish();
        return bulletCalls;
    }
};

void BM_RenderFrame(benchmark::State& state)
{
    SScene scene;
    if (!scene.Open()) {
        state.SkipWithError("no headless OpenGL device");
        return;
    }
    int frame = 0;
    int bulletCalls = 0;
    for (int i = 0; i < 5; ++i) scene.DrawFrame(frame++);  // warm-up: glyphs, buffers
    for (auto _ : state) bulletCalls = scene.DrawFrame(frame++);
    state.counters["draw_calls"] = scene.device->GetRenderer()->Stats().drawCalls;
    state.counters["bullet_draw_calls"] = bulletCalls;
}

BENCHMARK(BM_RenderFrame)->Apply(LeastOfFiveRepetitions);

// One part of the frame alone (1 bullets, 2 lines, 4 HUD, 0 none: clear and
// present only), to see where the time goes.
void BM_RenderPart(benchmark::State& state)
{
    SScene scene;
    if (!scene.Open()) {
        state.SkipWithError("no headless OpenGL device");
        return;
    }
    const int parts = static_cast<int>(state.range(0));
    int frame = 0;
    for (int i = 0; i < 5; ++i) scene.DrawFrame(frame++, parts);
    for (auto _ : state) scene.DrawFrame(frame++, parts);
}
BENCHMARK(BM_RenderPart)->Arg(0)->Arg(1)->Arg(2)->Arg(4)->Apply(LeastOfFiveRepetitions);

}  // namespace
