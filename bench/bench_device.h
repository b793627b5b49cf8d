// A headless window and graphics device in a fresh program folder, for the
// benchmarks that build a scene of their own.
#pragma once

#include <memory>
#include <string>

#include "bench_folder.h"
#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "platform/Window.h"

// nullRenderer: no OpenGL context at all, the device draws nothing.
inline bool OpenBenchDevice(CWindow& window, std::unique_ptr<CGraphicsDevice>& device, std::string& home,
                            bool nullRenderer)
{
    home = MakeBenchFolder();
    if (home.empty()) return false;
    SetProgramDir(home);
    SWindowConfig cfg;
    cfg.headless = true;
    cfg.openGl = !nullRenderer;
    std::string error;
    if (!window.Create(cfg, error)) return false;
    device = std::make_unique<CGraphicsDevice>();
    device->UseNullRenderer(nullRenderer);
    return device->CreateDevice(&window, 640, 480, 0.75f, false, false, false, true);
}
