// lvrender — the "Display Modes" dialog's values: read from the device, and applied to it with
// the answer whether the next frame needs the "Reconstructing Image" notice.
#pragma once

#include "platform/scene/Device.h"

namespace lumora::viewer {

enum class TFillMode { Points = 0, WireFrame = 1, Solid = 2 };
enum class TShadeMode { Flat = 0, Gouraud = 1, Phong = 2 };
// "Show ": which sides of the faces are drawn.
enum class TShowSides { Outside = 0, Inside = 1, Both = 2 };

struct TDisplayModes {
    TFillMode Fill = TFillMode::Solid;
    TShadeMode Shading = TShadeMode::Gouraud;
    TShowSides Show = TShowSides::Outside;
    bool Dithering = false;
    bool TextureFiltering = false;
};

// The dialog's values as the device holds them.
TDisplayModes ReadDisplayModes(const scene::Device& device);
// "OK": the fill and shade bits of the quality replaced (the lighting bits kept), the cull
// state, dithering and texture quality set. True when the quality or the texture quality differs
// from what the dialog read on opening: the caller redraws with the notice.
bool ApplyDisplayModes(scene::Device& device, const TDisplayModes& modes);

// The device's cull state for "Outside" (counter-clockwise), "Inside" (clockwise), "Both" (none).
scene::CullState CullStateOf(TShowSides show);

} // namespace lumora::viewer
