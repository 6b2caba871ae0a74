// The progressive mesh dialog's arithmetic: the bar for a detail and back, the read-outs, and
// Cancel putting back the detail the dialog opened with.
#include "ViewerTestScene.h"

#include "support/TestSupport.h"
#include "viewer/ProgressiveDetail.h"
#include "viewer/lvsave.h"

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::test::TempDir;
using lumora::viewer::test::StartedViewer;

namespace {

// A square pyramid of base 4 x 4 and height 2 (6 triangles), opened as a progressive mesh.
ProgressiveMeshPtr OpenPyramid(StartedViewer& v, const TempDir& dir) {
    lumora::test::WriteFile(dir.File("pyramid.obj"),
                            "v -2 0 -2\nv 2 0 -2\nv 2 0 2\nv -2 0 2\nv 0 2 0\n"
                            "f 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\nf 1 3 2\nf 1 4 3\n");
    EXPECT_TRUE(OpenProgressiveMesh(v.core, dir.File("pyramid.obj")));
    EXPECT_EQ(v.s.CenterFrame->GetVisuals().size(), 1u);
    return std::dynamic_pointer_cast<ProgressiveMesh>(v.s.CenterFrame->GetVisuals().at(0));
}

} // namespace

TEST(ProgressiveDetail, AProgressiveMeshOpensAsTheModelAndItsBarShowsTheDetail) {
    StartedViewer v;
    TempDir dir;
    const auto mesh = OpenPyramid(v, dir);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(v.core.Hierarchy.Item(v.core.Hierarchy.ItemCount() - 1).ClassName, "ProgressiveMesh");
    mesh->SetDetail(0.5f);
    TProgressiveEdit edit(*mesh);
    EXPECT_EQ(edit.BarPosition(), 50);
    const TProgressiveReadouts r = edit.Readouts();
    EXPECT_EQ(r.Detail, "0.50");
    EXPECT_EQ(r.Size, "X1: -2.0  Y1: 0.0  Z1: -2.0  X2: 2.0  Y2: 2.0  Z2: 2.0");
    std::size_t minimum = 0, maximum = 0;
    mesh->GetFaceDetailRange(minimum, maximum);
    EXPECT_EQ(r.FaceRange, std::to_string(minimum) + " - " + std::to_string(maximum));
    EXPECT_EQ(maximum, 6u);
    EXPECT_EQ(r.Faces, std::to_string(mesh->GetFaceDetail()));
}

TEST(ProgressiveDetail, TheBarTruncatesButKeepsAPositionItSetItself) {
    EXPECT_EQ(DetailBarPosition(0.999), 99);
    EXPECT_EQ(DetailBarPosition(0.5, 0, 200), 100);
    EXPECT_DOUBLE_EQ(DetailFromBar(25), 0.25);
    EXPECT_EQ(DetailFromBar(3, 5, 5), 0);
    // Every position survives being held as the mesh's single-precision detail.
    for (int position = 0; position <= 100; ++position)
        EXPECT_EQ(DetailBarPosition(float(DetailFromBar(position))), position) << position;
}

TEST(ProgressiveDetail, MovingTheBarSetsTheDetailAndCancelPutsTheOldOneBack) {
    StartedViewer v;
    TempDir dir;
    const auto mesh = OpenPyramid(v, dir);
    ASSERT_NE(mesh, nullptr);
    {
        TProgressiveEdit edit(*mesh);
        EXPECT_EQ(edit.BarPosition(), 100);
        ASSERT_EQ(edit.MoveBar(0), Result::Ok);
        EXPECT_EQ(mesh->GetDetail(), 0.0f);
        EXPECT_EQ(edit.Readouts().Detail, "0.00");
        std::size_t minimum = 0, maximum = 0;
        mesh->GetFaceDetailRange(minimum, maximum);
        EXPECT_EQ(edit.Readouts().Faces, std::to_string(minimum));
        edit.Cancel();
    }
    EXPECT_EQ(mesh->GetDetail(), 1.0f);
    {
        TProgressiveEdit edit(*mesh);
        ASSERT_EQ(edit.MoveBar(30), Result::Ok);
        // OK closes without touching the detail.
    }
    EXPECT_FLOAT_EQ(mesh->GetDetail(), 0.3f);
}
