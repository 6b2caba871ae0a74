// The depth legend: the bands of the depth colour bar with their boundary elevations, as the
// overlay draws them while the cave is coloured by depth. Whoever colours the cave hands the
// legend its bands through TDepthLegend; DefaultDepthLegend gives the bar's first state.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace lumora::viewer {

struct TDepthLegend {
    // Band colours (framework colours, 0x00BBGGRR), top band first.
    std::vector<std::uint32_t> Colors;
    // Elevations in feet of the band boundaries, top first: one more than Colors.
    std::vector<double> Boundaries;
    bool Empty() const { return Colors.empty() || Boundaries.size() != Colors.size() + 1; }
};

// The legend of a colour table (entry 0 marks values outside the bar and is not a band) spread
// evenly from top down to bottom (feet), as the colour bar stands before any boundary is moved.
TDepthLegend DefaultDepthLegend(std::span<const std::uint32_t> table, double bottom, double top);

} // namespace lumora::viewer
