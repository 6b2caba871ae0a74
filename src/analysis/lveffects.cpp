#include "analysis/lveffects.h"

#include "passage/MeshStore.h"
#include "viewer/RockPicture.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

namespace lumora::analysis {

using scene::MeshBuilder;
using scene::MeshBuilderPtr;

namespace {

constexpr std::size_t kProgressStep = 100; // faces between two progress reports

// Calls visit on every mesh builder listed in the hierarchy, from item 1 on, with its item.
template <typename Visit> void ForEachMesh(const viewer::THierarchy& hierarchy, Visit visit) {
    int index = 0;
    MeshBuilderPtr mesh;
    for (int start = 1; hierarchy.FindFirstObject(start, index, mesh); start = index + 1)
        visit(index, mesh);
}

} // namespace

std::size_t ColorMeshByDepth(MeshBuilder& mesh, const TColorBar& bar, TEffectsProgress& progress,
                             std::size_t faceBase) {
    std::array<scene::Color, kMaxBarEntries> packed{};
    for (int i = 0; i < bar.Count(); ++i)
        packed[std::size_t(i)] = passage::PackedColor(bar.Entry(i).Color);
    const std::vector<scene::Vector>& vertices = mesh.Vertices();
    const std::vector<std::uint32_t>& starts = mesh.FaceStarts();
    const std::vector<scene::FaceCorner>& corners = mesh.Corners();
    const std::size_t faces = mesh.GetFaceCount();
    std::size_t colored = 0;
    for (std::size_t f = 0; f < faces; ++f) {
        if (f % kProgressStep == 0) {
            progress.SetPosition(faceBase + f);
            progress.SetCounter(std::to_string(f));
            progress.Repaint();
        }
        // The face takes the colour of its highest point; a corner that names no vertex is
        // passed over, and a face without one keeps its colour.
        float top = -std::numeric_limits<float>::infinity();
        bool any = false;
        for (std::uint32_t c = starts[f]; c < starts[f + 1]; ++c) {
            const std::uint32_t v = corners[c].Vertex;
            if (v < vertices.size()) {
                top = std::max(top, vertices[v].Y);
                any = true;
            }
        }
        if (any) {
            mesh.SetFaceColor(f, packed[std::size_t(bar.BandIndex(top))]);
            ++colored;
        }
    }
    progress.SetCounter("Transfering");
    return colored;
}

std::size_t ColorByDepth(viewer::TViewerScene& s, const viewer::THierarchy& hierarchy,
                         TColorBar& bar, TEffectsProgress& progress) {
    s.WrapRelative = false;
    if (!s.CenterFrame)
        return 0;
    scene::Box box;
    if (s.CenterFrame->GetHierarchyBox(box))
        bar.SetRange(box.Min.Y, box.Max.Y); // scene y is the elevation
    std::size_t faces = 0, vertices = 0;
    passage::CountFacesAndVertices(*s.CenterFrame, faces, vertices);
    progress.SetMaximum(faces);
    std::size_t total = 0, colored = 0;
    ForEachMesh(hierarchy, [&](int, const MeshBuilderPtr& mesh) {
        if (mesh->GetAppData() != kCavePassageKind)
            return;
        colored += ColorMeshByDepth(*mesh, bar, progress, total);
        total += mesh->GetFaceCount();
    });
    return colored;
}

std::size_t ColorByDepth(viewer::TViewerCore& core, TColorBar& bar, TEffectsProgress& progress) {
    return ColorByDepth(core.Scene, core.Hierarchy, bar, progress);
}

void ApplyTransparency(viewer::TViewerCore& core, int percent, TEffectsProgress& progress) {
    progress.SetMaximum(std::size_t(core.Hierarchy.ItemCount()));
    ForEachMesh(core.Hierarchy, [&](int index, const MeshBuilderPtr& mesh) {
        // Cave passages, and meshes never given a kind (the rose, a loaded mesh).
        if (mesh->GetAppData() == kCavePassageKind || mesh->GetAppData() == 0)
            passage::SetTransparency(*mesh, percent);
        progress.SetPosition(std::size_t(index) + 1);
    });
}

bool SetRockTexture(viewer::TViewerScene& s, viewer::TTextures& textures, UiServices& ui,
                    const viewer::THierarchy& hierarchy) {
    textures.CurrentTexture.reset();
    if (!viewer::CheckResult(ui, viewer::LoadRockTexture(s, textures)))
        return false;
    viewer::ApplyRockTextureToCave(s, textures, ui, hierarchy);
    return true;
}

bool SetRockTexture(viewer::TViewerCore& core) {
    return SetRockTexture(core.Scene, core.Textures, core.Ui, core.Hierarchy);
}

void RemoveRockTexture(viewer::TViewerCore& core) {
    core.Scene.WrapRelative = false;
    ForEachMesh(core.Hierarchy, [](int, const MeshBuilderPtr& mesh) {
        if (mesh->GetAppData() != kCavePassageKind)
            return;
        mesh->SetTexture(nullptr);
        mesh->SetColorRGB(1, 0, 0);
    });
}

viewer::TDepthLegend BarLegend(const TColorBar& bar, double scale, double offset) {
    viewer::TDepthLegend legend;
    for (int i = 0; i < bar.Count(); ++i) {
        if (i >= 1)
            legend.Colors.push_back(bar.Entry(i).Color);
        legend.Boundaries.push_back(bar.Entry(i).Value * scale + offset);
    }
    return legend;
}

} // namespace lumora::analysis
