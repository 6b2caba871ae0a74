// glTF files of the model frame: what the Khronos validator, assimp (tool and importer) and
// gltfpack read back; the axes, units, winding and normals; degenerate faces; lines; colours;
// embedded textures; where the model lies; failed writes.
#include "GltfPeers.h"

#include "platform/scene/GltfWriter.h"
#include "platform/scene/Root.h"
#include "support/TestSupport.h"

#include <QImage>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstring>

using namespace lumora::scene;
using lumora::test::TempDir;

namespace {

constexpr Color kRed = 0xFEFF0000, kBlue = 0xFE0000FF;

MeshBuilderPtr NewMesh(Root& root, const std::string& name) {
    MeshBuilderPtr mesh;
    root.CreateMeshBuilder(mesh);
    mesh->SetName(name);
    return mesh;
}

// A row of `quads` squares in the plane z = 0, sharing their edges once normals merged them.
MeshBuilderPtr Strip(Root& root, const std::string& name, int quads, Color color) {
    auto mesh = NewMesh(root, name);
    for (int i = 0; i < quads; ++i) {
        const float x = float(i);
        const Vector quad[4] = {{x, 0, 0}, {x, 1, 0}, {x + 1, 1, 0}, {x + 1, 0, 0}};
        mesh->AddFace(quad, color);
    }
    mesh->GenerateNormals(0.35f, kNormalsCompact | kNormalsUseCrease);
    return mesh;
}

// Shot lines as the cave builder draws them: (a, b, b) triangles drawn as wire frame.
MeshBuilderPtr ShotLines(Root& root, int shots) {
    auto mesh = NewMesh(root, "Shots");
    for (int i = 0; i < shots; ++i) {
        const Vector line[3] = {{float(i), 0, 2}, {float(i + 1), 0.5f, 2}, {float(i + 1), 0.5f, 2}};
        mesh->AddFace(line, kBlue);
    }
    mesh->SetQuality(kShadeFlat | kLightOff | kFillWireframe);
    return mesh;
}

TexturePtr Picture(Root& root, const std::string& name) {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(QColor(120, 100, 80));
    TexturePtr texture;
    root.LoadTextureFromImage(image, texture);
    texture->SetName(name);
    return texture;
}

std::string Write(const Frame& model, const std::string& path, const GltfOptions& options,
                  GltfCounts* counts = nullptr) {
    std::string reason;
    EXPECT_EQ(WriteGltfFile(model, path, options, &reason, counts), Result::Ok) << reason;
    return path;
}

// The JSON part of a written file, .glb or .gltf.
nlohmann::json JsonOf(const std::string& path) {
    const std::string bytes = lumora::test::ReadFile(path);
    if (bytes.compare(0, 4, "glTF") != 0)
        return nlohmann::json::parse(bytes);
    std::uint32_t length = 0;
    std::memcpy(&length, bytes.data() + 12, 4);
    return nlohmann::json::parse(bytes.substr(20, length));
}

class GltfForms : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(GltfForms, AModelFileIsValidAndEveryPeerReadsItsTrianglesAndLines) {
    const bool binary = GetParam();
    TempDir dir;
    Root root;
    FramePtr model;
    root.CreateFrame(nullptr, model);
    model->AddVisual(Strip(root, "MeshName1", 3, kRed));
    model->AddVisual(ShotLines(root, 4));
    auto box = Strip(root, "Bounding Box", 2, kBlue);
    box->SetQuality(kShadeFlat | kLightOff | kFillWireframe);
    model->AddVisual(box);
    auto rock = Strip(root, "Rock", 2, 0xFFFFFFFF);
    rock->SetTexture(Picture(root, "TEXTURE1"));
    for (std::size_t v = 0; v < rock->GetVertexCount(); ++v)
        rock->SetTextureCoordinates(v, rock->Vertices()[v].X * 0.5f, rock->Vertices()[v].Y);
    model->AddVisual(rock);
    FramePtr child;
    root.CreateFrame(model, child);
    child->AddVisual(Strip(root, "Hidden", 5, kRed)); // child frames are not written

    const std::string path = dir.File(binary ? "model.glb" : "model.gltf");
    GltfOptions options;
    options.Binary = binary;
    GltfCounts counts;
    Write(*model, path, options, &counts);
    EXPECT_EQ(counts.Nodes, 4u);
    EXPECT_EQ(counts.Triangles, 2u * (3 + 2));
    EXPECT_EQ(counts.Lines, 4u + 2 * 4);
    lumora::test::ExpectValidGltf(path);
    lumora::test::ExpectGltfpackReads(path, dir.File("packed.glb"));
    const auto info = lumora::test::AssimpInfo(path);
    EXPECT_EQ(info.Faces, 10 + 12);

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    const auto read = lumora::test::ReadGltfWithAssimp(path, importer, scene);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(read.Triangles, 10u);
    EXPECT_EQ(read.Lines, 12u);
    EXPECT_EQ(read.Vertices, counts.Vertices);
    // Nodes carry the meshes' names, in order.
    ASSERT_EQ(scene->mRootNode->mNumChildren, 4u);
    EXPECT_STREQ(scene->mRootNode->mChildren[0]->mName.C_Str(), "MeshName1");
    EXPECT_STREQ(scene->mRootNode->mChildren[2]->mName.C_Str(), "Bounding Box");
    // The picture is embedded and its coordinates come along.
    ASSERT_EQ(scene->mNumTextures, 1u);
    EXPECT_STREQ(scene->mTextures[0]->achFormatHint, "png");
    const QImage decoded =
        QImage::fromData(reinterpret_cast<const uchar*>(scene->mTextures[0]->pcData),
                         int(scene->mTextures[0]->mWidth));
    EXPECT_EQ(decoded.size(), QSize(16, 8));
    EXPECT_EQ(decoded.pixelColor(3, 3), QColor(120, 100, 80));
    bool sawCoordinates = false;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m)
        if (scene->mMeshes[m]->HasTextureCoords(0)) {
            sawCoordinates = true;
            const aiMesh& mesh = *scene->mMeshes[m];
            for (unsigned v = 0; v < mesh.mNumVertices; ++v)
                EXPECT_NEAR(mesh.mTextureCoords[0][v].x, mesh.mVertices[v].x * 0.5f, 1e-6);
        }
    EXPECT_TRUE(sawCoordinates);
}

INSTANTIATE_TEST_SUITE_P(BinaryAndText, GltfForms, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Glb" : "Gltf"; });

TEST(GltfGeometry, MetresRightHandedYUpWithFrontFacesCounterClockwise) {
    Root root;
    auto mesh = NewMesh(root, "one");
    // Clockwise as seen from the camera at -z in the scene's left-handed axes: a front face whose
    // normal points at the camera, (0, 0, -1).
    const Vector triangle[3] = {{10, 20, 30}, {10, 21, 30}, {11, 20, 30}};
    mesh->AddFace(triangle, kRed);
    mesh->GenerateNormals(0, 0);
    const GltfMesh out = ConvertToGltf(*mesh, 0.5f);
    ASSERT_EQ(out.Primitives.size(), 1u);
    const GltfPrimitive& p = out.Primitives[0];
    ASSERT_EQ(p.Indices.size(), 3u);
    auto at = [&](std::uint32_t i) {
        return Vector{p.Positions[3 * i], p.Positions[3 * i + 1], p.Positions[3 * i + 2]};
    };
    // (x, y, z) -> (x, y, -z) in metres.
    const Vector a = at(p.Indices[0]), b = at(p.Indices[1]), c = at(p.Indices[2]);
    EXPECT_EQ(a.X, 5.0f);
    EXPECT_EQ(a.Y, 10.0f);
    EXPECT_EQ(a.Z, -15.0f);
    // The camera now looks from +z: the face points at it and winds counter-clockwise, the
    // right-handed front.
    const Vector n{p.Normals[0], p.Normals[1], p.Normals[2]};
    EXPECT_EQ(n.X, 0.0f);
    EXPECT_EQ(n.Y, 0.0f);
    EXPECT_EQ(n.Z, 1.0f);
    const Vector winding = Cross(b - a, c - a);
    EXPECT_GT(Dot(winding, n), 0);
    EXPECT_FALSE(out.Unlit);
}

TEST(GltfGeometry, DegenerateTrianglesAreLeftOutAndCornersWithoutNormalsTakeTheirFaces) {
    Root root;
    auto mesh = NewMesh(root, "mixed");
    // A quad with two equal corners: its first fan triangle has no area, its second has.
    const Vector pinched[4] = {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    mesh->AddFace(pinched, kRed);
    // Three points on a line: no triangle at all.
    const Vector flat[3] = {{0, 0, 5}, {1, 1, 5}, {2, 2, 5}};
    mesh->AddFace(flat, kRed);
    // Below: a quad facing down in the scene (normal -y).
    const Vector floor[4] = {{0, -1, 0}, {1, -1, 0}, {1, -1, 1}, {0, -1, 1}};
    mesh->AddFace(floor, kRed);
    const GltfMesh out = ConvertToGltf(*mesh, 1);
    ASSERT_EQ(out.Primitives.size(), 1u);
    const GltfPrimitive& p = out.Primitives[0];
    EXPECT_EQ(p.ElementCount(), 1u + 2u);
    // No normals in the mesh: each corner takes its face's, of unit length.
    ASSERT_EQ(p.Normals.size(), p.Positions.size());
    for (std::size_t v = 0; v < p.VertexCount(); ++v) {
        const Vector n{p.Normals[3 * v], p.Normals[3 * v + 1], p.Normals[3 * v + 2]};
        EXPECT_NEAR(Length(n), 1, 1e-6);
    }
    const std::size_t last = p.VertexCount() - 1;
    EXPECT_NEAR(p.Normals[3 * last + 1], -1, 1e-6); // the floor faces down

    // Every triangle written winds counter-clockwise about its normals.
    for (std::size_t t = 0; t < p.Indices.size(); t += 3) {
        Vector corner[3];
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t i = p.Indices[t + k];
            corner[k] = {p.Positions[3 * i], p.Positions[3 * i + 1], p.Positions[3 * i + 2]};
        }
        const std::uint32_t i = p.Indices[t];
        const Vector n{p.Normals[3 * i], p.Normals[3 * i + 1], p.Normals[3 * i + 2]};
        EXPECT_GT(Dot(Cross(corner[1] - corner[0], corner[2] - corner[0]), n), 0) << t;
    }
}

TEST(GltfGeometry, AZeroNormalIsReplacedByTheFacesSoNoneIsWrittenWithoutLength) {
    Root root;
    auto mesh = NewMesh(root, "zero");
    std::vector<FaceData> faces(1);
    faces[0].Corners = {{0, 0}, {1, 0}, {2, 1}};
    faces[0].FaceColor = kRed;
    mesh->Assign({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, {}, {{0, 0, 0}, {0, 0, -2}}, faces);
    const GltfMesh out = ConvertToGltf(*mesh, 1);
    ASSERT_EQ(out.Primitives.size(), 1u);
    const GltfPrimitive& p = out.Primitives[0];
    for (std::size_t v = 0; v < p.VertexCount(); ++v)
        EXPECT_FLOAT_EQ(p.Normals[3 * v + 2], 1.0f) << v; // the face's, and the unit given one
}

TEST(GltfGeometry, WireFramesBecomeLinesAndAShotLineIsOneLine) {
    Root root;
    const GltfMesh shots = ConvertToGltf(*ShotLines(root, 3), 1);
    ASSERT_EQ(shots.Primitives.size(), 1u);
    EXPECT_EQ(shots.Primitives[0].Mode, GltfMode::Lines);
    EXPECT_EQ(shots.Primitives[0].ElementCount(), 3u);
    EXPECT_TRUE(shots.Primitives[0].Normals.empty());
    EXPECT_TRUE(shots.Unlit);
    const auto& p = shots.Primitives[0];
    // Line 0 runs from (0, 0, 2) to (1, 0.5, 2), z mirrored.
    EXPECT_EQ(p.Positions[3 * p.Indices[0] + 2], -2.0f);
    EXPECT_EQ(p.Positions[3 * p.Indices[1]], 1.0f);
    auto quad = Strip(root, "edges", 1, kBlue);
    quad->SetQuality(kFillWireframe);
    EXPECT_EQ(ConvertToGltf(*quad, 1).Primitives[0].ElementCount(), 4u);
    quad->SetQuality(kFillPoints);
    const GltfMesh points = ConvertToGltf(*quad, 1);
    EXPECT_EQ(points.Primitives[0].Mode, GltfMode::Points);
    EXPECT_EQ(points.Primitives[0].ElementCount(), 4u);
}

TEST(GltfGeometry, FaceColoursBecomeLinearVertexColoursAndSplitSharedVertices) {
    EXPECT_EQ(LinearFromSrgb(0), 0);
    EXPECT_EQ(LinearFromSrgb(255), 65535);
    EXPECT_EQ(LinearFromSrgb(128), 14146); // 0.2158605 of full
    Root root;
    auto mesh = Strip(root, "two", 2, kRed);
    mesh->SetFaceColor(1, 0xFE7F3F00);
    const GltfMesh out = ConvertToGltf(*mesh, 1);
    const GltfPrimitive& p = out.Primitives[0];
    // Six corners of two squares sharing an edge: the edge's two vertices are written twice.
    EXPECT_EQ(mesh->GetVertexCount(), 6u);
    EXPECT_EQ(p.VertexCount(), 8u);
    const std::uint32_t first = p.Indices[0], last = p.Indices.back();
    EXPECT_EQ(p.Colors[4 * first], 65535);
    EXPECT_EQ(p.Colors[4 * first + 1], 0);
    EXPECT_EQ(p.Colors[4 * last], LinearFromSrgb(0x7F));
    EXPECT_EQ(p.Colors[4 * last + 1], LinearFromSrgb(0x3F));
    EXPECT_EQ(p.Colors[4 * last + 3], 254 * 257);
    EXPECT_FALSE(p.Translucent);
    mesh->SetFaceColor(0, 0x80FF0000);
    EXPECT_TRUE(ConvertToGltf(*mesh, 1).Primitives[0].Translucent);
}

TEST(GltfWriter, TheAssetSaysWhereTheModelLiesAndInWhatUnits) {
    TempDir dir;
    Root root;
    FramePtr model;
    root.CreateFrame(nullptr, model);
    model->AddVisual(Strip(root, "MeshName1", 2, kRed));
    GltfOptions options;
    options.MetresPerUnit = 0.3048f;
    options.Place.Known = true;
    options.Place.CenterEast = 512345.25;
    options.Place.CenterNorth = 4201234.5;
    options.Place.CenterUp = 1650.125;
    options.Place.UtmZone = -13;
    options.Place.Datum = "WGS 1984";
    options.Place.Source = "cave.plt";
    const std::string path = Write(*model, dir.File("placed.glb"), options);
    lumora::test::ExpectValidGltf(path);
    const auto json = JsonOf(path);
    const auto& extras = json["asset"]["extras"];
    EXPECT_EQ(extras["centerEastNorthUp"][0].get<double>(), 512345.25);
    EXPECT_EQ(extras["centerEastNorthUp"][1].get<double>(), 4201234.5);
    EXPECT_EQ(extras["centerEastNorthUp"][2].get<double>(), 1650.125);
    EXPECT_EQ(extras["utmZone"].get<int>(), -13);
    EXPECT_EQ(extras["datum"].get<std::string>(), "WGS 1984");
    EXPECT_EQ(extras["units"].get<std::string>(), "metres");
    EXPECT_EQ(json["scenes"][0]["name"].get<std::string>(), "cave.plt");
    // Feet became metres: the strip is 2 feet long.
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    const auto read = lumora::test::ReadGltfWithAssimp(path, importer, scene);
    EXPECT_NEAR(read.Max.x - read.Min.x, 2 * 0.3048, 1e-6);
    EXPECT_NEAR(read.Max.y - read.Min.y, 0.3048, 1e-6);
    // A model that is no survey's says nothing of a place.
    options.Place = {};
    EXPECT_FALSE(
        JsonOf(Write(*model, dir.File("plain.gltf"), options))["asset"].contains("extras"));
}

TEST(GltfWriter, MaterialsAreWhiteNotMetallicAndUnlitWhereTheViewerDrawsWithoutLight) {
    TempDir dir;
    Root root;
    FramePtr model;
    root.CreateFrame(nullptr, model);
    model->AddVisual(Strip(root, "lit", 1, kRed));
    auto unlit = Strip(root, "unlit", 1, kRed);
    unlit->SetQuality(kFillSolid | kShadeFlat | kLightOff);
    model->AddVisual(unlit);
    auto glass = Strip(root, "glass", 1, 0x80FF0000);
    model->AddVisual(glass);
    GltfOptions text;
    text.Binary = false;
    const auto json = JsonOf(Write(*model, dir.File("materials.gltf"), text));
    ASSERT_EQ(json["materials"].size(), 3u);
    for (const auto& m : json["materials"]) {
        EXPECT_EQ(m["pbrMetallicRoughness"]["metallicFactor"].get<double>(), 0);
        EXPECT_EQ(m["pbrMetallicRoughness"]["baseColorFactor"],
                  nlohmann::json::array({1, 1, 1, 1}));
    }
    auto materialOf = [&](int mesh) {
        return json["materials"][json["meshes"][mesh]["primitives"][0]["material"].get<int>()];
    };
    EXPECT_FALSE(materialOf(0).contains("extensions"));
    EXPECT_TRUE(materialOf(1)["extensions"].contains("KHR_materials_unlit"));
    EXPECT_EQ(materialOf(2)["alphaMode"].get<std::string>(), "BLEND");
    EXPECT_EQ(json["extensionsUsed"], nlohmann::json::array({"KHR_materials_unlit"}));
    lumora::test::ExpectValidGltf(dir.File("materials.gltf"));
}

TEST(GltfWriter, AMeshWithNothingToDrawIsANodeWithoutAMeshAndAnEmptyModelIsStillValid) {
    TempDir dir;
    Root root;
    FramePtr model;
    root.CreateFrame(nullptr, model);
    const std::string empty = Write(*model, dir.File("empty.glb"), {});
    lumora::test::ExpectValidGltf(empty);
    auto flat = NewMesh(root, "flat");
    const Vector line[3] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    flat->AddFace(line, kRed);
    model->AddVisual(flat);
    GltfCounts counts;
    const std::string path = Write(*model, dir.File("flat.glb"), {}, &counts);
    EXPECT_EQ(counts.Nodes, 1u);
    EXPECT_EQ(counts.Triangles, 0u);
    const auto json = JsonOf(path);
    EXPECT_EQ(json["nodes"][0]["name"].get<std::string>(), "flat");
    EXPECT_FALSE(json["nodes"][0].contains("mesh"));
    lumora::test::ExpectValidGltf(path);
}

TEST(GltfWriter, AFailedWriteNamesTheFileAndLeavesTheOldOneAsItWas) {
    TempDir dir;
    Root root;
    FramePtr model;
    root.CreateFrame(nullptr, model);
    model->AddVisual(Strip(root, "big", 200, kRed));
    std::string reason;
    EXPECT_EQ(WriteGltfFile(*model, "/nonexistent-folder/cave.glb", {}, &reason),
              Result::WriteFailed);
    EXPECT_EQ(reason.rfind("/nonexistent-folder/cave.glb: ", 0), 0u) << reason;
    const std::string path = dir.File("cave.glb");
    lumora::test::WriteFile(path, "the old file");
    {
        lumora::test::FileSizeLimit full(1000);
        EXPECT_EQ(WriteGltfFile(*model, path, {}, &reason), Result::WriteFailed);
    }
    EXPECT_EQ(reason, path + ": " + std::strerror(EFBIG));
    EXPECT_EQ(lumora::test::ReadFile(path), "the old file");
    EXPECT_EQ(lumora::test::FolderEntries(dir.Path().string()),
              std::vector<std::string>{"cave.glb"});
}

TEST(GltfWriter, TheTextFormIsChosenByTheGltfExtension) {
    EXPECT_TRUE(IsGltfTextPath("cave.gltf"));
    EXPECT_TRUE(IsGltfTextPath("/a/CAVE.GLTF"));
    EXPECT_FALSE(IsGltfTextPath("cave.glb"));
    EXPECT_FALSE(IsGltfTextPath("gltf"));
    EXPECT_FALSE(IsGltfTextPath("cave.gltf.bak"));
}
