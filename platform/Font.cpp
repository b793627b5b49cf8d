#include "platform/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

std::string FindFontFile(const char* family)
{
    std::string path;
    // A configuration of our own, destroyed after the look-up, so that nothing of
    // fontconfig stays allocated for the rest of the run.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (!pattern) {
        FcConfigDestroy(config);
        return path;
    }
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return path;
}

}  // namespace

CFont::CFont() : m_Atlas(static_cast<size_t>(kAtlasSize) * kAtlasSize, 0x00FFFFFFu) {}

CFont::~CFont()
{
    if (m_pFace) FT_Done_Face(static_cast<FT_Face>(m_pFace));
    if (m_pLibrary) FT_Done_FreeType(static_cast<FT_Library>(m_pLibrary));
}

bool CFont::Open(const char* family, int cellHeight, std::string& error)
{
    if (m_pFace) return true;
    m_strPath = FindFontFile(family);
    if (m_strPath.empty()) {
        error = std::string("no font matches \"") + family + "\"";
        return false;
    }
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) {
        error = "FreeType cannot start";
        return false;
    }
    m_pLibrary = lib;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, m_strPath.c_str(), 0, &face) != 0) {
        error = "cannot read the font " + m_strPath;
        return false;
    }
    m_pFace = face;
    // The cell (ascent + descent) is cellHeight pixels, as a font of that height
    // was asked for in the original.
    FT_Size_RequestRec req;
    std::memset(&req, 0, sizeof req);
    req.type = FT_SIZE_REQUEST_TYPE_CELL;
    req.height = cellHeight * 64;
    if (FT_Request_Size(face, &req) != 0) {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(cellHeight));
    }
    m_nAscent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    m_nHeight = cellHeight;
    if (m_nAscent > m_nHeight) m_nAscent = m_nHeight;
    return true;
}

void CFont::ResetAtlas()
{
    std::fill(m_Atlas.begin(), m_Atlas.end(), 0x00FFFFFFu);
    m_Glyphs.clear();
    m_nPenX = 1;
    m_nPenY = 1;
    m_nRowHeight = 0;
    m_nDirtyY0 = 0;
    m_nDirtyY1 = kAtlasSize;
    ++m_nGeneration;
}

const SGlyph* CFont::Glyph(uint32_t codepoint)
{
    if (!m_pFace) return nullptr;
    auto it = m_Glyphs.find(codepoint);
    if (it != m_Glyphs.end()) return &it->second;

    FT_Face face = static_cast<FT_Face>(m_pFace);
    SGlyph g;
    const FT_UInt index = FT_Get_Char_Index(face, codepoint);
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        g.width = static_cast<int>(bm.width);
        g.height = static_cast<int>(bm.rows);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (g.width > kAtlasSize - 2 || g.height > kAtlasSize - 2) g.width = g.height = 0;
        if (g.width > 0 && g.height > 0) {
            if (m_nPenX + g.width + 1 > kAtlasSize) {
                m_nPenX = 1;
                m_nPenY += m_nRowHeight + 1;
                m_nRowHeight = 0;
            }
            if (m_nPenY + g.height + 1 > kAtlasSize) {
                ResetAtlas();
            }
            g.atlasX = m_nPenX;
            g.atlasY = m_nPenY;
            for (int y = 0; y < g.height; ++y) {
                const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
                uint32_t* dst = &m_Atlas[static_cast<size_t>(g.atlasY + y) * kAtlasSize + g.atlasX];
                for (int x = 0; x < g.width; ++x) {
                    uint32_t a = 0;
                    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                        a = (row[x >> 3] & (0x80 >> (x & 7))) ? 255u : 0u;
                    else
                        a = row[x];
                    dst[x] = (a << 24) | 0x00FFFFFFu;
                }
            }
            if (m_nDirtyY0 == m_nDirtyY1) {
                m_nDirtyY0 = g.atlasY;
                m_nDirtyY1 = g.atlasY + g.height;
            } else {
                m_nDirtyY0 = std::min(m_nDirtyY0, g.atlasY);
                m_nDirtyY1 = std::max(m_nDirtyY1, g.atlasY + g.height);
            }
            m_nPenX += g.width + 1;
            m_nRowHeight = std::max(m_nRowHeight, g.height);
        }
    }
    return &m_Glyphs.emplace(codepoint, g).first->second;
}

bool CFont::TakeDirtyRows(int& y0, int& y1)
{
    if (m_nDirtyY0 == m_nDirtyY1) return false;
    y0 = m_nDirtyY0;
    y1 = m_nDirtyY1;
    m_nDirtyY0 = m_nDirtyY1 = 0;
    return true;
}

uint32_t NextCodePoint(const char* text, size_t length, size_t& i)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    const unsigned char c = s[i];
    int extra = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
        ++i;
        return c;
    } else if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<size_t>(extra) >= length) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char d = s[i + k];
        if ((d & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    i += static_cast<size_t>(extra) + 1;
    return cp;
}
