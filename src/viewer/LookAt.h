// The look-at turn: the camera turns, a little each drawn frame, until it faces the model and
// stands upright like it.
#pragma once

#include "platform/scene/Frame.h"

namespace lumora::viewer {

// The joystick's flight values that a look-at turn resets (speed in scene units per second,
// bank in radians).
struct TJoystickMotion {
    float JoySpeed = 0;
    float JoyBank = 0;
    float PreviousBank = 0;
};

struct TLookAt {
    bool LookActive = false;
    scene::Vector LookTargetDir; // unit direction from the camera to the target
    scene::FramePtr Camera, Target, Reference;
};

// Starts a turn of camera towards target, both seen from reference; stops the joystick's flight.
void LookAt(TLookAt& look, TJoystickMotion& motion, const scene::FramePtr& camera,
            const scene::FramePtr& target, const scene::FramePtr& reference);
// One frame of the turn, tickDelta seconds long: turns the camera by 90 degrees per second times
// the remaining error. True while the summed error is still 5 degrees or more. Called once per
// drawn frame by the step LookStepper (ViewerCore) names.
bool LookStep(TLookAt& look, double tickDelta);

} // namespace lumora::viewer
