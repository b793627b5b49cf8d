// CFader: the full-screen fade drawn over everything, HUD included. It fades
// from a colour to the picture (mode 0) or from the picture to a colour
// (mode 1) over a number of frames; each operation restarts it.
#pragma once

#include "core/Object.h"

class CFader : public CObject {
public:
    enum { MODE_OFF = -1, MODE_FROM = 0, MODE_TO = 1 };
    static constexpr int kFlashFrames = 30;
    static constexpr int kLongFlashFrames = 240;

    CFader();

    void Off();
    void FadeFromBlack(int frames);
    // The screen stays black at the end until the fader is switched off or
    // restarted.
    void FadeToBlack(int frames);
    void FlashWhite();
    void LongFlashWhite();
    void FlashColor(float r, float g, float b);
    // The same with the strongest opacity limited to maxAlpha.
    void FlashColor(float maxAlpha, float r, float g, float b);

    // The opacity of the cover now; negative when nothing is drawn.
    float GetAlpha() const;

    // Counts down only (no motion, no lifecycle).
    void Update() override;
    void Draw() override;

    int32_t m_nCount = 0;
    int32_t m_nTotal = 0;
    float m_fRed = 0.0f, m_fGreen = 0.0f, m_fBlue = 0.0f;
    int32_t m_nMode = MODE_OFF;
    float m_fMaxAlpha = 1.0f;

private:
    void Start(int frames, int mode, float maxAlpha, float r, float g, float b);
};

// The fader of the game; created by the program's set-up, stepped last in every
// frame by the scene.
extern CFader* g_pFader;
