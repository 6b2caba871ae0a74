#include "viewer/StationLabels.h"

#include <algorithm>
#include <cmath>

namespace lumora::viewer {

namespace {

// Placed boxes by the grid cells they cover, so a new box is tested only against its neighbours.
class TBoxGrid {
public:
    TBoxGrid(int width, int height, float cell)
        : m_Cell(cell), m_Columns(int(width / cell) + 1), m_Rows(int(height / cell) + 1),
          m_Cells(std::size_t(m_Columns) * m_Rows) {}

    bool Free(const TPlacedLabel& box, const std::vector<TPlacedLabel>& placed, float gap) {
        bool free = true;
        VisitCells(box, gap, [&](const std::vector<std::uint32_t>& cell) {
            for (std::uint32_t i : cell) {
                const TPlacedLabel& o = placed[i];
                if (box.Left < o.Right + gap && o.Left < box.Right + gap &&
                    box.Top < o.Bottom + gap && o.Top < box.Bottom + gap)
                    free = false;
            }
        });
        return free;
    }
    void Insert(const TPlacedLabel& box, std::uint32_t index) {
        VisitCells(box, 0, [&](std::vector<std::uint32_t>& cell) { cell.push_back(index); });
    }

private:
    template <typename F> void VisitCells(const TPlacedLabel& box, float grow, F&& f) {
        const int c0 = std::max(0, int((box.Left - grow) / m_Cell));
        const int c1 = std::min(m_Columns - 1, int((box.Right + grow) / m_Cell));
        const int r0 = std::max(0, int((box.Top - grow) / m_Cell));
        const int r1 = std::min(m_Rows - 1, int((box.Bottom + grow) / m_Cell));
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                f(m_Cells[std::size_t(r) * m_Columns + c]);
    }

    float m_Cell;
    int m_Columns, m_Rows;
    std::vector<std::vector<std::uint32_t>> m_Cells;
};

TPlacedLabel BoxAt(std::uint32_t station, float x, float y, float width, const TLabelStyle& s) {
    TPlacedLabel box;
    box.Station = station;
    box.AnchorX = x;
    box.AnchorY = y;
    box.Left = x + s.Offset;
    box.Right = box.Left + width;
    box.Top = y - s.Height / 2;
    box.Bottom = box.Top + s.Height;
    return box;
}

} // namespace

std::vector<TPlacedLabel> PlaceLabels(const TStationTable& table, const TViewProjection& view,
                                      const std::function<float(std::uint32_t)>& widthOf,
                                      const TLabelStyle& style) {
    std::vector<TPlacedLabel> placed;
    if (!view.Valid() || style.Height <= 0)
        return placed;
    const float w = float(view.Width()), h = float(view.Height());
    TBoxGrid grid(view.Width(), view.Height(), std::max(style.Height * 2, 8.0f));
    for (std::uint32_t station : table.ByRank()) {
        if (placed.size() >= style.Limit)
            break;
        float x, y;
        if (!view.Project(table.At(station).Model, x, y) || x < 0 || y < 0 || x >= w || y >= h)
            continue;
        // A box of the narrowest name first: most stations of a crowded view fail already there,
        // before their name is measured.
        const TPlacedLabel least = BoxAt(station, x, y, style.Height / 2, style);
        if (least.Top < 0 || least.Bottom > h || least.Right > w ||
            !grid.Free(least, placed, style.Gap))
            continue;
        const TPlacedLabel box = BoxAt(station, x, y, std::ceil(widthOf(station)), style);
        if (box.Right > w || !grid.Free(box, placed, style.Gap))
            continue;
        grid.Insert(box, std::uint32_t(placed.size()));
        placed.push_back(box);
    }
    return placed;
}

} // namespace lumora::viewer
