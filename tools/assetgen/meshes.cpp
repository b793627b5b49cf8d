// The game's meshes: a neon-vector look. Solid models glow with emissive
// colour so that they read against black; bosses and backgrounds are drawn as
// wireframe by the game, so their triangles are laid out as the lattice that
// shows. Every model's nose is its local +Y; the camera looks along +Z, so the
// side a player sees (cockpits, decks) is the -Z side.
//
// Sizes follow the play field (7.2 x 9 units at the craft's depth) and the hit
// radii: craft 0.03 (its model about 0.5 long), zab 0.25, raptor 0.5, boss 0.4,
// score item pick-up 0.5, blade reach 1.5.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/assetgen/AssetGen.h"
#include "tools/assetgen/meshes_builder.h"

using meshgen::CMeshBuilder;
using meshgen::Material;
using meshgen::Neon;
using meshgen::Transform;
using meshgen::V3;

namespace {

// The palette shared with the pictures: cyan, magenta, orange, yellow, green.
constexpr uint32_t kCyan = 0x20E0FF;
constexpr uint32_t kMagenta = 0xFF30C0;
constexpr uint32_t kOrange = 0xFF8020;
constexpr uint32_t kYellow = 0xFFE040;
constexpr uint32_t kGreen = 0x40FF80;
constexpr uint32_t kRed = 0xFF3030;
constexpr uint32_t kViolet = 0x9040FF;
constexpr uint32_t kWhite = 0xE0E8FF;

// The craft's hull texture, library type "TEXTUREM" "#500".
constexpr const char* kHullTexture = "500.png";
constexpr int kHullTextureSize = 128;

// Deterministic lattice noise for the backgrounds (not gameplay randomness).
uint32_t Hash(int i, int j)
{
    uint32_t h = static_cast<uint32_t>(i) * 73856093u ^ static_cast<uint32_t>(j) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

float Hash01(int i, int j)
{
    return static_cast<float>(Hash(i, j) & 0xFFFF) / 65535.0f;
}

std::vector<V3> Mirror(const std::vector<V3>& poly)
{
    std::vector<V3> r;
    for (auto it = poly.rbegin(); it != poly.rend(); ++it) r.push_back({-it->x, it->y, it->z});
    return r;
}

// A fin standing up toward the viewer (-Z): profile points (height, y).
void Fin(CMeshBuilder& b, const std::vector<V3>& profile, float x, float thickness)
{
    Transform saved = b.GetTransform();
    // Rotating a quarter turn about Y maps x to -z: the profile's x becomes height.
    b.SetTransform(Transform::Rotate({0, 0.5f, 0}) * Transform::Translate({x, 0, 0}) * saved);
    b.Slab(profile, -thickness, thickness);
    b.SetTransform(saved);
}

// ---------------------------------------------------------------------------
// The player's craft, about 0.54 long and 0.46 across at scale 1.
void BuildCraft(CMeshBuilder& b, float scale)
{
    Material hull = Neon(0xB8C4DC, 0.15f, 1.0f, 24.0f);
    hull.texture = kHullTexture;
    int mHull = b.AddMaterial(hull);
    int mGlass = b.AddMaterial(Neon(kCyan, 0.9f, 1.0f, 40.0f));
    int mEngine = b.AddMaterial(Neon(kOrange, 1.0f));
    int mTrim = b.AddMaterial(Neon(0x304060, 0.2f));
    b.SetTransform(Transform::Scale({scale, scale, scale}));
    b.SetUvPlane(-0.25f * scale, -0.3f * scale, 0.25f * scale, 0.3f * scale);

    b.UseMaterial(mHull);
    b.Loft({CMeshBuilder::Ring(0.30f, 0.004f, 0.004f, 6), CMeshBuilder::Ring(0.18f, 0.035f, 0.03f, 6),
            CMeshBuilder::Ring(0.0f, 0.06f, 0.05f, 6), CMeshBuilder::Ring(-0.16f, 0.065f, 0.05f, 6),
            CMeshBuilder::Ring(-0.22f, 0.05f, 0.04f, 6)});
    std::vector<V3> wing = {{0.04f, 0.06f, 0}, {0.23f, -0.12f, 0}, {0.22f, -0.17f, 0}, {0.04f, -0.13f, 0}};
    b.Slab(wing, -0.008f, 0.008f);
    b.Slab(Mirror(wing), -0.008f, 0.008f);

    b.UseMaterial(mTrim);
    std::vector<V3> fin = {{0.0f, -0.06f, 0}, {0.09f, -0.15f, 0}, {0.09f, -0.19f, 0}, {0.0f, -0.2f, 0}};
    Fin(b, fin, 0.07f, 0.006f);
    Fin(b, fin, -0.07f, 0.006f);

    b.UseMaterial(mGlass);
    b.Octahedron({0, 0.08f, -0.045f}, {0.025f, 0.07f, 0.025f});
    b.Box({0.225f, -0.145f, 0}, {0.008f, 0.03f, 0.012f});
    b.Box({-0.225f, -0.145f, 0}, {0.008f, 0.03f, 0.012f});

    b.UseMaterial(mEngine);
    b.Cylinder(-0.245f, 0.018f, -0.225f, 0.024f, 8, {0.045f, 0, 0});
    b.Cylinder(-0.245f, 0.018f, -0.225f, 0.024f, 8, {-0.045f, 0, 0});
    b.SetTransform(Transform::Identity());
}

// The hull panels of the craft: grey-blue plates, darker seams, cyan stripes.
std::vector<uint8_t> HullTexture()
{
    const int n = kHullTextureSize;
    std::vector<uint8_t> rgb(static_cast<size_t>(n) * n * 3);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            int r = 150, g = 162, bl = 184;
            // Plates of 32 x 16 pixels, every other row shifted by half a plate.
            int px = (x + ((y / 16) % 2) * 16) % 32;
            if (px == 0 || y % 16 == 0) r = 88, g = 98, bl = 120;
            // A slight shade per plate so the hull is not flat.
            int shade = static_cast<int>(Hash((x + ((y / 16) % 2) * 16) / 32, y / 16) % 13) - 6;
            r += shade, g += shade, bl += shade;
            // Two stripes along the length and a band across the wings.
            if ((x >= 58 && x < 62) || (x >= 66 && x < 70) || (y >= 88 && y < 92)) r = 40, g = 220, bl = 255;
            size_t i = (static_cast<size_t>(y) * n + x) * 3;
            rgb[i] = static_cast<uint8_t>(r);
            rgb[i + 1] = static_cast<uint8_t>(g);
            rgb[i + 2] = static_cast<uint8_t>(bl);
        }
    return rgb;
}

// The blade: a translucent energy edge from the hilt out to 1.5 along +Y.
void BuildBlade(CMeshBuilder& b)
{
    int mEdge = b.AddMaterial(Neon(kCyan, 1.0f, 0.55f));
    int mCore = b.AddMaterial(Neon(kWhite, 1.0f, 0.9f));
    int mHilt = b.AddMaterial(Neon(0x506080, 0.3f, 1.0f, 16.0f));
    b.UseMaterial(mEdge);
    b.Slab({{-0.035f, 0.12f, 0}, {0.035f, 0.12f, 0}, {0.05f, 0.4f, 0}, {0.0f, 1.5f, 0}, {-0.05f, 0.4f, 0}}, -0.006f,
           0.006f);
    b.UseMaterial(mCore);
    b.Slab({{-0.012f, 0.12f, 0}, {0.012f, 0.12f, 0}, {0.0f, 1.45f, 0}}, -0.009f, 0.009f);
    b.UseMaterial(mHilt);
    b.Box({0, 0.1f, 0}, {0.06f, 0.015f, 0.015f});
}

// Menu cursor and the craft's barrier: a spinning wireframe star shell.
void BuildBarrier(CMeshBuilder& b)
{
    b.UseMaterial(b.AddMaterial(Neon(kCyan, 1.0f, 0.85f)));
    b.SpikedGeosphere({0, 0, 0}, 0.3f, 0.4f, 1);
}

// The shell: the wide wireframe aura of a charged craft and of a boss barrage.
void BuildShell(CMeshBuilder& b)
{
    b.UseMaterial(b.AddMaterial(Neon(kViolet, 1.0f, 0.7f)));
    b.Geosphere({0, 0, 0}, 0.8f, 2);
}

// Score item: a small two-layer gem (picked up within 0.5).
void BuildScoreItem(CMeshBuilder& b)
{
    int mOuter = b.AddMaterial(Neon(kYellow, 0.6f, 1.0f, 30.0f));
    int mInner = b.AddMaterial(Neon(kGreen, 1.0f));
    b.UseMaterial(mOuter);
    b.Octahedron({0, 0, 0}, {0.1f, 0.16f, 0.1f});
    b.UseMaterial(mInner);
    b.SetTransform(Transform::Rotate({0, 0, 0.25f}));
    b.Octahedron({0, 0, 0}, {0.06f, 0.06f, 0.13f});
    b.SetTransform(Transform::Identity());
}

// Zab: a spiked drone about 0.5 across (hit radius 0.25).
void BuildZab(CMeshBuilder& b)
{
    int mBody = b.AddMaterial(Neon(kRed, 0.5f, 1.0f, 12.0f));
    int mEye = b.AddMaterial(Neon(kYellow, 1.0f));
    b.UseMaterial(mBody);
    b.SpikedGeosphere({0, 0, 0}, 0.13f, 0.27f, 1);
    b.UseMaterial(mEye);
    b.Octahedron({0, 0.06f, -0.12f}, {0.035f, 0.05f, 0.035f});
}

// Raptor: a bat-winged interceptor about 1.0 across (hit radius 0.5).
void BuildRaptor(CMeshBuilder& b)
{
    int mHull = b.AddMaterial(Neon(0xC02890, 0.35f, 1.0f, 16.0f));
    int mTrim = b.AddMaterial(Neon(0x402040, 0.2f));
    int mEye = b.AddMaterial(Neon(kRed, 1.0f));
    int mEngine = b.AddMaterial(Neon(kMagenta, 1.0f));
    b.UseMaterial(mHull);
    b.Loft({CMeshBuilder::Ring(0.45f, 0.005f, 0.005f, 6), CMeshBuilder::Ring(0.25f, 0.08f, 0.06f, 6),
            CMeshBuilder::Ring(-0.05f, 0.12f, 0.08f, 6), CMeshBuilder::Ring(-0.3f, 0.1f, 0.07f, 6),
            CMeshBuilder::Ring(-0.38f, 0.06f, 0.05f, 6)});
    std::vector<V3> wing = {{0.08f, 0.15f, 0}, {0.5f, -0.2f, 0}, {0.45f, -0.32f, 0}, {0.3f, -0.22f, 0},
                            {0.08f, -0.3f, 0}};
    b.UseMaterial(mTrim);
    b.Slab(wing, -0.015f, 0.015f);
    b.Slab(Mirror(wing), -0.015f, 0.015f);
    b.UseMaterial(mEye);
    b.Box({0.035f, 0.3f, -0.04f}, {0.015f, 0.03f, 0.012f});
    b.Box({-0.035f, 0.3f, -0.04f}, {0.015f, 0.03f, 0.012f});
    b.UseMaterial(mEngine);
    b.Cylinder(-0.44f, 0.04f, -0.36f, 0.055f, 8);
    b.Box({0.48f, -0.26f, 0}, {0.012f, 0.06f, 0.02f});
    b.Box({-0.48f, -0.26f, 0}, {0.012f, 0.06f, 0.02f});
}

// Bit: an emitter satellite about 0.3 across, a core inside a ring of vanes.
void BuildBit(CMeshBuilder& b)
{
    int mCore = b.AddMaterial(Neon(kGreen, 1.0f, 1.0f, 20.0f));
    int mVane = b.AddMaterial(Neon(0x30A060, 0.4f));
    b.UseMaterial(mCore);
    b.Octahedron({0, 0, 0}, {0.07f, 0.07f, 0.07f});
    b.UseMaterial(mVane);
    for (int i = 0; i < 8; ++i) {
        b.SetTransform(Transform::Rotate({0, 0, static_cast<float>(i) / 4.0f}));
        b.Box({0.14f, 0, 0}, {0.02f, 0.045f, 0.02f});
    }
    b.SetTransform(Transform::Identity());
}

// Boss: a faceted warship about 1.8 across, drawn as wireframe.
void BuildBoss(CMeshBuilder& b)
{
    int mHull = b.AddMaterial(Neon(kOrange, 1.0f));
    int mPods = b.AddMaterial(Neon(kRed, 1.0f));
    int mCore = b.AddMaterial(Neon(kYellow, 1.0f));
    b.UseMaterial(mHull);
    b.Loft({CMeshBuilder::Ring(0.9f, 0.01f, 0.01f, 8), CMeshBuilder::Ring(0.55f, 0.18f, 0.14f, 8),
            CMeshBuilder::Ring(0.1f, 0.3f, 0.22f, 8), CMeshBuilder::Ring(-0.4f, 0.28f, 0.2f, 8),
            CMeshBuilder::Ring(-0.7f, 0.16f, 0.12f, 8)});
    std::vector<V3> wing = {{0.2f, 0.3f, 0}, {0.9f, -0.1f, 0}, {0.85f, -0.35f, 0}, {0.25f, -0.45f, 0}};
    b.Slab(wing, -0.04f, 0.04f);
    b.Slab(Mirror(wing), -0.04f, 0.04f);
    b.UseMaterial(mPods);
    b.Cylinder(-0.6f, 0.09f, 0.45f, 0.05f, 6, {0.55f, 0, 0});
    b.Cylinder(-0.6f, 0.09f, 0.45f, 0.05f, 6, {-0.55f, 0, 0});
    std::vector<V3> jaw = {{0.05f, 0.55f, 0}, {0.28f, 0.85f, 0}, {0.22f, 0.95f, 0}, {0.04f, 0.75f, 0}};
    b.Slab(jaw, -0.03f, 0.03f);
    b.Slab(Mirror(jaw), -0.03f, 0.03f);
    b.UseMaterial(mCore);
    b.Geosphere({0, 0.05f, -0.22f}, 0.12f, 1);
}

// The carrier of the intro and result scenes, about 4.3 long.
void BuildCarrier(CMeshBuilder& b)
{
    int mHull = b.AddMaterial(Neon(0x607088, 0.12f, 1.0f, 10.0f));
    int mDeck = b.AddMaterial(Neon(0x303848, 0.15f));
    int mLight = b.AddMaterial(Neon(kCyan, 1.0f));
    int mEngine = b.AddMaterial(Neon(kOrange, 1.0f));
    b.UseMaterial(mHull);
    b.Loft({CMeshBuilder::Ring(2.0f, 0.15f, 0.1f, 8), CMeshBuilder::Ring(1.6f, 0.45f, 0.25f, 8),
            CMeshBuilder::Ring(0.0f, 0.6f, 0.32f, 8), CMeshBuilder::Ring(-1.6f, 0.55f, 0.3f, 8),
            CMeshBuilder::Ring(-2.0f, 0.4f, 0.22f, 8)});
    b.Box({0.45f, -0.6f, -0.5f}, {0.1f, 0.25f, 0.15f});
    b.UseMaterial(mDeck);
    b.Slab({{-0.5f, 1.4f, 0}, {0.5f, 1.4f, 0}, {0.7f, -1.8f, 0}, {-0.7f, -1.8f, 0}}, -0.36f, -0.3f);
    b.UseMaterial(mLight);
    for (int i = 0; i < 8; ++i) b.Box({0, 1.2f - 0.4f * static_cast<float>(i), -0.37f}, {0.02f, 0.06f, 0.01f});
    b.Box({0.45f, -0.6f, -0.66f}, {0.06f, 0.06f, 0.01f});
    b.UseMaterial(mEngine);
    for (int i = -1; i <= 1; ++i)
        b.Cylinder(-2.3f, 0.12f, -2.0f, 0.16f, 8, {0.3f * static_cast<float>(i), 0, 0});
}

// Spare: a forward-swept fighter (drawn by nothing; kept for modders).
void BuildSpareFighter(CMeshBuilder& b)
{
    int mHull = b.AddMaterial(Neon(0x8090B0, 0.2f, 1.0f, 16.0f));
    int mGlow = b.AddMaterial(Neon(kGreen, 1.0f));
    b.UseMaterial(mHull);
    b.Loft({CMeshBuilder::Ring(0.3f, 0.004f, 0.004f, 6), CMeshBuilder::Ring(0.1f, 0.05f, 0.04f, 6),
            CMeshBuilder::Ring(-0.25f, 0.06f, 0.05f, 6)});
    std::vector<V3> wing = {{0.04f, -0.1f, 0}, {0.26f, 0.05f, 0}, {0.27f, 0.0f, 0}, {0.05f, -0.2f, 0}};
    b.Slab(wing, -0.008f, 0.008f);
    b.Slab(Mirror(wing), -0.008f, 0.008f);
    b.UseMaterial(mGlow);
    b.Cylinder(-0.3f, 0.03f, -0.25f, 0.045f, 8);
}

// Spare 2: a gate ring of twelve plates (drawn by nothing).
void BuildSpareGate(CMeshBuilder& b)
{
    int mPlate = b.AddMaterial(Neon(kMagenta, 0.7f));
    b.UseMaterial(mPlate);
    for (int i = 0; i < 12; ++i) {
        b.SetTransform(Transform::Rotate({0, 0, static_cast<float>(i) / 6.0f}));
        b.Box({0.6f, 0, 0}, {0.05f, 0.14f, 0.05f});
    }
    b.SetTransform(Transform::Identity());
}

// Menu model B: a crystal with four orbiting shards, about 2.2 tall.
void BuildCrystal(CMeshBuilder& b)
{
    int mCrystal = b.AddMaterial(Neon(kMagenta, 0.5f, 1.0f, 40.0f));
    int mShard = b.AddMaterial(Neon(kCyan, 0.9f, 1.0f, 40.0f));
    b.UseMaterial(mCrystal);
    b.Octahedron({0, 0, 0}, {0.55f, 1.1f, 0.55f});
    b.UseMaterial(mShard);
    for (int i = 0; i < 4; ++i) {
        b.SetTransform(Transform::Rotate({0, static_cast<float>(i) / 2.0f, 0}));
        b.Octahedron({0.95f, 0.2f * static_cast<float>(i % 2 ? 1 : -1), 0}, {0.12f, 0.25f, 0.12f});
    }
    b.SetTransform(Transform::Identity());
}

// Chapter backgrounds: 10-unit chunks along Y (0 to 10) that tile, a lattice
// below the play plane toward +Z, 30 units wide to fill the view when the world
// tilts. Nothing crosses the chunk's ends except features that are the same at
// both, so the seams never show.
constexpr float kChunkLength = 10.0f;

// Chapter 1: a city grid at night, blocks and two rails.
void BuildCityChunk(CMeshBuilder& b)
{
    const float ground = 6.0f;
    const int nx = 20, ny = 8;
    const float x0 = -15.0f, x1 = 15.0f;
    int mGround = b.AddMaterial(Neon(0x2080FF, 0.8f));
    int mBlock = b.AddMaterial(Neon(kCyan, 1.0f));
    int mRail = b.AddMaterial(Neon(kMagenta, 1.0f));
    b.UseMaterial(mGround);
    b.Terrain(x0, x1, nx, 0.0f, kChunkLength, ny, [&](int, int) { return ground; });
    b.UseMaterial(mBlock);
    const float cw = (x1 - x0) / nx, ch = kChunkLength / ny;
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            float cx = x0 + cw * (static_cast<float>(i) + 0.5f);
            if (std::fabs(cx) < 2.0f || Hash(i, j) % 4 != 0) continue;
            float h = 0.5f + static_cast<float>(Hash(j, i) % 4) * 0.5f;
            float cy = ch * (static_cast<float>(j) + 0.5f);
            b.Box({cx, cy, ground - h * 0.5f}, {cw * 0.3f, ch * 0.3f, h * 0.5f});
        }
    b.UseMaterial(mRail);
    for (float x : {-4.5f, 4.5f}) b.Box({x, kChunkLength * 0.5f, ground - 0.2f}, {0.08f, kChunkLength * 0.5f, 0.2f});
}

// Chapter 2: a canyon; the walls rise toward the viewer on both sides.
void BuildCanyonChunk(CMeshBuilder& b)
{
    const float floor = 7.0f;
    const int nx = 20, ny = 8;
    const float x0 = -16.0f, x1 = 16.0f;
    int mRock = b.AddMaterial(Neon(kOrange, 0.9f));
    int mSpire = b.AddMaterial(Neon(kMagenta, 1.0f));
    auto height = [&](int i, int j) {
        float x = x0 + (x1 - x0) * static_cast<float>(i) / nx;
        // Walls stop 2 units below the play plane, well clear of the camera.
        float wall = std::fabs(x) > 4.0f ? std::min(5.0f, std::pow(std::fabs(x) - 4.0f, 1.2f) * 0.5f) : 0.0f;
        // The lattice row repeats every chunk, so both ends are the same.
        float bump = Hash01(i, j % ny) * (0.3f + 0.1f * wall);
        return floor - wall - bump;
    };
    b.UseMaterial(mRock);
    b.Terrain(x0, x1, nx, 0.0f, kChunkLength, ny, height);
    b.UseMaterial(mSpire);
    const float cw = (x1 - x0) / nx, ch = kChunkLength / ny;
    for (int j = 1; j < ny; j += 2)
        for (int i = 0; i <= nx; ++i) {
            if (Hash(i * 7, j) % 9 != 0) continue;
            float x = x0 + cw * static_cast<float>(i);
            float base = height(i, j);
            // A cone standing toward the viewer: built along +Y, turned to -Z.
            b.SetTransform(Transform::Rotate({-0.5f, 0, 0}) *
                           Transform::Translate({x, ch * static_cast<float>(j), base}));
            b.Cylinder(0.0f, 0.25f, 1.2f, 0.0f, 4);
        }
    b.SetTransform(Transform::Identity());
}

struct MeshJob {
    int id;
    void (*build)(CMeshBuilder&);
};

void Craft(CMeshBuilder& b) { BuildCraft(b, 1.0f); }
void MenuCraft(CMeshBuilder& b) { BuildCraft(b, 4.0f); }

const MeshJob kMeshes[] = {
    {101, Craft},         {102, BuildCityChunk},    {103, BuildBarrier},   {104, BuildScoreItem},
    {105, BuildCarrier},  {106, BuildZab},          {107, BuildRaptor},    {108, BuildSpareFighter},
    {109, BuildShell},    {111, BuildSpareGate},    {113, BuildCanyonChunk}, {120, BuildBit},
    {121, BuildBoss},     {122, BuildBlade},        {200, MenuCraft},      {201, BuildCrystal},
};

} // namespace

bool GenerateMeshes(const std::string& outDir)
{
    bool ok = true;
    for (const MeshJob& job : kMeshes) {
        CMeshBuilder b;
        job.build(b);
        std::string path = outDir + "/MODEL/" + std::to_string(job.id) + ".x";
        if (!meshgen::WriteTextFile(path, b.ToXFile())) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
            ok = false;
            continue;
        }
        V3 lo, hi;
        b.Bounds(&lo, &hi);
        std::printf("  MODEL #%d: %d triangles, x %.2f..%.2f y %.2f..%.2f z %.2f..%.2f\n", job.id, b.TriangleCount(),
                    lo.x, hi.x, lo.y, hi.y, lo.z, hi.z);
    }
    std::string tex = outDir + "/TEXTUREM/500.png";
    if (!meshgen::WritePng(tex, kHullTextureSize, kHullTextureSize, HullTexture())) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", tex.c_str());
        ok = false;
    }
    return ok;
}
