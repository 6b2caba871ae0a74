// Mesh files in the viewer: opening meshes and progressive meshes, saving with the built-in rock
// picture, what a failure says and leaves behind, and the progressive dialog's bar. Peers: assimp
// reads the .x files, ffprobe the bitmap.
#include "ViewerTestScene.h"

#include "platform/scene/MeshImport.h"
#include "support/TestSupport.h"
#include "viewer/RockPicture.h"
#include "viewer/lvsave.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::test::RunCommand;
using lumora::test::ShellQuote;
using lumora::test::TempDir;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::RecordingProgress;
using lumora::viewer::test::StartedViewer;

namespace {

// A small OBJ mesh: a square pyramid of base 4 x 4 and height 2 (6 triangles).
std::string PyramidObj() {
    return "v -2 0 -2\nv 2 0 -2\nv 2 0 2\nv -2 0 2\nv 0 2 0\n"
           "f 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\nf 1 3 2\nf 1 4 3\n";
}

// Faces assimp reads from a .x file, as written (no triangulation); -1 when it reads none.
int AssimpFaces(const std::string& path) {
    EXPECT_TRUE(lumora::test::HaveProgram("assimp")) << "the peer tool assimp is missing";
    const auto result = RunCommand("assimp info " + ShellQuote(path) + " -r");
    EXPECT_EQ(result.ExitCode, 0) << result.Out << result.Err;
    std::smatch m;
    return std::regex_search(result.Out, m, std::regex("Faces:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

} // namespace

TEST(MeshFiles, OpenMeshReplacesTheModelAndScalesItTo1000) {
    StartedViewer v;
    TempDir dir;
    lumora::test::WriteFile(dir.File("pyramid.obj"), PyramidObj());
    v.s.CenterFrame->AddVisual(BoxMesh({0, 0, 0}, {1, 1, 1}));
    v.s.WrapRelative = true;
    ASSERT_TRUE(OpenMesh(v.core, dir.File("pyramid.obj")));
    ASSERT_EQ(v.s.CenterFrame->GetVisuals().size(), 1u);
    const MeshBuilderPtr mesh = v.core.LoadedBuilder;
    EXPECT_EQ(v.s.CenterFrame->GetVisuals()[0], mesh);
    EXPECT_EQ(mesh->GetFaceCount(), 6u);
    EXPECT_EQ(mesh->GetAppData(), 0u);
    EXPECT_EQ(mesh->GetQuality(), 128u);
    EXPECT_EQ(mesh->GetMaterial()->GetPower(), 10);
    EXPECT_FALSE(v.s.WrapRelative);
    EXPECT_TRUE(v.s.RenderEnabled);
    EXPECT_EQ(v.core.Hierarchy.TriangleTotal(), 6u);
    EXPECT_NEAR(v.s.CenterFrame->GetTransform().M[0][0], 250, 1e-3);
}

TEST(MeshFiles, ABrokenMeshFileIsReportedAndTheModelStays) {
    StartedViewer v;
    TempDir dir;
    lumora::test::WriteFile(dir.File("broken.x"), "xof 0303txt 0032\nMesh {\n 3;\n 1.0;");
    const auto model = BoxMesh({0, 0, 0}, {1, 1, 1});
    v.s.CenterFrame->AddVisual(model);
    EXPECT_FALSE(OpenMesh(v.core, dir.File("broken.x")));
    const std::string importerSays = ImportFailureReason();
    EXPECT_FALSE(OpenMesh(v.core, dir.File("missing.x")));
    EXPECT_FALSE(OpenProgressiveMesh(v.core, dir.File("broken.x")));
    EXPECT_FALSE(OpenMesh(v.core, dir.Path().string()));
    // Each names the file and the reason: the importer's words, or the system's.
    ASSERT_FALSE(importerSays.empty());
    EXPECT_EQ(v.ui.Warnings,
              (std::vector<std::string>{dir.File("broken.x") + ": " + importerSays,
                                        dir.File("missing.x") + ": " + std::strerror(ENOENT),
                                        dir.File("broken.x") + ": " + importerSays,
                                        dir.Path().string() + ": Is a directory"}));
    ASSERT_EQ(v.s.CenterFrame->GetVisuals().size(), 1u);
    EXPECT_EQ(v.s.CenterFrame->GetVisuals()[0], model);
}

TEST(MeshFiles, SaveAsXFileWithNoMeshWarns) {
    StartedViewer v;
    EXPECT_FALSE(CheckMeshToSave(v.core));
    EXPECT_EQ(v.ui.Warnings, std::vector<std::string>{"No Mesh To Save."});
}

TEST(MeshFiles, SaveAsXFileWithOnlyTheBoundingBoxWritesIt) {
    StartedViewer v;
    TempDir dir;
    ASSERT_EQ(ToggleBoundingBox(v.s), Result::Ok);
    v.core.RefreshHierarchy();
    ASSERT_TRUE(CheckMeshToSave(v.core));
    RecordingProgress progress(v.ui);
    for (bool text : {true, false}) {
        const std::string path = dir.File(text ? "box.x" : "box-binary.x");
        ASSERT_EQ(SaveAsXFile(v.core, path, text, &progress), Result::Ok);
        EXPECT_EQ(AssimpFaces(path), 6) << path;
    }
    // One visual: five steps a save, the window shown before them and hidden after.
    const std::vector<std::string> once = {"show 5", "step", "step", "step",
                                           "step",   "step", "hide"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(progress.Log, twice);
    EXPECT_NE(lumora::test::ReadFile(dir.File("box.x")).find("Mesh Bounding_Box {"),
              std::string::npos);
    EXPECT_TRUE(v.ui.Questions.empty()); // no built-in texture, no question
    EXPECT_EQ(v.ui.BusyCursorChanges, (std::vector<bool>{true, false, true, false}));
}

TEST(MeshFiles, DecliningTheInternalTextureKeepsTheNameTEXTURE1) {
    StartedViewer v;
    TempDir dir;
    const auto walls = BoxMesh({0, 0, 0}, {1, 1, 1});
    walls->SetAppData(1);
    v.s.CenterFrame->AddVisual(walls);
    v.core.RefreshHierarchy();
    ASSERT_EQ(LoadRockTexture(v.s, v.core.Textures), Result::Ok);
    ApplyRockTextureToCave(v.s, v.core.Textures, v.ui, v.core.Hierarchy);
    v.ui.Answers = {false};
    ASSERT_EQ(SaveAsXFile(v.core, dir.File("cave.x"), true), Result::Ok);
    EXPECT_EQ(v.ui.Questions, std::vector<std::string>{"Save Internal Texture?"});
    EXPECT_FALSE(std::filesystem::exists(dir.File("TEXTURE1.BMP")));
    EXPECT_NE(lumora::test::ReadFile(dir.File("cave.x")).find("\"TEXTURE1\""), std::string::npos);
}

TEST(MeshFiles, AcceptingTheInternalTextureWritesA24BitBitmapBesideTheFile) {
    StartedViewer v;
    TempDir dir;
    const auto walls = BoxMesh({0, 0, 0}, {1, 1, 1});
    walls->SetAppData(1);
    v.s.CenterFrame->AddVisual(walls);
    v.core.RefreshHierarchy();
    ASSERT_EQ(LoadRockTexture(v.s, v.core.Textures), Result::Ok);
    v.ui.Answers = {true};
    ASSERT_EQ(SaveAsXFile(v.core, dir.File("cave.x"), true), Result::Ok);
    EXPECT_EQ(v.core.Textures.CurrentTexture->GetName(), "TEXTURE1.BMP");
    EXPECT_EQ(walls->GetTexture(), v.core.Textures.CurrentTexture);
    EXPECT_NE(lumora::test::ReadFile(dir.File("cave.x")).find("\"TEXTURE1.BMP\""),
              std::string::npos);
    EXPECT_EQ(AssimpFaces(dir.File("cave.x")), 6);
    ASSERT_TRUE(lumora::test::HaveProgram("ffprobe")) << "the peer tool ffprobe is missing";
    const auto probe = RunCommand("ffprobe -v error -show_entries stream=width,height,pix_fmt "
                                  "-of default=noprint_wrappers=1 " +
                                  ShellQuote(dir.File("TEXTURE1.BMP")));
    EXPECT_EQ(probe.ExitCode, 0) << probe.Err;
    EXPECT_EQ(probe.Out, "width=256\nheight=256\npix_fmt=bgr24\n");
}

TEST(MeshFiles, SaveInternalTextureIsAskedOnlyForTheBuiltInPicture) {
    StartedViewer v;
    TempDir dir;
    EXPECT_FALSE(SaveInternalTexture(v.core, dir.Path().string()));
    ASSERT_NO_THROW(SaveRockPicture(dir.File("rock.bmp")));
    ASSERT_EQ(LoadTextureFile(v.s, v.core.Textures, dir.File("rock.bmp")), Result::Ok);
    v.ui.Answers = {true};
    EXPECT_FALSE(SaveInternalTexture(v.core, dir.Path().string()));
    EXPECT_TRUE(v.ui.Questions.empty());
}

TEST(MeshFiles, AnUnwritableFolderForTheInternalTextureIsReported) {
    StartedViewer v;
    ASSERT_EQ(LoadRockTexture(v.s, v.core.Textures), Result::Ok);
    const TexturePtr builtIn = v.core.Textures.CurrentTexture;
    v.ui.Answers = {true};
    EXPECT_FALSE(SaveInternalTexture(v.core, "/nonexistent-folder/below"));
    EXPECT_EQ(v.ui.Warnings.size(), 1u);
    EXPECT_EQ(v.core.Textures.CurrentTexture, builtIn);
}

TEST(MeshFiles, SavingOneMeshWritesAFileAssimpReads) {
    StartedViewer v;
    TempDir dir;
    const auto mesh = BoxMesh({0, 0, 0}, {1, 2, 3});
    for (bool text : {true, false}) {
        const std::string path = dir.File(text ? "one.x" : "one-binary.x");
        ASSERT_EQ(SaveMesh(v.core, mesh, path, text), Result::Ok);
        EXPECT_EQ(AssimpFaces(path), 6) << path;
    }
    EXPECT_EQ(v.core.Textures.SelectedBuilder, mesh);
    EXPECT_NE(SaveMesh(v.core, mesh, "/nonexistent-folder/one.x", true), Result::Ok);
    ASSERT_EQ(v.ui.Warnings.size(), 1u);
    EXPECT_EQ(v.ui.Warnings[0].rfind("/nonexistent-folder/one.x: ", 0), 0u) << v.ui.Warnings[0];
}

// What a write that runs out of disk leaves behind: the old file as it was, nothing else, and one
// warning naming the file and the system's reason.
void ExpectFullDiskKeptTheOldFile(const StartedViewer& v, const TempDir& dir,
                                  const std::string& name) {
    EXPECT_EQ(lumora::test::ReadFile(dir.File(name)), "the old file");
    EXPECT_EQ(lumora::test::FolderEntries(dir.Path().string()), std::vector<std::string>{name});
    EXPECT_EQ(v.ui.Warnings,
              std::vector<std::string>{dir.File(name) + ": " + std::strerror(EFBIG)});
}

TEST(MeshFiles, ADiskThatFillsUpLeavesEveryOldFileAsItWasAndSaysWhy) {
    const auto mesh = BoxMesh({0, 0, 0}, {1, 2, 3});
    {
        StartedViewer v;
        TempDir dir;
        lumora::test::WriteFile(dir.File("one.x"), "the old file");
        lumora::test::FileSizeLimit full(200);
        EXPECT_EQ(SaveMesh(v.core, mesh, dir.File("one.x"), true), Result::WriteFailed);
        ExpectFullDiskKeptTheOldFile(v, dir, "one.x");
    }
    {
        StartedViewer v;
        TempDir dir;
        v.s.CenterFrame->AddVisual(mesh);
        lumora::test::WriteFile(dir.File("model.x"), "the old file");
        RecordingProgress progress(v.ui);
        lumora::test::FileSizeLimit full(200);
        EXPECT_EQ(SaveAsXFile(v.core, dir.File("model.x"), false, &progress), Result::WriteFailed);
        ExpectFullDiskKeptTheOldFile(v, dir, "model.x");
        // The window is gone before the failure is told, and nothing said the save succeeded.
        ASSERT_FALSE(progress.Log.empty());
        EXPECT_EQ(progress.Log.back(), "hide");
        EXPECT_EQ(progress.WarningsWhenHidden, 0u);
    }
    {
        StartedViewer v;
        TempDir dir;
        ASSERT_EQ(LoadRockTexture(v.s, v.core.Textures), Result::Ok);
        const TexturePtr builtIn = v.core.Textures.CurrentTexture;
        lumora::test::WriteFile(dir.File("TEXTURE1.BMP"), "the old file");
        v.ui.Answers = {true};
        lumora::test::FileSizeLimit full(4096);
        EXPECT_FALSE(SaveInternalTexture(v.core, dir.Path().string()));
        ExpectFullDiskKeptTheOldFile(v, dir, "TEXTURE1.BMP");
        EXPECT_EQ(v.core.Textures.CurrentTexture, builtIn);
    }
}

TEST(MeshFiles, AMeshOpenedSavedAndOpenedAgainKeepsItsVerticesAndFaces) {
    StartedViewer v;
    TempDir dir;
    lumora::test::WriteFile(dir.File("pyramid.obj"), PyramidObj());
    ASSERT_TRUE(OpenMesh(v.core, dir.File("pyramid.obj")));
    const std::size_t vertices = v.core.LoadedBuilder->GetVertexCount();
    const std::size_t faces = v.core.LoadedBuilder->GetFaceCount();
    for (bool text : {true, false}) {
        const std::string path = dir.File(text ? "again.x" : "again-binary.x");
        ASSERT_EQ(SaveAsXFile(v.core, path, text), Result::Ok);
        EXPECT_EQ(AssimpFaces(path), int(faces));
        ASSERT_TRUE(OpenMesh(v.core, path)) << path;
        EXPECT_EQ(v.core.LoadedBuilder->GetVertexCount(), vertices) << path;
        EXPECT_EQ(v.core.LoadedBuilder->GetFaceCount(), faces) << path;
    }
    EXPECT_TRUE(v.ui.Warnings.empty());
}

TEST(MeshFiles, MeshesOfAChildFrameOfTheModelAreNotWritten) {
    StartedViewer v;
    TempDir dir;
    v.s.CenterFrame->AddVisual(BoxMesh({0, 0, 0}, {1, 1, 1}));
    FramePtr child;
    ASSERT_EQ(v.s.RMRoot.CreateFrame(v.s.CenterFrame, child), Result::Ok);
    child->AddVisual(BoxMesh({5, 5, 5}, {6, 6, 6}));
    child->AddVisual(BoxMesh({7, 7, 7}, {8, 8, 8}));
    ASSERT_EQ(SaveAsXFile(v.core, dir.File("model.x"), true), Result::Ok);
    EXPECT_EQ(AssimpFaces(dir.File("model.x")), 6);
    const std::string text = lumora::test::ReadFile(dir.File("model.x"));
    std::size_t meshes = 0;
    for (std::size_t at = text.find("Mesh "); at != std::string::npos;
         at = text.find("Mesh ", at + 1))
        ++meshes;
    EXPECT_EQ(meshes, 1u);
}

TEST(MeshFiles, TheOpenDialogOffersMeshFilesFirstThenEveryFormatTheImporterReads) {
    const std::vector<TFileFilter> filters = MeshOpenFilters();
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].Caption, "Mesh Files");
    EXPECT_EQ(filters[0].Patterns, std::vector<std::string>{"*.X"});
    EXPECT_EQ(filters[2].Caption, "All Files");
    const auto& formats = filters[1].Patterns;
    for (const char* wanted :
         {"*.x", "*.obj", "*.ply", "*.stl", "*.gltf", "*.glb", "*.3ds", "*.dae", "*.fbx"})
        EXPECT_NE(std::find(formats.begin(), formats.end(), wanted), formats.end()) << wanted;
    // A file of each of three of them opens.
    StartedViewer v;
    TempDir dir;
    lumora::test::WriteFile(dir.File("tri.stl"), "solid t\nfacet normal 0 0 1\nouter loop\n"
                                                 "vertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
                                                 "endloop\nendfacet\nendsolid t\n");
    lumora::test::WriteFile(dir.File("tri.ply"),
                            "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                            "property float y\nproperty float z\nelement face 1\n"
                            "property list uchar int vertex_indices\nend_header\n"
                            "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    lumora::test::WriteFile(dir.File("pyramid.obj"), PyramidObj());
    for (const char* file : {"tri.stl", "tri.ply", "pyramid.obj"})
        EXPECT_TRUE(OpenMesh(v.core, dir.File(file))) << file;
    EXPECT_TRUE(v.ui.Warnings.empty());
}
