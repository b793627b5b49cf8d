// CTexture: one loaded picture and the ways the game draws it (billboards and
// quads in the world, sprites on the screen).
//
// A picture is found by type and name ("TEXTURE", "#123"): the override file
// "TEXTURE/123.png" beside the program wins, else the library's copy. Alpha is
// blended over black and opaque magenta (255, 0, 255) becomes transparent, so
// sprites cut out by the colour key and additive sprites show no dark fringe.
// The texture keeps the picture's own size, so a sprite shows its picture
// pixel for pixel.
#pragma once
#include <cstdint>
#include <string>

#include "core/Resource.h"

class CGraphicsDevice;
class CRenderTexture;
struct CResourceImage;
struct SRect;

class CTexture : public CResource {
public:
    // The device defaults to g_pDevice. Without a device the picture is still
    // decoded (size known) but nothing is created or drawn.
    explicit CTexture(CGraphicsDevice* device = nullptr);
    ~CTexture() override;
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    // A new texture loaded by Load (kept even when the load fails: it is empty).
    static CTexture* Create(const char* name, const char* type);

    // 0 on success. -1 when neither an override file nor a library resource
    // exists ("Undefined Resource <type> <name>" is shown and the program goes
    // on) or when the picture is damaged (named in a message likewise).
    int Load(const char* name, const char* type);
    // The picture from PNG bytes (used by meshes for their material textures).
    // False when the bytes are not a readable PNG. No message.
    bool LoadFromPng(const uint8_t* data, size_t size, std::string* pError = nullptr);
    // Frees the device texture; the object stays usable (empty).
    void Release() override;
    bool IsEmpty() const { return m_nWidth == 0; }

    // A textured quad centred on the current world origin in its XY plane:
    // width size, height size x height / width. Alpha exactly 0 selects
    // additive drawing; otherwise alpha blending with vertex alpha trunc(alpha x 255).
    void DrawBillboard(float size, float alpha);
    void DrawQuad(float width, float height, float alpha);
    // Screen sprite (inside a sprite batch): the rect part of the picture (null
    // or all zero: the whole picture) at pixel (x, y), scaled about its centre.
    // Depth off, fog off, alpha blending.
    void DrawSprite(float x, float y, const SRect* rect, float scale, float alpha);
    // The whole picture at (x, y), unscaled, added / alpha blended.
    void DrawSpriteAdd(float x, float y, float alpha);
    void DrawSpriteBlend(float x, float y, float alpha);

    int32_t m_nWidth = 0;   // the picture's size in pixels
    int32_t m_nHeight = 0;
    CRenderTexture* m_pTexture = nullptr;  // owned
    CGraphicsDevice* m_pDevice = nullptr;  // not owned

private:
    bool CreateFromImage(const CResourceImage& image);
    void DrawQuadVertices(float width, float height, float alpha);
    void DrawWholeSprite(float x, float y, float alpha, int blendMode);
};
