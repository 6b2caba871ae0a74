// The program's colour tables: the bands of the depth colour bar and the layers of the rose
// diagram take their colours from here, so each table exists once.
#pragma once

#include <cstdint>
#include <span>

namespace lumora::analysis {

// Which table: 13, 20, 24, 30 or 33 colours.
enum class TColorCount { dc12, dc20, dc24, dc30, dc32 };

// The colours of a table as framework colours (0x00BBGGRR, red in the lowest byte), entry 0
// first. Entry 0 is black in every table (it marks values outside a colour bar).
std::span<const std::uint32_t> ColorTable(TColorCount count);

// Framework colour of a colour written as RGB hex (0xRRGGBB), as the tables are written down.
constexpr std::uint32_t FromRgbHex(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

} // namespace lumora::analysis
