// The frame editing dialog's moves and turns: zooming brings a frame nearer or farther, the
// pans and turns follow their buttons, and editing the scene root changes what the camera sees.
#include "ViewerTestScene.h"

#include "viewer/FrameEdit.h"

#include <cmath>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::ExpectNear;
using lumora::viewer::test::StartedViewer;

namespace {

// A viewer showing a model of largest side 1000 in front of the camera, not spinning.
struct EditViewer : StartedViewer {
    EditViewer() {
        s.CenterFrame->AddVisual(BoxMesh({-5, -250, -10}, {5, 250, 10}));
        ResetScale(s, core.Navigation, *s.CenterFrame, ui);
        ResetPositions(s);
        StopRotations(s);
        s.RenderEnabled = true;
    }
    // A button of the dialog on frame, with the dialog's default step of 3 percent.
    bool Press(const FramePtr& frame, const char* button, bool aboutCamera = true) {
        return EditFrameButton(s, *frame, *EditReference(s, frame), button, 3.0, aboutCamera,
                               [this] { return RenderStep(core); });
    }
    // Where the model's origin is as the camera sees it (x right, y up, z ahead).
    Vector ModelSeenFromCamera() {
        Vector p;
        s.CenterFrame->GetPosition(s.CameraFrame.get(), p);
        return p;
    }
    // The model's z axis as the camera sees it.
    Vector ModelFacing() {
        Vector direction, up;
        s.CenterFrame->GetOrientation(s.CameraFrame.get(), direction, up);
        return direction;
    }
    // Pixel size of the model's largest side on the screen.
    double ScreenHeight() {
        Vector4 top, bottom;
        const Matrix world = s.CenterFrame->WorldTransform();
        s.Viewport->Transform(top, TransformPoint({0, 250, 0}, world));
        s.Viewport->Transform(bottom, TransformPoint({0, -250, 0}, world));
        return std::abs(top.Y / top.W - bottom.Y / bottom.W);
    }
};

} // namespace

TEST(FrameEdit, TheReferenceIsTheParentOrForTheSceneRootTheCamera) {
    StartedViewer v;
    EXPECT_EQ(EditReference(v.s, v.s.CenterFrame), v.s.SceneFrame);
    EXPECT_EQ(EditReference(v.s, v.s.SceneFrame), v.s.CameraFrame);
}

TEST(FrameEdit, ZoomInBringsTheModelNearerAndLargerZoomOutTakesItAway) {
    EditViewer v;
    const double height = v.ScreenHeight();
    const float ahead = v.ModelSeenFromCamera().Z;
    ASSERT_GT(ahead, 0);
    ASSERT_TRUE(v.Press(v.s.CenterFrame, "ZoomInBtn"));
    // 3 percent of the scene's size (the model's 1000 and what else is in the scene) nearer.
    const double step = 0.03 * ModelExtent(*v.s.SceneFrame);
    EXPECT_NEAR(v.ModelSeenFromCamera().Z, ahead - step, 1e-3 * step);
    EXPECT_GT(v.ScreenHeight(), height * 1.01);
    ASSERT_TRUE(v.Press(v.s.CenterFrame, "ZoomOutBtn"));
    ASSERT_TRUE(v.Press(v.s.CenterFrame, "ZoomOutBtn"));
    EXPECT_GT(v.ModelSeenFromCamera().Z, ahead);
    EXPECT_LT(v.ScreenHeight(), height * 0.99);
}

TEST(FrameEdit, PansMoveAlongTheReferenceAndUnknownButtonsMoveNothing) {
    EditViewer v;
    const Vector before = v.ModelSeenFromCamera();
    v.Press(v.s.CenterFrame, "PanRightBtn");
    EXPECT_GT(v.ModelSeenFromCamera().X, before.X);
    v.Press(v.s.CenterFrame, "PanLeftBtn");
    v.Press(v.s.CenterFrame, "PanUpBtn");
    EXPECT_NEAR(v.ModelSeenFromCamera().X, before.X, 1e-2);
    EXPECT_GT(v.ModelSeenFromCamera().Y, before.Y);
    const Vector now = v.ModelSeenFromCamera();
    EXPECT_FALSE(v.Press(v.s.CenterFrame, "CloseBtn"));
    ExpectNear(v.ModelSeenFromCamera(), now, 0);
}

TEST(FrameEdit, EditingTheSceneRootChangesTheViewAndLeavesTheCameraInPlace) {
    EditViewer v;
    const FramePtr root = v.s.SceneFrame;
    const Matrix camera = v.s.CameraFrame->WorldTransform();
    const Vector seen = v.ModelSeenFromCamera();
    const double height = v.ScreenHeight();

    ASSERT_TRUE(v.Press(root, "ZoomInBtn"));
    EXPECT_LT(v.ModelSeenFromCamera().Z, seen.Z - 1);
    EXPECT_GT(v.ScreenHeight(), height * 1.01);
    ASSERT_TRUE(v.Press(root, "ZoomOutBtn"));
    ExpectNear(v.ModelSeenFromCamera(), seen, 1e-2f);
    ASSERT_TRUE(v.Press(root, "PanRightBtn"));
    EXPECT_GT(v.ModelSeenFromCamera().X, seen.X + 1);
    ASSERT_TRUE(v.Press(root, "PanLeftBtn"));

    // Turned about the camera's y axis, then back about the root's own: the camera sees the model
    // turn by a = 3 / 100 * 180 = 5.4 degrees, then turn back.
    const Vector facing = v.ModelFacing();
    ASSERT_TRUE(v.Press(root, "YawRightBtn"));
    EXPECT_NEAR(std::acos(Dot(v.ModelFacing(), facing)) * 180 / 3.14159265358979, 5.4, 0.01);
    ASSERT_TRUE(v.Press(root, "YawLeftBtn", false));
    EXPECT_GT(Dot(v.ModelFacing(), facing), 0.99999f);

    // The camera itself never moved.
    const Matrix after = v.s.CameraFrame->WorldTransform();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(after.M[i][j], camera.M[i][j], 1e-3) << i << ", " << j;
}
