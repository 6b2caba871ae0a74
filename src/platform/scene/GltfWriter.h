// Writes the model frame as a glTF 2.0 file: binary (.glb) or JSON with its buffer embedded
// (.gltf). One node per mesh builder of the frame, in metres, right-handed, y up.
#pragma once

#include "platform/scene/Frame.h"
#include "platform/scene/GltfGeometry.h"

#include <string>

namespace lumora::scene {

// Where the model lies in the world, for readers that place it (GIS, globes). Written into the
// asset's extras when Known.
struct GltfPlace {
    bool Known = false;
    // Plot coordinates (east, north, up) in metres of the point the positions are relative to.
    double CenterEast = 0, CenterNorth = 0, CenterUp = 0;
    int UtmZone = 0; // negative south of the equator; 0: none
    std::string Datum;
    std::string Source; // the file the model was built from, without its folder
};

struct GltfOptions {
    bool Binary = true;      // .glb; false: .gltf with the buffer as a base64 data URI
    float MetresPerUnit = 1; // the scene's unit in metres
    std::string Generator = "Lumora Viewer";
    GltfPlace Place;
};

// What a file holds.
struct GltfCounts {
    std::size_t Nodes = 0, Triangles = 0, Lines = 0, Points = 0, Vertices = 0;
};

// The glTF file of every mesh builder that is a visual of modelFrame, in order, each as a node and
// a mesh named after it (child frames, other visuals and all transforms are left out). Faces
// become primitives as ConvertToGltf says: one per face texture, with positions, normals
// (triangles), face colours as vertex colours, and texture coordinates where a face has a
// texture, whose picture is embedded as PNG. A mesh that gives nothing to draw gets a node
// without a mesh. Materials: white, not metallic, so the vertex colours show as they are;
// unlit (KHR_materials_unlit) for meshes the viewer draws without light; blended where a face is
// translucent. counts, when given, receives what was written.
std::string GltfFileBytes(const Frame& modelFrame, const GltfOptions& options,
                          GltfCounts* counts = nullptr);

// The same, written to path through a temporary file beside it: WriteFailed leaves no partial
// file and any old file untouched, and puts "PATH: reason" into *reason when given.
Result WriteGltfFile(const Frame& modelFrame, const std::string& path, const GltfOptions& options,
                     std::string* reason = nullptr, GltfCounts* counts = nullptr);

// True when path ends in ".gltf" (any case): the JSON form; otherwise the binary one.
bool IsGltfTextPath(const std::string& path);

} // namespace lumora::scene
