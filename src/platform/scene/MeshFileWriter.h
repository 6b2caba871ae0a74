// Writes mesh builders to .x mesh files: the file Header, then per mesh one Mesh object with its
// MeshMaterialList (one Material, with a TextureFilename when the first face has a named
// texture), MeshNormals and MeshTextureCoords.
#pragma once

#include "platform/scene/Frame.h"
#include "platform/scene/MeshBuilder.h"

#include <functional>
#include <span>

namespace lumora::scene {

// Called once per finished step: each mesh takes five (mesh data, material list, normals,
// texture coordinates, mesh written).
using XFileProgress = std::function<void()>;

// The mesh builder's own save: options are kSave... bits. The Material takes the first face's
// colour (with its alpha) and, when the face has one, its material's power, specular and
// emissive colour. Written whole or not at all, as WriteMeshFile below.
Result WriteXFile(const std::string& path, bool text, std::span<const MeshBuilder* const> meshes,
                  unsigned options, std::string* reason = nullptr);

// The model writer: every mesh builder that is a visual of modelFrame, in order (child frames,
// other visuals and all transforms are left out), with everything. The Material is white, power
// 10, specular and emissive white, unless the first face has a material: then red, green and blue
// come from the face's colour (alpha stays 1) and the rest from the material. A mesh without
// normals gets no MeshNormals object (an empty one would make the file unreadable).
// The file is written through a temporary file beside it: WriteFailed leaves no partial file and
// any old file untouched, and puts "PATH: reason" into *reason when given.
Result WriteMeshFile(const Frame& modelFrame, const std::string& path, bool text,
                     const XFileProgress& step = {}, std::string* reason = nullptr);

// Number of progress steps WriteMeshFile takes for a frame: 5 per visual.
int MeshFileProgressMaximum(const Frame& modelFrame);

} // namespace lumora::scene
