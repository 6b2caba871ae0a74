// View presets: the model turned to plan or to a profile facing a compass point, the model fitted
// to the view, a point of it brought to the view's centre, and the short animation between two
// poses of the model frame.
#pragma once

#include "viewer/lvsupprt.h"

namespace lumora::viewer {

enum class TViewPreset { Plan, North, East, South, West };

// The model frame's placement relative to its parent: a rotation (rows are the model's axes),
// a uniform scale and a position.
struct TModelPose {
    scene::Matrix Rotation = scene::Matrix::Identity();
    float Scale = 1;
    scene::Vector Position;
};

// The pose of frame's transform (its scale taken as uniform, from the first axis).
TModelPose PoseOf(const scene::Frame& frame);
scene::Matrix PoseMatrix(const TModelPose& pose);

// The model's axes as the camera sees them for a preset: plan looks down with north up and east
// right; a profile facing north looks north with east right, and so on round the compass.
scene::Matrix PresetRotation(TViewPreset preset);

// CenterFrame's pose turned to the preset as seen through CameraFrame; scale and position kept.
TModelPose PresetPose(const TViewerScene& s, const TModelPose& from, TViewPreset preset);
// CenterFrame's pose with from's rotation, scaled and moved so that the box of the model (in its
// own coordinates) fills fill of the viewport's width or height, whichever binds, centred on
// the view. from itself when there is no model or no viewport.
TModelPose FitPose(const TViewerScene& s, const TModelPose& from, double fill = 0.9);
// CenterFrame's pose moved (rotation and scale kept) so that point, in the model's own
// coordinates, lies on the camera's axis at its present distance.
TModelPose CentrePose(const TViewerScene& s, const TModelPose& from, const scene::Vector& point);

// A move of the model frame from one pose to another over Duration seconds, eased at both ends;
// the rotation turns the short way round.
struct TViewAnimation {
    bool Active = false;
    TModelPose From, To;
    double Start = 0, Duration = 0.3;
};

// Starts a move of frame from its pose to to at time now (seconds).
void StartAnimation(TViewAnimation& a, const scene::Frame& frame, const TModelPose& to, double now);
// Places frame where the move is at time now; the move ends (Active false) once now is past its
// end, with frame exactly at To. False when no move was going on.
bool StepAnimation(TViewAnimation& a, scene::Frame& frame, double now);
// Where the running move ends, else frame's pose.
TModelPose TargetPose(const TViewAnimation& a, const scene::Frame& frame);

} // namespace lumora::viewer
