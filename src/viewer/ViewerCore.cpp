#include "viewer/ViewerCore.h"

#include "passage/MeshStore.h"
#include "viewer/JoystickStep.h"

#include <exception>

namespace lumora::viewer {

using namespace scene;

bool TViewerCore::DrawFrame() {
    return RenderFrame ? RenderFrame() : RenderStep(*this);
}

namespace {

Result DrawScene(TViewerCore& core) {
    TViewerScene& s = core.Scene;
    Result result = s.SceneFrame->Move(1.0f);
    const TTextures& t = core.Textures;
    if (Succeeded(result) && s.WrapRelative && t.CurrentWrap && t.SelectedBuilder)
        t.CurrentWrap->ApplyRelative(*s.CenterFrame, *t.SelectedBuilder);
    if (!s.Viewport || !s.Device)
        return result;
    if (Succeeded(result))
        result = s.Viewport->Clear();
    if (Succeeded(result))
        result = s.Viewport->Render(*s.SceneFrame);
    if (Succeeded(result))
        result = s.Device->Update();
    return result;
}

} // namespace

TLookStepper LookStepper(const TViewerCore& core) {
    return core.JoystickAvailable ? TLookStepper::JoystickStep : TLookStepper::RenderStep;
}

bool RenderStep(TViewerCore& core) {
    if (!core.Scene.RenderEnabled || !core.Scene.SceneFrame)
        return false;
    try {
        if (LookStepper(core) == TLookStepper::JoystickStep)
            core.JoystickAvailable = JoystickStep(core);
        else
            LookStep(core.Look, core.TickDelta);
        if (!CheckResult(core.Ui, DrawScene(core)))
            return false;
    } catch (const std::exception&) {
        passage::ClearFrame(*core.Scene.CenterFrame); // a model that cannot be drawn is dropped
    }
    return true;
}

bool InstallModel(TViewerCore& core, const VisualPtr& model) {
    TViewerScene& s = core.Scene;
    if (!CheckResult(core.Ui, s.CenterFrame->AddVisual(model)))
        return false;
    ResetScale(s, core.Navigation, *s.CenterFrame, core.Ui);
    core.RefreshHierarchy();
    s.RenderEnabled = true;
    return true;
}

} // namespace lumora::viewer
