// lvsset — the "Scene Settings" dialog's values and what each control does to the live scene
// (ambient light, background colour and picture, fog), the "Edit Light" dialog's light type and
// the "S&hadow" command.
#pragma once

#include "viewer/lvsupprt.h"

#include <string>

namespace lumora::viewer {

// Values the dialog keeps between uses; they are not read back from the scene.
struct TSceneSettings {
    static constexpr double kAmbientStep = 0.05, kFogStep = 1.0, kDensityStep = 0.05;
    double Ambient = 0.1; // 0 to 1
    bool FogEnable = false;
    scene::FogMode FogMode = scene::FogMode::Linear;
    double FogStart = 1.0, FogEnd = 10.0, FogDensity = 1.0; // no limits
};

// "Ambient Light": AmbientLight's colour (v, v, v).
void SetAmbientLight(TViewerScene& s, double v);
// "Set Background Color": BackgroundColor := colour (framework 0x00BBGGRR) and the background.
void SetSceneBackgroundColor(TViewerScene& s, std::uint32_t color);
// "Set Background Image": the picture file as SceneFrame's background. A picture that cannot be
// loaded is shown as "FILE: reason" and the background stays; true when set.
bool SetBackgroundImage(TViewerScene& s, UiServices& ui, const std::string& path);
// The fog controls; each passes its values unchanged (an end before the start included).
void SetFogEnable(TViewerScene& s, bool enable);
void SetFogMode(TViewerScene& s, scene::FogMode mode);
void SetFogParams(TViewerScene& s, double start, double end, double density);
// "Fog Color": the framework colour converted like the background's (packed, alpha 254).
void SetFogColor(TViewerScene& s, std::uint32_t color);
// Every value of settings applied to the scene (the command line's way of using the dialog).
void ApplySceneSettings(TViewerScene& s, const TSceneSettings& settings);

// "Edit Light" "Apply": the light's type := item index 0 to 4 ("Ambient", "Point", "Spot",
// "Directional", "Parallel Point"); other indices are ignored.
void SetLightType(scene::Light& light, int itemIndex);

// The first child frame of frame, else its first visual, else nothing.
scene::VisualPtr FirstChildOrVisual(const scene::Frame& frame);
// "S&hadow": the shadow of CenterFrame's first child or visual cast by DirectLight onto the
// plane through (0, -2, 0) with normal (0, 1, 0), added to CenterFrame as one more visual. Ok
// with nothing added when the model frame is empty.
scene::Result AddShadow(TViewerScene& s);

} // namespace lumora::viewer
