// Depth clears of the back buffer, of all of it or of part (the play field),
// keep their meaning whatever was drawn or cleared before them: a clear may only
// be left out when the buffer already holds the cleared value everywhere.
#include <gtest/gtest.h>

#include "gfx_fixture.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// An opaque pre-transformed rectangle at depth z, clockwise on screen.
void DepthRect(CRenderer& r, float x, float y, float w, float h, float z, uint32_t color)
{
    RVertex v[4];
    const float px[4] = {x, x + w, x, x + w};
    const float py[4] = {y, y, y + h, y + h};
    for (int i = 0; i < 4; ++i) {
        v[i].x = px[i];
        v[i].y = py[i];
        v[i].z = z;
        v[i].diffuse = color;
    }
    r.DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, v, FVF_XYZRHW | FVF_DIFFUSE);
}

}  // namespace

TEST_F(CDeviceTest, PartialDepthClearsKeepTheirMeaning)
{
    ASSERT_TRUE(Open());
    struct SCase {
        const char* name;
        float nearZ;        // depth of the first rectangles; < 0: none drawn
        float clearZ;       // value of the play-field depth clear
        bool insideShows;   // the probe at depth 0.5 inside the play field
        bool outsideShows;  // and left of it
    };
    const SCase cases[] = {
        // Depth written on both sides, then cleared in the play field only.
        {"written", 0.2f, 1.0f, true, false},
        // Nothing written: a clear to the buffer's own value changes nothing.
        {"unwritten, same value", -1.0f, 1.0f, true, true},
        // Nothing written, but another value: the play field takes it.
        {"unwritten, other value", -1.0f, 0.3f, false, true},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_Device->BeginFrame();
        m_Device->SetFullScreenViewport();
        m_Device->SetBlendMode(-1);
        m_Device->SetDepthTest(1);
        if (c.nearZ >= 0.0f) {
            DepthRect(R(), 20, 20, 80, 80, c.nearZ, 0xFF0000FFu);
            DepthRect(R(), 200, 20, 80, 80, c.nearZ, 0xFF0000FFu);
        }
        m_Device->SetPlayFieldViewport();
        R().Clear(false, true, 0, c.clearZ);
        m_Device->SetFullScreenViewport();
        DepthRect(R(), 20, 20, 80, 80, 0.5f, 0xFFFF0000u);
        DepthRect(R(), 200, 20, 80, 80, 0.5f, 0xFFFF0000u);
        m_Device->SetDepthTest(0);
        m_Device->EndFrame();
        const auto px = Pixels();
        EXPECT_EQ(At(px, 240, 60) == 0xFFFF0000u, c.insideShows);
        EXPECT_EQ(At(px, 60, 60) == 0xFFFF0000u, c.outsideShows);
        EXPECT_NE(At(px, 60, 60), kBlack);
    }
    // With nothing drawn, a partial clear to another value and then a whole
    // clear to the old one: the whole clear is not left out.
    for (int frame = 0; frame < 2; ++frame) {
        m_Device->BeginFrame();
        m_Device->SetPlayFieldViewport();
        if (frame == 0) R().Clear(false, true, 0, 0.3f);
    }
    m_Device->SetFullScreenViewport();
    m_Device->SetBlendMode(-1);
    m_Device->SetDepthTest(1);
    DepthRect(R(), 200, 20, 80, 80, 0.5f, 0xFFFF0000u);
    m_Device->SetDepthTest(0);
    m_Device->EndFrame();
    EXPECT_EQ(At(Pixels(), 240, 60), 0xFFFF0000u);
}
