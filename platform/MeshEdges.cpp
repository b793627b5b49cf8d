#include "platform/MeshEdges.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "platform/RenderMath.h"

SMeshEdges BuildMeshEdges(const uint16_t* indices, int triangleCount)
{
    SMeshEdges out;
    if (!indices || triangleCount <= 0) return out;
    // Each edge by its two vertices (lower first): its place in ordered and how
    // many triangles have it.
    std::map<std::pair<uint16_t, uint16_t>, std::pair<int, int>> seen;
    for (int t = 0; t < triangleCount; ++t) {
        const uint16_t* v = indices + 3 * t;
        for (int e = 0; e < 3; ++e) {
            const uint16_t a = v[e], b = v[(e + 1) % 3];
            if (a == b) continue;
            auto [it, added] = seen.try_emplace({std::min(a, b), std::max(a, b)},
                                                static_cast<int>(out.ordered.size()), 0);
            ++it->second.second;
            if (!added) continue;
            out.ordered.push_back(a);
            out.ordered.push_back(b);
        }
    }
    // Edges shared by each number of triangles, in ordered's order.
    std::map<int, std::vector<int>> byShare;
    for (const auto& [edge, where] : seen) byShare[where.second].push_back(where.first);
    for (auto& [shared, places] : byShare) {
        std::sort(places.begin(), places.end());
        SMeshEdges::SRun run;
        run.shared = shared;
        run.first = static_cast<int>(out.grouped.size());
        for (int at : places) {
            out.grouped.push_back(out.ordered[at]);
            out.grouped.push_back(out.ordered[at + 1]);
        }
        run.count = static_cast<int>(out.grouped.size()) - run.first;
        out.runs.push_back(run);
    }
    return out;
}

float RepeatedAlpha(float a, int times)
{
    float left = 1.0f;
    for (int i = 0; i < times; ++i) left *= 1.0f - a;
    return 1.0f - left;
}

SBox BoundsOf(const Vec3* positions, const uint16_t* indices, int indexCount)
{
    SBox box;
    if (!positions || !indices || indexCount <= 0) return box;
    box.min = box.max = positions[indices[0]];
    for (int i = 1; i < indexCount; ++i) {
        const Vec3& v = positions[indices[i]];
        box.min = Vec3{std::min(box.min.x, v.x), std::min(box.min.y, v.y), std::min(box.min.z, v.z)};
        box.max = Vec3{std::max(box.max.x, v.x), std::max(box.max.y, v.y), std::max(box.max.z, v.z)};
    }
    return box;
}

bool IsOutsideView(const Matrix& m, const SBox& box, float marginX, float marginY)
{
    // The view volume is -w <= x <= w, -w <= y <= w, 0 <= z <= w; a convex box
    // lies outside when all eight corners lie beyond the same plane.
    bool left = true, right = true, below = true, above = true, near = true, far = true;
    for (int c = 0; c < 8; ++c) {
        float p[4];
        TransformPoint4(m, (c & 1) ? box.max.x : box.min.x, (c & 2) ? box.max.y : box.min.y,
                        (c & 4) ? box.max.z : box.min.z, p);
        const float wx = p[3] * (1.0f + marginX), wy = p[3] * (1.0f + marginY);
        left = left && p[0] + wx < 0.0f;
        right = right && wx - p[0] < 0.0f;
        below = below && p[1] + wy < 0.0f;
        above = above && wy - p[1] < 0.0f;
        near = near && p[2] < 0.0f;
        far = far && p[3] - p[2] < 0.0f;
    }
    return left || right || below || above || near || far;
}
