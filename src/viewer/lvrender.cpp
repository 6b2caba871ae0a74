#include "viewer/lvrender.h"

namespace lumora::viewer {

using namespace scene;

TDisplayModes ReadDisplayModes(const Device& device) {
    TDisplayModes m;
    const unsigned quality = device.GetQuality();
    const unsigned fill = quality & kFillMask;
    m.Fill = fill == kFillPoints      ? TFillMode::Points
             : fill == kFillWireframe ? TFillMode::WireFrame
                                      : TFillMode::Solid;
    const unsigned shade = quality & kShadeMask;
    m.Shading = shade == kShadeFlat      ? TShadeMode::Flat
                : shade == kShadeGouraud ? TShadeMode::Gouraud
                                         : TShadeMode::Phong;
    switch (device.GetCullState()) {
    case CullState::CounterClockwise:
        m.Show = TShowSides::Outside;
        break;
    case CullState::Clockwise:
        m.Show = TShowSides::Inside;
        break;
    case CullState::None:
        m.Show = TShowSides::Both;
        break;
    }
    m.Dithering = device.GetDither();
    m.TextureFiltering = device.GetTextureQuality() == 1;
    return m;
}

CullState CullStateOf(TShowSides show) {
    switch (show) {
    case TShowSides::Inside:
        return CullState::Clockwise;
    case TShowSides::Both:
        return CullState::None;
    case TShowSides::Outside:
        break;
    }
    return CullState::CounterClockwise;
}

bool ApplyDisplayModes(Device& device, const TDisplayModes& modes) {
    const unsigned oldQuality = device.GetQuality();
    const unsigned oldTexture = device.GetTextureQuality();
    static constexpr unsigned kFills[] = {kFillPoints, kFillWireframe, kFillSolid};
    const unsigned quality = (oldQuality & ~(kFillMask | kShadeMask)) | kFills[int(modes.Fill)] |
                             unsigned(modes.Shading);
    device.SetQuality(quality);
    device.SetCullState(CullStateOf(modes.Show));
    device.SetDither(modes.Dithering);
    device.SetTextureQuality(modes.TextureFiltering ? 1 : 0);
    return quality != oldQuality || device.GetTextureQuality() != oldTexture;
}

} // namespace lumora::viewer
