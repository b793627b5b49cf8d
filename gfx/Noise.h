// CNoise: a bare object whose lifecycle is the fade of the screen-noise
// overlay. The graphics device steps it and reads its state and rates
// (CGraphicsDevice::SetNoise registers it, which also kills it, so no noise
// shows until something starts it with SetAppear / SetLife / Vanish).
#pragma once

#include "core/Object.h"

class CNoise : public CObject {
public:
    CNoise() = default;
};

extern CNoise g_Noise;
