// A graphics device on the headless OpenGL back end (or the null one), with the
// program folder pointed at a fresh temporary folder (tests/support/TempHome.h).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "platform/Window.h"
#include "tests/support/TempHome.h"

inline uint8_t R8(uint32_t c) { return static_cast<uint8_t>(c >> 16); }
inline uint8_t G8(uint32_t c) { return static_cast<uint8_t>(c >> 8); }
inline uint8_t B8(uint32_t c) { return static_cast<uint8_t>(c); }

class CDeviceTest : public ::testing::Test {
protected:
    // Opens a headless window and the device on it.
    bool Open(bool nullRenderer = false, int surfaceWidth = 0, int surfaceHeight = 0)
    {
        SWindowConfig cfg;
        cfg.headless = true;
        cfg.openGl = !nullRenderer;
        cfg.surfaceWidth = surfaceWidth;
        cfg.surfaceHeight = surfaceHeight;
        std::string error;
        if (!m_Window.Create(cfg, error)) {
            ADD_FAILURE() << error;
            return false;
        }
        m_Device = std::make_unique<CGraphicsDevice>();
        m_Device->UseNullRenderer(nullRenderer);
        if (!m_Device->CreateDevice(&m_Window, 640, 480, 0.75f, false, false, false, true)) {
            ADD_FAILURE() << "device set-up failed";
            return false;
        }
        return true;
    }
    void TearDown() override
    {
        m_Device.reset();
        m_Window.Destroy();
    }
    CRenderer& R() { return *m_Device->GetRenderer(); }
    std::vector<uint32_t> Pixels()
    {
        std::vector<uint32_t> px;
        EXPECT_TRUE(R().ReadBackBuffer(px));
        return px;
    }
    static uint32_t At(const std::vector<uint32_t>& px, int x, int y) { return px[static_cast<size_t>(y) * 640 + x]; }

    CTempHome m_Home;
    CWindow m_Window;
    std::unique_ptr<CGraphicsDevice> m_Device;
};
