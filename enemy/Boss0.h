// CBoss0: the first boss, four barrages, with four satellites that change
// formation at every phase. Also the boss of the test stage.
#pragma once

#include "enemy/Boss.h"

class CBoss0 : public CBoss {
public:
    static constexpr int kSatellites = 4;

    CBoss0();
    static CBoss0* Spawn() { return SpawnBoss<CBoss0>(); }

    void SetPhase(int phase) override;
    // The boss, then each satellite drawn with the boss and stepped.
    void Draw() override;

    // Visual only (no hit test); positions relative to the boss, m_vAux a
    // second rotation that turns the formation about the boss.
    CObject m_Satellites[kSatellites];

protected:
    void UpdateParts() override;
    void SettleParts(int phase) override;

private:
    void Formation(int formation);
    void Regroup();
};

extern const SBossDesign kBoss0Design;
