// The render step under the window: it goes on with a look-at turn once per drawn frame (the
// joystick's step turns it while a joystick is read: JoystickStepTest), and draws nothing before
// a model exists.
#include "ViewerTestScene.h"

#include <cmath>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::StartedViewer;

namespace {

// A model in front of a camera that looks 50 degrees to the side of it.
struct LookingAway : StartedViewer {
    LookingAway() {
        s.CenterFrame->AddVisual(BoxMesh({-5, -250, -10}, {5, 250, 10}));
        ResetScale(s, core.Navigation, *s.CenterFrame, ui);
        ResetPositions(s);
        StopRotations(s);
        s.RenderEnabled = true;
        s.CameraFrame->SetOrientation(s.SceneFrame.get(), -0.77f, 0, 0.64f, 0, 1, 0);
        core.TickDelta = 0.02;
    }
    // Angle in degrees between where the camera looks and where the model is.
    double AngleOff() {
        Vector direction, up;
        s.CameraFrame->GetOrientation(s.SceneFrame.get(), direction, up);
        Vector camera, model;
        s.CameraFrame->GetPosition(s.SceneFrame.get(), camera);
        s.CenterFrame->GetPosition(s.SceneFrame.get(), model);
        const double c = Dot(direction, Normalize(model - camera));
        return std::acos(std::min(1.0, c)) * 180 / 3.14159265358979;
    }
};

} // namespace

TEST(ViewerCore, RenderStepTurnsTheCameraOfALookAtUntilItFacesTheModel) {
    LookingAway v;
    ASSERT_GT(v.AngleOff(), 40);
    LookAt(v.core.Look, v.core.Joystick, v.s.CameraFrame, v.s.CenterFrame, v.s.SceneFrame);
    EXPECT_EQ(LookStepper(v.core), TLookStepper::RenderStep);
    ASSERT_TRUE(RenderStep(v.core));
    const double afterOne = v.AngleOff();
    EXPECT_LT(afterOne, 50 - 0.5);
    int frames = 1;
    while (v.core.Look.LookActive && frames < 2000) {
        ASSERT_TRUE(RenderStep(v.core));
        ++frames;
    }
    EXPECT_FALSE(v.core.Look.LookActive);
    EXPECT_LT(v.AngleOff(), 5);
}

TEST(ViewerCore, BeforeAModelExistsTheRenderStepDrawsAndTurnsNothing) {
    LookingAway v;
    v.s.RenderEnabled = false;
    LookAt(v.core.Look, v.core.Joystick, v.s.CameraFrame, v.s.CenterFrame, v.s.SceneFrame);
    const double before = v.AngleOff();
    EXPECT_FALSE(RenderStep(v.core));
    EXPECT_NEAR(v.AngleOff(), before, 1e-6);
}
