// Pixel tests of the renderer: scenes built with the scene layer, drawn headless, read back.
#include "PixelScene.h"

#include "platform/scene/Frame.h"

#include <cmath>

namespace lumora::test {
namespace {

using scene::Vector;

constexpr QRgb kBackground = qRgb(64, 64, 64);

// A square of half side h at depth z (camera space, the model frame at the origin), wound
// clockwise as the camera sees it.
std::vector<Vector> Square(float h, float z, float x = 0) {
    return {{x - h, -h, z}, {x - h, h, z}, {x + h, h, z}, {x + h, -h, z}};
}

TEST(GlRenderer, DrawsALitRedCubeOnTheBackground) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.AddCube(2, 0xFFFF0000);
    const QImage image = s.Draw();
    KeepImage(image, "GlRenderer_RedCube");
    EXPECT_EQ(CentrePixel(image), qRgb(255, 0, 0)); // face square to the light: full light
    EXPECT_EQ(image.pixel(2, 2), kBackground);
    const double red = ShareOfColor(image, qRgb(255, 0, 0), 10);
    EXPECT_GT(red, 0.15);
    EXPECT_LT(red, 0.6);
}

TEST(GlRenderer, CountsTheTrianglesOfEveryFrame) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.AddCube(2, 0xFFFF0000);
    s.Draw();
    EXPECT_EQ(s.Device->GetTrianglesDrawn(), 12u);
    s.Draw();
    EXPECT_EQ(s.Device->GetTrianglesDrawn(), 24u);
}

TEST(GlRenderer, UnlitMeshesKeepTheirFaceColour) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(0, 0, 0);
    s.Direct->SetColorRGB(0, 0, 0);
    auto lit = s.AddMesh({Square(1, 0, -2)}, 0xFF00C000,
                         scene::kShadeFlat | scene::kLightOn | scene::kFillSolid);
    auto unlit = s.AddMesh({Square(1, 0, 2)}, 0xFF00C000, scene::kShadeFlat | scene::kFillSolid);
    const QImage image = s.Draw();
    KeepImage(image, "GlRenderer_Unlit");
    EXPECT_EQ(image.pixel(image.width() / 2 + 32, 60), qRgb(0, 192, 0));
    EXPECT_EQ(image.pixel(image.width() / 2 - 32, 60), qRgb(0, 0, 0));
}

TEST(GlRenderer, WireFrameAndPointsLeaveMostOfTheFaceBackground) {
    LUMORA_REQUIRE_EGL();
    for (unsigned fill : {scene::kFillWireframe, scene::kFillPoints}) {
        PixelScene s;
        s.AddCube(2, 0xFFFF0000);
        s.Device->SetQuality(scene::kShadeGouraud | scene::kLightOn | fill);
        const QImage image = s.Draw();
        KeepImage(image, "GlRenderer_Fill" + std::to_string(fill));
        EXPECT_EQ(CentrePixel(image), kBackground) << "fill " << fill;
        EXPECT_GT(ShareOfColor(image, kBackground, 0), 0.95) << "fill " << fill;
        const double reddish = ShareOfColor(image, qRgb(150, 0, 0), 110);
        EXPECT_GE(reddish * image.width() * image.height(), 8)
            << "fill " << fill; // at least the cube's eight corners
    }
}

TEST(GlRenderer, LinearFogTintsDistantFacesWithTheFogColour) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(1, 1, 1);
    s.AddMesh({Square(0.5f, -8, -0.25f)}, 0xFFFF0000, scene::kShadeFlat | scene::kFillSolid);
    s.AddMesh({Square(4, 30, 10.0f)}, 0xFFFF0000, scene::kShadeFlat | scene::kFillSolid);
    s.Scene->SetSceneFogEnable(true);
    s.Scene->SetSceneFogMode(scene::FogMode::Linear);
    s.Scene->SetSceneFogParams(1, 50, 1);
    s.Scene->SetSceneFogColor(0xFF0000FF);
    const QImage image = s.Draw();
    KeepImage(image, "GlRenderer_Fog");
    // Near square: depth 2, (50 - 2) / 49 of its own colour. Far: depth 40, 10 / 49.
    const QRgb nearPixel = image.pixel(image.width() / 2 - 20, 60);
    const QRgb farPixel = image.pixel(image.width() / 2 + 35, 60);
    EXPECT_NEAR(qRed(nearPixel), 255 * 48 / 49, 3);
    EXPECT_NEAR(qBlue(nearPixel), 255 * 1 / 49, 3);
    EXPECT_NEAR(qRed(farPixel), 255 * 10 / 49, 3);
    EXPECT_NEAR(qBlue(farPixel), 255 * 39 / 49, 3);
}

TEST(GlRenderer, ExponentialFogFollowsTheDensity) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(1, 1, 1);
    s.AddMesh({Square(3, 0)}, 0xFFFFFFFF, scene::kShadeFlat | scene::kFillSolid);
    s.Scene->SetSceneFogEnable(true);
    s.Scene->SetSceneFogParams(0, 0, 0.1f);
    s.Scene->SetSceneFogColor(0xFF000000);
    s.Scene->SetSceneFogMode(scene::FogMode::Exponential);
    EXPECT_NEAR(qRed(CentrePixel(s.Draw())), 255 * std::exp(-1.0), 3); // depth 10
    s.Scene->SetSceneFogMode(scene::FogMode::ExponentialSquared);
    EXPECT_NEAR(qRed(CentrePixel(s.Draw())), 255 * std::exp(-1.0), 3);
    s.Scene->SetSceneFogParams(0, 0, 0.05f);
    EXPECT_NEAR(qRed(CentrePixel(s.Draw())), 255 * std::exp(-0.25), 3);
}

TEST(GlRenderer, HalfTransparentFacesBlendWithWhatIsBehind) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(1, 1, 1);
    const unsigned unlit = scene::kShadeFlat | scene::kFillSolid;
    // The transparent face comes first in the scene, the opaque one behind it second.
    s.AddMesh({Square(2, -2)}, (127u << 24) | 0x0000FF, unlit);
    s.AddMesh({Square(3, 2)}, 0xFFFF0000, unlit);
    const QImage image = s.Draw();
    KeepImage(image, "GlRenderer_Transparency");
    const QRgb centre = CentrePixel(image);
    EXPECT_NEAR(qRed(centre), 255 * 128 / 255, 3);
    EXPECT_NEAR(qBlue(centre), 127, 3);
    EXPECT_EQ(qGreen(centre), 0);
}

TEST(GlRenderer, SortsTransparentFacesFarToNear) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    const unsigned unlit = scene::kShadeFlat | scene::kFillSolid;
    // One mesh: the near face first, the far one second; drawn in that order the far face would
    // be hidden by the depth of the near one or blended in the wrong order.
    s.AddMesh({Square(2, -2), Square(2, 2)}, (127u << 24) | 0xFF0000, unlit)
        ->SetFaceColor(0, (127u << 24) | 0x0000FF);
    const QRgb centre = CentrePixel(s.Draw());
    // Far red over grey, then near blue over that.
    const double farRed = 255 * 0.498 + 64 * 0.502;
    EXPECT_NEAR(qRed(centre), farRed * 0.502, 4);
    EXPECT_NEAR(qBlue(centre), 255 * 0.498 + 64 * 0.502 * 0.502, 4);
}

// The test object cube: red on top (y = 3), blue elsewhere.
scene::MeshBuilderPtr AddTestCube(PixelScene& s) {
    scene::MeshBuilderPtr cube = s.AddCube(3, 0xFF0000FF);
    cube->SetFaceColor(4, 0xFFFF0000); // y+
    return cube;
}

TEST(GlRenderer, TestCubeShowsItsRedFaceFromAboveOnly) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(1, 1, 1);
    AddTestCube(s);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 20);
    s.Model->AddRotation(scene::Combine::Before, 1, 0, 0, -0.6f); // top towards the camera
    const QImage fromAbove = s.Draw();
    KeepImage(fromAbove, "GlRenderer_CubeAbove");
    EXPECT_GT(ShareOfColor(fromAbove, qRgb(255, 0, 0), 20), 0.05);
    s.Model->AddRotation(scene::Combine::Before, 1, 0, 0, 1.2f); // bottom towards the camera
    const QImage fromBelow = s.Draw();
    KeepImage(fromBelow, "GlRenderer_CubeBelow");
    EXPECT_EQ(ShareOfColor(fromBelow, qRgb(255, 0, 0), 20), 0.0);
    EXPECT_GT(ShareOfColor(fromBelow, qRgb(0, 0, 255), 20), 0.1);
}

TEST(GlRenderer, CullingOutsideHidesInsideFaces) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.AddCube(5, 0xFFFF0000);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 0);               // the camera inside the cube
    s.Device->SetCullState(scene::CullState::CounterClockwise); // "Outside"
    const QImage outside = s.Draw();
    KeepImage(outside, "GlRenderer_CullOutside");
    EXPECT_EQ(ShareOfColor(outside, kBackground, 0), 1.0);
    s.Device->SetCullState(scene::CullState::None); // "Both"
    EXPECT_EQ(ShareOfColor(s.Draw(), kBackground, 0), 0.0);
    s.Device->SetCullState(scene::CullState::Clockwise); // "Inside"
    EXPECT_EQ(ShareOfColor(s.Draw(), kBackground, 0), 0.0);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 20); // outside: "Inside" shows the far side
    const QRgb farSide = CentrePixel(s.Draw());
    s.Device->SetCullState(scene::CullState::CounterClockwise);
    EXPECT_EQ(CentrePixel(s.Draw()), qRgb(255, 0, 0)); // the near side, square to the light
    EXPECT_NE(farSide, qRgb(255, 0, 0));
    EXPECT_NE(farSide, kBackground);
}

TEST(GlRenderer, BackClippingPlaneHidesFacesBeyondIt) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.AddCube(2, 0xFFFF0000);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 50);
    EXPECT_NE(CentrePixel(s.Draw()), kBackground);
    s.Viewport->SetBack(40);
    EXPECT_EQ(CentrePixel(s.Draw()), kBackground);
}

TEST(GlRenderer, UploadsAMeshOnceAndAgainOnlyWhenItChanges) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    auto cube = s.AddCube(2, 0xFFFF0000);
    s.Draw();
    s.Draw();
    EXPECT_EQ(s.Renderer.UploadCount(), 1u);
    cube->SetTexture(std::make_shared<scene::Texture>(QImage(2, 2, QImage::Format_RGB32), 256, 1));
    s.Draw();
    EXPECT_EQ(s.Renderer.UploadCount(), 2u);
    cube->SetTexture(nullptr);
    s.Draw();
    EXPECT_EQ(s.Renderer.UploadCount(), 3u);
    cube->SetFaceColor(0, (127u << 24) | 0x00FF00); // a see-through face moves to another run
    s.Draw();
    EXPECT_EQ(s.Renderer.UploadCount(), 4u);
    EXPECT_EQ(s.Renderer.ColorUploadCount(), 0u);
}

// Recolouring sends the colours alone, and each face shows its own colour even where faces of
// other colours share its corners.
TEST(GlRenderer, RecolouringSendsOnlyTheColours) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(1, 1, 1);
    s.Direct->SetColorRGB(0, 0, 0);
    // Two squares side by side sharing their middle edge, unlit.
    auto mesh = s.AddMesh({{{-2, -1, 0}, {-2, 1, 0}, {0, 1, 0}, {0, -1, 0}},
                           {{0, -1, 0}, {0, 1, 0}, {2, 1, 0}, {2, -1, 0}}},
                          0xFFFF0000, scene::kShadeGouraud | scene::kFillSolid);
    mesh->GenerateNormals(0, scene::kNormalsCompact); // one corner for each shared vertex
    QImage image = s.Draw();
    const int cy = image.height() / 2, lx = image.width() / 2 - 16, rx = image.width() / 2 + 16;
    EXPECT_EQ(image.pixel(lx, cy), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(rx, cy), qRgb(255, 0, 0));
    const std::size_t uploads = s.Renderer.UploadCount();
    for (int pass = 0; pass < 2; ++pass) {
        mesh->SetFaceColor(0, pass ? 0xFE0000FF : 0xFE00FF00);
        mesh->SetFaceColor(1, pass ? 0xFE00FF00 : 0xFE0000FF);
        image = s.Draw();
        KeepImage(image, "GlRenderer_Recoloured");
        EXPECT_EQ(image.pixel(lx, cy), pass ? qRgb(0, 0, 255) : qRgb(0, 255, 0));
        EXPECT_EQ(image.pixel(rx, cy), pass ? qRgb(0, 255, 0) : qRgb(0, 0, 255));
        // Near the shared edge too: no blend of the two colours.
        EXPECT_EQ(image.pixel(image.width() / 2 - 2, cy), image.pixel(lx, cy));
        EXPECT_EQ(image.pixel(image.width() / 2 + 2, cy), image.pixel(rx, cy));
    }
    EXPECT_EQ(s.Renderer.UploadCount(), uploads);
    EXPECT_EQ(s.Renderer.ColorUploadCount(), 2u);
}

TEST(GlRenderer, BackgroundPictureFillsTheViewport) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 0));
    for (int x = 0; x < 4; ++x)
        picture.setPixel(x, 0, qRgb(255, 255, 0)); // the top row yellow
    scene::TexturePtr texture;
    ASSERT_EQ(s.Root.LoadTextureFromImage(picture, texture), scene::Result::Ok);
    s.Scene->SetSceneBackgroundImage(texture);
    const QImage image = s.Draw();
    KeepImage(image, "GlRenderer_BackgroundPicture");
    EXPECT_EQ(image.pixel(80, 2), qRgb(255, 255, 0));
    EXPECT_EQ(image.pixel(80, 117), qRgb(0, 0, 0));
}

TEST(GlRenderer, TexturesFollowTheirCoordinatesAndFiltering) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(1, 1, 1);
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 0, 255));
    scene::TexturePtr texture;
    s.Root.LoadTextureFromImage(picture, texture);
    auto mesh = s.AddMesh({Square(3, 0)}, 0xFFFFFFFF, scene::kShadeFlat | scene::kFillSolid);
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i)
        mesh->SetTextureCoordinates(i, uv[i][0], uv[i][1]);
    mesh->SetTexture(texture);
    s.Device->SetTextureQuality(0);
    QImage nearest = s.Draw();
    KeepImage(nearest, "GlRenderer_TextureNearest");
    EXPECT_EQ(nearest.pixel(70, 60), qRgb(255, 0, 0));
    EXPECT_EQ(nearest.pixel(90, 60), qRgb(0, 0, 255));
    s.Device->SetTextureQuality(1);
    const QRgb mixed = s.Draw().pixel(80, 60);
    EXPECT_GT(qRed(mixed), 60);
    EXPECT_GT(qBlue(mixed), 60);
}

TEST(GlRenderer, PointLightFallsOnTheFacesTurnedToIt) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(0, 0, 0);
    s.Direct->SetType(scene::LightType::Point);
    s.LightFrame->SetPosition(s.Scene.get(), 0, 0, 0); // at the camera
    s.AddCube(2, 0xFFFFFFFF);
    const QRgb lit = CentrePixel(s.Draw());
    EXPECT_GT(qRed(lit), 150);
    s.LightFrame->SetPosition(s.Scene.get(), 0, 0, 30); // behind the cube
    EXPECT_EQ(CentrePixel(s.Draw()), qRgb(0, 0, 0));
}

TEST(GlRenderer, EmissiveMaterialGlowsWithoutLight) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(0, 0, 0);
    s.Direct->SetColorRGB(0, 0, 0);
    auto cube = s.AddCube(2, 0xFFFFFFFF);
    scene::MaterialPtr material;
    s.Root.CreateMaterial(0, material);
    material->SetEmissive(0, 0.5f, 0);
    cube->SetMaterial(material);
    const QRgb glow = CentrePixel(s.Draw());
    EXPECT_NEAR(qGreen(glow), 128, 2);
    EXPECT_EQ(qRed(glow), 0);
}

TEST(GlRenderer, ShadowFallsOnThePlaneBelowTheModel) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Scene->SetSceneBackground(0xFFFFFFFF);
    s.AddCube(1, 0xFFFF0000);
    s.Model->SetPosition(s.Scene.get(), 0, 2, 10);
    s.LightFrame->SetOrientation(s.Scene.get(), 0, -1, 0, 0, 0, 1); // straight down
    scene::ShadowPtr shadow;
    ASSERT_EQ(
        s.Root.CreateShadow(s.Model->GetVisuals().front(), s.Direct, {0, -4, 0}, {0, 1, 0}, shadow),
        scene::Result::Ok);
    s.Model->AddVisual(shadow);
    const QImage image = s.Draw();
    KeepImage(image, "GlRenderer_Shadow");
    // The plane is 2 below the camera at depths 9 to 11: 89 to 96 pixels down.
    EXPECT_EQ(image.pixel(80, 92), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(80, 115), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(5, 60), qRgb(255, 255, 255));
}

} // namespace
} // namespace lumora::test
