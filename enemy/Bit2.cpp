#include "enemy/Bit2.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "enemy/Bit.h"
#include "enemy/EnemyShot.h"

namespace {
constexpr int kLoopFrames = 180;        // 60 x 3: one full circle
constexpr int kVolleyEnd = 252;         // 60 x 4.2
constexpr int kVolleyInterval = 9;      // 60 x 0.15
constexpr int kLeftTexture = 1;
constexpr int kRightTexture = 4;
constexpr int kVolleySE = 109;
}  // namespace

CBit2::CBit2() = default;

CBit2* CBit2::Launch(const Vec3& pos, const Vec3& dir, float speed, int turn)
{
    CBit2* b = new CBit2;
    b->SetPos(pos);
    b->m_nVolley = 0;
    Vec3 v = dir;
    SetLength(v, speed);
    b->SetVel(v);
    b->m_nTurn = turn;
    g_EffectList.Add(b);
    return b;
}

void CBit2::Update()
{
    CObject::Update();
    m_vRot.z = DirectionAngle(m_vVel.x, m_vVel.y);
    if (m_nAge < kLoopFrames) {
        if (m_nTurn == -1 || m_nTurn == 1)
            RotateZ(m_vVel, static_cast<float>(m_nTurn) * (2.0f / static_cast<float>(kLoopFrames)));
    } else if (m_nAge < kVolleyEnd) {
        if (m_nAge % kVolleyInterval == 0) {
            const float speed = static_cast<float>(m_nVolley) * 0.002f + 0.02f;
            Vec3 left = m_vVel;
            RotateZ(left, 0.5f);
            EmitShotDirected(m_vPos, left, speed, kLeftTexture);
            Vec3 right = m_vVel;
            RotateZ(right, -0.5f);
            EmitShotDirected(m_vPos, right, speed, kRightTexture);
            PlaySEAt(kVolleySE, m_vPos);
            m_nVolley += 1;
        }
        ScaleBy(m_vVel, 1.02f);
    }
    if (OutsideBulletField(m_vPos)) Kill();
}

void CBit2::Draw() { DrawBitModel(*this); }

void CBit2::RemoveAll()
{
    // Out of the list at once; while the effects pass runs (a laser of that
    // list strikes the boss) they are deleted when it ends.
    DeleteWhere(g_EffectList, [](CObject* p) { return dynamic_cast<CBit2*>(p) != nullptr; });
}
