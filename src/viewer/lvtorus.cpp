#include "viewer/lvtorus.h"

#include <cmath>
#include <numbers>

namespace lumora::viewer {

using namespace scene;

namespace {

constexpr double kMajorRadius = 2.0, kMinorRadius = 1.0;

// Steps 1 and 2 of every test object: the model cleared and a new named, light gray mesh.
MeshBuilderPtr StartObject(TViewerCore& core, const char* name) {
    core.Scene.WrapRelative = false;
    ClearModel(core.Scene);
    MeshBuilderPtr mesh;
    if (!CheckResult(core.Ui, core.Scene.RMRoot.CreateMeshBuilder(mesh)))
        return nullptr;
    mesh->SetAppData(0);
    mesh->SetName(name);
    mesh->SetColorRGB(0.8f, 0.8f, 0.8f);
    core.LoadedBuilder = mesh;
    return mesh;
}

// Steps 4 and 5: a material of power 10, then the mesh as the new model.
bool FinishObject(TViewerCore& core, const MeshBuilderPtr& mesh) {
    MaterialPtr material;
    if (!CheckResult(core.Ui, core.Scene.RMRoot.CreateMaterial(10.0f, material)))
        return false;
    mesh->SetMaterial(material);
    return InstallModel(core, mesh);
}

Vector TorusPoint(int i, int j, int sectors, int sections) {
    const double theta = double(i) / sectors * 2 * std::numbers::pi;
    const double phi = double(j) / sections * 2 * std::numbers::pi;
    const double ring = kMinorRadius * std::cos(phi) + kMajorRadius;
    return {float(ring * std::cos(theta)), float(ring * std::sin(theta)),
            float(kMinorRadius * std::sin(phi))};
}

} // namespace

bool MakeTorus(TViewerCore& core, int sectors, int sections, const TorusProgress& progress) {
    const auto inRange = [](int n) { return n >= kMinTorusSteps && n <= kMaxTorusSteps; };
    if (!inRange(sectors) || !inRange(sections))
        return false;
    const MeshBuilderPtr mesh = StartObject(core, "Torus Builder");
    if (!mesh)
        return false;
    const std::size_t count = std::size_t(sectors) * std::size_t(sections);
    mesh->ReserveSpace(4 * count, 4 * count, count);
    for (int i = 0; i < sectors; ++i) {
        if (progress)
            progress(i);
        for (int j = 0; j < sections; ++j)
            AddFaceQuad(*mesh, kBlue, TorusPoint(i + 1, j, sectors, sections),
                        TorusPoint(i + 1, j + 1, sectors, sections),
                        TorusPoint(i, j + 1, sectors, sections),
                        TorusPoint(i, j, sectors, sections));
    }
    return FinishObject(core, mesh);
}

bool MakeTetrahedron(TViewerCore& core) {
    const MeshBuilderPtr mesh = StartObject(core, "Tetra Builder");
    if (!mesh)
        return false;
    const Vector a{-1, -1, -1}, b{-1, 1, 1}, c{1, 1, -1}, d{1, -1, 1};
    AddFaceTri(*mesh, kBlue, a, b, c);
    AddFaceTri(*mesh, kRed, a, c, d);
    AddFaceTri(*mesh, kGreen, a, d, b);
    AddFaceTri(*mesh, kAqua, b, d, c);
    return FinishObject(core, mesh);
}

bool MakeCube(TViewerCore& core) {
    const MeshBuilderPtr mesh = StartObject(core, "Cube Builder");
    if (!mesh)
        return false;
    AddBoxFaces(*mesh, {-3, -3, -3}, {3, 3, 3}, kBlue, kRed);
    return FinishObject(core, mesh);
}

} // namespace lumora::viewer
