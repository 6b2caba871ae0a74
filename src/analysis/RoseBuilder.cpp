#include "analysis/RoseBuilder.h"

#include "analysis/ColorTables.h"
#include "analysis/RoseCard.h"
#include "passage/MeshStore.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace lumora::analysis {

using namespace scene;

namespace {

constexpr std::uint32_t kRed = 0x0000FF, kWhite = 0xFFFFFF;

// Sine and cosine of every petal boundary, bearing m * 360 / petals for m = 0..petals.
struct TBoundaries {
    explicit TBoundaries(int petals) : Sin(petals + 1), Cos(petals + 1) {
        for (int m = 0; m <= petals; ++m) {
            const double a = m * (360.0 / petals) * std::numbers::pi / 180;
            Sin[m] = std::sin(a);
            Cos[m] = std::cos(a);
        }
    }
    std::vector<double> Sin, Cos;
};

// A point at the boundary's bearing and radius r, at height y: x east, z north.
Vector At(const TBoundaries& b, int m, double r, double y) {
    return {float(r * b.Sin[m]), float(y), float(r * b.Cos[m])};
}

void AddWedge(MeshBuilder& mesh, std::uint32_t color, const TBoundaries& b, int m, double r,
              double y0, double y1) {
    const Vector topCentre{0, float(y1), 0}, bottomCentre{0, float(y0), 0};
    const Vector topStart = At(b, m, r, y1), topEnd = At(b, m + 1, r, y1);
    const Vector bottomStart = At(b, m, r, y0), bottomEnd = At(b, m + 1, r, y0);
    viewer::AddFaceTri(mesh, color, topCentre, topStart, topEnd);
    viewer::AddFaceTri(mesh, color, bottomCentre, bottomEnd, bottomStart);
    viewer::AddFaceQuad(mesh, color, topCentre, topEnd, bottomEnd, bottomCentre);
    viewer::AddFaceQuad(mesh, color, topStart, topCentre, bottomCentre, bottomStart);
    viewer::AddFaceQuad(mesh, color, topEnd, topStart, bottomStart, bottomEnd);
}

Result AttachWithMaterial(viewer::TViewerCore& core, const MeshBuilderPtr& mesh) {
    MaterialPtr material;
    Result result = core.Scene.RMRoot.CreateMaterial(kRosePower, material);
    if (!Succeeded(result))
        return result;
    mesh->SetMaterial(material);
    return core.Scene.CenterFrame->AddVisual(mesh);
}

void Report(const TRoseProgressProc& progress, int percent) {
    if (progress)
        progress(percent);
}

} // namespace

std::uint32_t LayerColor(int layer, int layers, bool rainbow) {
    if (!rainbow)
        return kRed;
    const auto table = ColorTable(TColorCount::dc24);
    const int entry = int(std::nearbyint(24.0 - double(layer) * 23.0 / layers)) - 1;
    return table[std::size_t(std::clamp(entry, 0, int(table.size()) - 1))];
}

void BuildPetals(MeshBuilder& mesh, const TRoseHistogram& histogram, bool rainbow,
                 const TRoseProgressProc& progress) {
    const int layers = histogram.Layers(), petals = histogram.Petals();
    const double t = kRoseHeight / layers;
    const double k = kRoseRadius / histogram.LargestCount();
    const TBoundaries boundaries(petals);
    int shown = -1;
    for (int j = 0; j < layers; ++j) {
        const std::uint32_t color = LayerColor(j, layers, rainbow);
        const double y0 = j * t - kRoseHeight / 2, y1 = y0 + t;
        for (int m = 0; m < petals; ++m)
            AddWedge(mesh, color, boundaries, m, double(histogram.Count(j, m)) * k, y0, y1);
        const int percent = 50 + int(std::nearbyint(50.0 * j / layers));
        if (percent != shown)
            Report(progress, shown = percent);
    }
}

bool BuildBasePlate(viewer::TViewerCore& core) {
    MeshBuilderPtr base;
    if (!passage::CreateNamedMeshBuilder(core.Scene.RMRoot, kRoseKind, kWhite, kBaseBuilderName,
                                         base))
        return false;
    const float h = float(kRoseRadius), top = float(-kRoseHeight / 2),
                bottom = float(top - kBaseThickness);
    const Vector q1{-h, top, -h}, q2{h, top, -h}, q3{h, top, h}, q4{-h, top, h};
    const Vector p1{-h, bottom, -h}, p2{h, bottom, -h}, p3{h, bottom, h}, p4{-h, bottom, h};
    viewer::AddFaceQuad(*base, kWhite, q4, q3, q2, q1);
    viewer::AddFaceQuad(*base, kWhite, p1, p2, p3, p4);
    viewer::AddFaceQuad(*base, kWhite, q3, q4, p4, p3);
    viewer::AddFaceQuad(*base, kWhite, q1, q2, p2, p1);
    viewer::AddFaceQuad(*base, kWhite, q2, q3, p3, p2);
    viewer::AddFaceQuad(*base, kWhite, q4, q1, p1, p4);
    if (!Succeeded(LoadRoseCard(core.Scene, core.Textures)))
        return false;
    base->SetColorRGB(1, 1, 1);
    // The card lies flat on the top, seen from above: it covers the 20 x 20 top once, north to +z.
    viewer::TTextureParameters p;
    p.WrapType = WrapType::Flat;
    p.WrapOrigin = {0, 0, 0};
    p.Direction = {0, -1, 0};
    p.Up = {0, 0, -1};
    p.OriginU = 0.5;
    p.OriginV = 0.5;
    p.ScaleU = -0.05;
    p.ScaleV = 0.05;
    p.Colors = 256;
    p.Shades = 16;
    p.DecalOriginX = p.DecalOriginY = 0;
    p.DecalScale = 1;
    p.Reference = core.Scene.CenterFrame;
    viewer::ApplyTextureParameters(core.Scene, core.Textures, *base, p);
    return viewer::CheckResult(core.Ui, AttachWithMaterial(core, base));
}

bool CreateRose(viewer::TViewerCore& core, const survey::TPlotData& data,
                const TRoseOptions& options, TRoseHistogram& histogram,
                const TRoseProgressProc& progress) {
    Report(progress, 0);
    histogram.Fill(data, options, progress);
    if (!(histogram.LargestCount() > 0)) {
        Report(progress, 0);
        core.Ui.Warning(kEmptyRoseText);
        return false;
    }
    viewer::TViewerScene& s = core.Scene;
    s.WrapRelative = false;
    viewer::ClearModel(s);
    MeshBuilderPtr rose;
    if (!passage::CreateNamedMeshBuilder(s.RMRoot, kRoseKind, kRed, kRoseBuilderName, rose))
        return false;
    const std::size_t wedges = std::size_t(histogram.Layers()) * histogram.Petals();
    rose->ReserveSpace(18 * wedges, 18 * wedges, 5 * wedges);
    BuildPetals(*rose, histogram, options.Rainbow, progress);
    if (!viewer::CheckResult(core.Ui, AttachWithMaterial(core, rose)))
        return false;
    if (options.ShowBase)
        BuildBasePlate(core);
    viewer::ResetScale(s, core.Navigation, *s.CenterFrame, core.Ui);
    core.RefreshHierarchy();
    Report(progress, 100);
    s.RenderEnabled = true;
    return true;
}

} // namespace lumora::analysis
