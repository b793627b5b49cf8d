#include "stage/Camera.h"

#include <cmath>

#include "gfx/GraphicsDevice.h"

CCameraObject g_Camera;
CCameraObject* const g_pCamera = &g_Camera;

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
    return MatrixLookAtLH(out, m_vPos, GetLookAt(), m_vAux);
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
    if (MatrixLookAtLH(sky, g_vZero, GetLookAt() - m_vPos, m_vAux)) g_pDevice->SetTransform(ETransform::View, sky);
}

void CCameraObject::RestoreView()
{
    if (g_pDevice) g_pDevice->SetTransform(ETransform::View, m_mSavedView);
}
