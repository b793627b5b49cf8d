// CDigitalNumber: score digits floating from a point of the world, centred on
// where the point lands on the screen, fading over 180 frames.
#pragma once

#include <string>

#include "core/Object.h"

struct SViewport;

class CDigitalNumber : public CObject {
public:
    static constexpr int kFrames = 180;
    static constexpr int kDigitStep = 12;

    explicit CDigitalNumber(int value);

    // Added to the foreground list.
    static CDigitalNumber* Spawn(const Vec3& pos, const Vec3& vel, int value);
    // The digit pictures 0 ... 9 (resources "#120" ... "#129"); not owned.
    static CTexture* s_pDigits[10];

    // Where a world point lands in screen pixels through view, projection and
    // viewport. False when it lies behind the eye.
    static bool Project(const Vec3& pos, const Matrix& view, const Matrix& proj, const SViewport& vp, float& x,
                        float& y);
    // Left edge of the first digit for a number of n characters centred on x.
    static float FirstDigitX(float x, int n) { return x - 6.0f * static_cast<float>(n); }

    void Draw() override;

    std::string m_strNumber;
};
