#include "viewer/lvmaterl.h"

#include "passage/MeshStore.h"

namespace lumora::viewer {

using namespace scene;

bool SetMaterials(TViewerScene& s, UiServices& ui, MeshBuilder& mesh,
                  const TMaterialSettings& settings) {
    passage::SetTransparency(mesh, settings.Transparency);
    MaterialPtr material;
    if (!CheckResult(ui, s.RMRoot.CreateMaterial(0, material)))
        return false;
    const double* e = settings.Emissive;
    const double* r = settings.Specular;
    material->SetEmissive(float(e[0]), float(e[1]), float(e[2]));
    material->SetPower(float(settings.Power));
    material->SetSpecular(float(r[0]), float(r[1]), float(r[2]));
    mesh.SetMaterial(material);
    return true;
}

} // namespace lumora::viewer
