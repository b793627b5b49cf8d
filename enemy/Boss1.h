// CBoss1: the second boss, five barrages, a long entry while its escorts fly.
#pragma once

#include "enemy/Boss.h"

class CBoss1 : public CBoss {
public:
    CBoss1();
    static CBoss1* Spawn() { return SpawnBoss<CBoss1>(); }
};

extern const SBossDesign kBoss1Design;
