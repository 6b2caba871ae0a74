#include "viewer/JoystickStep.h"

#include "viewer/Turning.h"

#include <cmath>

namespace lumora::viewer {

namespace {

constexpr float kBankSmoothing = 20; // the new stick value weighs 1 in 21
constexpr float kStickScale = 2000;  // full stick: half a radian per second
constexpr float kBaseThrust = 0.5f;  // scene units per second per second at rest
constexpr float kDrag = 0.5f;        // share of the speed lost per second

} // namespace

bool JoystickStep(TViewerCore& core) {
    if (LookStep(core.Look, core.TickDelta))
        return true;
    if (!core.JoystickChecked)
        return true;
    if (!core.JoystickDevice)
        return false;
    TJoystickMotion& j = core.Joystick;
    const float thrust = std::fabs(j.JoySpeed) + kBaseThrust;
    const auto reading = core.JoystickDevice->ReadJoystick();
    if (!reading) {
        core.JoystickAvailable = false; // before the box: a frame drawn while it shows reads none
        core.Ui.Warning(core.JoystickDevice->LastError());
        return false;
    }
    const float dt = float(core.TickDelta);
    scene::Frame& camera = *core.Scene.CameraFrame;
    j.JoyBank = (kBankSmoothing * j.JoyBank + (-reading->X / kStickScale)) / (kBankSmoothing + 1);
    TurnBefore(camera, {0, 0, 1}, j.JoyBank - j.PreviousBank);
    j.PreviousBank = j.JoyBank;
    TurnBefore(camera, {0, 1, 0}, -j.JoyBank * dt);
    if (reading->B1)
        j.JoySpeed += thrust * dt;
    if (reading->B2)
        j.JoySpeed -= thrust * dt;
    if (reading->B3)
        LookAt(core.Look, j, core.Scene.CameraFrame, core.Scene.CenterFrame, core.Scene.SceneFrame);
    camera.AddTranslation(scene::Combine::Before, 0, 0, j.JoySpeed * dt);
    j.JoySpeed -= j.JoySpeed * kDrag * dt;
    TurnBefore(camera, {1, 0, 0}, (-reading->Y / kStickScale) * dt);
    return true;
}

} // namespace lumora::viewer
