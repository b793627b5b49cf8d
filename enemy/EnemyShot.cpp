#include "enemy/EnemyShot.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "player/MyKorvo.h"

namespace {

constexpr float kSmallRadius = 0.05f;
constexpr float kMediumRadius = 0.12f;
constexpr float kLargeRadius = 0.24f;
constexpr int kStopFrames = 30;      // 60 x 0.5: relaunching bullets stop
constexpr int kTurnFrames = 30;      // 60 x 0.5: the turn itself
constexpr int kBurstAge = 60;
constexpr float kBurstChildSpeed = 0.025f;
constexpr float kGravity = -0.0005f;
constexpr int kSlowMotionTexture = 5;
constexpr int kBurstSE = 170;

// A new bullet with the common defaults, already in the enemy-bullet list.
CEnemyShot* NewShot(const Vec3& pos, const Vec3& velocity, int texture)
{
    CEnemyShot* s = new CEnemyShot(pos, texture);
    s->SetVel(velocity);
    g_EnemyShotList.Add(s);
    return s;
}

CEnemyShot* NewMedium(const Vec3& pos, const Vec3& velocity, int texture)
{
    CEnemyShot* s = NewShot(pos, velocity, texture);
    s->m_nSize = CEnemyShot::SIZE_MEDIUM;
    s->m_fRadius = kMediumRadius;
    return s;
}

Vec3 Rotated(Vec3 v, float angle)
{
    RotateZ(v, angle);
    return v;
}

// From pos toward the target, length speed; straight down without a target.
Vec3 AimAt(const Vec3& pos, const CObject* target, float speed)
{
    Vec3 aim = target ? target->m_vPos - pos : g_vDown;
    SetLength(aim, speed);
    return aim;
}

}  // namespace

CTexture* BulletTexture(int texture)
{
    if (texture < 0 || texture >= kBulletTextures) return nullptr;
    return g_pBulletTextures[texture];
}

CEnemyShot::CEnemyShot(const Vec3& pos, int texture)
{
    m_nTexture = texture;
    m_pTexture = BulletTexture(texture);
    m_fRadius = kSmallRadius;
    // Not a billboard: round and long bullets alike lie in the play plane, which
    // faces the camera in ordinary play and tilts with the field when the
    // camera moves off its axis.
    SetPos(pos);
}

void CEnemyShot::Update()
{
    CObject::Update();
    switch (m_nBehaviour) {
    case BEHAVIOUR_RELAUNCH:
        if (m_nRelaunched == 0 && !m_VelTrack.active) Relaunch();
        break;
    case BEHAVIOUR_TURN:
        // Before its turn a bullet is never removed, wherever it flies.
        if (m_nAge < m_nTurnFrame) return;
        if (m_nAge == m_nTurnFrame) Turn();
        break;
    case BEHAVIOUR_GRAVITY:
        AddTo(m_vVel, 0.0f, kGravity, 0.0f);
        // The top edge does not count: a bullet thrown up falls back.
        if (m_vPos.y < -kFieldEdge || m_vPos.x < -kFieldEdge || m_vPos.x > kFieldEdge) Kill();
        return;
    case BEHAVIOUR_BURST:
        if (m_nAge == kBurstAge) Burst();
        break;
    default:
        break;
    }
    RemoveOutside();
}

bool OutsideBulletField(const Vec3& p)
{
    constexpr float e = CEnemyShot::kFieldEdge;
    return p.x < -e || p.x > e || p.y < -e || p.y > e;
}

void CEnemyShot::RemoveOutside()
{
    if (OutsideBulletField(m_vPos)) Kill();
}

void CEnemyShot::Relaunch()
{
    Vec3 dir = m_pTarget ? m_pTarget->m_vPos - m_vPos : m_vRelaunchDir;
    SetLength(dir, m_fSpeed);
    SetVel(dir);
    m_nRelaunched = 1;
    m_nShape = m_nRelaunchShape;
}

void CEnemyShot::Turn()
{
    Vec3 v = Rotated(m_vVel, m_fTurnAngle);
    SetLength(v, m_fTurnSpeed);
    AccelTo(v, kTurnFrames);
}

void CEnemyShot::Burst()
{
    if (m_nBurstType == 0) {
        Vec3 wide = m_vVel;
        ScaleBy(wide, 0.75f);
        Vec3 half = m_vVel;
        ScaleBy(half, 0.5f);
        const struct {
            const Vec3* pBase;
            float fAngle;
        } kChildren[] = {
            {&wide, 0.9f}, {&wide, 1.1f},
            {&half, 0.6f}, {&half, 0.75f}, {&half, 0.9f},
            {&half, 1.1f}, {&half, 1.25f}, {&half, 1.4f},
        };
        for (const auto& c : kChildren)
            EmitBurst(m_vPos, Rotated(*c.pBase, c.fAngle), 1, 5, m_nChildTexture);
        PlaySE(kBurstSE);
    } else if (m_nBurstType == 1) {
        Vec3 v = m_vVel;
        SetLength(v, m_fSpeed);
        for (float angle : {0.7f, 0.85f, 1.0f, 1.15f, 1.3f})
            EmitShotVelocity(m_vPos, Rotated(v, angle), SHAPE_LONG, m_nChildTexture);
        PlaySE(kBurstSE);
    }
    Kill();
}

CTexture* CEnemyShot::TextureToDraw() const
{
    if (g_pDeviceLink && g_pDeviceLink->IsSlowMotion()) return BulletTexture(kSlowMotionTexture);
    return m_pTexture;
}

void CEnemyShot::Draw()
{
    if (!g_pDevice) return;
    CTexture* tex = TextureToDraw();
    if (!tex) return;
    g_pDevice->SetDepthTest(0);
    g_pDevice->SetFog(0);
    if (m_nShape == SHAPE_ROUND) {
        static constexpr float kSizes[] = {0.25f, 0.4f, 0.8f};
        if (m_nSize < SIZE_SMALL || m_nSize > SIZE_LARGE) return;
        if (m_vRot.x == 0.0f && m_vRot.y == 0.0f) PutInPlayPlane();
        else SetWorldTransform();
        tex->DrawBillboard(kSizes[m_nSize], 1.0f);
    } else if (m_nShape == SHAPE_LONG) {
        // Turned along its flight, whatever the camera does.
        SetRot(Vec3{0.0f, 0.0f, DirectionAngle(m_vVel.x, m_vVel.y)});
        PutInPlayPlane();
        tex->DrawQuad(0.175f, 0.35f, 1.0f);
    }
}

void CEnemyShot::PutInPlayPlane() const
{
    // RotZ then the translation: the world matrix of a turn about Z alone,
    // built without the two identity turns about X and Y (a bullet's frame
    // draws thousands).
    Matrix world;
    MatrixRotationZ(world, m_vRot.z);
    world.m[3][0] = m_vPos.x;
    world.m[3][1] = m_vPos.y;
    world.m[3][2] = m_vPos.z;
    g_pDevice->SetWorldTransform(world);
}

// --- emit operations -----------------------------------------------------------

CEnemyShot* EmitShot(const Vec3& pos, Vec3& dir, float speed, int shape, int /*ignored*/, int texture)
{
    SetLength(dir, speed);
    CEnemyShot* s = NewShot(pos, dir, texture);
    s->m_nShape = shape;
    return s;
}

CEnemyShot* EmitShotVelocity(const Vec3& pos, const Vec3& velocity, int shape, int texture)
{
    CEnemyShot* s = NewShot(pos, velocity, texture);
    s->m_nShape = shape;
    return s;
}

CEnemyShot* EmitShotDirected(const Vec3& pos, Vec3& dir, float speed, int texture)
{
    SetLength(dir, speed);
    return NewShot(pos, dir, texture);
}

CEnemyShot* EmitAimed(const Vec3& pos, const CObject* target, float speed, int texture)
{
    return NewShot(pos, AimAt(pos, target, speed), texture);
}

CEnemyShot* EmitAimedShaped(const Vec3& pos, const CObject* target, float speed, int shape, int texture)
{
    CEnemyShot* s = EmitAimed(pos, target, speed, texture);
    s->m_nShape = shape;
    return s;
}

void EmitAimed3(const Vec3& pos, const CObject* target, float speed, int texture)
{
    const Vec3 aim = AimAt(pos, target, speed);
    for (float angle : {-0.2f, 0.0f, 0.2f}) NewMedium(pos, Rotated(aim, angle), texture);
}

void EmitAimed4(const Vec3& pos, const CObject* target, float speed)
{
    const Vec3 aim = AimAt(pos, target, speed);
    for (float angle : {-0.3f, -0.1f, 0.1f, 0.3f}) NewMedium(pos, Rotated(aim, angle), 3);
}

void EmitSpread(const Vec3& pos, const Vec3& velocity, int count, int texture)
{
    switch (count) {
    case 2:
        for (float angle : {-0.015f, 0.015f}) NewMedium(pos, Rotated(velocity, angle), texture);
        break;
    case 3:
        for (float angle : {-0.03f, 0.0f, 0.03f}) NewMedium(pos, Rotated(velocity, angle), texture);
        break;
    case 5:
        for (float angle : {-0.06f, -0.03f, 0.0f, 0.03f, 0.06f})
            EmitShotVelocity(pos, Rotated(velocity, angle), CEnemyShot::SHAPE_LONG, texture);
        break;
    default:
        break;
    }
}

void EmitRing16(const Vec3& pos, Vec3& dir, float speed, int texture)
{
    // The turns add up (0, 0.125, 0.375, 0.75 ...): every eighth of a turn is
    // hit once, and dir ends reversed.
    for (int i = 0; i < 16; ++i) {
        SetLength(dir, speed);
        RotateZ(dir, 0.125f * static_cast<float>(i));
        NewShot(pos, dir, texture);
    }
}

void EmitScatter(const Vec3& pos, Vec3& dir, float speed, int texture)
{
    SetLength(dir, speed);
    CEnemyShot* large = NewShot(pos, dir, texture);
    large->m_nSize = CEnemyShot::SIZE_LARGE;
    large->m_fRadius = kLargeRadius;
    for (int i = 0; i < 21; ++i) {
        const bool medium = i < 7;
        const float r = g_GameRand.Real();
        const float r2 = g_GameRand.Real();
        Vec3 v = Rotated(dir, 0.3f * r - 0.1f);
        SetLength(v, ((medium ? 0.75f : 0.5f) + 0.25f * r2) * speed);
        if (medium)
            NewMedium(pos, v, texture);
        else
            NewShot(pos, v, texture);
    }
}

void EmitSweep(const Vec3& pos, const CObject* /*ignored*/, float speed, int side, int count, int texture)
{
    float angleStep = 0.0f, speedStep = 0.0f;
    if (count == 7) {
        angleStep = 0.05f;
        speedStep = 0.1f;
    } else if (count == 15) {
        angleStep = 0.025f;
        speedStep = 0.05f;
    } else {
        return;
    }
    const Vec3 aim = AimAt(pos, g_pPlayer, speed);
    for (int i = 0; i < count; ++i) {
        const float fi = static_cast<float>(i);
        const float angle = side < 1 ? 0.15f - angleStep * fi : angleStep * fi - 0.15f;
        Vec3 v = Rotated(aim, angle);
        SetLength(v, (1.0f - speedStep * fi) * speed);
        EmitShotVelocity(pos, v, CEnemyShot::SHAPE_LONG, texture);
    }
}

CEnemyShot* EmitRelaunch(const Vec3& pos, Vec3& dir, float speed, float angle, int texture)
{
    SetLength(dir, 0.1f);
    CEnemyShot* s = NewShot(pos, dir, texture);
    s->SetVelAccelTo(dir, g_vZero, kStopFrames);
    s->m_vRelaunchDir = Rotated(dir, angle);
    s->m_fSpeed = speed;
    s->m_nBehaviour = CEnemyShot::BEHAVIOUR_RELAUNCH;
    return s;
}

CEnemyShot* EmitDropper(const Vec3& pos, const Vec3& velocity, const CObject* /*ignored*/, float speed)
{
    CEnemyShot* s = NewShot(pos, velocity, 1);
    s->SetVelAccelTo(velocity, g_vZero, kStopFrames);
    s->m_vRelaunchDir = Vec3{0.0f, -0.1f, 0.0f};
    s->m_fSpeed = speed;
    s->m_nBehaviour = CEnemyShot::BEHAVIOUR_RELAUNCH;
    s->m_nRelaunchShape = CEnemyShot::SHAPE_ROUND;
    return s;
}

CEnemyShot* EmitHoming(const Vec3& pos, const Vec3& velocity, CObject* target, float speed)
{
    CEnemyShot* s = NewShot(pos, velocity, 4);
    s->SetVelAccelTo(velocity, g_vZero, kStopFrames);
    s->m_pTarget = target;
    s->m_fSpeed = speed;
    s->m_nBehaviour = CEnemyShot::BEHAVIOUR_RELAUNCH;
    return s;
}

CEnemyShot* EmitTurning(const Vec3& pos, Vec3& dir, float speed, float turnFrame, float turnAngle,
                        float turnSpeed)
{
    SetLength(dir, speed);
    CEnemyShot* s = NewShot(pos, dir, 3);
    s->m_nShape = CEnemyShot::SHAPE_LONG;
    s->m_nBehaviour = CEnemyShot::BEHAVIOUR_TURN;
    s->m_nTurnFrame = static_cast<int32_t>(turnFrame);
    s->m_fTurnAngle = turnAngle;
    s->m_fTurnSpeed = turnSpeed;
    return s;
}

CEnemyShot* EmitGravity(const Vec3& pos, Vec3& dir, float speed)
{
    SetLength(dir, speed);
    CEnemyShot* s = NewMedium(pos, dir, 3);
    s->m_nBehaviour = CEnemyShot::BEHAVIOUR_GRAVITY;
    return s;
}

CEnemyShot* EmitBurst(const Vec3& pos, const Vec3& velocity, int burstType, int texture, int childTexture)
{
    CEnemyShot* s = NewShot(pos, velocity, texture);
    s->m_nBehaviour = CEnemyShot::BEHAVIOUR_BURST;
    s->m_nBurstType = burstType;
    s->m_nChildTexture = childTexture;
    s->m_fSpeed = kBurstChildSpeed;
    return s;
}

void ScatterAllBullets()
{
    for (int i = 0; i < g_EnemyShotList.Count(); ++i) {
        // Beams share the list but are no bullets: they keep their course.
        CEnemyShot* s = dynamic_cast<CEnemyShot*>(g_EnemyShotList.At(i));
        if (!s) continue;
        s->m_nBehaviour = CEnemyShot::BEHAVIOUR_STRAIGHT;
        s->m_nShape = CEnemyShot::SHAPE_LONG;
        s->SetVel(g_vZero);
        const float r1 = g_GameRand.Real();
        const float r2 = g_GameRand.Real();
        s->AccelTo(Vec3{0.1f * r2 - 0.05f, 0.1f * r1 - 0.05f, 0.0f}, 240);
    }
    if (g_pDevice) g_pDevice->SetQuake(32);
}
