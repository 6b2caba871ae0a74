// Navigation: the model's scale on load, moving and turning frames, the toolbar's buttons, the
// mouse drags over the view (trackball, dolly, pan) and the angle read-out of a frame.
#pragma once

#include "viewer/lvsupprt.h"

#include <functional>

namespace lumora::viewer {

// Degrees in one radian, as the viewer converts user angles.
constexpr double kDegreesPerRadian = 57.2957795131;
// Height of the toolbar panel above the view, in pixels.
constexpr int kToolbarHeight = 33;

// Draws one frame now (the window's RenderFrame); true when a frame was drawn.
using FrameRenderer = std::function<bool()>;

struct TNavigation {
    double IncSpin = 4.5;     // step v of the toolbar buttons, percent (0 to 100, step 0.5)
    bool AnimateDown = false; // "Animate": drags and yaw buttons leave the model spinning
    int LastMouseX = 0, LastMouseY = 0;
    double ZoomScale = 0; // product of the zoom factors since the last Reset Scale
    float ModelSize = 0;  // largest side of the model at the last Reset Scale, model units
    // Reference of the status bar's position (set by the frame editing dialog); empty: the root.
    scene::FramePtr EditRef;
};

// Largest side of frame's hierarchy box (the frame and all below it, in its own coordinates).
float ModelExtent(const scene::Frame& frame);
// Puts frame at (-2, 2, 10) with no rotation, scaled so that its largest side is 1000 units (not
// scaled when its extent is 0), applies the background colour and updates the device. Rotation
// velocities stay. False, after the warning, when the device update fails.
bool ResetScale(TViewerScene& s, TNavigation& nav, scene::Frame& frame, UiServices& ui);
// Moves frame, relative to reference, by (dx, dy, dz) times reference's extent.
void TranslateFrame(const scene::Frame& reference, scene::Frame& frame, double dx, double dy,
                    double dz);
// Turns frame at once about one of its own unit axes.
void RotateLocal(scene::Frame& frame, const scene::Vector& axis, double degrees);
// Turns frame about an axis of CameraFrame during one drawn frame; any spin is gone afterwards.
void RotateAboutCamera(TViewerScene& s, scene::Frame& frame, const scene::Vector& axis,
                       double degrees, const FrameRenderer& render);

// Toolbar buttons acting on CenterFrame with step nav.IncSpin.
void ZoomIn(TViewerScene& s, TNavigation& nav);
void ZoomOut(TViewerScene& s, TNavigation& nav);
void PanLeft(TViewerScene& s, const TNavigation& nav);
void PanRight(TViewerScene& s, const TNavigation& nav);
void PanUp(TViewerScene& s, const TNavigation& nav);
void PanDown(TViewerScene& s, const TNavigation& nav);
void YawRight(TViewerScene& s, const TNavigation& nav);
void YawLeft(TViewerScene& s, const TNavigation& nav);
void PitchUp(TViewerScene& s, const TNavigation& nav, const FrameRenderer& render);
void PitchDown(TViewerScene& s, const TNavigation& nav, const FrameRenderer& render);
void StopRotations(TViewerScene& s);
// "Animate" pressed down or released: its new state, and the model's spin stops.
void AnimateClick(TViewerScene& s, TNavigation& nav, bool down);

// Buttons and modifier keys of a mouse event.
struct TMouseState {
    bool Left = false, Right = false, Middle = false;
    bool Shift = false, Ctrl = false, Alt = false, Double = false;
};
enum class TDrag { None, Dolly, Trackball, Pan };
// What a mouse move does with these buttons and keys held.
TDrag DragFor(const TMouseState& state);

// The usable screen for the dolly: a full-screen window's client size and a menu bar's height.
struct TScreenMetrics {
    int ClientWidth = 1920, ClientHeight = 1080, MenuHeight = 20;
};

// Button pressed or released over the view: stores the position; a plain left button stops the
// model's spin.
void MouseButton(TViewerScene& s, TNavigation& nav, int x, int y, const TMouseState& state);
// Mouse moved over the view: the drag for the buttons held (nothing, and the position is not
// stored, for any other combination).
scene::Result MouseMove(TViewerScene& s, TNavigation& nav, int x, int y, const TMouseState& state,
                        const TScreenMetrics& screen, const FrameRenderer& render);
// Left drag: spins the model about the camera's axes by the drag, for one drawn frame (or on
// while "Animate" is down).
void TrackballRotate(TViewerScene& s, TNavigation& nav, int x, int y, const FrameRenderer& render);
// Both buttons or the middle one: moves the camera sideways and forward by the drag. Nothing
// moves while the model has no extent.
scene::Result Dolly(TViewerScene& s, TNavigation& nav, int x, int y, const TScreenMetrics& screen);
// Right drag: the model's origin follows the mouse across the screen.
scene::Result Pan(TViewerScene& s, TNavigation& nav, int x, int y);

// Yaw, pitch and roll in degrees of a frame's transform (scale removed).
struct TEulerAngles {
    double Yaw = 0, Pitch = 0, Roll = 0;
};
TEulerAngles FrameEulerAngles(const scene::Matrix& m);

} // namespace lumora::viewer
