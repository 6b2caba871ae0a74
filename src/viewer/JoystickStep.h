// JoystickStep — flying the camera with the joystick, one step per drawn frame: the look-at turn
// first, then the stick banks and turns the camera and pitches it, b1 and b2 accelerate and
// brake, b3 starts a look-at turn towards the model; speed carries over from frame to frame and
// drag takes half of it away each second.
#pragma once

#include "viewer/ViewerCore.h"

namespace lumora::viewer {

// One step of tickDelta seconds (core.TickDelta). True while the joystick stays usable; false
// after a failed read, which core.Ui reports once (the caller then stops reading it). Reads
// nothing while a look-at turn goes on or "Enable &Joystick" is unchecked.
bool JoystickStep(TViewerCore& core);

} // namespace lumora::viewer
