#include "gfx/Skybox.h"

#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CSkybox2* g_pSkybox = nullptr;

CSkybox2::CSkybox2() = default;

CSkybox2::~CSkybox2()
{
    SetFaces(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

void CSkybox2::SetFaces(CTexture* front, CTexture* back, CTexture* left, CTexture* right, CTexture* top,
                        CTexture* bottom)
{
    CTexture* faces[FACE_COUNT] = {front, back, left, right, top, bottom};
    for (int i = 0; i < FACE_COUNT; ++i) {
        if (m_pFaces[i] && m_pFaces[i] != faces[i]) {
            m_pFaces[i]->Release();
            delete m_pFaces[i];
        }
        m_pFaces[i] = faces[i];
    }
}

void CSkybox2::GetFaceMatrix(int face, Matrix& out)
{
    // A quad facing -Z placed at +Z faces the centre; each face turns it there.
    float rx = 0.0f, ry = 0.0f;
    switch (face) {
    case FACE_BACK: ry = 1.0f; break;
    case FACE_LEFT: ry = -0.5f; break;
    case FACE_RIGHT: ry = 0.5f; break;
    case FACE_TOP: rx = -0.5f; break;
    case FACE_BOTTOM: rx = 0.5f; break;
    default: break;
    }
    Matrix t, r;
    MatrixTranslation(t, 0.0f, 0.0f, kDistance);
    BuildWorldMatrix(r, rx, ry, 0.0f, 0.0f, 0.0f, 0.0f);
    MatrixMultiply(out, t, r);
}

void CSkybox2::Draw()
{
    if (!g_pDevice || !g_pDevice->GetRenderer()) return;
    CGraphicsDevice& d = *g_pDevice;
    CRenderer& r = *d.GetRenderer();
    d.SetFog(0);
    d.SetCullMode(1);
    d.SetBlendMode(-1);
    d.SetDepthTest(0);
    // Set on the device directly, as the sky always did: the filter cache keeps
    // its value.
    r.SetSamplerState(ESamplerState::AddressU, TADDRESS_CLAMP);
    r.SetSamplerState(ESamplerState::AddressV, TADDRESS_CLAMP);
    r.SetSamplerState(ESamplerState::MagFilter, TEXF_LINEAR);
    r.SetSamplerState(ESamplerState::MinFilter, TEXF_LINEAR);
    const Matrix view = d.GetTransform(ETransform::View);
    Matrix sky = view;
    sky.m[3][0] = sky.m[3][1] = sky.m[3][2] = 0.0f;
    d.SetTransform(ETransform::View, sky);
    for (int i = 0; i < FACE_COUNT; ++i) {
        if (!m_pFaces[i]) continue;
        Matrix world;
        GetFaceMatrix(i, world);
        d.SetWorldTransform(world);
        m_pFaces[i]->DrawBillboard(kFaceSize, 1.0f);
    }
    d.SetTransform(ETransform::View, view);
    r.SetSamplerState(ESamplerState::AddressU, TADDRESS_WRAP);
    r.SetSamplerState(ESamplerState::AddressV, TADDRESS_WRAP);
    r.SetSamplerState(ESamplerState::MagFilter, TEXF_NONE);
    r.SetSamplerState(ESamplerState::MinFilter, TEXF_NONE);
}
