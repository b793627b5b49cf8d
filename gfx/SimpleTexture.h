// CSimpleTexture: a glowing picture in the world that always faces the camera.
#pragma once

#include "core/Object.h"

class CSimpleTexture : public CObject {
public:
    static constexpr float kSize = 5.0f;

    explicit CSimpleTexture(CTexture* texture);
    void Draw() override;
};
