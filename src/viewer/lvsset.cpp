#include "viewer/lvsset.h"

#include "passage/MeshStore.h"

namespace lumora::viewer {

using namespace scene;

void SetAmbientLight(TViewerScene& s, double v) {
    const auto level = static_cast<float>(v);
    s.AmbientLight->SetColorRGB(level, level, level);
}

void SetSceneBackgroundColor(TViewerScene& s, std::uint32_t color) {
    s.BackgroundColor = color;
    SetBackgroundColor(s, color);
}

bool SetBackgroundImage(TViewerScene& s, UiServices& ui, const std::string& path) {
    TexturePtr picture;
    std::string reason;
    if (!CheckFileResult(ui, s.RMRoot.LoadTexture(path, picture, &reason), path, reason))
        return false;
    s.SceneFrame->SetSceneBackgroundImage(picture);
    return true;
}

void SetFogEnable(TViewerScene& s, bool enable) {
    s.SceneFrame->SetSceneFogEnable(enable);
}

void SetFogMode(TViewerScene& s, FogMode mode) {
    s.SceneFrame->SetSceneFogMode(mode);
}

void SetFogParams(TViewerScene& s, double start, double end, double density) {
    s.SceneFrame->SetSceneFogParams(float(start), float(end), float(density));
}

void SetFogColor(TViewerScene& s, std::uint32_t color) {
    s.SceneFrame->SetSceneFogColor(passage::PackedColor(color));
}

void ApplySceneSettings(TViewerScene& s, const TSceneSettings& settings) {
    SetAmbientLight(s, settings.Ambient);
    SetFogEnable(s, settings.FogEnable);
    SetFogMode(s, settings.FogMode);
    SetFogParams(s, settings.FogStart, settings.FogEnd, settings.FogDensity);
}

void SetLightType(Light& light, int itemIndex) {
    if (itemIndex >= 0 && itemIndex <= 4)
        light.SetType(static_cast<LightType>(itemIndex));
}

VisualPtr FirstChildOrVisual(const Frame& frame) {
    if (!frame.GetChildren().empty())
        return frame.GetChildren().front();
    if (!frame.GetVisuals().empty())
        return frame.GetVisuals().front();
    return nullptr;
}

Result AddShadow(TViewerScene& s) {
    const VisualPtr target = FirstChildOrVisual(*s.CenterFrame);
    if (!target)
        return Result::Ok;
    ShadowPtr shadow;
    const Result result =
        s.RMRoot.CreateShadow(target, s.DirectLight, {0, -2, 0}, {0, 1, 0}, shadow);
    return Succeeded(result) ? s.CenterFrame->AddVisual(shadow) : result;
}

} // namespace lumora::viewer
