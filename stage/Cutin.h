// The cut-in shown when a boss barrage or the craft's bomb starts: a picture
// (CCutin) that slides in, holds, then swells and fades, and a text strip
// (CCutinString) that slides in, pauses, drifts to the bottom or the top edge,
// stays and fades. Side 0 enters from the left, side 1 from the right.
#pragma once

#include "core/Object.h"

class CSound;

class CCutin : public CObject {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 307;
    static constexpr float kSpeed = 18.0f;

    CCutin(CTexture* picture, int side);

    // One picture and one text strip, added to the overlay list; the cut-in
    // sound plays from the start.
    static void Spawn(CTexture* picture, CTexture* text, int side);
    // The cut-in sound (resource "#113" of type "SE"); not owned, may be null.
    static CSound* s_pSound;

    void Update() override;
    void Draw() override;

    int32_t m_nPhase = 0;   // 0 sliding, 1 holding
    int32_t m_nSide = 0;
};

class CCutinString : public CObject {
public:
    static constexpr float kSpeed = 18.0f;
    static constexpr float kDrift = 4.0f;
    static constexpr int kPause = 30;

    CCutinString(CTexture* text, int side);

    void Update() override;
    void Draw() override;

    int32_t m_nPhase = 0;   // 0 sliding, 1 drifting, 2 done
    int32_t m_nSide = 0;
    int32_t m_nWait = 0;    // frames still frozen
};
