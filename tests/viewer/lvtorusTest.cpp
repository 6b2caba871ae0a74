// The test objects: face counts, colours, names and the scale to 1000 units.
#include "ViewerTestScene.h"

#include "viewer/lvtorus.h"

#include <set>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::ExpectNear;
using lumora::viewer::test::StartedViewer;

TEST(TestObjects, DefaultTorusHas144FacesAndTheTotalShowsThem) {
    StartedViewer v;
    std::vector<int> sectors;
    ASSERT_TRUE(MakeTorus(v.core, 12, 12, [&](int i) { sectors.push_back(i); }));
    const MeshBuilderPtr torus = v.core.LoadedBuilder;
    EXPECT_EQ(torus->GetName(), "Torus Builder");
    EXPECT_EQ(torus->GetFaceCount(), 144u);
    EXPECT_EQ(torus->GetVertexCount(), 576u); // no shared vertices
    EXPECT_EQ(v.core.Hierarchy.TriangleTotal(), 144u);
    EXPECT_EQ(sectors.size(), 12u);
    EXPECT_EQ(sectors.back(), 11);
    EXPECT_TRUE(v.s.RenderEnabled);
    EXPECT_EQ(torus->GetMaterial()->GetPower(), 10);
    // Radii 2 and 1 about z: the torus spans 6 x 6 x 2 before scaling.
    Box box;
    torus->GetBox(box);
    ExpectNear(box.Min, {-3, -3, -1});
    ExpectNear(box.Max, {3, 3, 1});
    // The first face: P(1, 0), P(1, 1), P(0, 1), P(0, 0).
    ExpectNear(torus->Vertices()[3], {3, 0, 0});
    ExpectNear(torus->Vertices()[0], {3 * std::cos(0.5236f), 3 * std::sin(0.5236f), 0});
}

TEST(TestObjects, SmallestTorusHasNineFacesAndCountsOutOfRangeAreRefused) {
    StartedViewer v;
    ASSERT_TRUE(MakeTorus(v.core, 3, 3));
    EXPECT_EQ(v.core.LoadedBuilder->GetFaceCount(), 9u);
    const MeshBuilderPtr kept = v.core.LoadedBuilder;
    EXPECT_FALSE(MakeTorus(v.core, 0, 12));
    EXPECT_FALSE(MakeTorus(v.core, 12, -5));
    EXPECT_FALSE(MakeTorus(v.core, 101, 12));
    EXPECT_EQ(v.core.LoadedBuilder, kept);
    EXPECT_EQ(v.s.CenterFrame->GetVisuals().size(), 1u);
}

TEST(TestObjects, CubeIsScaledBy1000Over6AndHasOneRedSide) {
    StartedViewer v;
    v.s.CenterFrame->AddVisual(BoxMesh({0, 0, 0}, {50, 50, 50})); // the old model goes
    v.s.WrapRelative = true;
    ASSERT_TRUE(MakeCube(v.core));
    ASSERT_EQ(v.s.CenterFrame->GetVisuals().size(), 1u);
    EXPECT_FALSE(v.s.WrapRelative);
    const MeshBuilderPtr cube = v.core.LoadedBuilder;
    EXPECT_EQ(cube->GetName(), "Cube Builder");
    EXPECT_EQ(cube->GetAppData(), 0u);
    EXPECT_EQ(cube->GetColor(), ColorFromRGB(0.8f, 0.8f, 0.8f));
    EXPECT_NEAR(v.s.CenterFrame->GetTransform().M[0][0], 1000.0 / 6, 1e-3);
    Box box;
    v.s.SceneFrame->GetHierarchyBox(box);
    EXPECT_NEAR(LargestSide(box), 1000, 1e-2);
    int red = 0;
    for (std::size_t i = 0; i < cube->GetFaceCount(); ++i) {
        const Color c = cube->FaceColor(i);
        if (c == 0xFFFF0000u) {
            ++red;
            EXPECT_GT(cube->FaceNormal(i).Y * cube->FaceNormal(i).Y, 0.99f); // the y = 3 side
            EXPECT_FLOAT_EQ(cube->Vertices()[cube->FaceCorners(i)[0].Vertex].Y, 3);
        } else {
            EXPECT_EQ(c, 0xFF0000FFu);
        }
    }
    EXPECT_EQ(red, 1);
}

TEST(TestObjects, CubeSidesAllFaceOutwardsTheSameWay) {
    StartedViewer v;
    ASSERT_TRUE(MakeCube(v.core));
    const MeshBuilderPtr cube = v.core.LoadedBuilder;
    std::set<float> signs;
    for (std::size_t i = 0; i < cube->GetFaceCount(); ++i) {
        const Vector n = cube->FaceNormal(i);
        const Vector centre = cube->Vertices()[cube->FaceCorners(i)[0].Vertex] +
                              cube->Vertices()[cube->FaceCorners(i)[2].Vertex];
        signs.insert(Dot(n, centre) > 0 ? 1.0f : -1.0f);
    }
    EXPECT_EQ(signs.size(), 1u);
}

TEST(TestObjects, TetrahedronHasFourDifferentlyColouredTriangles) {
    StartedViewer v;
    ASSERT_TRUE(MakeTetrahedron(v.core));
    const MeshBuilderPtr tetra = v.core.LoadedBuilder;
    EXPECT_EQ(tetra->GetName(), "Tetra Builder");
    ASSERT_EQ(tetra->GetFaceCount(), 4u);
    const std::vector<Color> expected = {0xFE0000FF, 0xFEFF0000, 0xFE008000, 0xFE00FFFF};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(tetra->FaceColor(i), expected[i]) << i;
    ExpectNear(tetra->Vertices()[4], {1, 1, -1});
    EXPECT_EQ(v.core.Hierarchy.TriangleTotal(), 4u);
}
