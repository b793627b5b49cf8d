#include "gfx/Model.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "core/Util.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "platform/Resources.h"
#include "platform/XFileCheck.h"

namespace {

// Undo the importer's conversion to right-handed data (z, winding and texture
// v are each flipped back), so positions, faces and coordinates are exactly
// the file's; merge equal corners into shared vertices.
constexpr unsigned kImportFlags =
    aiProcess_ConvertToLeftHanded | aiProcess_JoinIdenticalVertices | aiProcess_ValidateDataStructure;

// Deeper frame nesting than this is treated as a damaged file.
constexpr size_t kMaxFrameDepth = 256;

uint32_t ColourByte(float c)
{
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    return static_cast<uint32_t>(std::lround(c * 255.0f));
}

// "tex\\skin.png" -> "skin": the part after the last folder separator, before
// the last dot.
std::string TextureBaseName(const std::string& file)
{
    size_t slash = file.find_last_of("/\\");
    std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos) base.resize(dot);
    return base;
}

SColorValue ColourOf(const aiMaterial* m, const char* key, unsigned type, unsigned index, float alpha,
                     bool keepAlpha)
{
    aiColor4D c(0.0f, 0.0f, 0.0f, alpha);
    if (m->Get(key, type, index, c) != AI_SUCCESS) c = aiColor4D(0.0f, 0.0f, 0.0f, alpha);
    return SColorValue{c.r, c.g, c.b, keepAlpha ? c.a : alpha};
}

void ReportDamaged(const char* type, const char* name, const std::string& why)
{
    std::string text = std::string("Damaged Resource ") + (type ? type : "") + " " + (name ? name : "") + ": " + why;
    ShowResourceMessage(text.c_str());
}

} // namespace

CModel::CModel(CGraphicsDevice* device) : m_pDevice(device ? device : g_pDevice) {}

CModel::~CModel()
{
    Release();
}

CModel* CModel::Create(const char* name, const char* type)
{
    CModel* m = new CModel();
    m->Load(name, type);
    return m;
}

void CModel::Release()
{
    for (CTexture* t : m_ppTextures) delete t;
    m_ppTextures.clear();
    m_pMaterials.clear();
    if (m_pMesh && m_pDevice && m_pDevice->GetRenderer()) m_pDevice->GetRenderer()->ReleaseMesh(m_pMesh);
    m_pMesh = nullptr;
    m_Vertices.clear();
    m_Indices.clear();
    m_Subsets.clear();
    m_nMaterials = m_nVertices = m_nFaces = 0;
    m_nFormat = 0;
}

bool CModel::Load(const char* name, const char* type)
{
    Release();
    std::vector<uint8_t> bytes;
    std::string overridePath;
    EResourceOrigin origin = LoadResourceBytes(name, type, ".x", bytes, &overridePath);
    if (origin == RESOURCE_MISSING) {
        ReportUndefinedResource(type, name);
        return false;
    }
    std::string folder = origin == RESOURCE_OVERRIDE ? DirName(overridePath) : std::string();
    std::string why;
    if (!LoadFromMemory(bytes.data(), bytes.size(), folder, &why)) {
        ReportDamaged(type, name, why);
        return false;
    }
    return true;
}

bool CModel::LoadFromMemory(const uint8_t* data, size_t size, const std::string& textureFolder, std::string* pError)
{
    Release();
    auto fail = [&](const std::string& why) {
        Release();
        if (pError) *pError = why;
        return false;
    };
    if (!data || size == 0) return fail("empty mesh data");
    // The importer allocates whatever a file declares: look at the counts first.
    std::string tooMuch;
    if (!CheckXFileLimits(data, size, &tooMuch)) return fail(tooMuch);

    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(data, size, kImportFlags, "x");
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE))
        return fail(std::string("not a readable .x mesh (") + importer.GetErrorString() + ")");

    // Every mesh of every frame, in frame order, with the frame's whole
    // transform (the importer stores it transposed: column vectors).
    struct Instance {
        const aiMesh* mesh;
        aiMatrix4x4 world;
    };
    std::vector<Instance> instances;
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> stack = {{scene->mRootNode, scene->mRootNode->mTransformation}};
    std::vector<size_t> depth = {0};
    while (!stack.empty()) {
        auto [node, world] = stack.back();
        size_t d = depth.back();
        stack.pop_back();
        depth.pop_back();
        if (d > kMaxFrameDepth) return fail("frames nested too deeply");
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            unsigned mi = node->mMeshes[i];
            if (mi >= scene->mNumMeshes) return fail("a frame names a mesh that does not exist");
            instances.push_back({scene->mMeshes[mi], world});
        }
        // Children pushed in reverse so they come off the stack in file order.
        for (unsigned i = node->mNumChildren; i-- > 0;) {
            const aiNode* child = node->mChildren[i];
            stack.push_back({child, world * child->mTransformation});
            depth.push_back(d + 1);
        }
    }

    bool hasNormals = false, hasUv = false, hasColours = false;
    for (const Instance& in : instances) {
        hasNormals = hasNormals || in.mesh->HasNormals();
        hasUv = hasUv || in.mesh->HasTextureCoords(0);
        hasColours = hasColours || in.mesh->HasVertexColors(0);
    }
    m_nFormat = FVF_XYZ | (hasNormals ? FVF_NORMAL : 0u) | (hasColours ? FVF_DIFFUSE : 0u) | (hasUv ? FVF_TEX1 : 0u);

    // Subset i holds every triangle of material i, in file order: the order the
    // original mesh optimiser's attribute sort leaves them in.
    const unsigned nMaterials = scene->mNumMaterials;
    if (nMaterials == 0) return fail("the mesh has no material");
    m_Subsets.resize(nMaterials);
    // The importer splits a mesh per material; corners that are the same in
    // every field are shared again across the pieces, as in one indexed mesh.
    using VertexKey = std::array<uint32_t, 9>;
    std::map<VertexKey, uint16_t> shared;
    auto keyOf = [](const RVertex& v) {
        VertexKey k;
        const float f[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v};
        std::memcpy(k.data(), f, sizeof f);
        k[8] = v.diffuse;
        return k;
    };
    for (unsigned mat = 0; mat < nMaterials; ++mat) {
        m_Subsets[mat].nFirstIndex = static_cast<int>(m_Indices.size());
        for (const Instance& in : instances) {
            const aiMesh* mesh = in.mesh;
            if (mesh->mMaterialIndex != mat) continue;
            std::vector<uint16_t> remap(mesh->mNumVertices);
            aiMatrix3x3 normalMatrix(in.world);
            normalMatrix.Inverse().Transpose();
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                RVertex rv;
                aiVector3D p = in.world * mesh->mVertices[v];
                rv.x = p.x;
                rv.y = p.y;
                rv.z = p.z;
                if (mesh->HasNormals()) {
                    aiVector3D n = normalMatrix * mesh->mNormals[v];
                    float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
                    if (len > 0.0f) n /= len;
                    rv.nx = n.x;
                    rv.ny = n.y;
                    rv.nz = n.z;
                }
                if (mesh->HasTextureCoords(0)) {
                    rv.u = mesh->mTextureCoords[0][v].x;
                    rv.v = mesh->mTextureCoords[0][v].y;
                }
                if (mesh->HasVertexColors(0)) {
                    const aiColor4D& c = mesh->mColors[0][v];
                    rv.diffuse = (ColourByte(c.a) << 24) | (ColourByte(c.r) << 16) | (ColourByte(c.g) << 8) |
                                 ColourByte(c.b);
                } else if (hasColours) {
                    rv.diffuse = 0x00FFFFFFu;  // corners without a listed colour
                }
                auto found = shared.find(keyOf(rv));
                if (found != shared.end()) {
                    remap[v] = found->second;
                    continue;
                }
                if (m_Vertices.size() >= 65535) return fail("more than 65535 vertices");
                remap[v] = static_cast<uint16_t>(m_Vertices.size());
                shared.emplace(keyOf(rv), remap[v]);
                m_Vertices.push_back(rv);
            }
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                if (face.mNumIndices < 3) continue;  // points and lines draw nothing
                for (unsigned k = 0; k < face.mNumIndices; ++k)
                    if (face.mIndices[k] >= mesh->mNumVertices) return fail("a face index is out of range");
                // Polygons become fans (v0, v1, v2), (v0, v2, v3), ...
                for (unsigned k = 1; k + 1 < face.mNumIndices; ++k) {
                    m_Indices.push_back(remap[face.mIndices[0]]);
                    m_Indices.push_back(remap[face.mIndices[k]]);
                    m_Indices.push_back(remap[face.mIndices[k + 1]]);
                }
            }
        }
        m_Subsets[mat].nTriangleCount = static_cast<int>((m_Indices.size() - m_Subsets[mat].nFirstIndex) / 3);
    }
    if (m_Indices.empty()) return fail("the mesh has no faces");

    m_nMaterials = nMaterials;
    m_nVertices = static_cast<uint32_t>(m_Vertices.size());
    m_nFaces = static_cast<uint32_t>(m_Indices.size() / 3);
    m_pMaterials.resize(nMaterials);
    m_ppTextures.assign(nMaterials, nullptr);
    for (unsigned i = 0; i < nMaterials; ++i) {
        const aiMaterial* am = scene->mMaterials[i];
        SMaterial& sm = m_pMaterials[i];
        sm.diffuse = ColourOf(am, AI_MATKEY_COLOR_DIFFUSE, 1.0f, true);
        sm.ambient = sm.diffuse;  // lit by the scene's ambient in the material's own colour
        sm.specular = ColourOf(am, AI_MATKEY_COLOR_SPECULAR, 1.0f, false);
        sm.emissive = ColourOf(am, AI_MATKEY_COLOR_EMISSIVE, 1.0f, false);
        float power = 0.0f;
        if (am->Get(AI_MATKEY_SHININESS, power) == AI_SUCCESS) sm.power = power;

        aiString file;
        if (am->GetTexture(aiTextureType_DIFFUSE, 0, &file) != AI_SUCCESS || file.length == 0) continue;
        const std::string base = TextureBaseName(file.C_Str());
        if (base.empty()) continue;
        std::vector<uint8_t> png;
        bool found;
        if (textureFolder.empty()) {
            found = LoadResourceBytes(("#" + base).c_str(), "TEXTUREM", nullptr, png) != RESOURCE_MISSING;
        } else {
            found = ReadWholeFile(textureFolder + base + ".png", png);
        }
        if (!found) continue;
        CTexture* tex = new CTexture(m_pDevice);
        if (tex->LoadFromPng(png.data(), png.size())) {
            m_ppTextures[i] = tex;
        } else {
            delete tex;
        }
    }

    CRenderer* r = m_pDevice ? m_pDevice->GetRenderer() : nullptr;
    if (r) {
        m_pMesh = r->CreateMesh(m_Vertices.data(), static_cast<int>(m_Vertices.size()), m_Indices.data(),
                                static_cast<int>(m_Indices.size()), m_nFormat);
        if (!m_pMesh) return fail("the device cannot create the mesh");
    }
    return true;
}

void CModel::DrawWith(bool depth, bool faded, float alpha)
{
    if (!m_pMesh || !m_pDevice || !m_pDevice->GetRenderer()) return;
    CGraphicsDevice& d = *m_pDevice;
    // The model's own fill mode overrides the caller's; set through the device's
    // cache, so that later solid drawing (a fill rectangle) is not left in
    // wireframe by a stale cache.
    d.SetWireframe(m_bWireframe ? 1 : 0);
    d.SetDepthTest(depth ? 1 : 0);
    for (uint32_t i = 0; i < m_nMaterials; ++i) {
        SMaterial mat = m_pMaterials[i];
        if (faded) {
            if (alpha == 0.0f) {
                mat.diffuse = SColorValue{0.0f, 0.0f, 0.0f, 0.0f};
                mat.ambient = SColorValue{0.0f, 0.0f, 0.0f, mat.ambient.a};
                mat.emissive = SColorValue{0.0f, 0.0f, 0.0f, mat.emissive.a};
            } else {
                mat.diffuse.a *= alpha;
            }
        }
        d.SetMaterial(mat);
        d.SetTexture(m_ppTextures[i] ? m_ppTextures[i]->m_pTexture : nullptr);
        if (m_Subsets[i].nTriangleCount > 0) d.DrawMesh(m_pMesh, m_Subsets[i].nFirstIndex, m_Subsets[i].nTriangleCount);
    }
}

void CModel::Draw()
{
    DrawWith(true, false, 1.0f);
}

void CModel::DrawNoDepth()
{
    DrawWith(false, false, 1.0f);
}

void CModel::DrawFaded(float alpha)
{
    DrawWith(true, true, alpha);
}

void CModel::DrawSubsetUP(uint32_t subset, const RVertex* vertices)
{
    if (!m_pDevice || !vertices || subset >= m_Subsets.size() || m_Subsets[subset].nTriangleCount <= 0) return;
    const SSubset& s = m_Subsets[subset];
    m_pDevice->DrawIndexedPrimitiveUP(EPrimitive::TriangleList, static_cast<int>(m_nVertices), s.nTriangleCount,
                                      m_Indices.data() + s.nFirstIndex, vertices, m_nFormat);
}
