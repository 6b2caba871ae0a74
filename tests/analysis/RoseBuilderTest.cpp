// The rose in the viewer's scene: the wedges of the petals (faces, vertex order, colours,
// radii), the layers' colours, the base plate with its card, and "Create Rose" as a whole: the
// model replaced, scaled and listed, the progress, the empty rose and the flat cave.
#include "RoseTestData.h"

#include "analysis/RoseBuilder.h"
#include "analysis/RoseCard.h"
#include "support/RecordingUi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumora::test {
namespace {

using analysis::TRoseOptions;
using scene::MeshBuilder;
using scene::MeshBuilderPtr;
using scene::Vector;

constexpr double kPi = std::numbers::pi;

// A viewer core with its scene as at start-up (no device).
struct TViewer {
    RecordingUi Ui;
    viewer::TViewerCore Core{Ui};
    TViewer() { EXPECT_EQ(viewer::CreateScene(Core.Scene), scene::Result::Ok); }
    // The mesh of that name on the model frame, or nothing.
    MeshBuilderPtr Mesh(const std::string& name) const {
        for (const auto& visual : Core.Scene.CenterFrame->GetVisuals())
            if (visual->GetName() == name)
                return std::dynamic_pointer_cast<MeshBuilder>(visual);
        return nullptr;
    }
};

std::vector<Vector> Corners(const MeshBuilder& mesh, std::size_t face) {
    std::vector<Vector> points;
    for (const scene::FaceCorner& corner : mesh.FaceCorners(face))
        points.push_back(mesh.Vertices()[corner.Vertex]);
    return points;
}

void ExpectPoints(const std::vector<Vector>& actual, const std::vector<Vector>& expected,
                  const std::string& what) {
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i].X, expected[i].X, 1e-5) << what << " corner " << i;
        EXPECT_NEAR(actual[i].Y, expected[i].Y, 1e-5) << what << " corner " << i;
        EXPECT_NEAR(actual[i].Z, expected[i].Z, 1e-5) << what << " corner " << i;
    }
}

// A point of a wedge: x east, y up, z north, bearings clockwise from north.
Vector Polar(double degrees, double radius, double y) {
    return {float(radius * std::sin(degrees * kPi / 180)), float(y),
            float(radius * std::cos(degrees * kPi / 180))};
}

TEST(LayerColor, RainbowFromTheTableBottomToTopOrRed) {
    // Entries of the 24-colour table as written: 23 FF007F, 13 00FFFF, 1 FF0000, 0 black;
    // framework colours hold red in the lowest byte.
    EXPECT_EQ(analysis::LayerColor(0, 24, true), 0x7F00FFu);  // entry 23
    EXPECT_EQ(analysis::LayerColor(10, 24, true), 0xFFFF00u); // 24 - 9.58 = 14.42: entry 13
    EXPECT_EQ(analysis::LayerColor(23, 24, true), 0x0000FFu); // 24 - 22.04 = 1.96: entry 1
    EXPECT_EQ(analysis::LayerColor(1, 2, true), 0x7FFF00u);   // 12.5 halves to 12: entry 11
    EXPECT_EQ(analysis::LayerColor(45, 46, true), 0x0000FFu); // 1.5 halves to 2: entry 1
    EXPECT_EQ(analysis::LayerColor(46, 47, true), 0x000000u); // 1.49: entry 0 above 46 layers
    EXPECT_EQ(analysis::LayerColor(179, 180, true), 0x000000u);
    for (int j : {0, 5, 23})
        EXPECT_EQ(analysis::LayerColor(j, 24, false), 0x0000FFu) << j;
}

// One counted shot in the scene: its petal has radius 10, every other petal is
// a flat wedge, and each wedge is five faces in the stated order and colours.
TEST(BuildPetals, OneShotGivesOnePetalOfRadiusTenAndFlatWedgesElsewhere) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 20}).Shot(12.7, 45);
    analysis::TRoseHistogram h;
    h.Fill(*cave.Data, {});
    MeshBuilder mesh;
    analysis::BuildPetals(mesh, h, true);
    ASSERT_EQ(mesh.GetFaceCount(), 5u * 24 * 36);
    EXPECT_EQ(mesh.GetVertexCount(), 18u * 24 * 36);

    const std::size_t wedge = 10 * 36 + 4; // layer 10, petal 4
    const double t = 10.0 / 24, y0 = 10 * t - 5, y1 = y0 + t;
    const Vector topCentre{0, float(y1), 0}, bottomCentre{0, float(y0), 0};
    const Vector topStart = Polar(40, 10, y1), topEnd = Polar(50, 10, y1);
    const Vector bottomStart = Polar(40, 10, y0), bottomEnd = Polar(50, 10, y0);
    ExpectPoints(Corners(mesh, 5 * wedge + 0), {topCentre, topStart, topEnd}, "top");
    ExpectPoints(Corners(mesh, 5 * wedge + 1), {bottomCentre, bottomEnd, bottomStart}, "bottom");
    ExpectPoints(Corners(mesh, 5 * wedge + 2), {topCentre, topEnd, bottomEnd, bottomCentre},
                 "end side");
    ExpectPoints(Corners(mesh, 5 * wedge + 3), {topStart, topCentre, bottomCentre, bottomStart},
                 "start side");
    ExpectPoints(Corners(mesh, 5 * wedge + 4), {topEnd, topStart, bottomStart, bottomEnd},
                 "outer side");
    // Layer 10 of 24 takes entry 13, 00FFFF: the triangles packed with alpha 254, the sides as
    // RGB floats (alpha 255).
    EXPECT_EQ(mesh.FaceColor(5 * wedge + 0), 0xFE00FFFFu);
    EXPECT_EQ(mesh.FaceColor(5 * wedge + 1), 0xFE00FFFFu);
    for (int side = 2; side < 5; ++side)
        EXPECT_EQ(mesh.FaceColor(5 * wedge + side), 0xFF00FFFFu) << side;

    for (std::size_t f = 0; f < mesh.GetFaceCount(); ++f) {
        if (f / 5 == wedge)
            continue;
        for (const Vector& p : Corners(mesh, f))
            ASSERT_TRUE(p.X == 0 && p.Z == 0) << "face " << f << " is not flat";
    }
    // The bottom layer's wedges take entry 23 (FF007F), the top layer's entry 1 (FF0000).
    EXPECT_EQ(mesh.FaceColor(0), 0xFEFF007Fu);
    EXPECT_EQ(mesh.FaceColor(5 * (23 * 36) + 4), 0xFFFF0000u);
}

TEST(BuildPetals, RedWithoutRainbowColours) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 20}).Shot(12.7, 45);
    analysis::TRoseHistogram h;
    h.Fill(*cave.Data, {});
    MeshBuilder mesh;
    analysis::BuildPetals(mesh, h, false);
    for (std::size_t f = 0; f < mesh.GetFaceCount(); ++f)
        ASSERT_EQ(mesh.FaceColor(f), f % 5 < 2 ? 0xFEFF0000u : 0xFFFF0000u) << f;
}

// A generated cave: 5 L P faces, heights -5 to +5, radii up to 10 (the largest petal at 10), each
// petal's radius its count over the largest.
TEST(BuildPetals, TheStackSpansHeightsMinusFiveToFiveAndRadiiUpToTen) {
    const auto cave = GeneratedCave(5000);
    TRoseOptions options;
    options.Layers = 7;
    options.Petals = 13;
    analysis::TRoseHistogram h;
    h.Fill(*cave, options);
    MeshBuilder mesh;
    analysis::BuildPetals(mesh, h, true);
    ASSERT_EQ(mesh.GetFaceCount(), 5u * 7 * 13);
    scene::Box box;
    ASSERT_TRUE(mesh.GetBox(box));
    EXPECT_NEAR(box.Min.Y, -5, 1e-6);
    EXPECT_NEAR(box.Max.Y, 5, 1e-6);
    double largest = 0;
    for (const Vector& p : mesh.Vertices())
        largest = std::max(largest, std::hypot(double(p.X), double(p.Z)));
    EXPECT_NEAR(largest, 10, 1e-5);
    for (int j = 0; j < 7; ++j)
        for (int m = 0; m < 13; ++m) {
            const std::size_t outer = 5 * std::size_t(j * 13 + m) + 4;
            const Vector p = Corners(mesh, outer)[0];
            const double expected = 10.0 * double(h.Count(j, m)) / h.LargestCount();
            ASSERT_NEAR(std::hypot(double(p.X), double(p.Z)), expected, 1e-4)
                << "layer " << j << " petal " << m;
        }
}

TEST(BasePlate, SlabOfSixWhiteFacesWithTheCardOnTop) {
    TViewer v;
    ASSERT_TRUE(analysis::BuildBasePlate(v.Core));
    const MeshBuilderPtr base = v.Mesh("Base Builder");
    ASSERT_TRUE(base);
    EXPECT_EQ(base->GetAppData(), 0u);
    ASSERT_EQ(base->GetFaceCount(), 6u);
    const Vector q1{-10, -5, -10}, q2{10, -5, -10}, q3{10, -5, 10}, q4{-10, -5, 10};
    const Vector p1{-10, -5.1f, -10}, p2{10, -5.1f, -10}, p3{10, -5.1f, 10}, p4{-10, -5.1f, 10};
    ExpectPoints(Corners(*base, 0), {q4, q3, q2, q1}, "top");
    ExpectPoints(Corners(*base, 1), {p1, p2, p3, p4}, "bottom");
    ExpectPoints(Corners(*base, 2), {q3, q4, p4, p3}, "north side");
    ExpectPoints(Corners(*base, 3), {q1, q2, p2, p1}, "south side");
    ExpectPoints(Corners(*base, 4), {q2, q3, p3, p2}, "east side");
    ExpectPoints(Corners(*base, 5), {q4, q1, p1, p4}, "west side");
    for (std::size_t f = 0; f < 6; ++f)
        EXPECT_EQ(base->FaceColor(f), 0xFFFFFFFFu) << f;
    EXPECT_EQ(base->GetColor(), 0xFFFFFFFFu);
    // The card is the current texture and lies on the plate through a new flat wrap of the
    // model frame.
    const auto& t = v.Core.Textures;
    ASSERT_TRUE(t.CurrentTexture);
    EXPECT_EQ(t.CurrentTexture->GetName(), "QUILTRA");
    EXPECT_EQ(base->GetTexture(), t.CurrentTexture);
    EXPECT_EQ(t.CurrentTexture->GetColors(), 256u);
    EXPECT_EQ(t.CurrentTexture->GetShades(), 16u);
    ASSERT_TRUE(t.CurrentWrap);
    EXPECT_EQ(t.CurrentWrap->Reference(), v.Core.Scene.CenterFrame);
    EXPECT_EQ(t.CurrentWrap->Parameters().Type, scene::WrapType::Flat);
    ASSERT_TRUE(base->GetMaterial());
    EXPECT_FLOAT_EQ(base->GetMaterial()->GetPower(), 10);
    // The top is covered once, seen from above: the picture's top edge (v = 0) along the north
    // side, its left edge (u = 0) along the west side.
    const auto uv = [&](std::size_t face, std::size_t corner) {
        return base->TextureCoordinate(base->FaceCorners(face)[corner].Vertex);
    };
    const std::pair<float, float> expected[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}}; // q4 q3 q2 q1
    for (std::size_t c = 0; c < 4; ++c) {
        EXPECT_NEAR(uv(0, c).U, expected[c].first, 1e-6) << c;
        EXPECT_NEAR(uv(0, c).V, expected[c].second, 1e-6) << c;
    }
}

TEST(CreateRose, ReplacesTheModelWithTheRoseAndItsBase) {
    TViewer v;
    v.Core.Scene.CenterFrame->AddVisual(std::make_shared<MeshBuilder>());
    v.Core.Scene.WrapRelative = true;
    v.Core.Scene.BoundingBoxChecked = true;
    const auto cave = GeneratedCave(3000);
    analysis::TRoseHistogram h;
    ASSERT_TRUE(analysis::CreateRose(v.Core, *cave, {}, h));
    EXPECT_TRUE(v.Ui.Warnings.empty());
    const auto& visuals = v.Core.Scene.CenterFrame->GetVisuals();
    ASSERT_EQ(visuals.size(), 2u);
    const MeshBuilderPtr rose = v.Mesh("Rose Builder");
    ASSERT_TRUE(rose);
    EXPECT_EQ(visuals[0], rose);
    EXPECT_TRUE(v.Mesh("Base Builder"));
    EXPECT_EQ(rose->GetAppData(), 0u);
    EXPECT_EQ(rose->GetFaceCount(), 5u * 24 * 36);
    ASSERT_TRUE(rose->GetMaterial());
    EXPECT_FLOAT_EQ(rose->GetMaterial()->GetPower(), 10);
    EXPECT_FALSE(v.Core.Scene.WrapRelative);
    EXPECT_FALSE(v.Core.Scene.BoundingBoxChecked);
    EXPECT_TRUE(v.Core.Scene.RenderEnabled);
    // Scaled so that the plate's 20 units measure 1000, and listed in the hierarchy.
    EXPECT_DOUBLE_EQ(v.Core.Navigation.ZoomScale, 1000);
    EXPECT_NEAR(v.Core.Navigation.ModelSize, 20, 1e-4);
    EXPECT_NEAR(v.Core.Scene.CenterFrame->GetTransform().M[0][0], 50, 1e-3);
    std::vector<std::string> texts;
    for (const auto& item : v.Core.Hierarchy.Items())
        texts.push_back(item.Text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Builder - Rose Builder"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Builder - Base Builder"), texts.end());
    EXPECT_EQ(v.Core.Hierarchy.TriangleTotal(), 5u * 24 * 36 + 6);
}

TEST(CreateRose, WithoutTheBaseOnlyThePetals) {
    TViewer v;
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 20}).Shot(12.7, 45).Shot(30, 200);
    TRoseOptions options;
    options.ShowBase = false;
    options.Layers = 2;
    options.Petals = 4;
    analysis::TRoseHistogram h;
    ASSERT_TRUE(analysis::CreateRose(v.Core, *cave.Data, options, h));
    ASSERT_EQ(v.Core.Scene.CenterFrame->GetVisuals().size(), 1u);
    EXPECT_EQ(v.Mesh("Rose Builder")->GetFaceCount(), 5u * 2 * 4);
    EXPECT_FALSE(v.Core.Textures.CurrentTexture);
}

TEST(CreateRose, ProgressRunsFromZeroThroughFiftyToOneHundred) {
    TViewer v;
    const auto cave = GeneratedCave(3000);
    std::vector<int> seen;
    TRoseOptions options;
    options.Layers = 10;
    analysis::TRoseHistogram h;
    ASSERT_TRUE(analysis::CreateRose(v.Core, *cave, options, h,
                                     [&seen](int percent) { seen.push_back(percent); }));
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    // The histogram ends at 50; then 50 + 50 j / L after each layer j: 50, 55, ..., 95.
    std::vector<int> petals(std::find(seen.begin(), seen.end(), 50), seen.end());
    EXPECT_EQ(petals, (std::vector<int>{50, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100}));
}

// A rose whose largest count is 0 would need an infinite radius scale: nothing is drawn, the
// user is told, and the model stays.
TEST(CreateRose, AnEmptyRoseWarnsAndKeepsTheModel) {
    TViewer v;
    const auto old = std::make_shared<MeshBuilder>();
    v.Core.Scene.CenterFrame->AddVisual(old);
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 20}).Shot(0.9, 45).Shot(0.5, 100);
    analysis::TRoseHistogram h;
    std::vector<int> seen;
    EXPECT_FALSE(analysis::CreateRose(v.Core, *cave.Data, {}, h,
                                      [&seen](int percent) { seen.push_back(percent); }));
    EXPECT_EQ(v.Ui.Warnings, std::vector<std::string>{analysis::kEmptyRoseText});
    ASSERT_EQ(v.Core.Scene.CenterFrame->GetVisuals().size(), 1u);
    EXPECT_EQ(v.Core.Scene.CenterFrame->GetVisuals()[0], old);
    EXPECT_FALSE(v.Core.Scene.RenderEnabled);
    EXPECT_EQ(seen.back(), 0);

    // No shots at all, and every shot below the minimum length, say the same.
    TRoseCave empty(0, 48);
    empty.Move({0, 0, 0});
    EXPECT_FALSE(analysis::CreateRose(v.Core, *empty.Data, {}, h));
    TRoseOptions longOnly;
    longOnly.MinLength = 100;
    TRoseCave shortShots(0, 48);
    shortShots.Move({0, 0, 0}).Shot(50, 10);
    EXPECT_FALSE(analysis::CreateRose(v.Core, *shortShots.Data, longOnly, h));
    EXPECT_EQ(v.Ui.Warnings.size(), 3u);
}

TEST(CreateRose, AFlatCaveGivesOneLayerOfPetals) {
    TViewer v;
    TRoseCave cave(30, 30);
    cave.Move({0, 0, 30}).Shot(10, 0).Shot(20, 90).Shot(40, 180);
    analysis::TRoseHistogram h;
    ASSERT_TRUE(analysis::CreateRose(v.Core, *cave.Data, {}, h));
    const MeshBuilderPtr rose = v.Mesh("Rose Builder");
    ASSERT_TRUE(rose);
    double lowest = 10, highest = -10;
    for (const Vector& p : rose->Vertices()) {
        ASSERT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z));
        if (p.X != 0 || p.Z != 0) {
            lowest = std::min(lowest, double(p.Y));
            highest = std::max(highest, double(p.Y));
        }
    }
    EXPECT_NEAR(lowest, -5, 1e-6); // only the bottom layer has petals
    EXPECT_NEAR(highest, -5 + 10.0 / 24, 1e-5);
}

} // namespace
} // namespace lumora::test
