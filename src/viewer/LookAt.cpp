#include "viewer/LookAt.h"

#include "viewer/Turning.h"

#include <cmath>

namespace lumora::viewer {

using namespace scene;

namespace {

constexpr double kTurnRate = 90 * 0.017453292519943295; // radians per second per radian of error
constexpr double kDoneError = 0.08726646259971647;      // 5 degrees

// Signed angle from b to c seen about a: atan2(b . (a x c), b . c).
double SignedAngle(const Vector& a, const Vector& b, const Vector& c) {
    return std::atan2(double(Dot(b, Cross(a, c))), double(Dot(b, c)));
}

// Turns the camera about one of its own axes against the error.
void TurnAgainst(Frame& camera, const Vector& axis, double error, double k, bool positiveFirst) {
    if (error == 0)
        return;
    const double sign = (error > 0) == positiveFirst ? 1 : -1;
    TurnBefore(camera, axis, float(sign * std::abs(error) * k));
}

} // namespace

void LookAt(TLookAt& look, TJoystickMotion& motion, const FramePtr& camera, const FramePtr& target,
            const FramePtr& reference) {
    look.Camera = camera;
    look.Target = target;
    look.Reference = reference;
    Vector from, to;
    camera->GetPosition(reference.get(), from);
    target->GetPosition(reference.get(), to);
    look.LookTargetDir = Normalize(to - from);
    motion = {};
    look.LookActive = true;
}

bool LookStep(TLookAt& look, double tickDelta) {
    if (!look.LookActive || !look.Camera || !look.Target)
        return look.LookActive = false;
    const double k = kTurnRate * tickDelta;
    Vector targetDirection, targetUp, cameraDirection, cameraUp;
    look.Target->GetOrientation(look.Reference.get(), targetDirection, targetUp);
    look.Camera->GetOrientation(look.Reference.get(), cameraDirection, cameraUp);
    const Vector cameraRight = Cross(cameraDirection, cameraUp);
    const double yaw = SignedAngle(cameraUp, cameraDirection, look.LookTargetDir);
    const double pitch = SignedAngle(cameraRight, cameraDirection, look.LookTargetDir);
    const double roll = SignedAngle(cameraDirection, cameraUp, targetUp);
    TurnAgainst(*look.Camera, {0, 0, 1}, roll, k, false);
    TurnAgainst(*look.Camera, {1, 0, 0}, pitch, k, true);
    TurnAgainst(*look.Camera, {0, 1, 0}, yaw, k, false);
    look.LookActive = std::abs(roll) + std::abs(pitch) + std::abs(yaw) >= kDoneError;
    return look.LookActive;
}

} // namespace lumora::viewer
