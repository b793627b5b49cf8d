#include "gfx/SimpleModel.h"

#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"

CSimpleModel::CSimpleModel(CModel* model, const Vec3& pos)
{
    m_pModel = model;
    SetPos(pos);
}

void CSimpleModel::Draw()
{
    if (m_nState == STATE_DEAD || !m_pModel || !g_pDevice) return;
    SetWorldTransform();
    g_pDevice->SetCullMode(0);
    g_pDevice->SetFog(0);
    g_pDevice->SetBlendMode(0);
    if (m_bMirror)
        DrawMirror();
    else
        m_pModel->Draw();
}

void CSimpleModel::BuildReflectionVertices(const CModel& model, const Matrix& m, std::vector<RVertex>& out)
{
    const std::vector<RVertex>& in = model.Vertices();
    out.assign(in.begin(), in.end());
    for (RVertex& v : out) {
        const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
        const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
        const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
        float px = 0.0f, py = 0.0f;
        if (w > 0.0f) {
            px = x / w;
            py = y / w;
        }
        // The play field is x 140 ... 500 of the 1024-pixel-wide texture and its
        // 480 rows of the 512; the 0.01 offsets are the original's.
        v.u = (px + 1.0f) * 0.5f * 0.3515625f + 0.14671876f;
        v.v = 480.0f * 0.001953125f * (0.5f - py * 0.5f) + 0.01f;
    }
}

void CSimpleModel::DrawMirror()
{
    CGraphicsDevice& d = *g_pDevice;
    if (!d.GetRenderer()) return;
    // The matrices as set for this draw (a billboard's world included).
    Matrix wv, wvp;
    MatrixMultiply(wv, d.GetTransform(ETransform::World), d.GetTransform(ETransform::View));
    MatrixMultiply(wvp, wv, d.GetTransform(ETransform::Projection));
    BuildReflectionVertices(*m_pModel, wvp, m_Scratch);
    d.SetTexture(d.GetReflectionTexture());
    // Through the cache, as for plain models: drawing after it (HUD bars, the
    // fader) must not find a stale solid in the cache over a wireframe device.
    d.SetWireframe(m_pModel->m_bWireframe ? 1 : 0);
    d.SetDepthTest(1);
    SMaterial white;
    white.diffuse = white.ambient = SColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    d.SetMaterial(white);
    // The texture coordinates are always supplied, even for a mesh without any.
    const uint32_t format = m_pModel->GetVertexFormat() | FVF_TEX1;
    const std::vector<uint16_t>& indices = m_pModel->Indices();
    for (const CModel::SSubset& s : m_pModel->Subsets()) {
        if (s.nTriangleCount <= 0) continue;
        d.DrawIndexedPrimitiveUP(EPrimitive::TriangleList, static_cast<int>(m_Scratch.size()), s.nTriangleCount,
                                 indices.data() + s.nFirstIndex, m_Scratch.data(), format);
    }
}
