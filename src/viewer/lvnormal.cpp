#include "viewer/lvnormal.h"

#include "viewer/Navigation.h"

namespace lumora::viewer {

unsigned NormalFlags(const TNormalSettings& settings) {
    return (settings.UseCrease ? scene::kNormalsUseCrease : 0u) |
           (settings.Compress ? scene::kNormalsCompact : 0u);
}

scene::Result DoNormals(scene::MeshBuilder& mesh, const TNormalSettings& settings) {
    return mesh.GenerateNormals(float(settings.CreaseDegrees / kDegreesPerRadian),
                                NormalFlags(settings));
}

TNormalReadouts NormalReadouts(const scene::MeshBuilder& mesh) {
    scene::Box box;
    mesh.GetBox(box);
    return {std::to_string(mesh.GetFaceCount()), std::to_string(mesh.GetVertexCount()),
            BoxSizeText(box)};
}

} // namespace lumora::viewer
