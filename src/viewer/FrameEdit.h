// The frame editing dialog's moves and turns: any frame of the scene moved by a percentage of
// its reference frame's size and turned about the camera's axes or its own.
#pragma once

#include "viewer/Navigation.h"

#include <string>

namespace lumora::viewer {

// The reference of an edited frame: its parent, or CameraFrame for the scene root.
scene::FramePtr EditReference(const TViewerScene& s, const scene::FramePtr& frame);

// One button of the dialog ("PanLeftBtn", "ZoomInBtn", "YawRightBtn", "RollLeftBtn", ...) on
// frame, relative to ref, with the step increment in percent. Moves are fractions of ref's size
// along ref's axes (of the frame's own size when ref has none, as the camera); "Zoom In" brings
// the frame nearer to the camera, which looks along +z, "Zoom Out" takes it away. Turns are
// a = increment / 100 * 180 degrees about the camera's axes (aboutCamera, for one frame drawn by
// render) or the frame's own. The scene root carries the camera: edited, it moves and turns
// everything in the scene but the camera, which keeps its place in the world, so the view shows
// the edit. False for a name that is no button of the dialog (nothing moves).
bool EditFrameButton(TViewerScene& s, scene::Frame& frame, const scene::Frame& ref,
                     const std::string& name, double increment, bool aboutCamera,
                     const FrameRenderer& render);

} // namespace lumora::viewer
