// CCinemaScope: the translucent black band that grows from the left edge of the
// play field during the approach to a boss.
#pragma once

#include "core/Object.h"

class CCinemaScope : public CObject {
public:
    explicit CCinemaScope(int width);

    // A band of width pixels that grows in over appear frames, stays stay
    // frames and shrinks away over vanish frames; added to the foreground list.
    static CCinemaScope* Spawn(int width, int appear, int stay, int vanish);

    // The band's width and opacity now; false when nothing is drawn.
    bool GetBand(int& width, float& alpha) const;
    void Draw() override;

    int32_t m_nWidth = 0;
};
