// CTitlePicture: one full picture of the title loop, faded in, held and faded
// out on the overlay list.
#pragma once

#include "core/Object.h"

class CTitlePicture : public CObject {
public:
    // At pixel (x, y): appears over appear frames (none when 0), stays stay
    // frames, then vanishes over vanish frames. With appear and stay both 0 it
    // starts vanishing at once.
    CTitlePicture(CTexture* texture, float x, float y, int appear, int stay, int vanish);
    void Draw() override;
    // The picture's opacity this frame: rising while it appears, 1 while it
    // stays, falling while it vanishes.
    float GetAlpha() const;
};
