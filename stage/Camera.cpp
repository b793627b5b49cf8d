#include "stage/Camera.h"

#include <cmath>

#include "gfx/GraphicsDevice.h"

CCameraObject g_Camera;
CCameraObject* const g_pCamera = &g_Camera;

namespace {

Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// False for a zero vector.
bool Normalise(Vec3& v)
{
    const float len = std::sqrt(Dot(v, v));
    if (!(len > 0.0f)) return false;
    v = Vec3{v.x / len, v.y / len, v.z / len};
    return true;
}

}  // namespace

bool LookAtMatrix(const Vec3& eye, const Vec3& at, const Vec3& up, Matrix& out)
{
    Vec3 z = at - eye;
    if (!Normalise(z)) return false;
    Vec3 x = Cross(up, z);
    if (!Normalise(x)) return false;
    const Vec3 y = Cross(z, x);
    Matrix m;
    m.m[0][0] = x.x; m.m[0][1] = y.x; m.m[0][2] = z.x;
    m.m[1][0] = x.y; m.m[1][1] = y.y; m.m[1][2] = z.y;
    m.m[2][0] = x.z; m.m[2][1] = y.z; m.m[2][2] = z.z;
    m.m[3][0] = -Dot(x, eye);
    m.m[3][1] = -Dot(y, eye);
    m.m[3][2] = -Dot(z, eye);
    m.m[3][3] = 1.0f;
    out = m;
    return true;
}

CCameraObject::CCameraObject()
{
    MatrixIdentity(m_mSavedView);
    Reset();
}

void CCameraObject::Reset()
{
    CObject::Reset();
    SetPos(Vec3{0.0f, 0.0f, -10.0f});
    SetVel(g_vZero);
    SetRot(g_vZero);
    SetRotVel(g_vZero);
    SetAux(g_vUp);
    SetAuxVel(g_vZero);
    m_pTarget = nullptr;
}

Vec3 CCameraObject::GetLookAt() const
{
    return m_pTarget ? m_pTarget->m_vPos : m_vRot;
}

bool CCameraObject::BuildView(Matrix& out) const
{
    return LookAtMatrix(m_vPos, GetLookAt(), m_vAux, out);
}

void CCameraObject::Step()
{
    // A view that cannot be built (eye on the look-at point) keeps the last one.
    Matrix view;
    if (g_pDevice && BuildView(view)) g_pDevice->SetTransform(ETransform::View, view);
    Update();
}

void CCameraObject::ApplySkyView()
{
    if (!g_pDevice) return;
    m_mSavedView = g_pDevice->GetTransform(ETransform::View);
    // The camera's own line of sight from the origin: the sky turns with the
    // camera and never moves. (Looking from the origin at the look-at point
    // itself would be undefined whenever that point is the origin, as after a
    // reset.)
    Matrix sky;
    if (LookAtMatrix(g_vZero, GetLookAt() - m_vPos, m_vAux, sky)) g_pDevice->SetTransform(ETransform::View, sky);
}

void CCameraObject::RestoreView()
{
    if (g_pDevice) g_pDevice->SetTransform(ETransform::View, m_mSavedView);
}
