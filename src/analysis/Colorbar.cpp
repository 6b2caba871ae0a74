#include "analysis/Colorbar.h"

#include "viewer/lvsupprt.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace lumora::analysis {

namespace {

std::uint32_t Channel(std::uint32_t color, int shift) {
    return (color >> shift) & 0xFF;
}

} // namespace

TColorBar::TColorBar() {
    const auto table = ColorTable(m_ColorCount);
    for (std::size_t i = 0; i < table.size(); ++i)
        m_Entries[i].Color = table[i];
    m_Count = int(table.size());
    Spread();
}

void TColorBar::SetRange(double bottom, double top) {
    m_Bottom = bottom;
    m_Top = top;
    m_Span = top - bottom;
    RecomputeAll();
}

void TColorBar::SetEntryColor(int i, std::uint32_t color) {
    if (i < 0 || i >= m_Count)
        return;
    m_Entries[std::size_t(i)].Color = color;
    Repaint();
}

void TColorBar::SetColorCount(TColorCount count) {
    if (count == m_ColorCount)
        return;
    m_ColorCount = count;
    const auto table = ColorTable(count);
    for (std::size_t i = 0; i < table.size(); ++i)
        m_Entries[i].Color = table[i];
    m_Count = int(table.size());
    Spread();
}

int TColorBar::BandIndex(double x) const {
    if (x > m_Entries[0].Value)
        return 0;
    if (!m_Descending) {
        for (int i = 1; i < m_Count; ++i)
            if (x >= m_Entries[std::size_t(i)].Value)
                return i;
        return 0;
    }
    // Values fall from entry 1 down: the first entry at or below x, by halving.
    int low = 1, high = m_Count; // the answer lies in low..high, high meaning none
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (x >= m_Entries[std::size_t(middle)].Value)
            high = middle;
        else
            low = middle + 1;
    }
    return low < m_Count ? low : 0;
}

void TColorBar::Spread() {
    m_Entries[0].Position = 0;
    for (int i = 1; i < m_Count; ++i)
        m_Entries[std::size_t(i)].Position = i * kBarScale / (m_Count - 1);
    RecomputeAll();
    Repaint();
}

void TColorBar::SpreadBetween(int a, int b) {
    a = std::max(a, 0);
    b = std::min(b, m_Count - 1); // entry n would lie past the table
    if (b - a < 2)
        return;
    const int from = m_Entries[std::size_t(a)].Position, to = m_Entries[std::size_t(b)].Position;
    for (int i = a + 1; i < b; ++i)
        m_Entries[std::size_t(i)].Position = from + (i - a) * (to - from) / (b - a);
    RecomputeAll();
    Repaint();
}

void TColorBar::Gradient(int a, int b) {
    a = std::max(a, 1);
    b = std::min(b, m_Count - 1);
    if (a > b)
        std::swap(a, b);
    if (b - a < 2)
        return;
    const std::uint32_t first = m_Entries[std::size_t(a)].Color;
    const std::uint32_t last = m_Entries[std::size_t(b)].Color;
    for (int i = a + 1; i < b; ++i) {
        std::uint32_t color = 0;
        for (int shift : {0, 8, 16}) {
            const double ka = Channel(first, shift) / 255.0, kb = Channel(last, shift) / 255.0;
            const double k = ka + (i - a) * (kb - ka) / (b - a);
            // A hair over the product keeps a whole channel value from truncating one below.
            const double channel = std::clamp(k * 255 + 1e-9, 0.0, 255.0);
            color |= std::uint32_t(channel) << shift;
        }
        m_Entries[std::size_t(i)].Color = color;
    }
    Repaint();
}

void TColorBar::SetBoundary(int i, int position, int height) {
    if (i < 0 || i >= m_Count || height <= 0)
        return;
    const int gap = 2 * (kBarScale / height);
    m_Entries[std::size_t(i)].Position = std::clamp(position, 0, kBarScale);
    for (int j = i; j + 1 < m_Count; ++j) {
        TBarEntry &entry = m_Entries[std::size_t(j)], &next = m_Entries[std::size_t(j + 1)];
        if (entry.Position >= next.Position)
            next.Position = std::min(entry.Position + gap, kBarScale);
    }
    for (int j = i; j >= 1; --j) {
        TBarEntry &entry = m_Entries[std::size_t(j)], &above = m_Entries[std::size_t(j - 1)];
        if (above.Position >= entry.Position)
            above.Position = std::max(entry.Position - gap, 0);
    }
    RecomputeAll();
    Repaint();
}

void TColorBar::SetSelected(int i) {
    if (i == m_Selected || i < 0 || i >= m_Count)
        return;
    m_Selected = i;
    Repaint();
    if (OnChangeSelect)
        OnChangeSelect();
}

int TColorBar::BoundaryY(int i, int height) const {
    return int(std::int64_t(height) * m_Entries[std::size_t(i)].Position / kBarScale);
}

int TColorBar::BoundaryNear(int y, int height) const {
    if (!Adjustable)
        return -1;
    const int first = AdjustEnds ? 0 : 1, last = AdjustEnds ? m_Count - 1 : m_Count - 2;
    int found = -1, distance = 2;
    for (int i = first; i <= last; ++i) {
        const int d = std::abs(BoundaryY(i, height) - y);
        if (d < distance)
            found = i, distance = d;
    }
    return found;
}

int TColorBar::BandAtY(int y, int height) const {
    for (int i = 1; i < m_Count; ++i)
        if (y >= BoundaryY(i - 1, height) && y < BoundaryY(i, height))
            return i;
    return -1;
}

double TColorBar::ValueAt(int position) const {
    return m_Top - double(position) / kBarScale * m_Span;
}

std::uint32_t TColorBar::FrameColor(std::uint32_t color) {
    const std::uint32_t sum = Channel(color, 0) + Channel(color, 8) + Channel(color, 16);
    return sum < 150 ? 0x808080u : 0u; // a mean below 50
}

std::uint32_t TColorBar::LabelColor(std::uint32_t color) {
    std::uint32_t label = 0;
    for (int shift : {0, 8, 16})
        label |= (Channel(color, shift) > 127 ? 0u : 255u) << shift;
    return label;
}

std::string TColorBar::LabelText(int band) const {
    return viewer::FixedText(ScaleFactor * m_Entries.at(std::size_t(band)).Value, Decimals);
}

void TColorBar::Recompute(int i) {
    TBarEntry& entry = m_Entries[std::size_t(i)];
    entry.Value = ValueAt(entry.Position);
}

void TColorBar::RecomputeAll() {
    m_Descending = true;
    for (int i = 0; i < m_Count; ++i) {
        Recompute(i);
        if (i >= 2 && !(m_Entries[std::size_t(i)].Value <= m_Entries[std::size_t(i - 1)].Value))
            m_Descending = false;
    }
}

void TColorBar::Repaint() {
    if (OnRepaint)
        OnRepaint();
}

} // namespace lumora::analysis
