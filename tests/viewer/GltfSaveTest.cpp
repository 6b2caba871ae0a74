// "Save As glTF...": a generated cave read back by the Khronos validator and assimp with the
// scene's triangles, lines, box (in metres) and face colours, and the place of the cave; a mesh
// file in its own units; a save that fails.
#include "ViewerTestScene.h"

#include "scene/GltfPeers.h"
#include "support/TestSupport.h"
#include "survey/PlotGenerator.h"
#include "survey/SuiteSettings.h"
#include "viewer/GltfSave.h"
#include "viewer/ViewerCave.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>
#include <map>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::test::TempDir;
using lumora::viewer::test::StartedViewer;

namespace {

// A viewer holding a generated cave (passages, and the shot lines) built as the window builds it.
struct CaveViewer : StartedViewer {
    lumora::survey::TPlotData Data;
    lumora::passage::TPassageOptions Options;
    lumora::passage::TPassageRunState State;
    lumora::passage::TCaveProgress Progress;

    CaveViewer(const TempDir& dir, bool metres) {
        lumora::survey::TGenOptions gen;
        gen.Stations = 600;
        gen.Seed = 5;
        lumora::survey::GeneratePlotFile(dir.File("cave.plt"), gen);
        Options.MetricUnits = metres;
        TViewerCave cave(s, core.Navigation, ui);
        lumora::passage::TCaveBuild build{cave, Progress, ui, Data, Options, State};
        EXPECT_TRUE(lumora::passage::ProcessCaveFile(build, dir.File("cave.plt")));
        lumora::passage::BuildShotLines(build);
        core.RefreshHierarchy();
    }

    std::vector<MeshBuilderPtr> Meshes(std::uint32_t kind) const {
        std::vector<MeshBuilderPtr> meshes;
        for (const VisualPtr& visual : s.CenterFrame->GetVisuals())
            if (auto mesh = std::dynamic_pointer_cast<MeshBuilder>(visual))
                if (mesh->GetAppData() == kind)
                    meshes.push_back(mesh);
        return meshes;
    }
};

// Triangles with an area in the fans of a mesh's faces: what a viewer of the file can draw.
std::size_t DrawableTriangles(const MeshBuilder& mesh) {
    std::size_t count = 0;
    for (std::size_t f = 0; f < mesh.GetFaceCount(); ++f) {
        const auto c = mesh.FaceCorners(f);
        for (std::size_t i = 1; i + 1 < c.size(); ++i) {
            const Vector& a = mesh.Vertices()[c[0].Vertex];
            const Vector n =
                Cross(mesh.Vertices()[c[i].Vertex] - a, mesh.Vertices()[c[i + 1].Vertex] - a);
            count += Dot(n, n) > 0 ? 1 : 0;
        }
    }
    return count;
}

// The shot lines of a mesh of (a, b, b) faces: those whose ends differ.
std::size_t ShotSegments(const MeshBuilder& mesh) {
    std::size_t count = 0;
    for (std::size_t f = 0; f < mesh.GetFaceCount(); ++f) {
        const auto c = mesh.FaceCorners(f);
        count += mesh.Vertices()[c[0].Vertex] == mesh.Vertices()[c[1].Vertex] ? 0 : 1;
    }
    return count;
}

// An sRGB byte from a linear colour channel, as a display shows it.
int SrgbByte(float linear) {
    const double c =
        linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return int(std::lround(c * 255));
}

nlohmann::json JsonOfGlb(const std::string& path) {
    const std::string bytes = lumora::test::ReadFile(path);
    std::uint32_t length = 0;
    std::memcpy(&length, bytes.data() + 12, 4);
    return nlohmann::json::parse(bytes.substr(20, length));
}

} // namespace

TEST(GltfSave, ACaveKeepsItsTrianglesLinesAndBoxInMetresAndSaysWhereItLies) {
    TempDir dir;
    CaveViewer v(dir, false);
    std::size_t triangles = 0, lines = 0;
    for (const auto& mesh : v.Meshes(lumora::passage::kKindPassages))
        triangles += DrawableTriangles(*mesh);
    for (const auto& mesh : v.Meshes(lumora::passage::kKindShots))
        lines += ShotSegments(*mesh);
    ASSERT_GT(triangles, 1000u);
    ASSERT_GT(lines, 100u);
    Box box;
    ASSERT_TRUE(v.s.CenterFrame->GetHierarchyBox(box));

    const std::string path = dir.File("cave.glb");
    GltfCounts counts;
    ASSERT_EQ(SaveAsGltf(v.core, path, v.Data, v.Options, &counts), Result::Ok);
    EXPECT_TRUE(v.ui.Warnings.empty());
    EXPECT_EQ(counts.Nodes, v.s.CenterFrame->GetVisuals().size());
    lumora::test::ExpectValidGltf(path);
    lumora::test::ExpectGltfpackReads(path, dir.File("packed.glb"));
    EXPECT_EQ(lumora::test::AssimpInfo(path).Faces, (long long)(triangles + lines));

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    const auto read = lumora::test::ReadGltfWithAssimp(path, importer, scene);
    EXPECT_EQ(read.Triangles, triangles);
    EXPECT_EQ(read.Lines, lines);
    // The scene's box in metres, x east, y up, z south.
    const double f = lumora::survey::FeetToMeters();
    EXPECT_NEAR(read.Min.x, box.Min.X * f, 1e-3);
    EXPECT_NEAR(read.Max.x, box.Max.X * f, 1e-3);
    EXPECT_NEAR(read.Min.y, box.Min.Y * f, 1e-3);
    EXPECT_NEAR(read.Max.y, box.Max.Y * f, 1e-3);
    EXPECT_NEAR(read.Min.z, -box.Max.Z * f, 1e-3);
    EXPECT_NEAR(read.Max.z, -box.Min.Z * f, 1e-3);

    const auto extras = JsonOfGlb(path)["asset"]["extras"];
    EXPECT_NEAR(extras["centerEastNorthUp"][0].get<double>(), v.Data.Center.X * f, 1e-6);
    EXPECT_NEAR(extras["centerEastNorthUp"][1].get<double>(), v.Data.Center.Y * f, 1e-6);
    EXPECT_NEAR(extras["centerEastNorthUp"][2].get<double>(), v.Data.Center.Z * f, 1e-6);
    EXPECT_EQ(extras["utmZone"].get<int>(), v.Data.UTMZone);
    EXPECT_EQ(extras["datum"].get<std::string>(), v.Data.DatumName);
    EXPECT_EQ(extras["source"].get<std::string>(), "cave.plt");

    // The same cave built in metres is the same file's box.
    TempDir metricDir;
    CaveViewer metric(metricDir, true);
    const std::string metricPath = metricDir.File("cave.gltf");
    ASSERT_EQ(SaveAsGltf(metric.core, metricPath, metric.Data, metric.Options), Result::Ok);
    lumora::test::ExpectValidGltf(metricPath);
    Assimp::Importer metricImporter;
    const auto metricRead = lumora::test::ReadGltfWithAssimp(metricPath, metricImporter, scene);
    EXPECT_EQ(metricRead.Triangles, triangles);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(metricRead.Min[k], read.Min[k], 1e-2);
        EXPECT_NEAR(metricRead.Max[k], read.Max[k], 1e-2);
    }
}

TEST(GltfSave, FaceColoursOfACaveComeBackAsTheColoursOfItsVertices) {
    TempDir dir;
    CaveViewer v(dir, false);
    // Bands of elevation, each face coloured by the height of its first corner, which begins each
    // of the triangles the face is written as.
    const std::vector<Color> bands = {0xFEFF0000, 0xFEFF7F00, 0xFEFFFF00, 0xFE00FF7F, 0xFE0000FF};
    Box box;
    v.s.CenterFrame->GetHierarchyBox(box);
    const float step = (box.Max.Y - box.Min.Y) / float(bands.size());
    auto band = [&](float top) {
        return std::min<std::size_t>(std::size_t((top - box.Min.Y) / step), bands.size() - 1);
    };
    for (const auto& mesh : v.Meshes(lumora::passage::kKindPassages))
        for (std::size_t face = 0; face < mesh->GetFaceCount(); ++face)
            mesh->SetFaceColor(face,
                               bands[band(mesh->Vertices()[mesh->FaceCorners(face)[0].Vertex].Y)]);
    lumora::passage::RemoveVisualByKind(*v.s.CenterFrame, lumora::passage::kKindShots);

    const std::string path = dir.File("coloured.glb");
    ASSERT_EQ(SaveAsGltf(v.core, path, v.Data, v.Options), Result::Ok);
    lumora::test::ExpectValidGltf(path);
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    const float f = float(lumora::survey::FeetToMeters());
    std::map<std::size_t, std::size_t> trianglesPerBand;
    std::size_t wrong = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh& mesh = *scene->mMeshes[m];
        ASSERT_TRUE(mesh.HasVertexColors(0));
        for (unsigned t = 0; t < mesh.mNumFaces; ++t) {
            const aiFace& face = mesh.mFaces[t];
            const float top = mesh.mVertices[face.mIndices[0]].y / f;
            const Color expected = bands[band(top)];
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                const aiColor4D& c = mesh.mColors[0][face.mIndices[k]];
                const bool same = SrgbByte(c.r) == int(ColorRed(expected)) &&
                                  SrgbByte(c.g) == int(ColorGreen(expected)) &&
                                  SrgbByte(c.b) == int(ColorBlue(expected));
                wrong += same ? 0 : 1;
            }
            ++trianglesPerBand[band(top)];
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(trianglesPerBand.size(), bands.size()); // every band shows
}

TEST(GltfSave, AMeshFileIsWrittenInItsOwnUnitsAndSaysNothingOfAPlace) {
    TempDir dir;
    CaveViewer v(dir, false);
    lumora::test::WriteFile(dir.File("quad.obj"), "v 0 0 0\nv 10 0 0\nv 10 10 0\nv 0 10 0\n"
                                                  "f 1 2 3 4\n");
    ASSERT_TRUE(OpenMesh(v.core, dir.File("quad.obj")));
    const GltfOptions options =
        ModelGltfOptions(*v.s.CenterFrame, v.Data, v.Options, !IsGltfTextPath("quad.glb"));
    EXPECT_TRUE(options.Binary);
    EXPECT_EQ(options.MetresPerUnit, 1.0f);
    EXPECT_FALSE(options.Place.Known);
    const std::string path = dir.File("quad.glb");
    ASSERT_EQ(SaveAsGltf(v.core, path, v.Data, v.Options), Result::Ok);
    lumora::test::ExpectValidGltf(path);
    EXPECT_FALSE(JsonOfGlb(path)["asset"].contains("extras"));
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    const auto read = lumora::test::ReadGltfWithAssimp(path, importer, scene);
    EXPECT_EQ(read.Triangles, 2u);
    EXPECT_NEAR(read.Max.x - read.Min.x, 10, 1e-5);
}

TEST(GltfSave, AFailedSaveNamesTheFileAndTheReason) {
    StartedViewer v;
    v.s.CenterFrame->AddVisual(lumora::viewer::test::BoxMesh({0, 0, 0}, {1, 1, 1}));
    lumora::survey::TPlotData data;
    ASSERT_EQ(SaveAsGltf(v.core, "/nonexistent-folder/cave.glb", data, {}), Result::WriteFailed);
    ASSERT_EQ(v.ui.Warnings.size(), 1u);
    EXPECT_EQ(v.ui.Warnings[0].rfind("/nonexistent-folder/cave.glb: ", 0), 0u) << v.ui.Warnings[0];
    EXPECT_EQ(v.ui.BusyCursorChanges, (std::vector<bool>{true, false}));
}
