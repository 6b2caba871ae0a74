// When the view must keep drawing: a still picture is drawn once and then left alone, so a cave
// left open on the screen costs nothing; frames go on only while something moves by itself.
#pragma once

#include "viewer/ViewerCore.h"

namespace lumora::viewer {

// True while some frame of the scene turns by a rotation velocity (a spin, "Animate"), a
// look-at turn goes on, or a joystick is read (it is read once per drawn frame).
bool KeepsDrawing(const TViewerCore& core);
// True when frame or a frame below it has a rotation velocity.
bool FramesTurning(const scene::Frame& frame);

} // namespace lumora::viewer
