// CBoss1: the second boss, five barrages, a long entry while its escorts fly.
#pragma once

#include "enemy/Boss.h"

class CBoss1 : public CBoss {
public:
    CBoss1();
    // A new boss at its start, entering; added to the enemy list.
    static CBoss1* Spawn();
};

extern const SBossDesign kBoss1Design;
