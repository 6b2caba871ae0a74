// The viewer's scene: start-up placements and hierarchy, reset, clearing, face helpers and the
// bounding box.
#include "ViewerTestScene.h"

#include "passage/MeshStore.h"

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::ExpectNear;
using lumora::viewer::test::StartedViewer;

namespace {

std::vector<std::pair<int, std::string>> ItemList(const THierarchy& h) {
    std::vector<std::pair<int, std::string>> items;
    for (const THierarchyItem& item : h.Items())
        items.emplace_back(item.Level, item.Text);
    return items;
}

Vector PositionIn(const Frame& frame, const Frame& reference) {
    Vector p;
    frame.GetPosition(&reference, p);
    return p;
}

} // namespace

TEST(ViewerScene, HierarchyRightAfterStartUpListsTheFixedObjectsInOrder) {
    StartedViewer v;
    const std::vector<std::pair<int, std::string>> expected = {
        {0, "Frame - Scene Frame"},  {1, "Light - Ambient Light"}, {1, "Frame - Light Frame"},
        {2, "Light - Direct Light"}, {1, "Frame - Center Frame"},  {1, "Frame - Camera Frame"}};
    EXPECT_EQ(ItemList(v.core.Hierarchy), expected);
    EXPECT_EQ(v.core.Hierarchy.TriangleTotal(), 0u);
    EXPECT_EQ(v.core.Hierarchy.Selected(), 1);
    EXPECT_EQ(v.core.Hierarchy.Page(), THierarchyPage::FramePage);
}

TEST(ViewerScene, StartUpPlacesFramesAndLightsAndSpinsTheModelSlowly) {
    StartedViewer v;
    ExpectNear(PositionIn(*v.s.LightFrame, *v.s.SceneFrame), {2, 2, 5});
    ExpectNear(PositionIn(*v.s.CenterFrame, *v.s.SceneFrame), {-2, 2, 10});
    ExpectNear(PositionIn(*v.s.CameraFrame, *v.s.SceneFrame), {0, 0, 0});
    Vector direction, up;
    v.s.LightFrame->GetOrientation(v.s.SceneFrame.get(), direction, up);
    const float k = 1 / std::sqrt(3.0f);
    ExpectNear(direction, {-k, -k, k});
    EXPECT_EQ(v.s.DirectLight->GetType(), LightType::Directional);
    ExpectNear(v.s.AmbientLight->GetColorRGB(), {0.1f, 0.1f, 0.1f});
    EXPECT_FLOAT_EQ(v.s.Viewport->GetBack(), 200000);
    // The first move steps turn the model by 0.02 radians each about y.
    v.s.SceneFrame->Move(1);
    const Matrix& m = v.s.CenterFrame->GetTransform();
    EXPECT_NEAR(std::acos(m.M[0][0]), 0.02, 1e-4);
    EXPECT_FALSE(v.s.RenderEnabled);
}

TEST(ViewerScene, ResetPositionsMovesLightModelAndCameraButKeepsScale) {
    StartedViewer v;
    v.s.CenterFrame->AddScale(Combine::Before, 3, 3, 3);
    v.s.CameraFrame->AddRotation(Combine::Before, 1, 0, 0, 0.5f);
    ASSERT_EQ(ResetPositions(v.s), Result::Ok);
    ExpectNear(PositionIn(*v.s.CenterFrame, *v.s.SceneFrame), {0, 0, 10});
    ExpectNear(PositionIn(*v.s.CameraFrame, *v.s.SceneFrame), {5, -5, -2000});
    Vector direction, up;
    v.s.CameraFrame->GetOrientation(v.s.SceneFrame.get(), direction, up);
    ExpectNear(direction, {0, 0, 1});
    ExpectNear(up, {0, 1, 0});
    EXPECT_NEAR(v.s.CenterFrame->GetTransform().M[0][0], 3, 1e-4);
}

TEST(ViewerScene, ClearModelEmptiesTheModelFrameAndUnchecksTheBoundingBox) {
    StartedViewer v;
    v.s.CenterFrame->AddVisual(BoxMesh({0, 0, 0}, {1, 1, 1}));
    FramePtr child;
    v.s.RMRoot.CreateFrame(v.s.CenterFrame, child);
    ASSERT_EQ(ToggleBoundingBox(v.s), Result::Ok);
    EXPECT_TRUE(v.s.BoundingBoxChecked);
    ClearModel(v.s);
    EXPECT_TRUE(v.s.CenterFrame->GetVisuals().empty());
    EXPECT_TRUE(v.s.CenterFrame->GetChildren().empty());
    EXPECT_FALSE(v.s.BoundingBoxChecked);
    ExpectNear(PositionIn(*v.s.CenterFrame, *v.s.SceneFrame), {0, 0, 10});
}

TEST(ViewerScene, TrianglesTakeThePackedColourAndQuadsTheFloatColour) {
    MeshBuilder mesh;
    AddFaceTri(mesh, 0x0000FF, {0, 0, 0}, {0, 1, 0}, {1, 0, 0});
    AddFaceQuadD(mesh, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, 0xFF0000);
    AddFaceTriD(mesh, {0, 0, 0}, {0, 1, 0}, {1, 0.5, 0}, 0x008000);
    ASSERT_EQ(mesh.GetFaceCount(), 3u);
    EXPECT_EQ(mesh.FaceColor(0), 0xFEFF0000u); // red, alpha 254
    EXPECT_EQ(mesh.FaceColor(1), 0xFF0000FFu); // blue, alpha 255
    EXPECT_EQ(mesh.FaceColor(2), 0xFE008000u);
    // The points go in in the order given, each face with vertices of its own.
    EXPECT_EQ(mesh.GetVertexCount(), 10u);
    ExpectNear(mesh.Vertices()[5], {1, 1, 0});
    ExpectNear(mesh.Vertices()[9], {1, 0.5f, 0});
}

TEST(ViewerScene, BoundingBoxWrapsTheModelAndAddsSixFacesToTheTotal) {
    StartedViewer v;
    v.s.CenterFrame->AddVisual(BoxMesh({-1, -2, -3}, {4, 5, 6}));
    FramePtr child;
    v.s.RMRoot.CreateFrame(v.s.CenterFrame, child);
    child->SetPosition(v.s.CenterFrame.get(), 10, 0, 0);
    child->AddVisual(BoxMesh({0, 0, 0}, {1, 1, 1}));
    v.core.RefreshHierarchy();
    const std::size_t before = v.core.Hierarchy.TriangleTotal();
    EXPECT_EQ(before, 12u);

    ASSERT_EQ(ToggleBoundingBox(v.s), Result::Ok);
    v.core.RefreshHierarchy();
    EXPECT_EQ(v.core.Hierarchy.TriangleTotal(), before + 6);
    int index = 0;
    MeshBuilderPtr box;
    ASSERT_TRUE(v.core.Hierarchy.FindFirstObject(1, index, box));
    ASSERT_TRUE(v.core.Hierarchy.FindFirstObject(index + 1, index, box));
    EXPECT_EQ(v.core.Hierarchy.Item(index).Text, "Builder - Bounding Box");
    EXPECT_EQ(box->GetAppData(), 4u);
    EXPECT_EQ(box->GetQuality(), 64u);
    EXPECT_EQ(box->GetColor(), ColorFromRGB(0.8f, 0.8f, 0.8f));
    for (const Color color : box->FaceColors())
        EXPECT_EQ(color, 0xFF0000FFu);
    Box b;
    box->GetBox(b);
    ExpectNear(b.Min, {-1, -2, -3});
    ExpectNear(b.Max, {11, 5, 6}); // the child frame's mesh, moved by 10 along x

    ASSERT_EQ(ToggleBoundingBox(v.s), Result::Ok);
    v.core.RefreshHierarchy();
    EXPECT_EQ(v.core.Hierarchy.TriangleTotal(), before);
    EXPECT_FALSE(v.s.BoundingBoxChecked);
}

TEST(ViewerScene, CaptionIsTheFileNameAndTheProgramTitle) {
    EXPECT_EQ(ViewerCaption("/caves/deep/cave.x"), "cave.x - Lumora Viewer");
}

TEST(ViewerScene, ReadOutsUseAPointAndOneDecimal) {
    EXPECT_EQ(FixedText(-0.04, 1), "0.0");
    EXPECT_EQ(FixedText(1234.56, 1), "1234.6");
    EXPECT_EQ(BoxCornersText({{-1, 2, 3}, {4, 5.25f, 6}}),
              "X1: -1.0  Y1: 2.0  Z1: 3.0  X2: 4.0  Y2: 5.2  Z2: 6.0");
    EXPECT_EQ(BoxSizeText({{-1, 2, 3}, {4, 5, 6}}), "X: 5.0  Y: 3.0  Z: 3.0");
}
