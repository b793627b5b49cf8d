// CObject, the base of every thing in the game world and on the screen.
//
// Each object has a position, a rotation, a third vector (aux) and their
// per-frame rates; six motion tracks that glide a vector to a target over a
// number of frames; a four-state lifecycle with appear, life and vanish
// countdowns; a circular hit test. Times are frames (60 a second), angles
// half-turns. Objects in a list (core/ObjectLists.h) are owned by that list and
// deleted on the pass after they die.
//
// The virtual operations are declared in their fixed slot order; subclasses
// override them, and overrides of Kill end by calling the base.
#pragma once

#include <cstdint>

#include "core/DeviceLink.h"
#include "core/Math.h"

class CTexture;   // gfx/: a loaded picture (derives from CResource)
class CModel;     // gfx/: a loaded mesh

// One interpolation track: glides a vector from start to end as t goes 0 -> 1
// along a cubic Hermite curve.
struct MotionTrack {
    Vec3 start;
    Vec3 end;
    Vec3 startTangent;
    Vec3 endTangent;
    float step = 0.0f;   // 1 / frames
    float t = 0.0f;      // progress 0 ... 1
    int32_t frames = 0;  // updates the track lasts (at least 1)
    int32_t done = 0;    // updates made
    bool active = false;
};

class CObject {
public:
    enum {
        STATE_APPEAR = -1,
        STATE_ALIVE = 0,
        STATE_VANISH = 1,
        STATE_DEAD = 2,
    };

    CObject();
    // The device-taking constructors record the device in g_pDeviceLink.
    CObject(CDeviceLink* device, CTexture* texture, float param);
    CObject(CDeviceLink* device, CModel* model, float param);
    explicit CObject(CDeviceLink* device);

    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    // --- virtual operations, in slot order ---------------------------------
    virtual void OnTerrainHit();                              // 0
    virtual void Reset();                                     // 1
    virtual void OnMoveEnd();                                 // 2
    virtual void Activate();                                  // 3
    virtual bool HitTest(CObject* other);                     // 4
    virtual void Kill();                                      // 5
    virtual void Translate(float dx, float dy, float dz);     // 6
    virtual void Translate(const Vec3& d);                    // 7
    virtual void Notify();                                    // 8
    virtual void OnNotify();                                  // 9
    virtual void Step();                                      // 10
    virtual void Draw();                                      // 11
    virtual void Update();                                    // 12
    virtual ~CObject();                                       // 13

    // --- lifecycle ----------------------------------------------------------
    // n = 0 changes nothing; otherwise the countdown starts and the state is set.
    void SetAppear(int n);
    void SetLife(int n);
    // n = 0 kills at once.
    void Vanish(int n);
    // 1 at the start of appearing, falling to 0 (1 when no appear time is set).
    float GetAppearRate() const;
    // In STATE_VANISH: 1 falling to 0; otherwise 1.
    float GetVanishRate() const;

    // True when |pos + (dx, dy, dz) - other.pos| <= the larger of the two radii
    // (the larger, not the sum). States are not looked at.
    bool IsNear(const CObject* other, float dx = 0.0f, float dy = 0.0f, float dz = 0.0f) const;

    // --- vectors: setting one stops its track --------------------------------
    void SetPos(const Vec3& v);
    void SetRot(const Vec3& v);
    void SetAux(const Vec3& v);
    void SetVel(const Vec3& v);
    void SetRotVel(const Vec3& v);
    void SetAuxVel(const Vec3& v);

    // --- tracks: from the current value to target over frames updates --------
    // A frame count of 0 (or less) reaches the target on the next update.
    void MoveTo(const Vec3& target, int frames);
    void MoveTo(const Vec3& target, const Vec3& startTangent, const Vec3& endTangent, int frames);
    void RotateTo(const Vec3& target, int frames);
    void AuxTo(const Vec3& target, int frames);
    void AccelTo(const Vec3& target, int frames);
    // m_vVel := vStart, then the velocity track from vStart to target.
    void SetVelAccelTo(const Vec3& vStart, const Vec3& target, int frames);
    // The aux-velocity track; it starts from the current m_vVel (the linear
    // velocity), not from m_vAuxVel.
    void AuxVelTo(const Vec3& target, int frames);

    // RotX(rot.x) * RotY(rot.y) * RotZ(rot.z) * Translate(pos).
    void GetWorldMatrix(Matrix& out) const;
    // Sets the device's world transform for drawing at rotation m_vRot + r and
    // position m_vPos + d; a billboard faces the camera instead (its own and
    // the extra rotation are ignored). Nothing happens without a device.
    void SetWorldTransform(float rx = 0.0f, float ry = 0.0f, float rz = 0.0f,
                           float dx = 0.0f, float dy = 0.0f, float dz = 0.0f);
    // (0, 0, a): the Z rotation that turns +Y toward the other object.
    Vec3 FaceToward(const CObject* other) const;

    // --- fields, in their fixed order -----------------------------------------
    // Terrain feature: present, defaulted, never enabled by this game.
    bool m_bOnGround = false;
    bool m_bGravity = false;
    bool m_bTerrain = false;
    Vec3 m_vPrevPos;              // position at the start of the current update
    CTexture* m_pTexture = nullptr;
    CModel* m_pModel = nullptr;
    bool m_bLocked = false;       // velocity not added to the position
    bool m_bPersistent = false;   // survives the clearing of the enemy bullets
    int32_t m_nState = STATE_ALIVE;
    int32_t m_nAge = -1;          // update count; the first Update makes it 0
    float m_fBounce = 0.75f;

    MotionTrack m_PosTrack;       // stored tangents
    MotionTrack m_RotTrack;       // zero tangents
    MotionTrack m_AuxTrack;       // stored tangents (its starter stores zero)
    MotionTrack m_VelTrack;       // zero tangents
    MotionTrack m_RotVelTrack;    // zero tangents; no operation starts it
    MotionTrack m_AuxVelTrack;    // zero tangents

    Vec3 m_vPos;
    Vec3 m_vRot;                  // about X, Y, Z in half-turns
    Vec3 m_vAux;                  // meaning chosen by the subclass
    Vec3 m_vVel;
    Vec3 m_vRotVel;
    Vec3 m_vAuxVel;
    Vec3 m_vDrift;                // added after the velocity; zero in this game
    float m_fParam = 0.0f;        // third constructor argument, for subclasses
    float m_fRadius = 0.0f;       // hit radius
    bool m_bBillboard = false;
    int32_t m_nAppearCount = 0, m_nAppearTotal = 0;
    int32_t m_nLifeCount = 0, m_nLifeTotal = 0;       // total 0: unlimited
    int32_t m_nVanishCount = 0, m_nVanishTotal = 0;

    // A number no other object of this run carries (never 0), so that a kept
    // reference can tell its object from a later one at the same address.
    uint32_t m_nSerial = 0;

private:
    void InitCommon();
};

// A music object that the world can pause and resume as a group (PauseMusic,
// ResumeMusic in core/ObjectLists.h). CSound (sound/) derives from it; Reset()
// (slot 1) stops it.
class CPausableObject : public CObject {
public:
    using CObject::CObject;
    // Stop playing, keeping the position.
    virtual void Pause() = 0;
    // Play on from the kept position.
    virtual void Resume() = 0;
};
