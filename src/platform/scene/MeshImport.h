// Reads mesh files of every format the importer knows (.x text and binary, OBJ, PLY, STL,
// glTF, ...) into plain arrays, and hands them to mesh builders.
#pragma once

#include "platform/scene/MeshBuilder.h"

#include <chrono>
#include <string>
#include <vector>

namespace lumora::scene {

struct ImportedMaterial {
    Color Diffuse = 0xFFFFFFFF;
    bool HasColor = false; // false for the importer's stand-in material
    float Power = 0;
    Vector Specular{1, 1, 1};
    Vector Emissive;
    std::string TextureFile; // as written in the file
};

struct ImportedFace {
    std::vector<std::uint32_t> Indices;
    std::uint32_t Material = 0;
};

// All meshes of a file in one set of arrays, node transforms applied, in the scene's
// left-handed axes. Normals and texture coordinates are per vertex and may be empty.
struct ImportedMesh {
    std::vector<Vector> Positions;
    std::vector<Vector> Normals;
    std::vector<TextureCoord> TexCoords;
    std::vector<ImportedFace> Faces;
    std::vector<ImportedMaterial> Materials;
    std::string Folder; // where the file is, for its texture files
};

// Reads a mesh file. triangulate splits polygons and joins equal vertices (for level of detail
// work). FileNotFound when the file cannot be opened; BadFile when it is broken, truncated, of an
// unknown format or holds no faces. The reason of a failure is kept for ImportFailureReason.
Result ImportMeshFile(const std::string& path, bool triangulate, ImportedMesh& mesh);

// The same, with the time the importer may take over the file before it is taken as broken:
// timeLimit plus one second per MB (ten seconds above; the fuzz targets give less).
Result ImportMeshFile(const std::string& path, bool triangulate, ImportedMesh& mesh,
                      std::chrono::milliseconds timeLimit);

// Why the last ImportMeshFile of this thread failed, in the words of the system or of the
// importer ("No such file or directory", "Is a directory", the importer's own message, "no
// faces"); empty after a success.
const std::string& ImportFailureReason();

// The file name endings (".x", ".obj", ".glb", ...: lower case, with the dot, sorted) of every
// format the importer reads.
std::vector<std::string> ImportExtensions();

// Adds the imported faces to a builder: face colours from their materials (the stand-in
// material leaves the builder's colour), materials with power, specular and emissive colour,
// and textures loaded from the file's folder when they can be read (named as in the file).
void AppendImported(MeshBuilder& builder, const ImportedMesh& imported);

} // namespace lumora::scene
