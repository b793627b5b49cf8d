// CRectangleShadow: a flat coloured quad in the world that fades out; the
// segments of the blade's trail.
#pragma once

#include "core/Object.h"

class CRectangleShadow : public CObject {
public:
    CRectangleShadow();

    // Corners a, b, c, d (drawn as a strip in that order), colour and opacity,
    // fading over frames; added to the effects list.
    static CRectangleShadow* Spawn(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, float alpha,
                                   float red, float green, float blue, int frames);

    void Draw() override;

    Vec3 m_vCorner[4];
    float m_fRed = 0.0f, m_fGreen = 0.0f, m_fBlue = 0.0f;
    float m_fAlpha = 0.0f;
};
