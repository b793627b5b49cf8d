#include "core/Object.h"

#include "core/Random.h"

#include <cmath>
#include <limits>

CDeviceLink* g_pDeviceLink = nullptr;

namespace {

uint32_t g_nLastSerial = 0;

// Starts a track at `from` toward `to`. A frame count of 0 gives an infinite
// step, so the track ends on the next update; a negative count would run the
// curve backwards forever, so it is treated the same way.
void StartTrack(MotionTrack& track, const Vec3& from, const Vec3& to, const Vec3& startTangent,
                const Vec3& endTangent, int frames) {
    track.start = from;
    track.end = to;
    track.startTangent = startTangent;
    track.endTangent = endTangent;
    track.t = 0.0f;
    track.step = frames > 0 ? 1.0f / static_cast<float>(frames)
                            : std::numeric_limits<float>::infinity();
    track.frames = frames > 0 ? frames : 1;
    track.done = 0;
    track.active = true;
}

// Advances a track by one update and writes the driven vector. Returns true
// when the track ended in this update.
bool AdvanceTrack(MotionTrack& track, Vec3& value, bool useTangents) {
    if (!track.active) return false;
    track.t += track.step;
    // A track of n frames ends on its n-th update, counted as an integer: the
    // sum of n single-precision steps 1/n drifts from 1 (short of it for 60,
    // by more than a step for long glides), so the sum cannot tell the end.
    bool ended = false;
    if (++track.done >= track.frames) {
        track.t = 1.0f;
        track.active = false;
        ended = true;
    }
    const float t = track.t;
    const float t2 = t * t;
    const float t3 = t2 * t;
    const float h00 = 2.0f * t3 - 3.0f * t2 + 1.0f;
    const float h01 = -2.0f * t3 + 3.0f * t2;
    if (useTangents) {
        const float h10 = t3 - 2.0f * t2 + t;
        const float h11 = t3 - t2;
        value.x = h00 * track.start.x + h10 * track.startTangent.x + h01 * track.end.x +
                  h11 * track.endTangent.x;
        value.y = h00 * track.start.y + h10 * track.startTangent.y + h01 * track.end.y +
                  h11 * track.endTangent.y;
        value.z = h00 * track.start.z + h10 * track.startTangent.z + h01 * track.end.z +
                  h11 * track.endTangent.z;
    } else {
        value.x = h00 * track.start.x + h01 * track.end.x;
        value.y = h00 * track.start.y + h01 * track.end.y;
        value.z = h00 * track.start.z + h01 * track.end.z;
    }
    return ended;
}

}  // namespace

CObject::CObject() { InitCommon(); }

CObject::CObject(CDeviceLink* device, CTexture* texture, float param) {
    g_pDeviceLink = device;
    m_pTexture = texture;
    m_pModel = nullptr;
    m_fParam = param;
    InitCommon();
}

CObject::CObject(CDeviceLink* device, CModel* model, float param) {
    g_pDeviceLink = device;
    m_pModel = model;
    m_pTexture = nullptr;
    m_fParam = param;
    InitCommon();
}

CObject::CObject(CDeviceLink* device) {
    g_pDeviceLink = device;
    m_pTexture = nullptr;
    m_pModel = nullptr;
    m_fParam = 0.0f;
    InitCommon();
}

CObject::~CObject() = default;

// Virtual calls from a constructor reach CObject's own Activate, as intended:
// a new object starts alive with unlimited life whatever the subclass.
void CObject::InitCommon() {
    m_PosTrack.active = false;
    m_RotTrack.active = false;
    m_AuxTrack.active = false;
    m_VelTrack.active = false;
    m_RotVelTrack.active = false;
    m_AuxVelTrack.active = false;
    m_bBillboard = false;
    m_bLocked = false;
    m_bPersistent = false;
    CObject::Activate();
    m_nAge = -1;
    m_fRadius = 0.0f;
    m_nAppearCount = m_nAppearTotal = 0;
    m_nLifeCount = m_nLifeTotal = 0;
    m_nVanishCount = m_nVanishTotal = 0;
    m_vRot = m_vPos = m_vAux = m_vRotVel = m_vVel = m_vAuxVel = m_vDrift = m_vPrevPos = Vec3{};
    m_bTerrain = m_bOnGround = m_bGravity = false;
    m_fBounce = 0.75f;
    if (++g_nLastSerial == 0) ++g_nLastSerial;
    m_nSerial = g_nLastSerial;
}

// --- virtual operations ------------------------------------------------------

void CObject::OnTerrainHit() {}

void CObject::Reset() {
    m_vPos = Vec3{};
    m_PosTrack.active = false;
    m_vRot = Vec3{};
    m_RotTrack.active = false;
}

void CObject::OnMoveEnd() {}

void CObject::Activate() {
    m_nState = STATE_ALIVE;
    m_nLifeCount = 0;
    m_nLifeTotal = 0;
}

bool CObject::HitTest(CObject* other) {
    if (other == nullptr) return false;
    return m_nState == STATE_ALIVE && other->m_nState == STATE_ALIVE && IsNear(other);
}

void CObject::Kill() { m_nState = STATE_DEAD; }

void CObject::Translate(float dx, float dy, float dz) {
    m_vPos.x += dx;
    m_vPos.y += dy;
    m_vPos.z += dz;
}

void CObject::Translate(const Vec3& d) { Translate(d.x, d.y, d.z); }

void CObject::Notify() { OnNotify(); }

void CObject::OnNotify() {}

void CObject::Step() {
    {
        // Drawing never draws from the game's generator.
        CRandomLock lock(g_GameRand);
        Draw();
    }
    // Slow motion: drawing goes on every frame, updates only on the frames
    // where the device's phase bit is set.
    if (g_pDeviceLink != nullptr && g_pDeviceLink->IsSlowMotion() &&
        !g_pDeviceLink->SlowMotionToggle()) {
        return;
    }
    Update();
}

void CObject::Draw() {}

void CObject::Update() {
    m_nAge += 1;
    m_vPrevPos = m_vPos;

    // The terrain feature would act here and after the tracks when m_bTerrain
    // is set; nothing in the game enables it.

    if (m_nState == STATE_APPEAR && m_nAppearCount > 0) {
        if (--m_nAppearCount == 0) {
            if (m_nLifeTotal == 0) {
                Activate();
            } else {
                m_nLifeCount = m_nLifeTotal;
                m_nState = STATE_ALIVE;
            }
        }
    }
    if (m_nState == STATE_ALIVE && m_nLifeCount > 0) {
        if (--m_nLifeCount == 0) Vanish(m_nVanishTotal);
    }
    if (m_nState == STATE_VANISH && m_nVanishCount > 0) {
        if (--m_nVanishCount == 0) Kill();
    }

    AddTo(m_vRot, m_vRotVel);
    if (!m_bLocked) {
        AddTo(m_vPos, m_vVel);
        AddTo(m_vPos, m_vDrift);
    }
    AddTo(m_vAux, m_vAuxVel);

    AdvanceTrack(m_RotVelTrack, m_vRotVel, false);
    AdvanceTrack(m_VelTrack, m_vVel, false);
    AdvanceTrack(m_AuxVelTrack, m_vAuxVel, false);
    if (AdvanceTrack(m_PosTrack, m_vPos, true)) OnMoveEnd();
    AdvanceTrack(m_RotTrack, m_vRot, false);
    AdvanceTrack(m_AuxTrack, m_vAux, true);
}

// --- lifecycle ---------------------------------------------------------------

void CObject::SetAppear(int n) {
    if (n == 0) return;
    m_nAppearCount = m_nAppearTotal = n;
    m_nState = STATE_APPEAR;
}

void CObject::SetLife(int n) {
    if (n == 0) return;
    m_nLifeCount = m_nLifeTotal = n;
    m_nState = STATE_ALIVE;
}

void CObject::Vanish(int n) {
    if (n == 0) {
        Kill();
        return;
    }
    m_nVanishCount = m_nVanishTotal = n;
    m_nState = STATE_VANISH;
}

float CObject::GetAppearRate() const {
    if (m_nAppearTotal == 0) return 1.0f;
    return static_cast<float>(m_nAppearCount) / static_cast<float>(m_nAppearTotal);
}

float CObject::GetVanishRate() const {
    if (m_nState != STATE_VANISH || m_nVanishTotal == 0) return 1.0f;
    return static_cast<float>(m_nVanishCount) / static_cast<float>(m_nVanishTotal);
}

bool CObject::IsNear(const CObject* other, float dx, float dy, float dz) const {
    if (other == nullptr) return false;
    Vec3 d = m_vPos;
    AddTo(d, dx, dy, dz);
    d = d - other->m_vPos;
    const float reach = m_fRadius > other->m_fRadius ? m_fRadius : other->m_fRadius;
    return Length(d) <= reach;
}

// --- vectors and tracks ----------------------------------------------------------

void CObject::SetPos(const Vec3& v) {
    m_vPos = v;
    m_PosTrack.active = false;
}

void CObject::SetRot(const Vec3& v) {
    m_vRot = v;
    m_RotTrack.active = false;
}

void CObject::SetAux(const Vec3& v) {
    m_vAux = v;
    m_AuxTrack.active = false;
}

void CObject::SetVel(const Vec3& v) {
    m_vVel = v;
    m_VelTrack.active = false;
}

void CObject::SetRotVel(const Vec3& v) {
    m_vRotVel = v;
    m_RotVelTrack.active = false;
}

void CObject::SetAuxVel(const Vec3& v) {
    m_vAuxVel = v;
    m_AuxVelTrack.active = false;
}

void CObject::MoveTo(const Vec3& target, int frames) {
    StartTrack(m_PosTrack, m_vPos, target, g_vZero, g_vZero, frames);
}

void CObject::MoveTo(const Vec3& target, const Vec3& startTangent, const Vec3& endTangent,
                     int frames) {
    StartTrack(m_PosTrack, m_vPos, target, startTangent, endTangent, frames);
}

void CObject::RotateTo(const Vec3& target, int frames) {
    StartTrack(m_RotTrack, m_vRot, target, g_vZero, g_vZero, frames);
}

void CObject::AuxTo(const Vec3& target, int frames) {
    StartTrack(m_AuxTrack, m_vAux, target, g_vZero, g_vZero, frames);
}

void CObject::AccelTo(const Vec3& target, int frames) {
    StartTrack(m_VelTrack, m_vVel, target, g_vZero, g_vZero, frames);
}

void CObject::SetVelAccelTo(const Vec3& vStart, const Vec3& target, int frames) {
    m_vVel = vStart;
    StartTrack(m_VelTrack, vStart, target, g_vZero, g_vZero, frames);
}

void CObject::AuxVelTo(const Vec3& target, int frames) {
    StartTrack(m_AuxVelTrack, m_vVel, target, g_vZero, g_vZero, frames);
}

// --- transforms --------------------------------------------------------------

void CObject::GetWorldMatrix(Matrix& out) const {
    BuildWorldMatrix(out, m_vRot.x, m_vRot.y, m_vRot.z, m_vPos.x, m_vPos.y, m_vPos.z);
}

void CObject::SetWorldTransform(float rx, float ry, float rz, float dx, float dy, float dz) {
    if (g_pDeviceLink == nullptr) return;
    Matrix world;
    if (m_bBillboard) {
        Matrix view;
        g_pDeviceLink->GetViewTransform(view);
        InverseRotation(world, view);
        world.m[3][0] = m_vPos.x + dx;
        world.m[3][1] = m_vPos.y + dy;
        world.m[3][2] = m_vPos.z + dz;
    } else {
        BuildWorldMatrix(world, m_vRot.x + rx, m_vRot.y + ry, m_vRot.z + rz, m_vPos.x + dx,
                         m_vPos.y + dy, m_vPos.z + dz);
    }
    g_pDeviceLink->SetWorldTransform(world);
}

Vec3 CObject::FaceToward(const CObject* other) const {
    if (other == nullptr) return Vec3{};
    return {0.0f, 0.0f, DirectionAngle(other->m_vPos.x - m_vPos.x, other->m_vPos.y - m_vPos.y)};
}
