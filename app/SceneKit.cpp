#include "app/SceneKit.h"

#include <algorithm>
#include <iterator>

#include "app/Game.h"
#include "assets/AssetSet.h"
#include "core/Random.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/SimpleModel.h"
#include "gfx/Texture.h"
#include "input/InputControler.h"
#include "stage/CustomStageControler.h"

CObject* g_pCursorModel = nullptr;
CObject* g_pMenuModel = nullptr;

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

bool MenuRight()
{
    return g_pInput && g_pInput->GetCurrent(0).m_fX > 0.0f && g_pInput->GetPrevious(0).m_fX == 0.0f;
}

bool MenuLeft()
{
    return g_pInput && g_pInput->GetCurrent(0).m_fX < 0.0f && g_pInput->GetPrevious(0).m_fX == 0.0f;
}

void MoveCursor(MenuCursor& cursor)
{
    if (MenuDown()) cursor.Next();
    if (MenuUp()) cursor.Prev();
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

void DrawBarrageStrip(int barrage, float x, float y, int captures, int tries)
{
    if (barrage < 0 || barrage >= static_cast<int>(std::size(g_pBarrageTitles))) return;
    DrawTexture(g_pBarrageTitles[barrage], x, y);
    DrawNumberRight(x + 200.0f, y + 32.0f, captures);
    DrawDigits(x + 206.0f, y + 32.0f, "/");
    DrawNumber(x + 211.0f, y + 32.0f, tries);
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

void CreateMenuObjects()
{
    g_pCursorModel = new CSimpleModel(g_pCursorMesh, Vec3{});
    g_pCursorModel->SetRotVel(Vec3{0.003f, 0.01f, 0.0f});
    g_pMenuModel = new CSimpleModel(nullptr, Vec3{});
    g_pMenuModel->SetRotVel(Vec3{0.0f, 0.0025f, 0.0f});
    g_pMenuModel->SetPos(Vec3{3.5f, -2.5f, 0.0f});
    ChooseMenuModel();
}

void ReleaseMenuObjects()
{
    delete g_pMenuModel;
    g_pMenuModel = nullptr;
    delete g_pCursorModel;
    g_pCursorModel = nullptr;
}

void ChooseMenuModel()
{
    if (!g_pMenuModel) return;
    const int pick = g_EffectRand.Integer(2);
    g_pMenuModel->m_pModel = pick != 0 ? g_pMenuModelA : g_pMenuModelB;
}

int DrawTextLines(int x, int y, const std::string& text, uint32_t colour, int width, int maxLines)
{
    int height = 0;
    size_t from = 0;
    for (int line = 0; line < maxLines && from <= text.size(); ++line) {
        const size_t end = std::min(text.find('\n', from), text.size());
        height += g_pDevice->DrawText(x, y + height, text.substr(from, end - from).c_str(), colour, width);
        from = end + 1;
    }
    return height;
}
