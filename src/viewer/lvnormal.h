// Normal generation of a mesh as the normals dialog offers it: crease angle, crease on or off,
// vertices merged first or not, and the dialog's read-outs.
#pragma once

#include "platform/scene/MeshBuilder.h"

#include <string>

namespace lumora::viewer {

struct TNormalSettings {
    double CreaseDegrees = 20; // step 10
    bool UseCrease = true;     // "Use Crease Angle"
    bool Compress = true;      // "Compress Mesh": merge equal vertices and normals first
};

// The generation flags: 2 for the crease angle plus 1 for merging.
unsigned NormalFlags(const TNormalSettings& settings);
// "Do Normals": new vertex normals for the mesh.
scene::Result DoNormals(scene::MeshBuilder& mesh, const TNormalSettings& settings);

struct TNormalReadouts {
    std::string Polygons, Vertices, Size; // Size: "X: " dx "  Y: " dy "  Z: " dz
};
TNormalReadouts NormalReadouts(const scene::MeshBuilder& mesh);

} // namespace lumora::viewer
