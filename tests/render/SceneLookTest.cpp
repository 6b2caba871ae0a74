// Pixel tests of how the scene looks: fill modes, shading, ambient level, materials, background
// picture, transparency across meshes and anti-aliasing, each against what its formula gives.
#include "PixelScene.h"

#include "platform/render/TransparentOrder.h"
#include "platform/scene/Frame.h"

#include <cmath>
#include <numbers>
#include <set>

namespace lumora::test {
namespace {

using scene::Vector;

constexpr QRgb kBackground = qRgb(64, 64, 64);
constexpr unsigned kUnlit = scene::kShadeFlat | scene::kFillSolid;

std::vector<Vector> Square(float h, float z) {
    return {{-h, -h, z}, {-h, h, z}, {h, h, z}, {h, -h, z}};
}

long long PixelsNotOf(const QImage& image, QRgb colour) {
    long long n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != colour ? 1 : 0;
    return n;
}

TEST(SceneLook, PointsWireFrameAndSolidCoverMoreAndMorePixels) {
    LUMORA_REQUIRE_EGL();
    long long covered[3] = {};
    const unsigned fills[] = {scene::kFillPoints, scene::kFillWireframe, scene::kFillSolid};
    for (int i = 0; i < 3; ++i) {
        PixelScene s;
        s.AddCube(2, 0xFFFF0000);
        s.Model->AddRotation(scene::Combine::Before, 1, 1, 0, 0.5f);
        s.Device->SetQuality(scene::kShadeGouraud | scene::kLightOn | fills[i]);
        covered[i] = PixelsNotOf(s.Draw(), kBackground);
    }
    EXPECT_GE(covered[0], 7); // the corners
    EXPECT_GT(covered[1], 3 * covered[0]);
    EXPECT_GT(covered[2], 3 * covered[1]);
}

TEST(SceneLook, AmbientLevelScalesAFaceLitByItAlone) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Direct->SetColorRGB(0, 0, 0);
    s.AddMesh({Square(3, 0)}, 0xFFFFFFFF,
              scene::kShadeGouraud | scene::kLightOn | scene::kFillSolid);
    for (float level : {0.0f, 0.25f, 0.5f, 1.0f}) {
        s.Ambient->SetColorRGB(level, level, level);
        EXPECT_NEAR(qGreen(CentrePixel(s.Draw())), 255 * level, 2) << "ambient " << level;
    }
}

// A sphere of radius r of stacks x slices quads with smooth normals.
scene::MeshBuilderPtr AddSphere(PixelScene& s, float r, int stacks, int slices, unsigned quality) {
    auto point = [&](int i, int j) {
        const double theta = std::numbers::pi * i / stacks, phi = 2 * std::numbers::pi * j / slices;
        return Vector{float(r * std::sin(theta) * std::cos(phi)), float(r * std::cos(theta)),
                      float(r * std::sin(theta) * std::sin(phi))};
    };
    std::vector<std::vector<Vector>> faces;
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j)
            faces.push_back({point(i, j), point(i, j + 1), point(i + 1, j + 1), point(i + 1, j)});
    auto mesh = s.AddMesh(faces, 0xFFFFFFFF, quality);
    mesh->GenerateNormals(float(std::numbers::pi),
                          scene::kNormalsCompact | scene::kNormalsUseCrease);
    return mesh;
}

std::size_t ShadesAcross(const QImage& image) {
    std::set<int> shades;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, image.height() / 2) != kBackground)
            shades.insert(qGreen(image.pixel(x, image.height() / 2)));
    return shades.size();
}

TEST(SceneLook, FlatShadingShowsFacetsGouraudAndPhongSmoothGradients) {
    LUMORA_REQUIRE_EGL();
    std::size_t shades[3] = {};
    QImage images[3];
    const unsigned shading[] = {scene::kShadeFlat, scene::kShadeGouraud, scene::kShadePhong};
    for (int i = 0; i < 3; ++i) {
        PixelScene s;
        s.Ambient->SetColorRGB(0, 0, 0);
        s.LightFrame->SetOrientation(s.Scene.get(), 1, 0, 1, 0, 1, 0); // from the left
        const unsigned q = shading[i] | scene::kLightOn | scene::kFillSolid;
        s.Device->SetQuality(q);
        AddSphere(s, 3, 8, 12, q);
        images[i] = s.Draw();
        KeepImage(images[i], "SceneLook_Sphere" + std::to_string(i));
        shades[i] = ShadesAcross(images[i]);
    }
    EXPECT_LE(shades[0], 8u); // one shade per facet crossed
    EXPECT_GT(shades[1], 2 * shades[0]);
    EXPECT_GT(shades[2], 2 * shades[0]);
    EXPECT_NE(images[0], images[1]);
}

TEST(SceneLook, SpecularHighlightNeedsPowerAndFallsOffAwayFromTheMirrorDirection) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(0, 0, 0);
    const unsigned phong = scene::kShadePhong | scene::kLightOn | scene::kFillSolid;
    s.Device->SetQuality(phong);
    auto square = s.AddMesh({Square(3, 0)}, 0xFF333333, phong);
    scene::MaterialPtr material;
    s.Root.CreateMaterial(0, material);
    square->SetMaterial(material);
    // Light along the view: diffuse 0.7 x 0.2 at the centre; no highlight without power.
    const QImage dull = s.Draw();
    EXPECT_NEAR(qGreen(CentrePixel(dull)), 0.7 * 51, 2);
    material->SetPower(200);
    const QImage shiny = s.Draw();
    KeepImage(shiny, "SceneLook_Specular");
    // At the centre the half vector is the normal: 0.7 more of the white specular colour.
    EXPECT_NEAR(qGreen(CentrePixel(shiny)), 0.7 * 51 + 0.7 * 255, 3);
    EXPECT_LT(qGreen(shiny.pixel(80 + 40, 60)), qGreen(CentrePixel(shiny)) - 100);
}

TEST(SceneLook, BackgroundPictureShowsAroundAndBehindTheModel) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Ambient->SetColorRGB(1, 1, 1);
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(qRgb(255, 255, 0));
    scene::TexturePtr texture;
    ASSERT_EQ(s.Root.LoadTextureFromImage(picture, texture), scene::Result::Ok);
    s.Scene->SetSceneBackgroundImage(texture);
    s.AddMesh({Square(1, 0)}, 0xFF0000FF, kUnlit);
    const QImage image = s.Draw();
    EXPECT_EQ(CentrePixel(image), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 0));
    EXPECT_EQ(image.pixel(154, 114), qRgb(255, 255, 0));
}

TEST(SceneLook, HalfTransparentFaceBlendsWithTheBackground) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.AddMesh({Square(2, 0)}, (127u << 24) | 0x0000FF, kUnlit);
    const QRgb centre = CentrePixel(s.Draw());
    const double a = 127 / 255.0;
    EXPECT_NEAR(qBlue(centre), 255 * a + 64 * (1 - a), 3);
    EXPECT_NEAR(qRed(centre), 64 * (1 - a), 3);
}

TEST(SceneLook, TransparentMeshesAreSortedTogetherFarToNear) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    // The near mesh comes first in the scene; drawn in scene order its colour would be under.
    s.AddMesh({Square(2, -2)}, (127u << 24) | 0x0000FF, kUnlit);
    s.AddMesh({Square(2, 2)}, (127u << 24) | 0xFF0000, kUnlit);
    const QRgb centre = CentrePixel(s.Draw());
    const double a = 127 / 255.0;
    const double red = (255 * a + 64 * (1 - a)) * (1 - a);
    const double blue = 255 * a + 64 * (1 - a) * (1 - a);
    EXPECT_NEAR(qRed(centre), red, 3);
    EXPECT_NEAR(qBlue(centre), blue, 3);
    // Turned half round, the other one is near.
    s.Model->AddRotation(scene::Combine::Before, 0, 1, 0, float(std::numbers::pi));
    const QRgb turned = CentrePixel(s.Draw());
    EXPECT_NEAR(qBlue(turned), red, 3);
    EXPECT_NEAR(qRed(turned), blue, 3);
}

TEST(SceneLook, MultisamplingMixesEdgePixelsThatOneSampleLeavesPure) {
    LUMORA_REQUIRE_EGL();
    long long mixed[2] = {};
    for (int samples : {1, 4}) {
        PixelScene s(160, 120, samples);
        s.AddMesh({Square(3, 0)}, 0xFFFF0000, kUnlit);
        s.Model->AddRotation(scene::Combine::Before, 0, 0, 1, 0.3f);
        const QImage image = s.Draw();
        KeepImage(image, "SceneLook_Samples" + std::to_string(samples));
        long long n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                n += p != kBackground && p != qRgb(255, 0, 0) ? 1 : 0;
            }
        mixed[samples == 4] = n;
        if (samples == 4)
            EXPECT_EQ(s.Context.Samples(), 4);
    }
    EXPECT_EQ(mixed[0], 0);
    EXPECT_GT(mixed[1], 40);
}

TEST(TransparentOrder, FarthestTriangleComesFirstAndEqualDepthsKeepTheirOrder) {
    const std::vector<Vector> centres{{0, 0, 5}, {0, 0, 50}, {1, 0, 5}, {0, 0, -3}};
    const std::vector<std::uint32_t> indices{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    std::vector<std::uint32_t> out;
    render::SortFarToNear(centres, indices, scene::Matrix::Identity(), out);
    EXPECT_EQ(out, (std::vector<std::uint32_t>{3, 4, 5, 0, 1, 2, 6, 7, 8, 9, 10, 11}));
    // Seen from the other side (z mirrored) the order turns round.
    scene::Matrix mirror = scene::Matrix::Identity();
    mirror.M[2][2] = -1;
    render::SortFarToNear(centres, indices, mirror, out);
    EXPECT_EQ(out, (std::vector<std::uint32_t>{9, 10, 11, 0, 1, 2, 6, 7, 8, 3, 4, 5}));
}

} // namespace
} // namespace lumora::test
