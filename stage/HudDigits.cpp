#include "stage/HudDigits.h"

#include <cstdio>

#include "assets/AssetSet.h"
#include "gfx/Texture.h"

void DrawDigits(float x, float y, const char* text, float alpha)
{
    for (const char* p = text; *p; ++p, x += 5.0f) {
        int glyph = -1;
        if (*p >= '0' && *p <= '9') glyph = *p - '0';
        else if (*p == '/') glyph = 10;
        if (glyph >= 0 && g_pHudDigits[glyph]) g_pHudDigits[glyph]->DrawSpriteBlend(x, y, alpha);
    }
}

void DrawNumber(float x, float y, int n, float alpha)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", n);
    DrawDigits(x, y, text, alpha);
}

void DrawNumberRight(float x, float y, int n, float alpha)
{
    char text[16];
    const int len = std::snprintf(text, sizeof text, "%d", n);
    DrawDigits(x - 5.0f * static_cast<float>(len - 1), y, text, alpha);
}
