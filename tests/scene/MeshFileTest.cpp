// Mesh files: what we write (.x text and binary) is read back by assimp, both its command-line
// tool and its importer; reading files of other formats; broken files; progressive meshes.
#include "platform/scene/MeshFileWriter.h"
#include "platform/scene/MeshImport.h"
#include "platform/scene/Root.h"
#include "support/TestSupport.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <sys/time.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <csignal>
#include <regex>

using namespace lumora::scene;
using lumora::test::TempDir;

namespace {

// A mesh of `quads` separate squares in a row, coloured, with a material and a named texture.
MeshBuilderPtr Strip(Root& root, const std::string& name, int quads, Color color) {
    MeshBuilderPtr mesh;
    root.CreateMeshBuilder(mesh);
    mesh->SetName(name);
    for (int i = 0; i < quads; ++i) {
        const float x = float(i);
        const Vector quad[4] = {{x, 0, 0}, {x, 1, 0}, {x + 1, 1, 0}, {x + 1, 0, 0}};
        mesh->AddFace(quad, color);
    }
    MaterialPtr material;
    root.CreateMaterial(10, material);
    mesh->SetMaterial(material);
    return mesh;
}

void NameTexture(Root& root, MeshBuilder& mesh, const std::string& name) {
    TexturePtr texture;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::gray);
    root.LoadTextureFromImage(image, texture);
    texture->SetName(name);
    mesh.SetTexture(texture);
}

struct AssimpInfo {
    int Vertices = -1, Faces = -1;
    std::string Out;
};

AssimpInfo RunAssimpInfo(const std::string& path) {
    EXPECT_TRUE(lumora::test::HaveProgram("assimp")) << "the peer tool assimp is missing";
    const auto result =
        lumora::test::RunCommand("assimp info " + lumora::test::ShellQuote(path) + " -r");
    AssimpInfo info;
    info.Out = result.Out;
    EXPECT_EQ(result.ExitCode, 0) << result.Out << result.Err;
    std::smatch m;
    if (std::regex_search(result.Out, m, std::regex("Vertices:\\s+(\\d+)")))
        info.Vertices = std::stoi(m[1]);
    if (std::regex_search(result.Out, m, std::regex("Faces:\\s+(\\d+)")))
        info.Faces = std::stoi(m[1]);
    return info;
}

class MeshFileFormats : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(MeshFileFormats, ModelFileIsReadByAssimpWithCountsColourAndTextureName) {
    const bool text = GetParam();
    TempDir dir;
    Root root;
    FramePtr model;
    root.CreateFrame(nullptr, model);
    auto red = Strip(root, "MeshName1", 3, ColorFromRGBA(1, 0, 0, 254 / 255.0f));
    NameTexture(root, *red, "TEXTURE1.BMP");
    red->GenerateNormals(0.35f, kNormalsCompact | kNormalsUseCrease);
    auto box = Strip(root, "Bounding Box", 6, 0xFF0000FF);
    box->SetMaterial(nullptr);
    for (std::size_t f = 0; f < box->GetFaceCount(); ++f)
        box->SetFaceMaterial(f, nullptr);
    model->AddVisual(red);
    model->AddVisual(box);
    FramePtr child;
    root.CreateFrame(model, child);
    child->AddVisual(Strip(root, "Hidden", 2, 0xFF00FF00)); // child frames are not written

    const std::string path = dir.File(text ? "model.x" : "modelbin.x");
    int steps = 0;
    ASSERT_EQ(WriteMeshFile(*model, path, text, [&] { ++steps; }), Result::Ok);
    EXPECT_EQ(steps, 10);
    EXPECT_EQ(MeshFileProgressMaximum(*model), 10);
    EXPECT_EQ(lumora::test::ReadFile(path).substr(0, 16),
              text ? "xof 0302txt 0032" : "xof 0302bin 0032");

    const AssimpInfo info = RunAssimpInfo(path);
    EXPECT_EQ(info.Faces, 3 + 6);
    // assimp gives every face corner its own vertex: 4 per square.
    EXPECT_EQ(info.Vertices, 3 * 4 + 6 * 4);
    EXPECT_NE(info.Out.find("'TEXTURE1.BMP'"), std::string::npos) << info.Out;

    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_EQ(scene->mNumMeshes, 2u);
    EXPECT_EQ(scene->mMeshes[0]->mNumFaces, 3u);
    EXPECT_EQ(scene->mMeshes[1]->mNumFaces, 6u);
    EXPECT_EQ(scene->mMeshes[1]->mNumVertices, 24u);
    ASSERT_EQ(scene->mNumMaterials, 2u);
    aiColor4D colour;
    scene->mMaterials[scene->mMeshes[0]->mMaterialIndex]->Get(AI_MATKEY_COLOR_DIFFUSE, colour);
    EXPECT_FLOAT_EQ(colour.r, 1); // from the first face, which has a material
    EXPECT_FLOAT_EQ(colour.g, 0);
    EXPECT_FLOAT_EQ(colour.a, 1); // the alpha stays 1
    aiString texture;
    ASSERT_EQ(scene->mMaterials[scene->mMeshes[0]->mMaterialIndex]->GetTexture(
                  aiTextureType_DIFFUSE, 0, &texture),
              AI_SUCCESS);
    EXPECT_STREQ(texture.C_Str(), "TEXTURE1.BMP");
    // The box has no material: white, not its blue faces.
    scene->mMaterials[scene->mMeshes[1]->mMaterialIndex]->Get(AI_MATKEY_COLOR_DIFFUSE, colour);
    EXPECT_FLOAT_EQ(colour.b, 1);
    EXPECT_FLOAT_EQ(colour.r, 1);
}

TEST_P(MeshFileFormats, BuilderSaveLoadsBackWithTheSameGeometry) {
    const bool text = GetParam();
    TempDir dir;
    Root root;
    auto mesh = Strip(root, "strip", 4, ColorFromRGB(0.2f, 0.4f, 0.6f));
    mesh->SetTextureCoordinates(5, 0.25f, 0.75f);
    mesh->GenerateNormals(0, 0);
    const std::string path = dir.File("strip.x");
    ASSERT_EQ(mesh->Save(path, text ? XFileFormat::Text : XFileFormat::Binary, 15), Result::Ok);
    EXPECT_EQ(RunAssimpInfo(path).Faces, 4);

    MeshBuilderPtr loaded;
    root.CreateMeshBuilder(loaded);
    ASSERT_EQ(loaded->Load(path), Result::Ok);
    ASSERT_EQ(loaded->GetFaceCount(), 4u);
    ASSERT_EQ(loaded->GetVertexCount(), mesh->GetVertexCount());
    Box a, b;
    mesh->GetBox(a);
    loaded->GetBox(b);
    EXPECT_EQ(a.Min, b.Min);
    EXPECT_EQ(a.Max, b.Max);
    // Vertex order, winding, texture coordinates and colour survive the round trip.
    EXPECT_EQ(loaded->Vertices()[2], mesh->Vertices()[2]);
    EXPECT_EQ(loaded->FaceCorners(1)[1].Vertex, mesh->FaceCorners(1)[1].Vertex);
    EXPECT_NEAR(loaded->TextureCoordinates()[5].V, 0.75f, 1e-6);
    EXPECT_EQ(loaded->FaceColor(0), mesh->FaceColor(0));
    EXPECT_NEAR(Dot(loaded->FaceNormal(0), mesh->FaceNormal(0)), 1, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, MeshFileFormats, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Text" : "Binary"; });

TEST(MeshFile, TextNamesWithBlanksBecomeIdentifiersSoReadersAcceptThem) {
    TempDir dir;
    Root root;
    auto mesh = Strip(root, "Bounding Box", 1, 0xFF0000FF);
    const std::string path = dir.File("named.x");
    ASSERT_EQ(mesh->Save(path, XFileFormat::Text, 15), Result::Ok);
    EXPECT_NE(lumora::test::ReadFile(path).find("Mesh Bounding_Box {"), std::string::npos);
    EXPECT_EQ(RunAssimpInfo(path).Faces, 1);
}

TEST(MeshFile, ObjPlyAndStlFilesLoad) {
    TempDir dir;
    lumora::test::WriteFile(dir.File("quad.obj"), "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                                  "f 1 2 3 4\n");
    lumora::test::WriteFile(dir.File("tri.ply"),
                            "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                            "property float y\nproperty float z\nelement face 1\n"
                            "property list uchar int vertex_indices\nend_header\n"
                            "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    lumora::test::WriteFile(dir.File("tri.stl"), "solid t\nfacet normal 0 0 1\nouter loop\n"
                                                 "vertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
                                                 "endloop\nendfacet\nendsolid t\n");
    Root root;
    for (const auto& [file, faces] : {std::pair{"quad.obj", 1}, {"tri.ply", 1}, {"tri.stl", 1}}) {
        MeshBuilderPtr mesh;
        root.CreateMeshBuilder(mesh);
        ASSERT_EQ(mesh->Load(dir.File(file)), Result::Ok) << file;
        EXPECT_EQ(mesh->GetFaceCount(), std::size_t(faces)) << file;
    }
}

TEST(MeshFile, BrokenTruncatedAndMissingFilesLeaveTheBuilderAsItWas) {
    TempDir dir;
    Root root;
    auto mesh = Strip(root, "good", 2, 0xFF808080);
    const std::string good = dir.File("good.x");
    ASSERT_EQ(mesh->Save(good, XFileFormat::Binary, 15), Result::Ok);
    const std::string bytes = lumora::test::ReadFile(good);

    MeshBuilderPtr target = Strip(root, "target", 1, 0xFF808080);
    EXPECT_EQ(target->Load(dir.File("missing.x")), Result::FileNotFound);
    lumora::test::WriteFile(dir.File("noise.x"), "this is not a mesh file at all");
    EXPECT_EQ(target->Load(dir.File("noise.x")), Result::BadFile);
    lumora::test::WriteFile(dir.File("unknown.qqq"), std::string(100, '\x01'));
    EXPECT_EQ(target->Load(dir.File("unknown.qqq")), Result::BadFile);
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
        const std::string path = dir.File("cut.x");
        lumora::test::WriteFile(path, bytes.substr(0, cut));
        const Result result = target->Load(path);
        if (!Succeeded(result)) {
            EXPECT_EQ(target->GetFaceCount(), 1u) << "cut at " << cut;
        }
        target = Strip(root, "target", 1, 0xFF808080);
    }
}

TEST(MeshFile, AFailedImportKeepsTheReasonItsReaderGave) {
    TempDir dir;
    ImportedMesh imported;
    EXPECT_EQ(ImportMeshFile(dir.File("missing.x"), false, imported), Result::FileNotFound);
    EXPECT_EQ(ImportFailureReason(), "No such file or directory");
    EXPECT_EQ(ImportMeshFile(dir.Path().string(), false, imported), Result::FileNotFound);
    EXPECT_EQ(ImportFailureReason(), "Is a directory");
    // The importer's own words, as its library gives them for the same file.
    const std::string noise = dir.File("noise.x");
    lumora::test::WriteFile(noise, "xof 0303txt 0032\nMesh {\n 3;\n 1.0;");
    EXPECT_EQ(ImportMeshFile(noise, false, imported), Result::BadFile);
    Assimp::Importer peer;
    EXPECT_EQ(peer.ReadFile(noise, 0), nullptr);
    std::string expected = peer.GetErrorString();
    while (!expected.empty() && std::isspace(static_cast<unsigned char>(expected.back())))
        expected.pop_back();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ImportFailureReason(), expected);
    // A success forgets the last failure.
    Root root;
    const std::string good = dir.File("good.x");
    ASSERT_EQ(Strip(root, "good", 2, 0xFF808080)->Save(good, XFileFormat::Text, 15), Result::Ok);
    EXPECT_EQ(ImportMeshFile(good, false, imported), Result::Ok);
    EXPECT_EQ(ImportFailureReason(), "");
}

// The file is read in a child process, which hands the mesh over: every position, normal,
// texture coordinate, face and material must arrive as the importer read them.
TEST(MeshFile, AnImportedMeshArrivesWholeFromTheReadingChild) {
    TempDir dir;
    Root root;
    auto mesh = Strip(root, "strip", 3, 0xFF336699);
    NameTexture(root, *mesh, "rock.png");
    mesh->GenerateNormals(0, 0);
    const std::string path = dir.File("strip.x");
    ASSERT_EQ(mesh->Save(path, XFileFormat::Text, 15), Result::Ok);
    ImportedMesh imported;
    ASSERT_EQ(ImportMeshFile(path, false, imported), Result::Ok);

    Assimp::Importer peer;
    const aiScene* scene =
        peer.ReadFile(path, aiProcess_ConvertToLeftHanded | aiProcess_PreTransformVertices |
                                aiProcess_ValidateDataStructure);
    ASSERT_NE(scene, nullptr);
    std::size_t vertex = 0, face = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh& source = *scene->mMeshes[m];
        ASSERT_TRUE(source.HasNormals());
        ASSERT_TRUE(source.HasTextureCoords(0));
        const auto base = std::uint32_t(vertex);
        for (unsigned i = 0; i < source.mNumVertices; ++i, ++vertex) {
            ASSERT_LT(vertex, imported.Positions.size());
            EXPECT_EQ(imported.Positions[vertex].X, source.mVertices[i].x);
            EXPECT_EQ(imported.Positions[vertex].Y, source.mVertices[i].y);
            EXPECT_EQ(imported.Positions[vertex].Z, source.mVertices[i].z);
            EXPECT_EQ(imported.Normals.at(vertex).Z, source.mNormals[i].z);
            EXPECT_EQ(imported.TexCoords.at(vertex).U, source.mTextureCoords[0][i].x);
            EXPECT_EQ(imported.TexCoords.at(vertex).V, source.mTextureCoords[0][i].y);
        }
        for (unsigned f = 0; f < source.mNumFaces; ++f, ++face) {
            ASSERT_LT(face, imported.Faces.size());
            EXPECT_EQ(imported.Faces[face].Material, source.mMaterialIndex);
            ASSERT_EQ(imported.Faces[face].Indices.size(), source.mFaces[f].mNumIndices);
            for (unsigned c = 0; c < source.mFaces[f].mNumIndices; ++c)
                EXPECT_EQ(imported.Faces[face].Indices[c], base + source.mFaces[f].mIndices[c]);
        }
    }
    EXPECT_EQ(imported.Positions.size(), vertex);
    EXPECT_EQ(imported.Faces.size(), face);
    ASSERT_EQ(imported.Materials.size(), scene->mNumMaterials);
    bool textured = false;
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        float power = -1;
        scene->mMaterials[m]->Get(AI_MATKEY_SHININESS, power);
        EXPECT_EQ(imported.Materials[m].Power, power);
        aiColor3D specular;
        scene->mMaterials[m]->Get(AI_MATKEY_COLOR_SPECULAR, specular);
        EXPECT_EQ(imported.Materials[m].Specular.Y, specular.g);
        aiString texture;
        scene->mMaterials[m]->GetTexture(aiTextureType_DIFFUSE, 0, &texture);
        EXPECT_EQ(imported.Materials[m].TextureFile, texture.C_Str());
        textured = textured || imported.Materials[m].TextureFile == "rock.png";
        if (imported.Materials[m].HasColor) {
            EXPECT_EQ(imported.Materials[m].Diffuse, 0xFF336699u);
        }
    }
    EXPECT_TRUE(textured);
    EXPECT_EQ(imported.Folder, dir.Path().string());
}

// The importer loops forever on this file; it is tried in a child that is stopped after the time
// limit. A timer's signals arriving all the while must not let the file through to be read here.
TEST(MeshFile, AFileTheImporterHangsOnIsRefusedThoughSignalsInterruptTheWait) {
    static std::atomic<int> alarms{0};
    struct sigaction onAlarm {};
    onAlarm.sa_handler = [](int) { alarms.fetch_add(1); };
    sigemptyset(&onAlarm.sa_mask);
    onAlarm.sa_flags = 0; // no SA_RESTART: waiting calls return EINTR
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGALRM, &onAlarm, &before), 0);
    const itimerval everyMillisecond{{0, 1000}, {0, 1000}};
    ASSERT_EQ(setitimer(ITIMER_REAL, &everyMillisecond, nullptr), 0);
    ImportedMesh imported;
    const Result result = ImportMeshFile(
        LUMORA_SOURCE_DIR "/tests/fuzz/regressions/mesh_import/text-x-importer-loops", true,
        imported, std::chrono::milliseconds(300));
    const std::string reason = ImportFailureReason();
    const itimerval stop{};
    setitimer(ITIMER_REAL, &stop, nullptr);
    sigaction(SIGALRM, &before, nullptr);
    EXPECT_EQ(result, Result::BadFile);
    EXPECT_EQ(reason, "the importer cannot read this file");
    EXPECT_GT(alarms.load(), 0);
}

TEST(MeshFile, UnwritableFolderIsAWriteFailure) {
    Root root;
    auto mesh = Strip(root, "m", 1, 0xFF808080);
    EXPECT_EQ(mesh->Save("/nonexistent-folder/x/y.x", XFileFormat::Text, 15), Result::WriteFailed);
}

TEST(ProgressiveMesh, DetailChoosesSimplerLevelsWithinTheRanges) {
    // A 40 x 40 grid of triangles, flat but for a small bump: room to simplify.
    std::vector<Vector> positions;
    std::vector<std::uint32_t> triangles;
    const int n = 40;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            positions.push_back({float(i), std::sin(i * 0.3f) * std::cos(j * 0.2f), float(j)});
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const std::uint32_t a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
            triangles.insert(triangles.end(), {a, c, b, b, c, d});
        }
    Root root;
    ProgressiveMeshPtr mesh;
    root.CreateProgressiveMesh(mesh);
    ASSERT_EQ(mesh->Build(positions, triangles), Result::Ok);
    std::size_t minFaces, maxFaces, minVertices, maxVertices;
    mesh->GetFaceDetailRange(minFaces, maxFaces);
    mesh->GetVertexDetailRange(minVertices, maxVertices);
    EXPECT_EQ(maxFaces, std::size_t(2 * n * n));
    EXPECT_EQ(maxVertices, positions.size());
    EXPECT_LT(minFaces, maxFaces / 4);
    EXPECT_EQ(mesh->GetDetail(), 1);
    EXPECT_EQ(mesh->GetFaceDetail(), maxFaces);

    ASSERT_EQ(mesh->SetDetail(0.5f), Result::Ok);
    EXPECT_EQ(int(100 * mesh->GetDetail()), 50); // the detail bar's position
    EXPECT_GE(double(mesh->GetFaceDetail()), minFaces + 0.5 * (maxFaces - minFaces));
    EXPECT_LT(mesh->GetFaceDetail(), maxFaces);
    ASSERT_EQ(mesh->SetDetail(0), Result::Ok);
    EXPECT_EQ(mesh->GetFaceDetail(), minFaces);
    EXPECT_EQ(mesh->GetVertexDetail(), minVertices);
    EXPECT_EQ(mesh->SetDetail(1.5f), Result::BadValue);
    EXPECT_EQ(mesh->Build(positions, {0, 1, 99999}), Result::BadValue);
}

TEST(ProgressiveMesh, LoadsAMeshFileAndRefusesABrokenOne) {
    TempDir dir;
    Root root;
    auto strip = Strip(root, "strip", 30, 0xFF808080);
    strip->GenerateNormals(0, kNormalsCompact);
    const std::string path = dir.File("strip.x");
    ASSERT_EQ(strip->Save(path, XFileFormat::Binary, 15), Result::Ok);
    ProgressiveMeshPtr mesh;
    root.CreateProgressiveMesh(mesh);
    ASSERT_EQ(mesh->Load(path), Result::Ok);
    std::size_t minFaces, maxFaces;
    mesh->GetFaceDetailRange(minFaces, maxFaces);
    EXPECT_EQ(maxFaces, 60u); // each square as two triangles
    Box box;
    ASSERT_TRUE(mesh->GetBox(box));
    EXPECT_FLOAT_EQ(box.Max.X, 30);
    lumora::test::WriteFile(dir.File("bad.x"), "xof 0302txt 0032\nMesh {\n 3;\n");
    EXPECT_EQ(mesh->Load(dir.File("bad.x")), Result::BadFile);
    EXPECT_EQ(mesh->GetFaceDetail(), 60u); // unchanged
}

TEST(Texture, PicturesLoadAndUndecodableOnesAreRefused) {
    TempDir dir;
    QImage image(16, 8, QImage::Format_RGB888);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(dir.File("rock.bmp"))));
    lumora::test::WriteFile(dir.File("broken.bmp"), "BM this is no picture");
    Root root;
    TexturePtr texture;
    ASSERT_EQ(root.LoadTexture(dir.File("rock.bmp"), texture), Result::Ok);
    EXPECT_EQ(texture->GetWidth(), 16);
    EXPECT_EQ(texture->GetHeight(), 8);
    TexturePtr broken;
    EXPECT_EQ(root.LoadTexture(dir.File("broken.bmp"), broken), Result::BadImage);
    EXPECT_EQ(root.LoadTexture(dir.File("none.bmp"), broken), Result::FileNotFound);
    EXPECT_EQ(broken, nullptr);
}
