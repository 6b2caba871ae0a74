#include "viewer/DepthLegend.h"

namespace lumora::viewer {

TDepthLegend DefaultDepthLegend(std::span<const std::uint32_t> table, double bottom, double top) {
    TDepthLegend legend;
    if (table.size() < 2)
        return legend;
    const std::size_t bands = table.size() - 1;
    legend.Colors.assign(table.begin() + 1, table.end());
    for (std::size_t i = 0; i <= bands; ++i)
        legend.Boundaries.push_back(top - (top - bottom) * double(i) / double(bands));
    return legend;
}

} // namespace lumora::viewer
