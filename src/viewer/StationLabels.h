// Station names on the view without clutter: stations are taken by rank (fixed stations, then
// survey ends, then the rest) and a name is drawn only where its box meets no box already
// placed.
#pragma once

#include "viewer/ViewProjection.h"

#include <functional>
#include <vector>

namespace lumora::viewer {

struct TPlacedLabel {
    std::uint32_t Station = 0;
    float AnchorX = 0, AnchorY = 0;                 // the station's pixel
    float Left = 0, Top = 0, Right = 0, Bottom = 0; // the name's box, pixels
};

struct TLabelStyle {
    float Height = 14;        // line height of a name, pixels
    float Offset = 5;         // from the station to the name's left edge, pixels
    float Gap = 2;            // kept free around every box, pixels
    std::size_t Limit = 4000; // names at most
};

// The names to draw, in rank order; widthOf gives a station's name width in pixels (asked only
// for stations whose place is still free). Boxes lie wholly inside the view and never overlap.
std::vector<TPlacedLabel> PlaceLabels(const TStationTable& table, const TViewProjection& view,
                                      const std::function<float(std::uint32_t)>& widthOf,
                                      const TLabelStyle& style);

} // namespace lumora::viewer
