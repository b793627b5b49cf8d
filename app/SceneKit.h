// The small pieces every screen of the scene uses: the input edges of the
// menus, the HUD digits (the world's, which its bosses draw too), sprite
// batches, stage pictures, the menu cursor and the model beside the menus.
#pragma once

#include <cstdint>
#include <string>

#include "persist/InputRecord.h"
#include "stage/HudDigits.h"

class CObject;
class CTexture;

// A menu's selection with wrapping moves.
struct MenuCursor {
    int32_t m_nIndex = 0;
    int32_t m_nCount = 0;
    void Next()
    {
        if (m_nCount == 0) return;
        if (++m_nIndex == m_nCount) m_nIndex = 0;
    }
    void Prev()
    {
        if (m_nCount == 0) return;
        if (--m_nIndex < 0) m_nIndex = m_nCount - 1;
    }
};

// Held this frame on channel ch; pressed: held now and not in the previous frame.
bool ButtonHeld(int ch, uint8_t CInputRecord::*button);
bool ButtonPressed(int ch, uint8_t CInputRecord::*button);
// Channel 0's Y turned negative (down) or positive (up) from 0: one move per
// push of the stick or key.
bool MenuDown();
bool MenuUp();
// The same for X: right (positive) or left.
bool MenuRight();
bool MenuLeft();
// Next on menu down, Prev on menu up.
void MoveCursor(MenuCursor& cursor);

// Opens a sprite batch that neither tests nor writes depth, so a picture never
// hides the models drawn after it. Close it with g_pDevice->Sprite().End().
void BeginSprites();
// A picture at (x, y), alpha 1 (nothing for a null picture).
void DrawTexture(CTexture* t, float x, float y);
// Text of several lines ('\n'), one text box each (a box holds two lines at
// most), from (x, y) down; at most maxLines lines. Returns the height drawn.
int DrawTextLines(int x, int y, const std::string& text, uint32_t colour, int width, int maxLines);
// The menus' row bars, additive, from (188, 73) down 16 pixels a row.
void DrawRowBars(int rows);
// A barrage's title strip at (x, y) with the two figures of its CAPTURE slot
// (captured / met), as the HUD shows it: in an open sprite batch.
void DrawBarrageStrip(int barrage, float x, float y, int captures, int tries);
// The stage's own picture: its first stage texture, or null.
CTexture* StagePicture();
// The spinning cursor model over the screen pixel (px, py), in the play field.
void DrawCursorAt(float px, float py);
// The screen-to-world placement of the menu cursor model.
void ScreenToWorld(float px, float py, float& wx, float& wy);

// The menus' objects, made from the loaded asset set.
extern CObject* g_pCursorModel;  // the spinning menu cursor
extern CObject* g_pMenuModel;    // the model beside the menus, "#200" or "#201"
void CreateMenuObjects();
void ReleaseMenuObjects();
// The menu model: "#200" when g_EffectRand.Integer(2) is not 0, else "#201".
void ChooseMenuModel();
