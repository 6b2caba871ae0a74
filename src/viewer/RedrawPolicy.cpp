#include "viewer/RedrawPolicy.h"

namespace lumora::viewer {

bool FramesTurning(const scene::Frame& frame) {
    scene::Vector axis;
    float angle = 0;
    frame.GetRotation(axis, angle);
    if (angle != 0 && scene::Length(axis) > 0)
        return true;
    for (const scene::FramePtr& child : frame.GetChildren())
        if (FramesTurning(*child))
            return true;
    return false;
}

bool KeepsDrawing(const TViewerCore& core) {
    if (!core.Scene.RenderEnabled || !core.Scene.SceneFrame)
        return false;
    return core.JoystickAvailable || core.Look.LookActive || FramesTurning(*core.Scene.SceneFrame);
}

} // namespace lumora::viewer
