// The light particles and sparks on the OpenGL back end: hundreds of small
// strips and triangles reach the screen in a handful of draw calls.
#include "tests/gfx/gfx_fixture.h"

#include <vector>

#include "core/Random.h"
#include "gfx/Texture.h"
#include "player/LightParticle.h"
#include "player/Spark.h"

namespace {

class EffectsDrawTest : public CDeviceTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Open());
        // A round glow, white at the centre.
        std::vector<uint32_t> px(64 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const float dx = static_cast<float>(x) - 31.5f, dy = static_cast<float>(y) - 31.5f;
                const float d = std::sqrt(dx * dx + dy * dy) / 32.0f;
                const uint32_t a = d >= 1.0f ? 0u : static_cast<uint32_t>((1.0f - d) * 255.0f);
                px[static_cast<size_t>(y) * 64 + x] = (a << 24) | (a << 16) | (a << 8) | a;
            }
        m_Glow.m_pDevice = m_Device.get();
        m_Glow.m_pTexture = R().CreateTexture(64, 64, px.data(), false);
        m_Glow.m_nWidth = m_Glow.m_nHeight = 64;
        g_pDevice = m_Device.get();
        g_pDeviceLink = m_Device.get();
        Matrix view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
        m_Device->SetTransform(ETransform::View, view);
        g_GameRand.Seed(1024);
    }
    void TearDown() override
    {
        g_pDeviceLink = nullptr;
        g_pDevice = nullptr;
        m_Glow.Release();
        CDeviceTest::TearDown();
    }

    CTexture m_Glow;
};

TEST_F(EffectsDrawTest, FiveHundredParticlesAndAThousandSparksTakeFewDrawCalls)
{
    CLightParticleSystem particles(&m_Glow, false);
    CSparkSystem sparks;
    for (int i = 0; i < 50; ++i) {
        const Vec3 at{-3.0f + 0.12f * static_cast<float>(i), 4.0f - 0.16f * static_cast<float>(i), 0.0f};
        particles.Burst(at, 1.0f, 10, 60);
        sparks.Burst(at, 20, 120);
    }
    ASSERT_EQ(particles.Count(), 500);
    ASSERT_EQ(sparks.Count(), 1000);

    m_Device->BeginFrame();
    m_Device->SetPlayFieldViewport();
    const int before = R().Stats().drawCalls;
    sparks.Update();
    sparks.Draw();
    particles.Step();
    R().Flush();
    const int calls = R().Stats().drawCalls - before;
    m_Device->EndFrame();
    std::printf("draw calls for 500 light particles and 1000 sparks: %d\n", calls);
    EXPECT_LE(calls, 10);
    EXPECT_EQ(R().Stats().primitives, 500 * 2 + 1000);

    // And they show: the burst at the middle of the field is lit.
    const auto px = Pixels();
    int lit = 0;
    for (int y = 200; y < 280; ++y)
        for (int x = 280; x < 360; ++x)
            if ((At(px, x, y) & 0xFFFFFFu) != (At(px, 145, 5) & 0xFFFFFFu)) ++lit;
    EXPECT_GT(lit, 50);
}

}  // namespace
