#include "viewer/Turning.h"

namespace lumora::viewer {

scene::Result TurnBefore(scene::Frame& frame, const scene::Vector& axis, float radians) {
    return frame.AddRotation(scene::Combine::Before, axis.X, axis.Y, axis.Z, radians);
}

scene::Result SetSpin(scene::Frame& frame, const scene::FramePtr& reference,
                      const scene::Vector& axis, float radians) {
    return frame.SetRotation(reference, axis.X, axis.Y, axis.Z, radians);
}

scene::Result StopSpin(scene::Frame& frame, const scene::FramePtr& reference) {
    return frame.SetRotation(reference, 0, 0, 0, 0);
}

} // namespace lumora::viewer
