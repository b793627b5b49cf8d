// What a back end needs to draw a static mesh's wireframe as lines and to skip
// a mesh that cannot show: the edges of a range of its triangles, each once,
// and the range's bounding box tested against the view volume. Pure logic.
//
// A software rasteriser turns unfilled triangles into lines in its slowest
// stage, and an edge shared by two triangles is drawn twice; a list of the
// edges, built once, draws the same lines directly and each edge once.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Math.h"

struct SMeshEdges {
    // A run of edges of the grouped list that the same number of triangles share.
    struct SRun {
        int shared = 1;  // triangles that have each of these edges
        int first = 0;   // index into grouped (two per edge)
        int count = 0;   // indices (two per edge)
    };
    // Every edge once (two vertex indices), walked as its first triangle walks
    // it, in the order the triangles first reach it.
    std::vector<uint16_t> ordered;
    // The same edges, those of one triangle first, then those shared by two,
    // and so on; each group keeps the order of ordered.
    std::vector<uint16_t> grouped;
    std::vector<SRun> runs;
};

// The edges of triangleCount triangles (three indices each). Edges are the same
// when they join the same two vertex indices, in either direction; an edge from
// a vertex to itself is no line and is left out.
SMeshEdges BuildMeshEdges(const uint16_t* indices, int triangleCount);

// The alpha of one source-alpha blend that leaves what `times` blends of alpha
// a one after another leave: 1 - (1 - a)^times.
float RepeatedAlpha(float a, int times);

struct SBox {
    Vec3 min{0.0f, 0.0f, 0.0f};
    Vec3 max{0.0f, 0.0f, 0.0f};
};

// The box around the positions the indices name (none: an empty box at 0).
SBox BoundsOf(const Vec3* positions, const uint16_t* indices, int indexCount);

// Whether the box, moved by worldViewProjection (row vectors, clip depth 0 .. w),
// lies wholly outside one plane of the view volume. The side planes are moved
// out by margin (a share of w on each axis), so nothing that reaches a pixel at
// the edge of the view, line width and pixel-centre shift included, is called
// outside.
bool IsOutsideView(const Matrix& worldViewProjection, const SBox& box, float marginX, float marginY);
