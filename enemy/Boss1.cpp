#include "enemy/Boss1.h"

namespace {

constexpr SBarrageRow kBarrages[] = {
    // phase  HP    T     emitters       B   title
    {1,      600, 2400, {20, 22, -1},   20, 440},
    {3,      600, 2400, { 8, 22, -1},   21, 441},
    {5,      800, 3600, { 9,  7, 23},   22, 442},
    {7,      800, 3600, {19, -1, 23},   23, 443},
    {9,      300, 1200, {21, -1, -1},   24, 444},
};

}  // namespace

const SBossDesign kBoss1Design = {
    kBarrages,
    4440,     // entry: the escorts fly meanwhile
    false,    // the entry leaves the barrage index as it is
    1,        // pause gauge scale
    400,      // backdrop
    401,      // emblem
    6, 26,    // talk line in the third pause
    5,        // stays put through its third barrage
    Vec3{2.0f, 6.0f, 0.0f},
};

CBoss1::CBoss1() : CBoss(kBoss1Design) { Enter(); }
