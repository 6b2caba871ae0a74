// The rose card "QUILTRA": the compass card under the rose diagram, drawn by the program itself
// (a ring of 10-degree ticks, labels every 30 degrees, north marked in red), and its use as the
// current texture.
#pragma once

#include "viewer/lvtxture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::analysis {

// Name of the card, and of the texture made from it.
inline const std::string kRoseCardName = "QUILTRA";
// Side of the square picture, in pixels.
constexpr int kRoseCardSize = 512;

// Where the card's parts lie, as fractions of the picture's side, measured from its centre.
constexpr double kCardRim = 0.47;        // outer circle of the tick ring
constexpr double kCardTickInner = 0.425; // inner end of the 10-degree ticks
constexpr double kCardMajorInner = 0.39; // inner end of the 30-degree ticks
constexpr double kCardInnerRing = 0.425; // circle under the short ticks
constexpr double kCardLabel = 0.345;     // centre of the labels
constexpr double kCardLabelHeight = 0.042;

// The card's pixels: size x size, rows top down, three bytes (red, green, blue) each. North is
// up and east right, as on a map seen from above; bearings run clockwise. The same size always
// gives the same picture.
std::vector<std::uint8_t> RoseCardPixels(int size = kRoseCardSize);

// The card as the current texture, named "QUILTRA".
scene::Result LoadRoseCard(viewer::TViewerScene& s, viewer::TTextures& t);

} // namespace lumora::analysis
