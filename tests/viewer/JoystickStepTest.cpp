// Flying with the joystick through SDL's virtual joystick (no hardware, SDL's dummy video): the
// step's bank, thrust, drag and pitch, its look-at turn (stepped once per frame, never twice),
// the menu's pause, a lost device opened again, and a read failure that ends the joystick.
#include "ViewerTestScene.h"

#include "platform/gui/SdlJoystick.h"
#include "viewer/JoystickStep.h"

#include <SDL.h>

#include <cmath>
#include <cstdlib>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::platform::TSdlJoystick;
using lumora::viewer::test::BoxMesh;
using lumora::viewer::test::StartedViewer;

namespace {

// SDL's joystick service with one virtual joystick of 3 axes and 4 buttons attached.
class VirtualStick {
public:
    VirtualStick() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        Attach();
    }
    ~VirtualStick() {
        if (m_Handle)
            SDL_JoystickClose(m_Handle);
        Detach();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    void Attach() {
        m_Index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 3, 4, 0);
        ASSERT_GE(m_Index, 0) << SDL_GetError();
        m_Handle = SDL_JoystickOpen(m_Index);
        ASSERT_NE(m_Handle, nullptr) << SDL_GetError();
    }
    void Detach() {
        if (m_Handle)
            SDL_JoystickClose(m_Handle);
        m_Handle = nullptr;
        if (m_Index >= 0)
            SDL_JoystickDetachVirtual(m_Index);
        m_Index = -1;
    }
    // Axis values on SDL's scale (-32768..32767), buttons pressed or not.
    void Set(int x, int y, bool b1 = false, bool b2 = false, bool b3 = false) {
        SDL_JoystickSetVirtualAxis(m_Handle, 0, Sint16(x));
        SDL_JoystickSetVirtualAxis(m_Handle, 1, Sint16(y));
        SDL_JoystickSetVirtualButton(m_Handle, 0, b1);
        SDL_JoystickSetVirtualButton(m_Handle, 1, b2);
        SDL_JoystickSetVirtualButton(m_Handle, 2, b3);
    }

private:
    int m_Index = -1;
    SDL_Joystick* m_Handle = nullptr;
};

// A started viewer with a model and the virtual joystick opened as the window opens it.
struct Flying : StartedViewer {
    VirtualStick stick;
    std::unique_ptr<TSdlJoystick> joystick;

    Flying() {
        s.CenterFrame->AddVisual(BoxMesh({-5, -250, -10}, {5, 250, 10}));
        ResetScale(s, core.Navigation, *s.CenterFrame, ui);
        ResetPositions(s);
        StopRotations(s);
        s.RenderEnabled = true;
        joystick = TSdlJoystick::InitJoystick(ui);
        EXPECT_NE(joystick, nullptr);
        core.JoystickDevice = joystick.get();
        core.JoystickAvailable = joystick != nullptr;
        core.JoystickChecked = true;
        core.TickDelta = 0.02; // 50 frames per second
    }
    Matrix Camera() const { return s.CameraFrame->GetTransform(); }
};

void ExpectSameMatrix(const Matrix& a, const Matrix& b, float tolerance = 1e-5f) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(a.M[i][j], b.M[i][j], tolerance) << i << "," << j;
}

} // namespace

TEST(SdlJoystick, AxesAreScaledToAThousandEachWayAndTheFirstFourButtonsRead) {
    VirtualStick stick;
    lumora::test::RecordingUi ui;
    auto joystick = TSdlJoystick::InitJoystick(ui);
    ASSERT_NE(joystick, nullptr);
    stick.Set(32767, -32768, true, false, true);
    const auto r = joystick->ReadJoystick();
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->X, 1000);
    EXPECT_EQ(r->Y, -1000);
    EXPECT_EQ(r->Z, 0);
    EXPECT_TRUE(r->B1);
    EXPECT_FALSE(r->B2);
    EXPECT_TRUE(r->B3);
    EXPECT_EQ(lumora::platform::JoystickScale(16384), 500);
    EXPECT_TRUE(ui.Warnings.empty());
}

TEST(SdlJoystick, WithoutAnAttachedJoystickInitFindsNoneAndSaysNothing) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    lumora::test::RecordingUi ui;
    EXPECT_EQ(TSdlJoystick::InitJoystick(ui), nullptr);
    EXPECT_TRUE(ui.Warnings.empty());
}

TEST(SdlJoystick, ALostJoystickIsOpenedAgainOncePerLossWithoutAMessage) {
    VirtualStick stick;
    lumora::test::RecordingUi ui;
    auto joystick = TSdlJoystick::InitJoystick(ui);
    ASSERT_NE(joystick, nullptr);
    for (int loss = 0; loss < 2; ++loss) {
        stick.Detach();
        stick.Attach();
        stick.Set(-32767, 0, false, true);
        const auto r = joystick->ReadJoystick();
        ASSERT_TRUE(r.has_value()) << joystick->LastError();
        EXPECT_EQ(r->X, -1000);
        EXPECT_TRUE(r->B2);
    }
    stick.Detach();
    EXPECT_FALSE(joystick->ReadJoystick().has_value());
    EXPECT_NE(joystick->LastError().find("lost"), std::string::npos);
    EXPECT_TRUE(ui.Warnings.empty()); // the step that reads it shows the failure
}

TEST(JoystickStep, ACentredStickWithoutButtonsChangesNothing) {
    Flying v;
    const Matrix before = v.Camera();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(JoystickStep(v.core));
    ExpectSameMatrix(v.Camera(), before);
    EXPECT_EQ(v.core.Joystick.JoySpeed, 0);
}

TEST(JoystickStep, HoldingB1ForOneSecondAtFiftyFramesRaisesTheSpeedToAbout0635) {
    Flying v;
    v.stick.Set(0, 0, true);
    Vector start;
    v.s.CameraFrame->GetPosition(v.s.SceneFrame.get(), start);
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(JoystickStep(v.core));
    EXPECT_NEAR(v.core.Joystick.JoySpeed, 0.6348, 0.001);
    Vector end;
    v.s.CameraFrame->GetPosition(v.s.SceneFrame.get(), end);
    EXPECT_GT(end.Z, start.Z); // forward along the camera's own z axis
    // Released, drag halves the speed in about a second.
    v.stick.Set(0, 0);
    for (int i = 0; i < 50; ++i)
        JoystickStep(v.core);
    EXPECT_NEAR(v.core.Joystick.JoySpeed, 0.6348 * std::pow(0.99, 50), 0.001);
}

TEST(JoystickStep, FullStickSidewaysBanksTowardsHalfARadianAndTurnsTheCamera) {
    Flying v;
    v.stick.Set(32767, 0);
    for (int i = 0; i < 200; ++i)
        JoystickStep(v.core);
    EXPECT_NEAR(v.core.Joystick.JoyBank, -0.5f * (1 - std::pow(20.0 / 21, 200)), 1e-3);
    EXPECT_EQ(v.core.Joystick.PreviousBank, v.core.Joystick.JoyBank);
    Vector direction, up;
    v.s.CameraFrame->GetOrientation(v.s.SceneFrame.get(), direction, up);
    EXPECT_GT(std::fabs(direction.X), 0.3f); // turned away from straight ahead
}

TEST(JoystickStep, B3StartsALookAtDuringWhichTheStickIsIgnoredAndTheSpeedIsZero) {
    Flying v;
    v.s.CameraFrame->SetOrientation(v.s.SceneFrame.get(), -0.77f, 0, 0.64f, 0, 1, 0);
    v.stick.Set(0, 0, true);
    for (int i = 0; i < 10; ++i)
        JoystickStep(v.core);
    ASSERT_GT(v.core.Joystick.JoySpeed, 0);
    v.stick.Set(0, 0, false, false, true);
    JoystickStep(v.core);
    EXPECT_TRUE(v.core.Look.LookActive);
    EXPECT_EQ(v.core.Joystick.JoySpeed, 0);
    v.stick.Set(32767, 32767, true); // ignored while turning
    for (int i = 0; i < 5; ++i)
        JoystickStep(v.core);
    EXPECT_TRUE(v.core.Look.LookActive);
    EXPECT_EQ(v.core.Joystick.JoySpeed, 0);
    EXPECT_EQ(v.core.Joystick.JoyBank, 0);
    int frames = 0;
    while (v.core.Look.LookActive && frames++ < 2000)
        JoystickStep(v.core);
    JoystickStep(v.core); // the turn is over: the stick steers again
    EXPECT_GT(v.core.Joystick.JoySpeed, 0);
}

TEST(JoystickStep, UncheckingTheMenuItemStopsAllChangeAndCheckingResumes) {
    Flying v;
    v.stick.Set(0, 0, true);
    for (int i = 0; i < 20; ++i)
        JoystickStep(v.core);
    v.core.JoystickChecked = false;
    const Matrix before = v.Camera();
    const float speed = v.core.Joystick.JoySpeed;
    v.stick.Set(32767, 32767, true);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(JoystickStep(v.core));
    ExpectSameMatrix(v.Camera(), before);
    EXPECT_EQ(v.core.Joystick.JoySpeed, speed);
    v.core.JoystickChecked = true;
    JoystickStep(v.core);
    EXPECT_GT(v.core.Joystick.JoySpeed, speed);
}

TEST(JoystickStep, AReadFailureShowsOneMessageAndTheJoystickIsNotReadAgain) {
    Flying v;
    v.stick.Detach();
    for (int i = 0; i < 5; ++i)
        RenderStep(v.core);
    EXPECT_FALSE(v.core.JoystickAvailable);
    ASSERT_EQ(v.ui.Warnings.size(), 1u);
    EXPECT_NE(v.ui.Warnings[0].find("joystick"), std::string::npos);
    v.stick.Attach(); // back, but the run has given it up
    v.stick.Set(0, 0, true);
    for (int i = 0; i < 5; ++i)
        RenderStep(v.core);
    EXPECT_EQ(v.core.Joystick.JoySpeed, 0);
    EXPECT_EQ(v.ui.Warnings.size(), 1u);
}

TEST(JoystickStep, TheLookAtTurnIsSteppedOncePerFrameWithOrWithoutAJoystick) {
    Flying flying;
    StartedViewer plain;
    for (StartedViewer* v : {static_cast<StartedViewer*>(&flying), &plain}) {
        v->s.CenterFrame->AddVisual(BoxMesh({-5, -250, -10}, {5, 250, 10}));
        ResetScale(v->s, v->core.Navigation, *v->s.CenterFrame, v->ui);
        ResetPositions(v->s);
        StopRotations(v->s);
        v->s.RenderEnabled = true;
        v->core.TickDelta = 0.02;
        v->s.CameraFrame->SetOrientation(v->s.SceneFrame.get(), -0.77f, 0, 0.64f, 0, 1, 0);
        LookAt(v->core.Look, v->core.Joystick, v->s.CameraFrame, v->s.CenterFrame, v->s.SceneFrame);
    }
    EXPECT_EQ(LookStepper(flying.core), TLookStepper::JoystickStep);
    EXPECT_EQ(LookStepper(plain.core), TLookStepper::RenderStep);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(RenderStep(flying.core));
        ASSERT_TRUE(RenderStep(plain.core));
    }
    ExpectSameMatrix(flying.s.CameraFrame->GetTransform(), plain.s.CameraFrame->GetTransform());
    EXPECT_TRUE(flying.core.Look.LookActive);
}
