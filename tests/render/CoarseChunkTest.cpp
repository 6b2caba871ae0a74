// Coarse copies of big chunks: drawn only when asked for and only where the difference stays
// under a pixel; exact pictures draw every triangle.
#include "PixelScene.h"

#include "platform/scene/Frame.h"

#include <cmath>
#include <numbers>

namespace lumora::test {
namespace {

using scene::Vector;

constexpr int kAround = 120, kUpDown = 60; // 7200 quads: 14,160 triangles after the poles

// A sphere of the given radius around the model frame's origin, in quads (triangles at the
// poles), wound clockwise seen from outside.
scene::MeshBuilderPtr AddSphere(PixelScene& s, float radius) {
    auto point = [&](int i, int j) {
        const double lon = 2 * std::numbers::pi * i / kAround;
        const double lat = std::numbers::pi * j / kUpDown - std::numbers::pi / 2;
        return Vector{float(radius * std::cos(lat) * std::cos(lon)), float(radius * std::sin(lat)),
                      float(radius * std::cos(lat) * std::sin(lon))};
    };
    std::vector<std::vector<Vector>> faces;
    for (int j = 0; j < kUpDown; ++j)
        for (int i = 0; i < kAround; ++i) {
            std::vector<Vector> face{point(i, j), point(i, j + 1), point(i + 1, j + 1),
                                     point(i + 1, j)};
            if (j == 0)
                face.erase(face.begin() + 3); // the south pole's corners are one point
            else if (j == kUpDown - 1)
                face.erase(face.begin() + 1); // as are the north pole's
            faces.push_back(face);
        }
    auto mesh =
        s.AddMesh(faces, 0xFFFF0000, scene::kShadeGouraud | scene::kLightOn | scene::kFillSolid);
    mesh->GenerateNormals(0, scene::kNormalsCompact);
    return mesh;
}

// Triangles the next frame draws, and its picture.
std::uint32_t DrawCounting(PixelScene& s, QImage* image = nullptr) {
    const std::uint32_t before = s.Device->GetTrianglesDrawn();
    const QImage picture = s.Draw();
    if (image)
        *image = picture;
    return s.Device->GetTrianglesDrawn() - before;
}

constexpr std::uint32_t kFullTriangles = 2 * kAround * (kUpDown - 2) + 2 * kAround;

TEST(CoarseChunks, ExactPicturesDrawEveryTriangleAtAnyDistance) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    AddSphere(s, 20);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 600);
    EXPECT_EQ(DrawCounting(s), kFullTriangles);
}

TEST(CoarseChunks, AFarMeshIsDrawnCoarseAndLooksTheSame) {
    LUMORA_REQUIRE_EGL();
    PixelScene s(320, 240);
    AddSphere(s, 20);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 600); // about 21 pixels across
    QImage exact, coarse;
    ASSERT_EQ(DrawCounting(s, &exact), kFullTriangles);
    s.Renderer.SetCoarseFar(true);
    // The first picture does not wait for the coarse copies: they are made after it.
    EXPECT_EQ(DrawCounting(s), kFullTriangles);
    EXPECT_FALSE(s.Renderer.CoarseCopiesPending());
    const std::uint32_t drawn = DrawCounting(s, &coarse);
    KeepImage(coarse, "CoarseChunks_Far");
    EXPECT_LT(drawn, kFullTriangles / 2);
    EXPECT_GT(drawn, 0u);
    // The outline is the same to within a pixel's worth of its edge, and the lit side alike.
    const double exactCover = 1 - ShareOfColor(exact, qRgb(64, 64, 64), 0);
    const double coarseCover = 1 - ShareOfColor(coarse, qRgb(64, 64, 64), 0);
    EXPECT_NEAR(coarseCover, exactCover, 0.1 * exactCover);
    int differing = 0;
    for (int y = 0; y < exact.height(); ++y)
        for (int x = 0; x < exact.width(); ++x) {
            const QRgb a = exact.pixel(x, y), b = coarse.pixel(x, y);
            differing += std::abs(qRed(a) - qRed(b)) > 40 || std::abs(qGreen(a) - qGreen(b)) > 40;
        }
    EXPECT_LT(differing, int(0.15 * exactCover * exact.width() * exact.height()));
}

TEST(CoarseChunks, ANearMeshIsDrawnInFullEvenWhenCoarseIsAllowed) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    AddSphere(s, 20);
    s.Renderer.SetCoarseFar(true);
    // Its nearest point 5 units away, where the coarse copy would be off by more than a pixel.
    s.Model->SetPosition(s.Scene.get(), 0, 0, 25);
    EXPECT_EQ(DrawCounting(s), kFullTriangles);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 600);
    EXPECT_LT(DrawCounting(s), kFullTriangles / 2);
    // Ten times the size at ten times the distance looks the same as the near one.
    s.Model->AddScale(scene::Combine::Before, 10, 10, 10);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 250);
    EXPECT_EQ(DrawCounting(s), kFullTriangles);
    // The camera inside the mesh.
    s.Model->SetPosition(s.Scene.get(), 0, 0, 0);
    EXPECT_EQ(DrawCounting(s), kFullTriangles);
}

TEST(CoarseChunks, SmallAndTransparentMeshesAreNeverCoarse) {
    LUMORA_REQUIRE_EGL();
    PixelScene s;
    s.Renderer.SetCoarseFar(true);
    auto cube = s.AddCube(2, 0xFFFF0000);
    s.Model->SetPosition(s.Scene.get(), 0, 0, 600);
    EXPECT_EQ(DrawCounting(s), 12u);
    s.Model->DeleteVisual(cube);
    auto sphere = AddSphere(s, 20);
    for (std::size_t f = 0; f < sphere->GetFaceCount(); ++f)
        sphere->SetFaceColor(f, 0x80FF0000);
    EXPECT_EQ(DrawCounting(s), kFullTriangles);
}

} // namespace
} // namespace lumora::test
