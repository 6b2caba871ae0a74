// The rose diagram in the viewer's scene: the histogram of the loaded survey as a stack of
// layers of wedge-shaped petals ("Rose Builder"), and the base plate carrying the rose card
// ("Base Builder"), replacing the model.
#pragma once

#include "analysis/RoseHistogram.h"
#include "viewer/ViewerCore.h"

#include <cstdint>

namespace lumora::analysis {

// Names and kind of the two meshes.
inline const std::string kRoseBuilderName = "Rose Builder";
inline const std::string kBaseBuilderName = "Base Builder";
constexpr std::uint32_t kRoseKind = 0;
// Specular power of the rose's material.
constexpr float kRosePower = 10;
// The stack's size in model units: heights -5 to +5, radii up to 10; the plate is 20 wide and
// 0.1 thick, its top at the stack's bottom.
constexpr double kRoseHeight = 10, kRoseRadius = 10, kBaseThickness = 0.1;

// The warning of a rose without a single count: nothing would show.
inline const char* const kEmptyRoseText =
    "The rose is empty: no shot adds to any petal.\r\nLower \"Minimum Length\", or graph by "
    "\"Frequency\" when the shots are shorter than a foot.";

// Colour (framework colour) of layer j of layers: with rainbow colours the 24-colour table's
// entry round(24 - j * 23 / layers) - 1 (the bottom layer entry 23), otherwise red.
std::uint32_t LayerColor(int layer, int layers, bool rainbow);

// The petals of the histogram into mesh: for every layer (bottom first) and petal one wedge of
// five faces (top and bottom triangles in the packed colour, three four-sided sides in the RGB
// colour), radius count * 10 / largest count, empty petals as flat wedges; progress 50..99 after
// each layer. The histogram's largest count must be above 0.
void BuildPetals(scene::MeshBuilder& mesh, const TRoseHistogram& histogram, bool rainbow,
                 const TRoseProgressProc& progress = {});

// The base plate "Base Builder" (20 x 20, 0.1 thick, top at -5) with the rose card wrapped flat
// on its top, added to the model frame. False, leaving the scene without a plate, when the card
// cannot be made into a texture or the plate cannot be attached.
bool BuildBasePlate(viewer::TViewerCore& core);

// "Create Rose": counts data's shots into histogram with options (progress 0..50); when nothing
// counts, warns kEmptyRoseText and returns false with the scene as it was. Otherwise the relative
// wrap stops, the model is cleared, and the petals (progress 50..100) and, with options.ShowBase,
// the base plate become the new model, scaled to 1000 units; the hierarchy is rebuilt and drawing
// enabled. False, after the warning, when the rose cannot be attached (the model stays cleared).
bool CreateRose(viewer::TViewerCore& core, const survey::TPlotData& data,
                const TRoseOptions& options, TRoseHistogram& histogram,
                const TRoseProgressProc& progress = {});

} // namespace lumora::analysis
