// Texture coordinates across a face that recedes in depth are interpolated with
// perspective correction, as the fixed-function device does; draws whose
// vertices all lie at one depth may take the cheaper linear interpolation.
#include <gtest/gtest.h>

#include "gfx_fixture.h"
#include "platform/RenderMath.h"

TEST_F(CDeviceTest, TexturesFollowPerspectiveOnARecedingFace)
{
    ASSERT_TRUE(Open());
    // Top texel black, bottom texel white.
    const uint32_t texels[2] = {0xFF000000u, 0xFFFFFFFFu};
    CRenderTexture* tex = R().CreateTexture(1, 2, texels, false);
    ASSERT_NE(tex, nullptr);

    m_Device->BeginFrame();
    m_Device->SetPlayFieldViewport();
    // Eye at z = -10 looking along +z; projection code 45, aspect 0.75.
    const Matrix view = TranslationMatrix(0.0f, 0.0f, 10.0f);
    m_Device->SetTransform(ETransform::View, view);
    m_Device->SetProjection(45, 0.75f);
    m_Device->SetBlendMode(-1);
    m_Device->SetCullMode(0);
    m_Device->SetDepthTest(0);
    m_Device->SetTextureFilter(0);
    R().SetRenderState(ERenderState::Lighting, 0);
    m_Device->SetWorldTransform(IdentityMatrix());
    m_Device->SetTexture(tex);
    // Near edge y = -1 at z = 0 (v = 1), far edge y = 1 at z = 10 (v = 0). The
    // middle of the face in space, (0, 0, 5), has v = 0.5 and lands on screen row
    // 240; linear interpolation on screen would put v = 0.5 about 12 rows lower.
    RVertex v[4];
    const float px[4] = {-1, 1, -1, 1}, py[4] = {1, 1, -1, -1}, pz[4] = {10, 10, 0, 0};
    const float pu[4] = {0, 1, 0, 1}, pv[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        v[i].x = px[i];
        v[i].y = py[i];
        v[i].z = pz[i];
        v[i].u = pu[i];
        v[i].v = pv[i];
    }
    m_Device->DrawPrimitiveUP(EPrimitive::TriangleStrip, 2, v, FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
    m_Device->EndFrame();
    const auto pixels = Pixels();
    // Predicted rows of the near and far edges and of the middle.
    const Matrix proj = PerspectiveFovLH(0.9299114f, 0.75f, 1.0f, 1000.0f);
    auto row = [&](float y, float z) {
        const float ndc = proj.m[1][1] * y / (z + 10.0f);
        return 240.0f - ndc * 240.0f;
    };
    ASSERT_NEAR(row(0.0f, 5.0f), 240.0f, 0.01f);
    const float nearRow = row(-1.0f, 0.0f), farRow = row(1.0f, 10.0f);
    ASSERT_GT((nearRow + farRow) / 2.0f, 250.0f);
    EXPECT_EQ(At(pixels, 320, 236), 0xFF000000u);  // far half
    EXPECT_EQ(At(pixels, 320, 244), 0xFFFFFFFFu);  // near half, though above the screen middle
    EXPECT_EQ(At(pixels, 320, 250), 0xFFFFFFFFu);
    R().ReleaseTexture(tex);
}
