// lvmaterl — the "Materials Settings" dialog's values and "Set Materials": transparency of every
// face, then a new material with the emissive colour, power and specular colour, on the mesh.
#pragma once

#include "viewer/lvsupprt.h"

namespace lumora::viewer {

// Values the dialog keeps between uses. Colours are red, green, blue 0 to 1 (step 0.05).
struct TMaterialSettings {
    static constexpr double kMaxPower = 1000000;
    double Emissive[3] = {0, 0, 0};
    double Specular[3] = {1, 1, 1}; // "Reflections"
    double Power = 0;               // 0 to 1000000, step 1
    int Transparency = 0;           // percent, 0 to 100
};

// "Set Materials" on mesh: every face gets the alpha (100 - percent) / 100 x 255 truncated, then
// the material is made and set. A failing material call is shown and ends the action (the
// transparency stays); true when the material was set. The caller redraws with the notice.
bool SetMaterials(TViewerScene& s, UiServices& ui, scene::MeshBuilder& mesh,
                  const TMaterialSettings& settings);

} // namespace lumora::viewer
