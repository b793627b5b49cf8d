// Building the game's meshes from simple solids and writing them as text .x
// files: one frame with an identity matrix, one mesh, triangles only, one
// normal per vertex (flat faces), faces grouped by material. Front faces are
// clockwise seen from the front, the convention the game's renderer culls by;
// every solid here is oriented so that its faces look outward.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace meshgen {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
V3 Cross(V3 a, V3 b);
float Dot(V3 a, V3 b);
V3 Normalize(V3 a);

struct Material {
    float diffuse[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    float power = 0.0f;
    float specular[3] = {0, 0, 0};
    float emissive[3] = {0, 0, 0};
    std::string texture;  // file name, e.g. "500.png" -> library "TEXTUREM" "#500"
};

// A colour as 0xRRGGBB with a diffuse alpha, an emissive share of the colour
// (the neon glow that shows without light) and a specular power.
Material Neon(uint32_t rgb, float emissive, float alpha = 1.0f, float power = 0.0f);

// Affine transform applied to every point added (rotation angles in
// half-turns, the game's unit, applied X, then Y, then Z, then the offset).
struct Transform {
    float m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    static Transform Identity() { return {}; }
    static Transform Translate(V3 t);
    static Transform Scale(V3 s);
    static Transform Rotate(V3 halfTurns);
    Transform operator*(const Transform& then) const;  // this first, then `then`
    V3 Apply(V3 p) const;
};

class CMeshBuilder {
public:
    int AddMaterial(const Material& m);
    void UseMaterial(int index) { m_nMaterial = index; }
    void SetTransform(const Transform& t) { m_Transform = t; }
    const Transform& GetTransform() const { return m_Transform; }
    // Every vertex gets planar coordinates of the finished mesh's top view:
    // u across x0..x1, v down from y1 to y0.
    void SetUvPlane(float x0, float y0, float x1, float y1);

    // One triangle, turned so that its front looks away from `inside`.
    void Triangle(V3 a, V3 b, V3 c, V3 inside);
    // One triangle exactly as given (a, b, c clockwise from its front).
    void TriangleAsIs(V3 a, V3 b, V3 c);
    void Quad(V3 a, V3 b, V3 c, V3 d, V3 inside);

    // Solids (all convex pieces, so "outward" is away from their centre).
    void Box(V3 centre, V3 half);
    // A convex polygon (points in order, in the XY plane) extruded from z0 to z1.
    void Slab(const std::vector<V3>& polygon, float z0, float z1);
    // Rings of equal point counts joined side by side, closed at both ends:
    // hulls, pods, engines. Each ring must be convex around its own centre.
    void Loft(const std::vector<std::vector<V3>>& rings, bool capStart = true, bool capEnd = true);
    // A ring of n points of radii (rx, rz) in the XZ plane at height y.
    static std::vector<V3> Ring(float y, float rx, float rz, int n, float phase = 0.0f);
    // A cone or cylinder along +Y from y0 (radius r0) to y1 (radius r1).
    void Cylinder(float y0, float r0, float y1, float r1, int sides, V3 offset = {});
    // A geodesic sphere: an icosahedron split `level` times, vertices on radius r.
    void Geosphere(V3 centre, float r, int level);
    // The same with every original icosahedron corner pushed out to `spike`.
    void SpikedGeosphere(V3 centre, float r, float spike, int level);
    // An octahedron with radii along each axis.
    void Octahedron(V3 centre, V3 radii);
    // A heightfield grid over x0..x1, y0..y1 (nx x ny cells); z = height(x, y).
    // Faces look toward -z (at the camera).
    template <typename F>
    void Terrain(float x0, float x1, int nx, float y0, float y1, int ny, F height)
    {
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                float xa = x0 + (x1 - x0) * i / nx, xb = x0 + (x1 - x0) * (i + 1) / nx;
                float ya = y0 + (y1 - y0) * j / ny, yb = y0 + (y1 - y0) * (j + 1) / ny;
                V3 p00{xa, ya, height(i, j)}, p10{xb, ya, height(i + 1, j)};
                V3 p01{xa, yb, height(i, j + 1)}, p11{xb, yb, height(i + 1, j + 1)};
                // Alternate the diagonal for the lattice look of a vector display.
                if ((i + j) % 2 == 0) {
                    TriangleFacing(p00, p01, p11, V3{0, 0, -1});
                    TriangleFacing(p00, p11, p10, V3{0, 0, -1});
                } else {
                    TriangleFacing(p00, p01, p10, V3{0, 0, -1});
                    TriangleFacing(p10, p01, p11, V3{0, 0, -1});
                }
            }
    }
    // One triangle whose front looks along `towards` (model units).
    void TriangleFacing(V3 a, V3 b, V3 c, V3 towards);

    int TriangleCount() const { return static_cast<int>(m_Faces.size()); }
    // Bounding box of everything added, after transforms.
    void Bounds(V3* pMin, V3* pMax) const;
    // The text .x file.
    std::string ToXFile() const;

private:
    struct Face {
        V3 p[3];
        float u[3], v[3];
        int material;
    };
    void Emit(V3 a, V3 b, V3 c);  // already transformed and oriented

    std::vector<Material> m_Materials;
    std::vector<Face> m_Faces;
    Transform m_Transform;
    int m_nMaterial = 0;
    float m_Uv[4] = {0, 0, 1, 1};
    bool m_bUvSet = false;
};

// Writes text to path, creating its folder. False on failure.
bool WriteTextFile(const std::string& path, const std::string& text);
// Writes an RGB picture as a PNG. False on failure.
bool WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb);

}  // namespace meshgen
