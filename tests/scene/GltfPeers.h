// The independent readers of the glTF files we write: the Khronos validator (under Node, from the
// cache folder scripts/install-deps.sh fills), assimp's command-line tool and importer, and
// gltfpack. A missing peer fails the test that needs it.
#pragma once

#include "support/TestSupport.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <regex>
#include <string>

namespace lumora::test {

// Where scripts/install-deps.sh puts the validator's npm package.
inline std::string GltfValidatorModule() {
    return LUMORA_SOURCE_DIR "/build/tools/gltf-validator/node_modules/gltf-validator";
}

struct GltfValidation {
    int Errors = -1, Warnings = -1, Infos = -1;
    std::string Report; // every message, one a line
};

// The validator's verdict on a file; -1 counts when it could not run.
inline GltfValidation ValidateGltf(const std::string& path) {
    GltfValidation v;
    EXPECT_TRUE(HaveProgram("node")) << "the peer tool node is missing";
    EXPECT_TRUE(std::filesystem::exists(GltfValidatorModule() + "/package.json"))
        << "the glTF validator is missing from " << GltfValidatorModule()
        << ": run scripts/install-deps.sh";
    const auto run =
        RunCommand("node " + ShellQuote(LUMORA_SOURCE_DIR "/tests/scene/gltf-validate.js") + " " +
                   ShellQuote(GltfValidatorModule()) + " " + ShellQuote(path));
    EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    v.Report = run.Out + run.Err;
    std::smatch m;
    if (std::regex_search(run.Out, m, std::regex("errors (\\d+)\nwarnings (\\d+)\ninfos (\\d+)"))) {
        v.Errors = std::stoi(m[1]);
        v.Warnings = std::stoi(m[2]);
        v.Infos = std::stoi(m[3]);
    }
    return v;
}

// The validator finds neither an error nor a warning.
inline void ExpectValidGltf(const std::string& path) {
    const GltfValidation v = ValidateGltf(path);
    EXPECT_EQ(v.Errors, 0) << path << "\n" << v.Report;
    EXPECT_EQ(v.Warnings, 0) << path << "\n" << v.Report;
}

// gltfpack reads the file and writes its own without an error.
inline void ExpectGltfpackReads(const std::string& path, const std::string& output) {
    ASSERT_TRUE(HaveProgram("gltfpack")) << "the peer tool gltfpack is missing";
    const auto run = RunCommand("gltfpack -i " + ShellQuote(path) + " -o " + ShellQuote(output));
    EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    EXPECT_EQ(run.Err.find("Error"), std::string::npos) << run.Err;
    EXPECT_TRUE(std::filesystem::exists(output)) << run.Out << run.Err;
}

// What `assimp info` says: its totals of vertices and faces (lines count as faces).
struct AssimpTotals {
    long long Vertices = -1, Faces = -1;
};

inline AssimpTotals AssimpInfo(const std::string& path) {
    EXPECT_TRUE(HaveProgram("assimp")) << "the peer tool assimp is missing";
    const auto run = RunCommand("assimp info " + ShellQuote(path) + " -r");
    EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    AssimpTotals totals;
    std::smatch m;
    if (std::regex_search(run.Out, m, std::regex("Vertices:\\s+(\\d+)")))
        totals.Vertices = std::stoll(m[1]);
    if (std::regex_search(run.Out, m, std::regex("Faces:\\s+(\\d+)")))
        totals.Faces = std::stoll(m[1]);
    return totals;
}

// What assimp's importer reads from a glTF file, as the file says it (no post-processing).
struct AssimpGltf {
    std::size_t Meshes = 0, Triangles = 0, Lines = 0, Points = 0, Vertices = 0;
    aiVector3D Min{std::numeric_limits<float>::max()}, Max{-std::numeric_limits<float>::max()};
};

inline AssimpGltf ReadGltfWithAssimp(const std::string& path, Assimp::Importer& importer,
                                     const aiScene*& scene) {
    AssimpGltf r;
    scene = importer.ReadFile(path, 0);
    EXPECT_NE(scene, nullptr) << importer.GetErrorString();
    if (!scene)
        return r;
    r.Meshes = scene->mNumMeshes;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh& mesh = *scene->mMeshes[i];
        r.Vertices += mesh.mNumVertices;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const unsigned n = mesh.mFaces[f].mNumIndices;
            (n == 3 ? r.Triangles : n == 2 ? r.Lines : r.Points) += 1;
        }
        for (unsigned v = 0; v < mesh.mNumVertices; ++v)
            for (int k = 0; k < 3; ++k) {
                r.Min[k] = std::min(r.Min[k], mesh.mVertices[v][k]);
                r.Max[k] = std::max(r.Max[k], mesh.mVertices[v][k]);
            }
    }
    return r;
}

} // namespace lumora::test
