// A mesh builder in glTF's terms: primitives of triangles, lines or points with one position,
// normal, colour and texture coordinate per vertex, in metres and in glTF's right-handed axes
// (x east, y up, z south), front faces wound counter-clockwise.
#pragma once

#include "platform/scene/MeshBuilder.h"

#include <cstdint>
#include <vector>

namespace lumora::scene {

// glTF's primitive modes.
enum class GltfMode { Points = 0, Lines = 1, Triangles = 4 };

// One primitive: its vertices' attributes side by side and the indices that join them.
struct GltfPrimitive {
    GltfMode Mode = GltfMode::Triangles;
    TexturePtr Texture;                 // of every face of the primitive; empty: untextured
    std::vector<float> Positions;       // x, y, z a vertex, metres
    std::vector<float> Normals;         // x, y, z a vertex, unit length; triangles only
    std::vector<std::uint16_t> Colors;  // red, green, blue, alpha a vertex; linear, 65535 = 1
    std::vector<float> TexCoords;       // u, v a vertex; textured primitives only
    std::vector<std::uint32_t> Indices; // three a triangle, two a line, one a point
    bool Translucent = false;           // some face alpha below the viewer's solid 254

    std::size_t VertexCount() const { return Positions.size() / 3; }
    // Triangles, lines or points, by the mode.
    std::size_t ElementCount() const;
};

struct GltfMesh {
    // Drawn without lighting: the mesh's render quality says so, or it is lines or points.
    bool Unlit = false;
    // One per face texture, in the order of first use; none when no face gave anything to draw.
    std::vector<GltfPrimitive> Primitives;
};

// The mesh's faces as primitives. A solid mesh gives triangles: each polygon split as a fan from
// its first corner, the corners' order reversed (the scene's front faces are clockwise in its
// left-handed axes), degenerate triangles (no area) left out. A wire-frame mesh gives the lines
// of its faces' edges, edges between equal positions left out, so a shot line's face (a, b, b)
// is the one line a-b. A point mesh gives the points of its faces' corners. Positions (x, y, z)
// become (x, y, -z) times metresPerUnit, normals (x, y, -z); a corner without a usable normal
// takes its triangle's. Face colours become the vertices' colours (sRGB bytes to linear), so
// a vertex shared by faces of two colours is written twice.
GltfMesh ConvertToGltf(const MeshBuilder& mesh, float metresPerUnit);

// The linear value (65535 = 1) of an sRGB colour byte.
std::uint16_t LinearFromSrgb(unsigned byte);

} // namespace lumora::scene
