// CMyKorvo: the player's craft. One instance for the whole run, made by the
// asset set and published as g_pPlayer; enemies, bullets, items, the stage
// script and the HUD read it. The craft does not read input itself: the play
// frame hands it channel 0 through Control (the control step).
#pragma once

#include <cstdint>

#include "core/Object.h"
#include "player/Blade.h"

struct CInputRecord;
class CEnemy;

class CMyKorvo : public CObject {
public:
    static constexpr int kGaugeMax = 10800;
    static constexpr int kBombCost = 3600;
    static constexpr int kChargeFrames = 9;        // 60 x 0.15
    static constexpr int kExtendCount = 256;
    static constexpr int32_t kExtendStep = 1500000;

    CMyKorvo(CDeviceLink* device, CModel* model, float param);
    ~CMyKorvo() override;

    // --- virtual operations -------------------------------------------------
    void Reset() override;                                   // 1: a new game
    void Kill() override;                                    // 5: the game's end
    void Translate(float dx, float dy, float dz) override;   // 6: attitude follows
    using CObject::Translate;
    void Draw() override;                                    // 11
    void Update() override;                                  // 12

    // --- the control step, fed by channel 0 (now) and its previous record ----
    void Control(const CInputRecord& now, const CInputRecord& before);

    // --- operations ---------------------------------------------------------
    bool CanAct() const;       // alive or appearing
    bool IsCharged() const;    // attack0 or blade held for 9 frames
    bool CanShoot() const;     // more than 3 updates since the last volley
    void Shoot();
    void Turn(float delta);    // heading += delta, wrapped into (-2, 2)
    void StartBlade(float x, float y);
    void StopBlade();
    void Dash(float x, float y);
    void Bomb();
    // The bomb's 24 lasers at the enemies in list order, skipping untouchable
    // bosses; the recoil, particles and sound only when one left. Returns how
    // many were launched.
    int FireLaserVolley();
    // Costs 900 gauge (from 1800 up) whether or not the controller starts.
    bool StartSlowMotion();
    void StopSlowMotion();
    bool IsSlowMotionActive() const;
    void AddGauge(int n);      // clamped to 0 ... m_nGaugeMax
    void AddScore(int n);      // score and chapter score, then one extend check
    void SetScripted(bool on); // setting it also stops slow motion
    Vec3 GetRearPoint() const;
    // The craft was hit: a stock lost, or the game over when none is left.
    void Miss();
    // One pass over the extend table: at most one extend.
    void CheckExtend();
    // Rebuilds the 256 thresholds with their flags clear.
    void ResetExtends();

    // --- fields, in their fixed order -----------------------------------------
    int32_t m_nLastShotAge = 0;
    bool m_bScripted = false;   // the stage script has taken the craft over
    int32_t m_nStock = 2;
    int32_t m_nScore = 0;
    int32_t m_nChapterScore = 0;
    int32_t m_nGauge = 3600;
    int32_t m_nGaugeMax = kGaugeMax;
    bool m_bClean = true;       // no miss and no bomb since a boss set it
    Vec3 m_vBarrierSpin;
    int32_t m_nBombDelay = 0;
    int32_t m_nHoldCount = 0;
    int32_t m_nTrailShots = 0;
    CBlade m_Blade;
    bool m_bBladeHit = false;
    bool m_bVisible = false;

    // The blade trail's previous base and tip.
    Vec3 m_vTrailBase;
    Vec3 m_vTrailTip;

private:
    void UpdateBladeTrail();
    bool BladeStrikes(CEnemy& enemy);
    // Bullets, then enemies (blade strikes and the body).
    void Collide();
    // The first score item within reach, at most one a frame.
    void CollectItem();
};

// The extend table, game-wide: threshold k (1 ... 256) is 1,500,000 k.
struct SExtend {
    int32_t nThreshold;
    bool bTaken;
};
extern SExtend g_Extends[CMyKorvo::kExtendCount];

extern CMyKorvo* g_pPlayer;
