// CModel: one loaded mesh (DirectX .x, text or binary) drawn subset by subset,
// one subset per material.
//
// Found like every resource: "MODEL/101.x" beside the program wins, else the
// library's "MODEL" "#101". A material's texture comes from the library type
// "TEXTUREM" named "#" + the texture file's base name for library meshes, or
// from "<mesh folder>/<base name>.png" for override meshes; a missing or
// unreadable texture leaves that subset untextured. The material's ambient is
// its diffuse colour. The data keeps the file's own conventions: left-handed,
// clockwise front faces, texture v growing downward.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/Resource.h"
#include "platform/Renderer.h"

class CGraphicsDevice;
class CTexture;

class CModel : public CResource {
public:
    struct SSubset {
        int nFirstIndex = 0;     // into the index list
        int nTriangleCount = 0;
    };

    explicit CModel(CGraphicsDevice* device = nullptr);  // device defaults to g_pDevice
    ~CModel() override;
    CModel(const CModel&) = delete;
    CModel& operator=(const CModel&) = delete;

    static CModel* Create(const char* name, const char* type);

    // False when the mesh cannot be found or parsed (the model stays empty; a
    // missing resource is also named in "Undefined Resource <type> <name>").
    bool Load(const char* name, const char* type);
    // Loads from .x bytes. textureFolder: where override textures live (with
    // its trailing '/'); empty: textures come from the library.
    bool LoadFromMemory(const uint8_t* data, size_t size, const std::string& textureFolder,
                        std::string* pError = nullptr);
    void Release() override;
    bool IsEmpty() const { return m_nFaces == 0; }

    // Every subset with its material and texture; fill mode from m_bWireframe
    // (overriding the caller's), depth test on.
    void Draw();
    void DrawNoDepth();
    // Diffuse alpha of every material times alpha; alpha 0 draws with diffuse,
    // ambient and emissive black.
    void DrawFaded(float alpha);
    // One subset with caller-supplied vertices of this mesh's layout (for
    // drawing with recomputed texture coordinates).
    void DrawSubsetUP(uint32_t subset, const RVertex* vertices);

    // Vertex and 16-bit index data, for ray tests and redrawing.
    const std::vector<RVertex>& Vertices() const { return m_Vertices; }
    const std::vector<uint16_t>& Indices() const { return m_Indices; }
    uint32_t GetVertexStride() const { return sizeof(RVertex); }
    uint32_t GetVertexFormat() const { return m_nFormat; }
    const std::vector<SSubset>& Subsets() const { return m_Subsets; }

    std::vector<SMaterial> m_pMaterials;    // one per subset
    std::vector<CTexture*> m_ppTextures;    // one per subset, null where none; owned
    uint32_t m_nMaterials = 0;
    uint32_t m_nVertices = 0;
    uint32_t m_nFaces = 0;
    CRenderMesh* m_pMesh = nullptr;         // owned (null without a renderer)
    bool m_bWireframe = false;
    CGraphicsDevice* m_pDevice = nullptr;   // not owned

private:
    void DrawWith(bool depth, bool faded, float alpha);

    std::vector<RVertex> m_Vertices;
    std::vector<uint16_t> m_Indices;
    std::vector<SSubset> m_Subsets;
    uint32_t m_nFormat = 0;
};
