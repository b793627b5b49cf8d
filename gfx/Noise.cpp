#include "gfx/Noise.h"

CNoise g_Noise;
