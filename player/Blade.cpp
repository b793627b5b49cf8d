#include "player/Blade.h"

CBlade::CBlade() = default;

Vec3 CBlade::ProbePoint(const Vec3& center, int k) const
{
    Vec3 p{0.0f, kReach / static_cast<float>(kProbes) * static_cast<float>(k), 0.0f};
    RotateZ(p, m_vRot.z);
    return center + p;
}

Vec3 CBlade::TipPoint(const Vec3& center) const { return ProbePoint(center, kProbes); }
