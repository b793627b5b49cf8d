// The picture groups of the generator and the sink they write into.
#pragma once
#include <string>

#include "tools/assetgen/pictures_canvas.h"

namespace pic {

// Where the pictures go: outDir/TEXTURE/<id>.png. Remembers the first failure.
class Out {
public:
    explicit Out(std::string dir) : m_sDir(std::move(dir)) {}
    bool Save(const Canvas& c, int id, Mode mode, int cutAlpha = 24, Rgb backdrop = {0, 0, 0});
    bool ok() const { return m_bOk; }
    int count() const { return m_nCount; }
    const std::string& dir() const { return m_sDir; }

private:
    std::string m_sDir;
    bool m_bOk = true;
    int m_nCount = 0;
};

// Each returns false when a picture could not be written.
bool DrawEffects(Out& out);  // bullets, shot, glows, rings, explosion, flares, noise
bool DrawHud(Out& out);      // panels, frame, glyphs, digits, labels
bool DrawScreens(Out& out);  // loading, menus, lists, title loop
bool DrawStory(Out& out);    // cut-ins, portraits, strips, banners, result, emblems, backdrops
bool DrawTalk(Out& out);     // talk-line atlases

// The icons, RGBA: <dir>/<size>.png for each size: the window's (32, 64) and
// the desktop's, every size of the icon theme's usual set.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
bool DrawIcons(const std::string& dir);

// Pilots, shared by the portraits and the cut-ins (pictures_pilots.cpp).
enum class Pilot { kSena, kHaruka, kVeil, kErl };
// Draws the bust of a pilot into the box (x, y, w, h) of the canvas; the figure
// is scaled to the box height and centred on it. Transparent around the figure.
void DrawPilot(Canvas& c, Pilot who, double x, double y, double w, double h);

// The small bitmap font of the HUD (4 × 7 cells): digits, "/" and a few capitals.
// Draws `text` with its top-left at (x, y), one cell every `advance` pixels,
// each lit cell a pixel of `ink` with a dark shadow below-right.
void DrawPixelText(Canvas& c, int x, int y, const char* text, Rgb ink, int advance = 5, bool shadow = true);

}  // namespace pic
