// Textures on meshes: presets, faces, wraps, the rock preset and picture, normal options.
#include "ViewerTestScene.h"

#include "support/TestSupport.h"
#include "viewer/RockPicture.h"
#include "viewer/lvnormal.h"

#include <cerrno>
#include <cmath>
#include <cstring>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::StartedViewer;

namespace {

struct TexturedViewer : StartedViewer {
    TexturedViewer() { EXPECT_EQ(LoadRockTexture(s, core.Textures), Result::Ok); }
};

MeshBuilderPtr QuadAndTriangle() {
    auto mesh = std::make_shared<MeshBuilder>();
    AddFaceQuad(*mesh, kRed, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0});
    AddFaceTri(*mesh, kRed, {2, 0, 0}, {2, 1, 0}, {3, 0, 0});
    return mesh;
}

double MeanStep(const std::vector<std::uint8_t>& p, int size, int fromColumn, int toColumn) {
    double sum = 0;
    for (int row = 0; row < size; ++row)
        sum +=
            std::abs(int(p[(row * size + fromColumn) * 3]) - int(p[(row * size + toColumn) * 3]));
    return sum / size;
}

} // namespace

TEST(Texture, FlatPresetOnAMesh200By100) {
    TTextureDialogValues d;
    ApplyPresetScale(d, *BoxMesh({-50, 10, 0}, {150, 110, 5}), TPresetScale::Flat);
    EXPECT_DOUBLE_EQ(d.OriginU, 0.5);
    EXPECT_DOUBLE_EQ(d.OriginV, 0.5);
    EXPECT_DOUBLE_EQ(d.ScaleU, -0.005);
    EXPECT_DOUBLE_EQ(d.ScaleV, 0.01);
    EXPECT_EQ(d.WrapType, WrapType::Flat);
}

TEST(Texture, CylinderSphereAndChromePresets) {
    const auto mesh = BoxMesh({-50, 10, 0}, {150, 110, 5});
    TTextureDialogValues d;
    d.WrapType = WrapType::Chrome;
    ApplyPresetScale(d, *mesh, TPresetScale::Cylinder);
    EXPECT_DOUBLE_EQ(d.OriginV, 0.1);
    EXPECT_DOUBLE_EQ(d.ScaleU, 1);
    EXPECT_DOUBLE_EQ(d.ScaleV, -0.01);
    ApplyPresetScale(d, *mesh, TPresetScale::Chrome);
    EXPECT_DOUBLE_EQ(d.ScaleU, 400);
    EXPECT_DOUBLE_EQ(d.ScaleV, -200);
    ApplyPresetScale(d, *mesh, TPresetScale::SphereUnit);
    EXPECT_DOUBLE_EQ(d.OriginU, 0);
    EXPECT_DOUBLE_EQ(d.ScaleV, 1);
    EXPECT_EQ(d.WrapType, WrapType::Chrome); // presets leave the wrap type alone
}

TEST(Texture, ApplyToFacesPinsTheCornersOfQuadsAndTriangles) {
    TexturedViewer v;
    const auto mesh = QuadAndTriangle();
    v.core.Textures.SelectedBuilder = mesh;
    v.core.Textures.Dialog.VertexU = 2;
    v.core.Textures.Dialog.VertexV = 1;
    v.s.WrapRelative = true;
    std::vector<std::string> lines;
    ASSERT_TRUE(ApplyToFaces(v.s, v.core.Textures, v.ui, lines));
    const auto& uv = mesh->TextureCoordinates();
    const std::vector<std::pair<float, float>> expected = {{0, 0}, {2, 0}, {2, 1}, {0, 1},
                                                           {0, 0}, {2, 0}, {2, 1}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_FLOAT_EQ(uv[i].U, expected[i].first) << i;
        EXPECT_FLOAT_EQ(uv[i].V, expected[i].second) << i;
    }
    EXPECT_EQ(mesh->FaceTexture(1), v.core.Textures.CurrentTexture);
    EXPECT_EQ(mesh->GetTexture(), nullptr); // the mesh's own texture is not changed
    EXPECT_FALSE(v.s.WrapRelative);
    EXPECT_EQ(mesh->GetColor(), 0xFFFFFFFFu); // white background
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[3], "2 X: 1.0  Y: 1.0  Z: 0.0");
    EXPECT_EQ(lines[5], "1");
}

TEST(Texture, ApplyWithoutATextureWarnsAndChangesNothing) {
    StartedViewer v;
    const auto mesh = QuadAndTriangle();
    v.core.Textures.SelectedBuilder = mesh;
    std::vector<std::string> lines;
    EXPECT_FALSE(ApplyToMesh(v.s, v.core.Textures, v.ui, true));
    EXPECT_FALSE(ApplyToFaces(v.s, v.core.Textures, v.ui, lines));
    EXPECT_EQ(v.ui.Warnings, (std::vector<std::string>{"No Texture Loaded", "No Texture Loaded"}));
    EXPECT_FALSE(v.s.WrapRelative);
    EXPECT_EQ(mesh->FaceColor(0), 0xFFFF0000u);
    EXPECT_EQ(v.core.Textures.CurrentWrap, nullptr);
}

TEST(Texture, ApplyRelativeMakesTheRenderStepFollowTheModel) {
    TexturedViewer v;
    const auto mesh = BoxMesh({-1, -1, -1}, {1, 1, 1});
    v.s.CenterFrame->AddVisual(mesh);
    v.s.RenderEnabled = true;
    v.core.Textures.SelectedBuilder = mesh;
    v.core.Textures.Dialog.ScaleU = v.core.Textures.Dialog.ScaleV = 1;
    ASSERT_TRUE(ApplyToMesh(v.s, v.core.Textures, v.ui, true));
    EXPECT_TRUE(v.s.WrapRelative);
    ASSERT_NE(v.core.Textures.CurrentWrap, nullptr);
    EXPECT_EQ(v.core.Textures.CurrentWrap->Reference(), v.s.CameraFrame);
    EXPECT_EQ(mesh->GetTexture(), v.core.Textures.CurrentTexture);
    const float before = mesh->TextureCoordinates()[0].U;
    v.s.CenterFrame->AddTranslation(Combine::Before, 0.5f, 0, 0);
    RenderStep(v.core);
    EXPECT_NE(mesh->TextureCoordinates()[0].U, before);
    RemoveTexture(v.s, v.core.Textures);
    EXPECT_FALSE(v.s.WrapRelative);
    EXPECT_EQ(mesh->GetTexture(), nullptr);
}

TEST(Texture, ApplyTextureParametersUsesTheGivenSettingsAndReference) {
    TexturedViewer v;
    const auto mesh = BoxMesh({-1, -1, -1}, {1, 1, 1});
    TTextureParameters p;
    p.WrapType = WrapType::Cylinder;
    p.Direction = {0, 0, 1};
    p.Up = {0, 1, 0};
    p.Colors = 64;
    p.Shades = 8;
    p.Reference = v.s.SceneFrame;
    ASSERT_EQ(ApplyTextureParameters(v.s, v.core.Textures, *mesh, p), Result::Ok);
    const Texture& texture = *v.core.Textures.CurrentTexture;
    EXPECT_EQ(texture.GetColors(), 64u);
    EXPECT_EQ(texture.GetShades(), 8u);
    EXPECT_EQ(texture.GetDecalScale(), 1u);
    EXPECT_EQ(v.core.Textures.CurrentWrap->Parameters().Type, WrapType::Cylinder);
    const TextureCoord expected = v.core.Textures.CurrentWrap->Map(mesh->Vertices()[2], {});
    EXPECT_FLOAT_EQ(mesh->TextureCoordinates()[2].U, expected.U);
    TTextures none;
    EXPECT_EQ(ApplyTextureParameters(v.s, none, *mesh, p), Result::BadObject);
}

TEST(Texture, RockPresetTexturesOnlyTheCavePassages) {
    TexturedViewer v;
    const auto walls = BoxMesh({0, 0, 0}, {1, 1, 1});
    walls->SetAppData(1);
    const auto shots = BoxMesh({0, 0, 0}, {1, 1, 1});
    shots->SetAppData(2);
    const auto moreWalls = BoxMesh({0, 0, 0}, {2, 2, 2});
    moreWalls->SetAppData(1);
    v.s.CenterFrame->AddVisual(walls);
    v.s.CenterFrame->AddVisual(shots);
    v.s.CenterFrame->AddVisual(moreWalls);
    v.core.RefreshHierarchy();
    ApplyRockTextureToCave(v.s, v.core.Textures, v.ui, v.core.Hierarchy);
    EXPECT_EQ(walls->GetTexture(), v.core.Textures.CurrentTexture);
    EXPECT_EQ(moreWalls->GetTexture(), v.core.Textures.CurrentTexture);
    EXPECT_EQ(shots->GetTexture(), nullptr);
    const TTextureDialogValues& d = v.core.Textures.Dialog;
    EXPECT_EQ(d.Shades, 32);
    EXPECT_EQ(d.WrapType, WrapType::Sphere);
    EXPECT_DOUBLE_EQ(d.ScaleU, 40);
    EXPECT_DOUBLE_EQ(d.ScaleV, 15);
    EXPECT_EQ(v.core.Textures.CurrentTexture->GetShades(), 32u);
    EXPECT_EQ(v.core.Textures.SelectedBuilder, moreWalls);
}

TEST(Texture, LoadTextureFileNamesItAfterTheFileAndKeepsTheOldOneOnFailure) {
    StartedViewer v;
    lumora::test::TempDir dir;
    ASSERT_NO_THROW(SaveRockPicture(dir.File("rock.bmp")));
    ASSERT_EQ(LoadTextureFile(v.s, v.core.Textures, dir.File("rock.bmp")), Result::Ok);
    EXPECT_EQ(v.core.Textures.CurrentTexture->GetName(), "rock.bmp");
    EXPECT_EQ(v.core.Textures.FileReadout, "rock.bmp 256X256");
    // The bitmap holds the picture the right way up: corners and middle as drawn.
    const QImage& read = v.core.Textures.CurrentTexture->Image();
    const std::vector<std::uint8_t> drawn = RockPixels();
    for (const auto& [x, y] : {std::pair{0, 0}, {255, 0}, {0, 255}, {255, 255}, {17, 200}}) {
        const std::uint8_t* p = &drawn[(std::size_t(y) * kRockPictureSize + x) * 3];
        EXPECT_EQ(read.pixel(x, y), qRgb(p[0], p[1], p[2])) << x << ", " << y;
    }
    const TexturePtr kept = v.core.Textures.CurrentTexture;
    lumora::test::WriteFile(dir.File("broken.bmp"), "BM not a picture");
    const Result broken = LoadTextureFile(v.s, v.core.Textures, dir.File("broken.bmp"));
    EXPECT_NE(broken, Result::Ok);
    EXPECT_EQ(v.core.Textures.CurrentTexture, kept);
    // A failure as the user reads it: the file and why.
    EXPECT_EQ(FileFailureText(dir.File("broken.bmp"), broken),
              dir.File("broken.bmp") + ": " + std::string(ResultText(broken)));
    const Result missing = LoadTextureFile(v.s, v.core.Textures, dir.File("missing.bmp"));
    EXPECT_EQ(FileFailureText(dir.File("missing.bmp"), missing),
              dir.File("missing.bmp") + ": " + std::strerror(ENOENT));
    const Result folder = LoadTextureFile(v.s, v.core.Textures, dir.Path().string());
    EXPECT_FALSE(CheckFileResult(v.ui, folder, dir.Path().string()));
    EXPECT_EQ(v.ui.Warnings, std::vector<std::string>{dir.Path().string() + ": Is a directory"});
    EXPECT_TRUE(CheckFileResult(v.ui, Result::Ok, dir.Path().string()));
    EXPECT_EQ(v.ui.Warnings.size(), 1u);
}

TEST(RockPicture, TilesAcrossItsEdgesAndIsNotFlat) {
    const int size = kRockPictureSize;
    const std::vector<std::uint8_t> p = RockPixels();
    ASSERT_EQ(p.size(), std::size_t(size * size * 3));
    EXPECT_EQ(p, RockPixels()); // the same picture every time
    // The seam from the last column to the first is no rougher than any other column step.
    const double seam = MeanStep(p, size, size - 1, 0);
    const double inside = MeanStep(p, size, size / 2, size / 2 + 1);
    EXPECT_LT(seam, 3 * inside + 2);
    double mean = 0, square = 0;
    for (std::size_t i = 0; i < p.size(); i += 3)
        mean += p[i], square += double(p[i]) * p[i];
    mean /= size * size;
    const double deviation = std::sqrt(square / (size * size) - mean * mean);
    EXPECT_GT(deviation, 10);
    EXPECT_GT(mean, 60);
    EXPECT_LT(mean, 200);
}

TEST(RockPicture, LoadsAsTheTextureNamedTEXTURE1) {
    StartedViewer v;
    ASSERT_EQ(LoadRockTexture(v.s, v.core.Textures), Result::Ok);
    EXPECT_EQ(v.core.Textures.CurrentTexture->GetName(), "TEXTURE1");
    EXPECT_EQ(v.core.Textures.CurrentTexture->GetWidth(), kRockPictureSize);
}

TEST(Normals, DialogFlagsAndCreaseInRadians) {
    EXPECT_EQ(NormalFlags({20, false, false}), 0u);
    EXPECT_EQ(NormalFlags({20, true, false}), 2u);
    EXPECT_EQ(NormalFlags({20, false, true}), 1u);
    EXPECT_EQ(NormalFlags({}), 3u);
    // A cube with a crease of 20 degrees keeps its edges sharp: one normal per corner of a side.
    const auto cube = BoxMesh({0, 0, 0}, {2, 4, 6});
    ASSERT_EQ(DoNormals(*cube, {}), Result::Ok);
    EXPECT_EQ(cube->GetVertexCount(), 8u); // merged first
    for (std::size_t i = 0; i < cube->GetFaceCount(); ++i) {
        FacePtr face;
        cube->GetFace(i, face);
        for (std::size_t j = 0; j < face->GetVertexCount(); ++j) {
            Vector position, normal;
            face->GetVertex(j, position, normal);
            EXPECT_NEAR(Dot(normal, cube->FaceNormal(i)), 1, 1e-4);
        }
    }
    const TNormalReadouts r = NormalReadouts(*cube);
    EXPECT_EQ(r.Polygons, "6");
    EXPECT_EQ(r.Vertices, "8");
    EXPECT_EQ(r.Size, "X: 2.0  Y: 4.0  Z: 6.0");
}
