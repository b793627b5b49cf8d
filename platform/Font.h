// The game's font: a face found through fontconfig, rendered by FreeType at a fixed
// cell height, with every glyph drawn once into a 512 x 512 atlas (white, alpha =
// coverage). Text drawing looks glyphs up and allocates nothing once they are in.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct SGlyph {
    int atlasX = 0, atlasY = 0;    // top-left of the bitmap in the atlas
    int width = 0, height = 0;     // bitmap size in pixels
    int left = 0;                  // from the pen position to the bitmap's left edge
    int top = 0;                   // from the baseline up to the bitmap's top edge
    int advance = 0;               // pen advance in whole pixels
};

class CFont {
public:
    static constexpr int kAtlasSize = 512;

    CFont();
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Opens the best match of family (a fontconfig pattern) with a cell height
    // (ascent + descent) of cellHeight pixels. False with a reason when no font
    // file can be found or read.
    bool Open(const char* family, int cellHeight, std::string& error);
    bool IsOpen() const { return m_pFace != nullptr; }
    // Path of the font file in use.
    const std::string& FilePath() const { return m_strPath; }

    int Ascent() const { return m_nAscent; }
    int Height() const { return m_nHeight; }

    // The glyph for a Unicode code point, rasterised into the atlas on first use.
    // Null only when the font is not open. When the atlas is full it is emptied
    // first (Generation() changes): earlier SGlyph positions are then stale.
    const SGlyph* Glyph(uint32_t codepoint);
    uint32_t Generation() const { return m_nGeneration; }

    // Atlas pixels 0xAARRGGBB, rows top first.
    const uint32_t* AtlasPixels() const { return m_Atlas.data(); }
    // The atlas rows changed since the last call (y0 inclusive .. y1 exclusive);
    // false when nothing changed.
    bool TakeDirtyRows(int& y0, int& y1);

private:
    void ResetAtlas();

    void* m_pLibrary = nullptr;   // FT_Library
    void* m_pFace = nullptr;      // FT_Face
    std::string m_strPath;
    int m_nAscent = 0;
    int m_nHeight = 0;
    std::vector<uint32_t> m_Atlas;
    std::unordered_map<uint32_t, SGlyph> m_Glyphs;
    int m_nPenX = 1, m_nPenY = 1, m_nRowHeight = 0;
    int m_nDirtyY0 = 0, m_nDirtyY1 = 0;
    uint32_t m_nGeneration = 0;
};

// Decodes one UTF-8 code point from text at i and advances i; malformed bytes
// give U+FFFD and advance by one.
uint32_t NextCodePoint(const char* text, size_t length, size_t& i);
