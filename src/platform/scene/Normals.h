// Vertex normal generation for mesh builders: smooth, or split at a crease angle, optionally
// after merging vertices at equal positions.
#pragma once

#include "platform/scene/MeshBuilder.h"

#include <vector>

namespace lumora::scene {

// Unit normal of a polygon (Newell's sum over its edges); zero when the polygon has no area.
// Faces wound clockwise as seen from the front get normals pointing to the viewer.
Vector PolygonNormal(const std::vector<Vector>& vertices, const std::vector<FaceCorner>& corners);

// Replaces normals and the corners' normal indices. flags: kNormalsCompact merges vertices of
// equal position first (keeping the first one's texture coordinates), kNormalsUseCrease gives a
// corner the mean normal of only those faces round its vertex whose normals lie within crease
// radians of its own face's normal; without it every vertex gets one mean normal.
void GenerateMeshNormals(std::vector<Vector>& vertices, std::vector<TextureCoord>& texCoords,
                         std::vector<FaceData>& faces, std::vector<Vector>& normals, float crease,
                         unsigned flags);

} // namespace lumora::scene
