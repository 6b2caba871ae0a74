// What the "Special Effects" dialog does to the scene: colour the cave passages by depth through
// the colour bar, make them partly transparent, and put the rock texture on them or take it off.
// The dialog (gui/) shows the progress and draws afterwards.
#pragma once

#include "analysis/Colorbar.h"
#include "viewer/DepthLegend.h"
#include "viewer/ViewerCore.h"

#include <cstddef>
#include <string>

namespace lumora::analysis {

// Where a long pass reports. Position and counter change every 100th face; Repaint asks for the
// dialog to be painted, which the dialog does at most about 20 times a second.
class TEffectsProgress {
public:
    virtual ~TEffectsProgress() = default;
    virtual void SetMaximum(std::size_t maximum) = 0;
    virtual void SetPosition(std::size_t position) = 0;
    virtual void SetCounter(const std::string& text) = 0; // the CntDis panel
    virtual void Repaint() = 0;
};

// Reports nowhere: for the command line and benchmarks.
class TNoProgress : public TEffectsProgress {
public:
    void SetMaximum(std::size_t) override {}
    void SetPosition(std::size_t) override {}
    void SetCounter(const std::string&) override {}
    void Repaint() override {}
};

// Kind (application data) of the cave passage meshes.
constexpr std::uint32_t kCavePassageKind = 1;

// "Color By Depth" without its final draw: the bar's range becomes the elevations (scene y) of
// CenterFrame's hierarchy box, and every face of every cave passage mesh in the hierarchy takes
// the packed colour (alpha 254) of the band of its highest vertex. Other meshes keep their
// colours. Stops the relative wrap. Returns the number of faces coloured.
std::size_t ColorByDepth(viewer::TViewerCore& core, TColorBar& bar, TEffectsProgress& progress);
// The same on a scene and the hierarchy listing it (the command line has no viewer core).
std::size_t ColorByDepth(viewer::TViewerScene& scene, const viewer::THierarchy& hierarchy,
                         TColorBar& bar, TEffectsProgress& progress);
// Colours one mesh by the bar as it stands (its range already set); faceBase is the running face
// total the progress position starts from.
std::size_t ColorMeshByDepth(scene::MeshBuilder& mesh, const TColorBar& bar,
                             TEffectsProgress& progress, std::size_t faceBase);

// "Apply" of "Transparency": every mesh of kind 1 or 0 gets SetTransparency(percent); the
// progress runs over the hierarchy's items.
void ApplyTransparency(viewer::TViewerCore& core, int percent, TEffectsProgress& progress);

// "Set Rock Texture": the built-in rock picture as the current texture and the rock preset on
// every cave passage mesh; false (after the warning) when the picture cannot be made.
bool SetRockTexture(viewer::TViewerCore& core);
// The same on a scene, its textures and the hierarchy listing it.
bool SetRockTexture(viewer::TViewerScene& scene, viewer::TTextures& textures, UiServices& ui,
                    const viewer::THierarchy& hierarchy);
// "Remove Texture": the relative wrap stops; every cave passage mesh loses its texture and turns
// red (1, 0, 0), which also discards the depth colours.
void RemoveRockTexture(viewer::TViewerCore& core);

// The legend of the bar as it stands: its bands top first, and its boundary values (model
// elevations) as value * scale + offset (in feet for the overlay).
viewer::TDepthLegend BarLegend(const TColorBar& bar, double scale, double offset);

} // namespace lumora::analysis
