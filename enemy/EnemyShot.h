// CEnemyShot: every bullet enemies and bosses fire, and the emit operations
// that create them. A bullet lives in g_EnemyShotList; the craft tests it for
// hits. Besides flying straight it may stop and relaunch, turn once, fall under
// gravity or burst into children.
//
// Several emit operations normalise (and EmitRing16 also rotates) the caller's
// direction vector in place; the patterns that reuse a vector rely on that.
// Textures are numbered 0 ... 5: the bullet pictures of the asset set.
#pragma once

#include <cstdint>

#include "core/Object.h"

class CEnemyShot : public CObject {
public:
    enum { SIZE_SMALL = 0, SIZE_MEDIUM = 1, SIZE_LARGE = 2 };
    enum { SHAPE_ROUND = 0, SHAPE_LONG = 1 };
    enum {
        BEHAVIOUR_STRAIGHT = 0,
        BEHAVIOUR_RELAUNCH = 1,
        BEHAVIOUR_TURN = 2,
        BEHAVIOUR_GRAVITY = 3,
        BEHAVIOUR_BURST = 4,
    };
    // Beyond +-5.1 a bullet is off the field (5.1 itself is still on it).
    static constexpr float kFieldEdge = 5.1f;

    CEnemyShot(const Vec3& pos, int texture);

    void Update() override;
    void Draw() override;

    // The texture drawn this frame: picture 5 while slow motion runs.
    CTexture* TextureToDraw() const;

    int32_t m_nSize = SIZE_SMALL;
    int32_t m_nShape = SHAPE_ROUND;
    int32_t m_nBehaviour = BEHAVIOUR_STRAIGHT;
    int32_t m_nRelaunchShape = SHAPE_LONG;
    int32_t m_nRelaunched = 0;
    CObject* m_pTarget = nullptr;   // relaunch toward it (the craft); not owned
    float m_fSpeed = 0.0f;          // relaunch speed, or the children's speed
    Vec3 m_vRelaunchDir;
    int32_t m_nChildTexture = 0;
    int32_t m_nTurnFrame = -1;
    float m_fTurnAngle = 0.0f;
    float m_fTurnSpeed = 0.0f;
    int32_t m_nBurstType = 0;
    int32_t m_nTexture = 0;         // which of the six pictures m_pTexture is

private:
    void Relaunch();
    void Turn();
    void Burst();
    // The world transform of the bullet's place and its turn about Z, which
    // SetWorldTransform() gives too when it has no other turn.
    void PutInPlayPlane() const;
    // Kill() when off the field.
    void RemoveOutside();
};

// Strictly outside the square -5.1 ... 5.1, where bullets and drones end.
bool OutsideBulletField(const Vec3& p);

// The bullet picture with this number (0 ... 5); null when not loaded.
CTexture* BulletTexture(int texture);

// --- emit operations: each appends its bullets to g_EnemyShotList ----------
// One bullet along dir (set to length speed in place).
CEnemyShot* EmitShot(const Vec3& pos, Vec3& dir, float speed, int shape, int ignored, int texture);
CEnemyShot* EmitShotVelocity(const Vec3& pos, const Vec3& velocity, int shape, int texture);
CEnemyShot* EmitShotDirected(const Vec3& pos, Vec3& dir, float speed, int texture);
// Toward the target's position now (straight down without a target).
CEnemyShot* EmitAimed(const Vec3& pos, const CObject* target, float speed, int texture);
CEnemyShot* EmitAimedShaped(const Vec3& pos, const CObject* target, float speed, int shape, int texture);
// Three medium bullets at -0.2, 0, +0.2 about the aim.
void EmitAimed3(const Vec3& pos, const CObject* target, float speed, int texture);
// Four medium bullets at -0.3, -0.1, 0.1, 0.3 about the aim, picture 3.
void EmitAimed4(const Vec3& pos, const CObject* target, float speed);
// count 2, 3 or 5 bullets fanned about velocity; any other count: none.
void EmitSpread(const Vec3& pos, const Vec3& velocity, int count, int texture);
// A full ring of 16; dir ends reversed, with length speed.
void EmitRing16(const Vec3& pos, Vec3& dir, float speed, int texture);
// One large, 7 medium and 14 small bullets in a rough cone along dir.
void EmitScatter(const Vec3& pos, Vec3& dir, float speed, int texture);
// count 7 or 15 long bullets fanned at the craft, slower toward one side.
void EmitSweep(const Vec3& pos, const CObject* ignored, float speed, int side, int count, int texture);
// Flies along dir at 0.1, stops in 30 frames, then leaves turned by angle.
CEnemyShot* EmitRelaunch(const Vec3& pos, Vec3& dir, float speed, float angle, int texture);
// Drifts to a stop in 30 frames, then falls at speed as a round bullet.
CEnemyShot* EmitDropper(const Vec3& pos, const Vec3& velocity, const CObject* ignored, float speed);
// Drifts to a stop in 30 frames, then leaves toward the target at speed.
CEnemyShot* EmitHoming(const Vec3& pos, const Vec3& velocity, CObject* target, float speed);
// Turns by turnAngle to turnSpeed at its frame trunc(turnFrame).
CEnemyShot* EmitTurning(const Vec3& pos, Vec3& dir, float speed, float turnFrame, float turnAngle,
                        float turnSpeed);
// A medium bullet that falls back under gravity.
CEnemyShot* EmitGravity(const Vec3& pos, Vec3& dir, float speed);
// Bursts at its frame 60: type 0 into 8 type-1 bursts, type 1 into 5 bullets.
CEnemyShot* EmitBurst(const Vec3& pos, const Vec3& velocity, int burstType, int texture, int childTexture);

// Every bullet becomes a long straight bullet that drifts off slowly in a
// random direction; the screen shakes.
void ScatterAllBullets();
