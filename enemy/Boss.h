// CBoss: an enemy that fights in numbered phases. Odd phases are barrages (a
// fresh hit-point bar, a timer, one to three bullet patterns, a record of their
// own); even phases are short untouchable pauses. A barrage ends when its hit
// points run out (cleared, with a time bonus while the craft is clean) or its
// timer does (failed). After the last barrage the boss dies, or withdraws when
// time ran out. The two bosses differ only in their tables (SBossDesign) and
// their quirks; everything else is here.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "core/ObjectLists.h"
#include "enemy/Enemy.h"
#include "player/Blade.h"

class CBarrageFire;

// One barrage of a boss's phase table.
struct SBarrageRow {
    int32_t nPhase;
    int32_t nHp;
    int32_t nTime;          // frames
    int32_t nPattern[3];    // boss emitters 0 ... 2, -1: silent
    int32_t nBarrage;       // record number in "critical.ini": a literal, never derived
    int32_t nTitle;         // TEXTURE "#nnn" of its name strip
};

// What tells one boss from the other.
struct SBossDesign {
    std::span<const SBarrageRow> barrages;   // the last row is the last barrage
    int32_t nEntryTime;       // frames of the untouchable entry
    bool bEntryEndsBarrage;   // the entry sets "no barrage running"
    int32_t nPauseMaxHp;      // the gauge's scale in a pause
    int32_t nBackdrop;        // TEXTURE "#nnn" of the barrage backdrop
    int32_t nEmblem;          // TEXTURE "#nnn" on the boss's HUD line
    int32_t nTalkPhase;       // the pause whose 60th frame shows a talk line
    int32_t nTalkRow;         // its row of the chapter's boss talk atlas
    int32_t nStillPhase;      // a phase without wander moves (-1: none)
    Vec3 vStart;
};

class CBoss;

// A new boss of the kind at its start, entering; added to the enemy list.
template <class TBoss>
TBoss* SpawnBoss();

class CBoss : public CEnemy {
public:
    static constexpr int PHASE_ENTRY = 0;
    static constexpr int PHASE_FINAL = 255;   // dying or withdrawing
    static constexpr int kBossFires = 4;      // the tables use the first three
    static constexpr int kPauseFrames = 240;
    static constexpr int kSilentFrames = 60;  // of every phase, before the emitters fire
    static constexpr int kWanderEvery = 300;
    static constexpr int kBonusPerFrame = 200;
    static constexpr int kEndingFrames = 240;
    static constexpr float kSwipeReach = 1.5f + 0.25f;

    explicit CBoss(const SBossDesign& design);
    ~CBoss() override;

    // The base part (phase, age 0, emitters silent, the craft clean again unless
    // final), then the boss's row: entry, barrage, pause or final.
    virtual void SetPhase(int phase);

    // Hit points gone (a barrage cleared) or, in the final phase, the end of
    // the death.
    void Kill() override;
    void Update() override;
    // The withdrawal's end at (0, 6, 0).
    void OnMoveEnd() override;
    void Draw() override;

    // Practice: the boss as a fight leaves it framesLeft frames before the
    // barrage of phase begins, in the phase before (its entry for the first
    // barrage, else the pause): settled at the battle point, its parts where
    // that phase puts them. That barrage is then its only one: after it the
    // boss waits in its pause (the last barrage ends as in a game).
    void StandBefore(int phase, int framesLeft);

    // The last barrage's phase.
    int LastBarragePhase() const;
    // The row of a barrage phase; null for any other phase.
    const SBarrageRow* BarrageRow(int phase) const;

    int32_t m_nPhase = PHASE_ENTRY;
    Vec3 m_vAuraRot;
    int32_t m_nTimer = 0;
    std::unique_ptr<CBarrageFire> m_pBossFire[kBossFires];
    CTexture* m_pEmblem = nullptr;
    CBlade m_Blade;           // the close-range swipe
    bool m_bBladeHit = false; // the current swipe has struck the craft
    bool m_bOneBarrage = false;  // practice: no barrage after the one begun

protected:
    // The end of a boss's construction: the entry phase (the most derived
    // SetPhase, so it must run from the boss's own constructor) and facing the
    // craft.
    void Enter();
    // Between the shared update and the talk line: CBoss0's regroup.
    virtual void UpdateParts() {}
    // Practice: the parts as they are at the end of the phase (the entry or a
    // pause), their moves done.
    virtual void SettleParts(int /*phase*/) {}

    const SBossDesign& m_Design;

private:
    void StartBarrage(const SBarrageRow& row);
    void StartPause();
    void TimeOut();
    void ClearBarrage();
    void Die();
    void Swipe();
    void Wander();
    void DrawHud();
    void DrawDeath();
};

template <class TBoss>
TBoss* SpawnBoss()
{
    auto* boss = new TBoss();
    g_EnemyList.Add(boss);
    return boss;
}
