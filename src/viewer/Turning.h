// The viewer's turns: every angle the viewer passes follows the left-hand rule of its left-handed,
// y-up scene (a positive angle turns clockwise as seen looking along the axis from the origin),
// the sense of the scene layer's rotations.
#pragma once

#include "platform/scene/Frame.h"

namespace lumora::viewer {

// Adds to frame's transform, combined before, a turn about one of its own axes.
scene::Result TurnBefore(scene::Frame& frame, const scene::Vector& axis, float radians);
// Sets frame's rotation velocity: radians per move step about an axis of reference's axes
// (empty reference: the scene root's).
scene::Result SetSpin(scene::Frame& frame, const scene::FramePtr& reference,
                      const scene::Vector& axis, float radians);
// Stops frame's rotation velocity (axis 0, 0, 0, angle 0, relative to reference).
scene::Result StopSpin(scene::Frame& frame, const scene::FramePtr& reference);

} // namespace lumora::viewer
