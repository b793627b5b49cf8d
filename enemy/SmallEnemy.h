// CSmallEnemy: what raptors and zabs share. Shot down, one explodes with its
// own sound and maybe drops a score item; leaving the square -7.5 ... 7.5 it
// goes silently. While an appear delay runs only its countdown moves.
#pragma once

#include "enemy/Enemy.h"

class CSmallEnemy : public CEnemy {
public:
    static constexpr float kFieldHalf = 7.5f;

    // The base Kill, then (unless silent) the sound, an explosion and, when
    // DropsItem(), a score item at the enemy's position.
    void Kill() override;

    bool m_bSilent = false;   // left the field: no explosion, sound or item

protected:
    CSmallEnemy(CModel* model, int hp, int score, float radius, int explosionSE);

    virtual bool DropsItem() const = 0;
    // Counts the appear delay down (Activate at its end); true while it ran
    // this update, when nothing else may move.
    bool CountDownAppear();
    // Off the field: silent, and killed.
    void LeaveIfOffField();
    // The world transform and the model states (no culling, no fog, alpha
    // blending, solid); false without a device.
    bool BeginModelDraw();

private:
    int m_nExplosionSE;
};
