#include "app/SceneKit.h"

#include <cstdio>

#include "app/AssetSet.h"
#include "app/Game.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "input/InputControler.h"
#include "stage/CustomStageControler.h"

bool ButtonHeld(int ch, uint8_t CInputRecord::*button) { return g_pInput && g_pInput->GetCurrent(ch).*button; }

bool ButtonPressed(int ch, uint8_t CInputRecord::*button)
{
    return g_pInput && g_pInput->GetCurrent(ch).*button && !(g_pInput->GetPrevious(ch).*button);
}

bool MenuDown()
{
    return g_pInput && g_pInput->GetCurrent(0).m_fY < 0.0f && g_pInput->GetPrevious(0).m_fY == 0.0f;
}

bool MenuUp()
{
    return g_pInput && g_pInput->GetCurrent(0).m_fY > 0.0f && g_pInput->GetPrevious(0).m_fY == 0.0f;
}

void MoveCursor(MenuCursor& cursor)
{
    if (MenuDown()) cursor.Next();
    if (MenuUp()) cursor.Prev();
}

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

void BeginSprites()
{
    g_pDevice->SetDepthTest(0);
    g_pDevice->Sprite().Begin();
}

void DrawTexture(CTexture* t, float x, float y)
{
    if (t) t->DrawSpriteBlend(x, y, 1.0f);
}

void DrawRowBars(int rows)
{
    if (!g_pRowBarTexture) return;
    for (int k = 0; k < rows; ++k) g_pRowBarTexture->DrawSpriteAdd(188.0f, 73.0f + 16.0f * static_cast<float>(k), 1.0f);
}

CTexture* StagePicture()
{
    if (g_StageControler.m_Resources.Count() == 0) return nullptr;
    return static_cast<CTexture*>(g_StageControler.m_Resources.At(0));
}

void DrawCursorAt(float px, float py)
{
    if (!g_pCursorModel) return;
    g_pDevice->SetPlayFieldViewport();
    float wx = 0.0f, wy = 0.0f;
    ScreenToWorld(px, py, wx, wy);
    g_pCursorModel->SetPos(Vec3{wx, wy, 0.0f});
    g_pCursorModel->Step();
}

void ScreenToWorld(float px, float py, float& wx, float& wy)
{
    wx = (px - 140.0f) / 480.0f * 10.0f - 5.0f;
    wy = 5.0f - py / 480.0f * 10.0f;
}
