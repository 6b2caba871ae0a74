// The viewer's state under its window, gathered in one place: the scene, navigation, look-at,
// hierarchy and textures, the user services; and the steps every new model goes through.
#pragma once

#include "viewer/LookAt.h"
#include "viewer/Navigation.h"
#include "viewer/lvdevice.h"
#include "viewer/lvoutlin.h"
#include "viewer/lvtxture.h"

#include "platform/JoystickDevice.h"

namespace lumora::viewer {

struct TViewerCore {
    explicit TViewerCore(UiServices& ui) : Ui(ui) {}

    UiServices& Ui;
    TViewerScene Scene;
    TNavigation Navigation;
    TLookAt Look;
    TJoystickMotion Joystick;
    THierarchy Hierarchy;
    TTextures Textures;
    // The drivers found at start-up and which of them can draw in this run.
    render::TDriverTable Drivers;
    TDriverContext DriverContext;
    // The mesh builder of the last mesh file or test object.
    scene::MeshBuilderPtr LoadedBuilder;
    // A joystick is read each drawn frame (its step then turns a look-at turn itself).
    bool JoystickAvailable = false;
    // The joystick the window opened (owned by the window); none without one.
    platform::TJoystickDevice* JoystickDevice = nullptr;
    // The check mark of "Enable &Joystick": unchecked, the joystick's step reads nothing.
    bool JoystickChecked = false;
    // Seconds between the last two drawn frames, from the window's clock (TRenderRates).
    double TickDelta = 0;
    // Draws one frame now; the window installs its own. Without one, RenderStep draws.
    FrameRenderer RenderFrame;

    // RenderFrame when installed, else RenderStep.
    bool DrawFrame();
    // The hierarchy rebuilt from SceneFrame.
    void RefreshHierarchy() { Hierarchy.Refresh(Scene.SceneFrame); }
};

// Who steps the look-at turn each drawn frame: the joystick's step while a joystick is read,
// else the render step. The one place that decides it, so the turn is never stepped twice.
enum class TLookStepper { RenderStep, JoystickStep };
TLookStepper LookStepper(const TViewerCore& core);

// One frame of the render loop under the window: nothing before a model exists; else the
// joystick's step (JoystickStep, while a joystick is available; a failed read makes it
// unavailable for good) or a look-at turn goes on by TickDelta, the scene moves one step, a
// relative wrap follows the model, and the viewport draws. A failing call is shown and false
// returned; an error raised while drawing discards the model.
bool RenderStep(TViewerCore& core);

// A new model in CenterFrame: added as a visual, scaled to 1000 units, the hierarchy rebuilt and
// drawing enabled. The caller has cleared the model first. False, after the warning, on failure.
bool InstallModel(TViewerCore& core, const scene::VisualPtr& model);

} // namespace lumora::viewer
