// Vertex normal generation for mesh builders: smooth, or split at a crease angle, optionally
// after merging vertices at equal positions.
#pragma once

#include "platform/scene/MeshBuilder.h"

#include <span>
#include <vector>

namespace lumora::scene {

// Unit normal of a polygon (Newell's sum over its edges); zero when the polygon has no area.
// Faces wound clockwise as seen from the front get normals pointing to the viewer.
Vector PolygonNormal(const std::vector<Vector>& vertices, std::span<const FaceCorner> corners);

// Replaces normals and the corners' normal indices of a mesh held as flat arrays (face f's
// corners are corners[faceStarts[f]] up to corners[faceStarts[f + 1]]; texCoords is empty or one
// per vertex). flags: kNormalsCompact merges vertices of equal position first (keeping the first
// one and its texture coordinates, in the order of their first appearance), kNormalsUseCrease
// gives a corner the mean normal of only those faces round its vertex whose normals lie within
// crease radians of its own face's normal; without it every vertex gets one mean normal.
void GenerateMeshNormals(std::vector<Vector>& vertices, std::vector<TextureCoord>& texCoords,
                         std::vector<FaceCorner>& corners,
                         const std::vector<std::uint32_t>& faceStarts, std::vector<Vector>& normals,
                         float crease, unsigned flags);

// For each vertex, the index it gets when vertices of equal position are merged: the first of
// equal positions keeps its place, in the order of first appearance, and the others take its
// index. -0 and +0 are equal. Returns the number of distinct positions.
std::size_t MergedIndexes(const std::vector<Vector>& vertices, std::vector<std::uint32_t>& index);

} // namespace lumora::scene
