// Navigation: reset scale, toolbar steps, mouse drags, the look-at turn and the angle read-out.
#include "ViewerTestScene.h"

#include "viewer/LookAt.h"

#include <cmath>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::ExpectNear;
using lumora::viewer::test::StartedViewer;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A viewer with a model of largest side 500 (10 x 500 x 20) scaled to 1000 and put in view.
struct ModelViewer : StartedViewer {
    ModelViewer() {
        s.CenterFrame->AddVisual(BoxMesh({-5, -250, -10}, {5, 250, 10}));
        ResetScale(s, core.Navigation, *s.CenterFrame, ui);
        ResetPositions(s);
        StopRotations(s);
        s.RenderEnabled = true;
    }
    // The drawn frame of the tests: the scene moves one step.
    FrameRenderer Render() {
        return [this] { return RenderStep(core); };
    }
    // Pixel of a point of the model.
    Vector4 Screen(const Vector& modelPoint) {
        const Vector world = TransformPoint(modelPoint, s.CenterFrame->WorldTransform());
        Vector4 screen;
        s.Viewport->Transform(screen, world);
        return {screen.X / screen.W, screen.Y / screen.W, 0, 1};
    }
};

// Angle in degrees by which the frame's x axis has turned about its y axis.
double YawOfXAxis(const Matrix& m) {
    return std::atan2(double(m.M[0][2]), double(m.M[0][0])) * 180 / kPi;
}

} // namespace

TEST(Navigation, FrameEulerAnglesOfTheIdentityAreZero) {
    const TEulerAngles a = FrameEulerAngles(Matrix::Identity());
    EXPECT_DOUBLE_EQ(a.Yaw, 0);
    EXPECT_DOUBLE_EQ(a.Pitch, 0);
    EXPECT_DOUBLE_EQ(a.Roll, 0);
}

TEST(Navigation, FrameEulerAnglesIgnoreScale) {
    Matrix turned = Matrix::Rotation({0, 1, 0}, 0.3f) * Matrix::Rotation({1, 0, 0}, 0.2f) *
                    Matrix::Rotation({0, 0, 1}, -0.1f);
    turned.M[3] = {5, 6, 7, 1};
    Matrix scaled = Matrix::Scale(3, 3, 3) * turned;
    const TEulerAngles a = FrameEulerAngles(turned), b = FrameEulerAngles(scaled);
    EXPECT_NEAR(a.Yaw, b.Yaw, 1e-4);
    EXPECT_NEAR(a.Pitch, b.Pitch, 1e-4);
    EXPECT_NEAR(a.Roll, b.Roll, 1e-4);
    EXPECT_GT(std::abs(a.Yaw) + std::abs(a.Pitch) + std::abs(a.Roll), 10);
}

TEST(Navigation, FrameEulerAnglesReadAPureTurnAboutEachAxis) {
    const float a = float(20 * kPi / 180);
    EXPECT_NEAR(std::abs(FrameEulerAngles(Matrix::Rotation({0, 1, 0}, a)).Yaw), 20, 1e-3);
    EXPECT_NEAR(std::abs(FrameEulerAngles(Matrix::Rotation({1, 0, 0}, a)).Pitch), 20, 1e-3);
    EXPECT_NEAR(std::abs(FrameEulerAngles(Matrix::Rotation({0, 0, 1}, a)).Roll), 20, 1e-3);
}

TEST(Navigation, FrameEulerAnglesLookingStraightUpOrDownStayFinite) {
    for (float angle : {float(kPi / 2), float(-kPi / 2)}) {
        const TEulerAngles e = FrameEulerAngles(Matrix::Rotation({0, 1, 0}, angle));
        EXPECT_NEAR(std::abs(e.Yaw), 90, 1e-3);
        EXPECT_TRUE(std::isfinite(e.Pitch) && std::isfinite(e.Roll));
    }
    const TEulerAngles zero = FrameEulerAngles(Matrix::Scale(0, 0, 0));
    EXPECT_TRUE(std::isfinite(zero.Yaw) && std::isfinite(zero.Pitch));
}

TEST(Navigation, ResetScaleMakesTheLargestSide1000AtMinus2Plus2Plus10) {
    ModelViewer v;
    ZoomIn(v.s, v.core.Navigation);
    RotateLocal(*v.s.CenterFrame, {1, 0, 0}, 30);
    ASSERT_TRUE(ResetScale(v.s, v.core.Navigation, *v.s.CenterFrame, v.ui));
    EXPECT_DOUBLE_EQ(v.core.Navigation.ZoomScale, 1000);
    EXPECT_FLOAT_EQ(v.core.Navigation.ModelSize, 500);
    const Matrix& m = v.s.CenterFrame->GetTransform();
    EXPECT_FLOAT_EQ(m.M[0][0], 2);
    EXPECT_FLOAT_EQ(m.M[1][1], 2);
    EXPECT_FLOAT_EQ(m.M[1][2], 0);
    ExpectNear({m.M[3][0], m.M[3][1], m.M[3][2]}, {-2, 2, 10});
    Box box;
    v.s.SceneFrame->GetHierarchyBox(box);
    EXPECT_NEAR(LargestSide(box), 1000, 1e-2);
    EXPECT_EQ(v.s.SceneFrame->GetSceneBackground(), 0xFE404040u);
}

TEST(Navigation, ResetScaleLeavesAModelOfNoExtentUnscaled) {
    StartedViewer v;
    auto point = std::make_shared<MeshBuilder>();
    AddFaceTri(*point, kRed, {1, 1, 1}, {1, 1, 1}, {1, 1, 1});
    v.s.CenterFrame->AddVisual(point);
    ResetScale(v.s, v.core.Navigation, *v.s.CenterFrame, v.ui);
    EXPECT_FLOAT_EQ(v.core.Navigation.ModelSize, 0);
    EXPECT_FLOAT_EQ(v.s.CenterFrame->GetTransform().M[0][0], 1);
    EXPECT_TRUE(v.ui.Warnings.empty());
}

TEST(Navigation, ResetSceneKeepsTheZoomAndZoomMultipliesTheScale) {
    ModelViewer v;
    v.core.Navigation.IncSpin = 10;
    ZoomIn(v.s, v.core.Navigation);
    ZoomOut(v.s, v.core.Navigation);
    EXPECT_NEAR(v.core.Navigation.ZoomScale, 1000 * 1.1 * 0.9, 1e-9);
    ResetPositions(v.s);
    EXPECT_NEAR(v.s.CenterFrame->GetTransform().M[0][0], 2 * 1.1 * 0.9, 1e-5);
}

TEST(Navigation, YawRightAtIncrement4Point5TurnsTheModelBy8Point1Degrees) {
    ModelViewer v;
    YawRight(v.s, v.core.Navigation);
    EXPECT_NEAR(YawOfXAxis(v.s.CenterFrame->GetTransform()), -8.1, 1e-3);
    EXPECT_NEAR(std::abs(FrameEulerAngles(v.s.CenterFrame->GetTransform()).Yaw), 8.1, 1e-3);
    YawLeft(v.s, v.core.Navigation);
    EXPECT_NEAR(YawOfXAxis(v.s.CenterFrame->GetTransform()), 0, 1e-3);
}

TEST(Navigation, YawRightWithAnimateSpins0Point81DegreesPerFrame) {
    ModelViewer v;
    AnimateClick(v.s, v.core.Navigation, true);
    YawRight(v.s, v.core.Navigation);
    EXPECT_NEAR(YawOfXAxis(v.s.CenterFrame->GetTransform()), 0, 1e-4); // nothing turns yet
    for (int frame = 1; frame <= 3; ++frame) {
        ASSERT_TRUE(RenderStep(v.core));
        EXPECT_NEAR(YawOfXAxis(v.s.CenterFrame->GetTransform()), -0.81 * frame, 1e-3);
    }
    AnimateClick(v.s, v.core.Navigation, false);
    RenderStep(v.core);
    EXPECT_NEAR(YawOfXAxis(v.s.CenterFrame->GetTransform()), -2.43, 1e-3);
}

TEST(Navigation, PanButtonsMoveByAFractionOfTheScene) {
    ModelViewer v;
    Vector before, after;
    v.s.CenterFrame->GetPosition(v.s.SceneFrame.get(), before);
    PanRight(v.s, v.core.Navigation);
    v.s.CenterFrame->GetPosition(v.s.SceneFrame.get(), after);
    EXPECT_NEAR(after.X - before.X, 45, 0.01); // 4.5 % of 1000
    PanUp(v.s, v.core.Navigation);
    PanDown(v.s, v.core.Navigation);
    PanLeft(v.s, v.core.Navigation);
    v.s.CenterFrame->GetPosition(v.s.SceneFrame.get(), after);
    ExpectNear(after, before, 0.01f);
}

TEST(Navigation, PitchUpTurnsOnceAndEndsASpin) {
    ModelViewer v;
    AnimateClick(v.s, v.core.Navigation, true);
    YawRight(v.s, v.core.Navigation); // a spin
    PitchUp(v.s, v.core.Navigation, v.Render());
    const Matrix once = v.s.CenterFrame->GetTransform();
    RenderStep(v.core);
    RenderStep(v.core);
    const Matrix later = v.s.CenterFrame->GetTransform();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(once.M[i][j], later.M[i][j], 1e-5);
    // The near side of the model went up the screen: the pitch took 8.1 degrees.
    const double pitch = std::atan2(-double(once.M[2][1]), double(once.M[2][2])) * 180 / kPi;
    EXPECT_NEAR(std::abs(pitch), 8.1, 0.05);
}

TEST(Navigation, PitchUpLiftsTheNearSideOfTheModel) {
    ModelViewer v;
    const Vector nearSide{0, 0, -10};
    const float before = v.Screen(nearSide).Y;
    PitchUp(v.s, v.core.Navigation, v.Render());
    EXPECT_LT(v.Screen(nearSide).Y, before); // screen y grows downwards
}

TEST(Navigation, TrackballTurnsTheNearSideWithTheDrag) {
    ModelViewer v;
    const Vector nearSide{0, 0, -10};
    const float before = v.Screen(nearSide).X;
    MouseButton(v.s, v.core.Navigation, 100, 100, {.Left = true});
    MouseMove(v.s, v.core.Navigation, 130, 100, {.Left = true}, {}, v.Render());
    EXPECT_GT(v.Screen(nearSide).X, before);
    // With "Animate" up the model stops after the step.
    const Matrix after = v.s.CenterFrame->GetTransform();
    RenderStep(v.core);
    EXPECT_FLOAT_EQ(v.s.CenterFrame->GetTransform().M[0][0], after.M[0][0]);
}

TEST(Navigation, TrackballWithAnimateKeepsSpinningUntilAPlainLeftPress) {
    ModelViewer v;
    AnimateClick(v.s, v.core.Navigation, true);
    MouseButton(v.s, v.core.Navigation, 100, 100, {.Left = true});
    MouseMove(v.s, v.core.Navigation, 100, 100 + 100, {.Left = true}, {}, v.Render());
    Vector axis;
    float angle = 0;
    v.s.CenterFrame->GetRotation(axis, angle);
    EXPECT_NEAR(std::abs(angle), 100 / std::sqrt(2.0 * 100 * 100), 1e-5); // r / sqrt(100² + r²)
    MouseButton(v.s, v.core.Navigation, 0, 0, {.Left = true, .Ctrl = true});
    v.s.CenterFrame->GetRotation(axis, angle);
    EXPECT_NE(angle, 0); // Ctrl held: the spin goes on
    MouseButton(v.s, v.core.Navigation, 0, 0, {});
    v.s.CenterFrame->GetRotation(axis, angle);
    EXPECT_NE(angle, 0); // a release reports no button
    MouseButton(v.s, v.core.Navigation, 0, 0, {.Left = true});
    v.s.CenterFrame->GetRotation(axis, angle);
    EXPECT_EQ(angle, 0);
}

TEST(Navigation, DragsFollowTheButtonsAndKeysHeld) {
    EXPECT_EQ(DragFor({.Left = true}), TDrag::Trackball);
    EXPECT_EQ(DragFor({.Right = true}), TDrag::Pan);
    EXPECT_EQ(DragFor({.Right = true, .Shift = true}), TDrag::None);
    EXPECT_EQ(DragFor({.Left = true, .Right = true, .Ctrl = true}), TDrag::Dolly);
    EXPECT_EQ(DragFor({.Middle = true}), TDrag::Dolly);
    EXPECT_EQ(DragFor({.Left = true, .Alt = true}), TDrag::None);
}

TEST(Navigation, AMoveWithNoDragDoesNotStoreThePosition) {
    ModelViewer v;
    MouseButton(v.s, v.core.Navigation, 10, 20, {});
    MouseMove(v.s, v.core.Navigation, 50, 60, {.Right = true, .Shift = true}, {}, v.Render());
    EXPECT_EQ(v.core.Navigation.LastMouseX, 10);
    EXPECT_EQ(v.core.Navigation.LastMouseY, 20);
}

TEST(Navigation, PanDragCarriesTheModelOriginWithTheMouse) {
    ModelViewer v;
    const Vector4 before = v.Screen({0, 0, 0});
    MouseButton(v.s, v.core.Navigation, 200, 200, {.Right = true});
    ASSERT_EQ(MouseMove(v.s, v.core.Navigation, 230, 190, {.Right = true}, {}, v.Render()),
              Result::Ok);
    const Vector4 after = v.Screen({0, 0, 0});
    EXPECT_NEAR(after.X - before.X, 30, 0.5);
    EXPECT_NEAR(after.Y - before.Y, -10, 0.5);
}

TEST(Navigation, DollyUpTheScreenMovesTheCameraForward) {
    ModelViewer v;
    Vector before, after;
    v.s.CameraFrame->GetPosition(v.s.SceneFrame.get(), before);
    MouseButton(v.s, v.core.Navigation, 100, 100, {.Middle = true});
    const TScreenMetrics screen{1000, 1053, 20}; // 1000 usable rows under menu and toolbar
    MouseMove(v.s, v.core.Navigation, 100, 90, {.Middle = true}, screen, v.Render());
    v.s.CameraFrame->GetPosition(v.s.SceneFrame.get(), after);
    // k = camera distance (in model units) / model extent * zoom; forward by k * 10 * 2 / 1000.
    const double distance = std::hypot(5.0, -5.0 - 0, -2010.0) / 2; // model scaled by 2
    const double k = distance / 500 * 1000;
    EXPECT_NEAR(after.Z - before.Z, k * 10 * 2 / 1000, 0.05 * k / 100);
    EXPECT_NEAR(after.X, before.X, 1e-3);
}

TEST(Navigation, DollyOverAModelOfNoExtentLeavesTheCameraAlone) {
    StartedViewer v;
    ResetPositions(v.s);
    MouseButton(v.s, v.core.Navigation, 100, 100, {.Middle = true});
    MouseMove(v.s, v.core.Navigation, 140, 10, {.Middle = true}, {}, {});
    Vector p;
    v.s.CameraFrame->GetPosition(v.s.SceneFrame.get(), p);
    ExpectNear(p, {5, -5, -2000});
}

TEST(Navigation, LookAtTurnsTheCameraToFaceTheModelAndStops) {
    ModelViewer v;
    // The camera looks well away from the model: 50 degrees to the side, rolled.
    v.s.CameraFrame->SetOrientation(v.s.SceneFrame.get(), -0.77f, 0.2f, 0.64f, 0.3f, 1, 0);
    TLookAt look;
    TJoystickMotion motion{3, 0.2f, 0.1f};
    LookAt(look, motion, v.s.CameraFrame, v.s.CenterFrame, v.s.SceneFrame);
    EXPECT_EQ(motion.JoySpeed, 0);
    EXPECT_EQ(motion.JoyBank, 0);
    int frames = 0;
    while (LookStep(look, 0.02) && frames < 2000)
        ++frames;
    EXPECT_LT(frames, 2000);
    EXPECT_FALSE(look.LookActive);
    Vector direction, up;
    v.s.CameraFrame->GetOrientation(v.s.SceneFrame.get(), direction, up);
    EXPECT_GT(Dot(direction, look.LookTargetDir), std::cos(5 * kPi / 180));
    EXPECT_GT(up.Y, 0.99f);
    EXPECT_FALSE(LookStep(look, 0.02));
}
