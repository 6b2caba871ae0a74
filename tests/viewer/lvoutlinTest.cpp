// The hierarchy list: texture items, pages, names cut to their buffers, and the search for
// objects of a kind.
#include "ViewerTestScene.h"

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::StartedViewer;

TEST(Hierarchy, FindFirstObjectFindsAMeshThatIsTheVeryLastItem) {
    StartedViewer v;
    int index = 0;
    MeshBuilderPtr mesh;
    EXPECT_FALSE(v.core.Hierarchy.FindFirstObject(1, index, mesh));
    v.s.CameraFrame->AddVisual(BoxMesh({0, 0, 0}, {1, 1, 1}));
    v.core.RefreshHierarchy();
    ASSERT_TRUE(v.core.Hierarchy.FindFirstObject(1, index, mesh));
    EXPECT_EQ(index, v.core.Hierarchy.ItemCount());
    EXPECT_FALSE(v.core.Hierarchy.FindFirstObject(index + 1, index, mesh));
}

TEST(Hierarchy, FramesAreFoundAsFramesAndLightsAsLights) {
    StartedViewer v;
    int index = 0;
    LightPtr light;
    ASSERT_TRUE(v.core.Hierarchy.FindFirstObject(1, index, light));
    EXPECT_EQ(light, v.s.AmbientLight);
    ASSERT_TRUE(v.core.Hierarchy.FindFirstObject(index + 1, index, light));
    EXPECT_EQ(light, v.s.DirectLight);
    FramePtr frame;
    ASSERT_TRUE(v.core.Hierarchy.FindFirstObject(2, index, frame));
    EXPECT_EQ(frame, v.s.LightFrame);
}

TEST(Hierarchy, ATextureItemShowsItsClassNameAndTheUnknownPage) {
    StartedViewer v;
    v.s.CenterFrame->SetTexture(
        std::make_shared<Texture>(QImage(2, 2, QImage::Format_RGB32), 256, 16));
    v.core.RefreshHierarchy();
    const THierarchy& h = v.core.Hierarchy;
    int textureItem = 0;
    for (int i = 1; i <= h.ItemCount(); ++i)
        if (h.Item(i).ClassName == "Texture")
            textureItem = i;
    ASSERT_GT(textureItem, 0);
    EXPECT_EQ(h.Item(textureItem).Text, "Texture");
    EXPECT_EQ(h.Item(textureItem).Level, 2);
    v.core.Hierarchy.Select(textureItem);
    EXPECT_EQ(v.core.Hierarchy.Page(), THierarchyPage::UnknownPage);
}

TEST(Hierarchy, PagesFollowTheClassNames) {
    EXPECT_EQ(PageForClass("Builder"), THierarchyPage::BuilderPage);
    EXPECT_EQ(PageForClass("ProgressiveMesh"), THierarchyPage::ProgPage);
    EXPECT_EQ(PageForClass("Light"), THierarchyPage::LightPage);
    EXPECT_EQ(PageForClass("Shadow"), THierarchyPage::UnknownPage);
}

TEST(Hierarchy, LongNamesAreCutToTheirBuffersAndTheSelectionQueriesItsObject) {
    StartedViewer v;
    auto mesh = BoxMesh({0, 0, 0}, {1, 1, 1});
    mesh->SetName(std::string(60, 'n'));
    v.s.CenterFrame->AddVisual(mesh);
    v.core.RefreshHierarchy();
    int index = 0;
    MeshBuilderPtr found;
    ASSERT_TRUE(v.core.Hierarchy.FindFirstObject(1, index, found));
    EXPECT_EQ(v.core.Hierarchy.Item(index).Text, "Builder - " + std::string(39, 'n'));
    v.core.Hierarchy.Select(index);
    EXPECT_EQ(v.core.Hierarchy.QuerySelected<MeshBuilder>(), mesh);
    EXPECT_EQ(v.core.Hierarchy.QuerySelected<Frame>(), nullptr);
}

TEST(Hierarchy, AMeshOnTwoFramesCountsTwice) {
    StartedViewer v;
    auto mesh = BoxMesh({0, 0, 0}, {1, 1, 1});
    v.s.CenterFrame->AddVisual(mesh);
    v.s.CameraFrame->AddVisual(mesh);
    v.core.RefreshHierarchy();
    EXPECT_EQ(v.core.Hierarchy.TriangleTotal(), 12u);
}
