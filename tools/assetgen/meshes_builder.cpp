#include "tools/assetgen/meshes_builder.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <utility>

namespace meshgen {

namespace {
constexpr float kPi = 3.14159265358979f;
}

V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Normalize(V3 a)
{
    float l = std::sqrt(Dot(a, a));
    return l > 0 ? a * (1.0f / l) : V3{0, 0, 0};
}

Material Neon(uint32_t rgb, float emissive, float alpha, float power)
{
    Material m;
    float c[3] = {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f};
    for (int i = 0; i < 3; ++i) {
        m.diffuse[i] = c[i];
        m.emissive[i] = c[i] * emissive;
        m.specular[i] = power > 0 ? 0.8f : 0.0f;
    }
    m.diffuse[3] = alpha;
    m.power = power;
    return m;
}

Transform Transform::Translate(V3 t)
{
    Transform r;
    r.m[0][3] = t.x;
    r.m[1][3] = t.y;
    r.m[2][3] = t.z;
    return r;
}

Transform Transform::Scale(V3 s)
{
    Transform r;
    r.m[0][0] = s.x;
    r.m[1][1] = s.y;
    r.m[2][2] = s.z;
    return r;
}

Transform Transform::Rotate(V3 h)
{
    // Column-vector form of the game's RotX * RotY * RotZ (row vectors): X first.
    auto rx = [](float a) {
        Transform r;
        float c = std::cos(a), s = std::sin(a);
        r.m[1][1] = c; r.m[1][2] = -s;
        r.m[2][1] = s; r.m[2][2] = c;
        return r;
    };
    auto ry = [](float a) {
        Transform r;
        float c = std::cos(a), s = std::sin(a);
        r.m[0][0] = c; r.m[0][2] = s;
        r.m[2][0] = -s; r.m[2][2] = c;
        return r;
    };
    auto rz = [](float a) {
        Transform r;
        float c = std::cos(a), s = std::sin(a);
        r.m[0][0] = c; r.m[0][1] = -s;
        r.m[1][0] = s; r.m[1][1] = c;
        return r;
    };
    return rx(h.x * kPi) * ry(h.y * kPi) * rz(h.z * kPi);
}

Transform Transform::operator*(const Transform& then) const
{
    // Result = then ∘ this (apply this first).
    Transform r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            float v = 0;
            for (int k = 0; k < 3; ++k) v += then.m[i][k] * m[k][j];
            if (j == 3) v += then.m[i][3];
            r.m[i][j] = v;
        }
    }
    return r;
}

V3 Transform::Apply(V3 p) const
{
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

int CMeshBuilder::AddMaterial(const Material& m)
{
    m_Materials.push_back(m);
    return static_cast<int>(m_Materials.size()) - 1;
}

void CMeshBuilder::SetUvPlane(float x0, float y0, float x1, float y1)
{
    m_Uv[0] = x0;
    m_Uv[1] = y0;
    m_Uv[2] = x1;
    m_Uv[3] = y1;
    m_bUvSet = true;
}

void CMeshBuilder::Emit(V3 a, V3 b, V3 c)
{
    Face f;
    f.p[0] = a;
    f.p[1] = b;
    f.p[2] = c;
    f.material = m_nMaterial;
    for (int i = 0; i < 3; ++i) {
        // Planar mapping in world units of the finished mesh: the UV plane is
        // given for the top view, which the transform does not move for the
        // parts that carry a texture.
        f.u[i] = m_bUvSet ? (f.p[i].x - m_Uv[0]) / (m_Uv[2] - m_Uv[0]) : 0.0f;
        f.v[i] = m_bUvSet ? (m_Uv[3] - f.p[i].y) / (m_Uv[3] - m_Uv[1]) : 0.0f;
    }
    m_Faces.push_back(f);
}

void CMeshBuilder::TriangleAsIs(V3 a, V3 b, V3 c)
{
    Emit(m_Transform.Apply(a), m_Transform.Apply(b), m_Transform.Apply(c));
}

void CMeshBuilder::Triangle(V3 a, V3 b, V3 c, V3 inside)
{
    V3 ta = m_Transform.Apply(a), tb = m_Transform.Apply(b), tc = m_Transform.Apply(c);
    V3 ti = m_Transform.Apply(inside);
    V3 n = Cross(tb - ta, tc - ta);
    V3 centroid = (ta + tb + tc) * (1.0f / 3.0f);
    if (Dot(n, centroid - ti) < 0) std::swap(tb, tc);
    Emit(ta, tb, tc);
}

void CMeshBuilder::TriangleFacing(V3 a, V3 b, V3 c, V3 towards)
{
    // "Inside" is a point behind the triangle.
    V3 centroid = (a + b + c) * (1.0f / 3.0f);
    Triangle(a, b, c, centroid - towards);
}

void CMeshBuilder::Quad(V3 a, V3 b, V3 c, V3 d, V3 inside)
{
    Triangle(a, b, c, inside);
    Triangle(a, c, d, inside);
}

void CMeshBuilder::Box(V3 c, V3 h)
{
    V3 p[8];
    for (int i = 0; i < 8; ++i)
        p[i] = {c.x + ((i & 1) ? h.x : -h.x), c.y + ((i & 2) ? h.y : -h.y), c.z + ((i & 4) ? h.z : -h.z)};
    const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    for (auto& f : faces) Quad(p[f[0]], p[f[1]], p[f[2]], p[f[3]], c);
}

void CMeshBuilder::Slab(const std::vector<V3>& poly, float z0, float z1)
{
    const size_t n = poly.size();
    if (n < 3) return;
    V3 centre{0, 0, 0};
    for (const V3& p : poly) centre = centre + p;
    centre = centre * (1.0f / static_cast<float>(n));
    centre.z = 0.5f * (z0 + z1);
    for (size_t i = 1; i + 1 < n; ++i) {
        Triangle({poly[0].x, poly[0].y, z0}, {poly[i].x, poly[i].y, z0}, {poly[i + 1].x, poly[i + 1].y, z0}, centre);
        Triangle({poly[0].x, poly[0].y, z1}, {poly[i].x, poly[i].y, z1}, {poly[i + 1].x, poly[i + 1].y, z1}, centre);
    }
    for (size_t i = 0; i < n; ++i) {
        const V3& a = poly[i];
        const V3& b = poly[(i + 1) % n];
        Quad({a.x, a.y, z0}, {b.x, b.y, z0}, {b.x, b.y, z1}, {a.x, a.y, z1}, centre);
    }
}

void CMeshBuilder::Loft(const std::vector<std::vector<V3>>& rings, bool capStart, bool capEnd)
{
    if (rings.size() < 2) return;
    auto centreOf = [](const std::vector<V3>& r) {
        V3 c{0, 0, 0};
        for (const V3& p : r) c = c + p;
        return c * (1.0f / static_cast<float>(r.size()));
    };
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        const std::vector<V3>& a = rings[k];
        const std::vector<V3>& b = rings[k + 1];
        const size_t n = std::min(a.size(), b.size());
        V3 inside = (centreOf(a) + centreOf(b)) * 0.5f;
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            // A ring may shrink to a point: skip the degenerate half.
            V3 d1 = a[j] - a[i];
            V3 d2 = b[j] - b[i];
            if (Dot(d1, d1) > 1e-12f) Triangle(a[i], a[j], b[j], inside);
            if (Dot(d2, d2) > 1e-12f) Triangle(a[i], b[j], b[i], inside);
        }
    }
    auto cap = [&](const std::vector<V3>& r, V3 inside) {
        V3 c = centreOf(r);
        for (size_t i = 0; i < r.size(); ++i) {
            V3 d = r[(i + 1) % r.size()] - r[i];
            if (Dot(d, d) > 1e-12f) Triangle(c, r[i], r[(i + 1) % r.size()], inside);
        }
    };
    if (capStart) cap(rings.front(), centreOf(rings[1]));
    if (capEnd) cap(rings.back(), centreOf(rings[rings.size() - 2]));
}

std::vector<V3> CMeshBuilder::Ring(float y, float rx, float rz, int n, float phase)
{
    std::vector<V3> r;
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * kPi * (static_cast<float>(i) + phase) / static_cast<float>(n);
        r.push_back({rx * std::cos(a), y, rz * std::sin(a)});
    }
    return r;
}

void CMeshBuilder::Cylinder(float y0, float r0, float y1, float r1, int sides, V3 offset)
{
    std::vector<V3> a = Ring(y0, r0, r0, sides), b = Ring(y1, r1, r1, sides);
    for (V3& p : a) p = p + offset;
    for (V3& p : b) p = p + offset;
    Loft({a, b});
}

namespace {

void Icosahedron(std::vector<V3>* pVerts, std::vector<std::array<int, 3>>* pFaces)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    *pVerts = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
               {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (V3& v : *pVerts) v = Normalize(v);
    *pFaces = {{0, 11, 5}, {0, 5, 1}, {0, 1, 7}, {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
               {11, 10, 2}, {10, 7, 6}, {7, 1, 8}, {3, 9, 4}, {3, 4, 2}, {3, 2, 6}, {3, 6, 8},
               {3, 8, 9}, {4, 9, 5}, {2, 4, 11}, {6, 2, 10}, {8, 6, 7}, {9, 8, 1}};
}

// Splits every triangle in four, new points on the unit sphere. The midpoint
// cache is keyed by the ordered pair of corners, so the result does not depend
// on any hash order.
void Subdivide(std::vector<V3>* pVerts, std::vector<std::array<int, 3>>* pFaces)
{
    std::map<std::pair<int, int>, int> mid;
    auto midpoint = [&](int a, int b) {
        auto key = std::make_pair(std::min(a, b), std::max(a, b));
        auto it = mid.find(key);
        if (it != mid.end()) return it->second;
        pVerts->push_back(Normalize(((*pVerts)[a] + (*pVerts)[b]) * 0.5f));
        int idx = static_cast<int>(pVerts->size()) - 1;
        mid.emplace(key, idx);
        return idx;
    };
    std::vector<std::array<int, 3>> out;
    for (const auto& f : *pFaces) {
        int a = midpoint(f[0], f[1]), b = midpoint(f[1], f[2]), c = midpoint(f[2], f[0]);
        out.push_back({f[0], a, c});
        out.push_back({f[1], b, a});
        out.push_back({f[2], c, b});
        out.push_back({a, b, c});
    }
    *pFaces = std::move(out);
}

}  // namespace

void CMeshBuilder::Geosphere(V3 centre, float r, int level)
{
    SpikedGeosphere(centre, r, r, level);
}

void CMeshBuilder::SpikedGeosphere(V3 centre, float r, float spike, int level)
{
    std::vector<V3> verts;
    std::vector<std::array<int, 3>> faces;
    Icosahedron(&verts, &faces);
    for (int i = 0; i < level; ++i) Subdivide(&verts, &faces);
    for (const auto& f : faces) {
        V3 p[3];
        for (int k = 0; k < 3; ++k) p[k] = centre + verts[f[k]] * (f[k] < 12 ? spike : r);
        Triangle(p[0], p[1], p[2], centre);
    }
}

void CMeshBuilder::Octahedron(V3 c, V3 r)
{
    V3 px{c.x + r.x, c.y, c.z}, nx{c.x - r.x, c.y, c.z};
    V3 py{c.x, c.y + r.y, c.z}, ny{c.x, c.y - r.y, c.z};
    V3 pz{c.x, c.y, c.z + r.z}, nz{c.x, c.y, c.z - r.z};
    V3 ring[4] = {px, py, nx, ny};
    for (int i = 0; i < 4; ++i) {
        Triangle(ring[i], ring[(i + 1) % 4], pz, c);
        Triangle(ring[i], ring[(i + 1) % 4], nz, c);
    }
}

void CMeshBuilder::Bounds(V3* pMin, V3* pMax) const
{
    V3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    for (const Face& f : m_Faces)
        for (const V3& p : f.p) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
    *pMin = lo;
    *pMax = hi;
}

namespace {

// Fixed decimals: the text is the same on every build.
void AppendFloat(std::string& s, float v)
{
    char buf[32];
    if (std::fabs(v) < 0.0000005f) v = 0.0f;  // no "-0.000000"
    std::snprintf(buf, sizeof buf, "%.6f", static_cast<double>(v));
    s += buf;
}

void AppendRgba(std::string& s, const float* c, int n)
{
    for (int i = 0; i < n; ++i) {
        AppendFloat(s, c[i]);
        s += ';';
    }
    s += ';';
}

}  // namespace

std::string CMeshBuilder::ToXFile() const
{
    // Faces grouped by material, keeping their order inside each group.
    std::vector<const Face*> faces;
    for (size_t m = 0; m < m_Materials.size(); ++m)
        for (const Face& f : m_Faces)
            if (f.material == static_cast<int>(m)) faces.push_back(&f);
    bool textured = false;
    for (const Material& m : m_Materials) textured = textured || !m.texture.empty();

    const size_t nv = faces.size() * 3;
    std::string s = "xof 0303txt 0032\n";
    s += "Frame Root {\n FrameTransformMatrix {\n  1.000000,0.000000,0.000000,0.000000,\n"
         "  0.000000,1.000000,0.000000,0.000000,\n  0.000000,0.000000,1.000000,0.000000,\n"
         "  0.000000,0.000000,0.000000,1.000000;;\n }\n";
    s += " Mesh Body {\n  " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < faces.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            const V3& p = faces[i]->p[k];
            s += "  ";
            AppendFloat(s, p.x);
            s += ';';
            AppendFloat(s, p.y);
            s += ';';
            AppendFloat(s, p.z);
            s += (i + 1 == faces.size() && k == 2) ? ";;\n" : ";,\n";
        }
    s += "  " + std::to_string(faces.size()) + ";\n";
    for (size_t i = 0; i < faces.size(); ++i) {
        s += "  3;" + std::to_string(3 * i) + "," + std::to_string(3 * i + 1) + "," + std::to_string(3 * i + 2);
        s += (i + 1 == faces.size()) ? ";;\n" : ";,\n";
    }
    // Normals: one per vertex, the face's own (flat facets).
    s += "  MeshNormals {\n   " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < faces.size(); ++i) {
        const Face& f = *faces[i];
        V3 n = Normalize(Cross(f.p[1] - f.p[0], f.p[2] - f.p[0]));
        for (int k = 0; k < 3; ++k) {
            s += "   ";
            AppendFloat(s, n.x);
            s += ';';
            AppendFloat(s, n.y);
            s += ';';
            AppendFloat(s, n.z);
            s += (i + 1 == faces.size() && k == 2) ? ";;\n" : ";,\n";
        }
    }
    s += "   " + std::to_string(faces.size()) + ";\n";
    for (size_t i = 0; i < faces.size(); ++i) {
        s += "   3;" + std::to_string(3 * i) + "," + std::to_string(3 * i + 1) + "," + std::to_string(3 * i + 2);
        s += (i + 1 == faces.size()) ? ";;\n" : ";,\n";
    }
    s += "  }\n";
    if (textured) {
        s += "  MeshTextureCoords {\n   " + std::to_string(nv) + ";\n";
        for (size_t i = 0; i < faces.size(); ++i)
            for (int k = 0; k < 3; ++k) {
                s += "   ";
                AppendFloat(s, faces[i]->u[k]);
                s += ';';
                AppendFloat(s, faces[i]->v[k]);
                s += (i + 1 == faces.size() && k == 2) ? ";;\n" : ";,\n";
            }
        s += "  }\n";
    }
    s += "  MeshMaterialList {\n   " + std::to_string(m_Materials.size()) + ";\n   " +
         std::to_string(faces.size()) + ";\n";
    for (size_t i = 0; i < faces.size(); ++i) {
        s += "   " + std::to_string(faces[i]->material);
        s += (i + 1 == faces.size()) ? ";;\n" : ",\n";
    }
    for (size_t m = 0; m < m_Materials.size(); ++m) {
        const Material& mat = m_Materials[m];
        s += "   Material M" + std::to_string(m) + " {\n    ";
        AppendRgba(s, mat.diffuse, 4);
        s += "\n    ";
        AppendFloat(s, mat.power);
        s += ";\n    ";
        AppendRgba(s, mat.specular, 3);
        s += "\n    ";
        AppendRgba(s, mat.emissive, 3);
        s += "\n";
        if (!mat.texture.empty()) s += "    TextureFilename { \"" + mat.texture + "\"; }\n";
        s += "   }\n";
    }
    s += "  }\n }\n}\n";
    return s;
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
    ok = (std::fclose(fp) == 0) && ok;
    return ok;
}

bool WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, rgb.data() + static_cast<size_t>(y) * w * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(fp) == 0;
}

}  // namespace meshgen
