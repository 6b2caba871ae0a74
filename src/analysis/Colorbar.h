// The colour bar: a vertical stack of coloured bands, each with a boundary value, that maps an
// elevation to a band colour. The model holds the bands, their boundaries and the selection; the
// widget in gui/ paints it and turns mouse drags into SetBoundary calls.
#pragma once

#include "analysis/ColorTables.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace lumora::analysis {

// Boundary positions are measured from the top of the bar in hundred-thousandths of its height.
constexpr int kBarScale = 100000;
constexpr int kMaxBarEntries = 48;

// Entry i holds band i's colour and the boundary below band i. Entry 0's colour marks values
// outside the bar.
struct TBarEntry {
    std::uint32_t Color = 0; // framework colour, 0x00BBGGRR
    int Position = 0;        // 0..kBarScale
    double Value = 0;        // top value - position / kBarScale * span
};

class TColorBar {
public:
    // The dc12 table spread evenly over 0..100000, band 1 selected.
    TColorBar();

    // Stores both values and the span and recomputes every entry's value.
    void SetRange(double bottom, double top);
    double Top() const { return m_Top; }
    double Bottom() const { return m_Bottom; }
    double Span() const { return m_Span; }

    // Entries in use: 13, 20, 24, 30 or 33.
    int Count() const { return m_Count; }
    const TBarEntry& Entry(int i) const { return m_Entries.at(std::size_t(i)); }
    // "Set Color": entry i (0..Count()-1) takes the colour; repaints.
    void SetEntryColor(int i, std::uint32_t color);

    TColorCount ColorCount() const { return m_ColorCount; }
    // When it differs: loads the table, sets the count and spreads the boundaries evenly.
    void SetColorCount(TColorCount count);

    // 0 above entry 0's value or below the bottom; else the first i in 1..n-1 with x >= value(i).
    int BandIndex(double x) const;
    std::uint32_t ColorAt(double x) const { return m_Entries[std::size_t(BandIndex(x))].Color; }

    // Even boundaries: position(i) = i * 100000 div (n-1); repaints.
    void Spread();
    // Even steps strictly between entries a and b (a clamped to >= 0, b to <= n-1).
    void SpreadBetween(int a, int b);
    // Colours strictly between entries a and b blended from theirs (a >= 1, b <= n-1, swapped
    // when a > b; nothing for fewer than 3 entries); repaints.
    void Gradient(int a, int b);
    // Moves boundary i to position on a bar height pixels high, pushing the entries below down
    // and pulling those above up by the minimum gap 2 * (100000 div height), within 0..100000.
    void SetBoundary(int i, int position, int height);

    int Selected() const { return m_Selected; }
    // Ignored when i is the selection or outside 0..n-1; else selects and fires OnChangeSelect.
    void SetSelected(int i);

    bool Adjustable = true; // boundaries can be dragged
    bool AdjustEnds = true; // the first and last boundary too
    bool LabelBars = false; // each band's value is written into it
    double ScaleFactor = 1.0;
    int Decimals = 0;

    // Selection changed; a boundary drag ended; a boundary is being dragged (boundary index, its
    // value and position; returns the position to use).
    std::function<void()> OnChangeSelect;
    std::function<void()> OnChangeSpread;
    std::function<int(int index, double value, int position)> OnChangingBar;
    // The bands changed and the control must be painted again (the widget sets it).
    std::function<void()> OnRepaint;

    // Geometry on a bar height pixels high.
    // y of boundary i: height * position(i) div 100000.
    int BoundaryY(int i, int height) const;
    // The draggable boundary within 1 pixel of y (0..n-1 with AdjustEnds, else 1..n-2), or -1
    // when none or not Adjustable.
    int BoundaryNear(int y, int height) const;
    // The band (1..n-1) whose strip holds y, or -1 outside every strip.
    int BandAtY(int y, int height) const;
    // The value a position stands for on this bar.
    double ValueAt(int position) const;

    // Painting: the frame pen of a band, black, or gray (128, 128, 128) when the mean of R, G and
    // B is below 50; the label colour, each channel 0 when above 127 and 255 otherwise; and the
    // label text, ScaleFactor * value(band) with Decimals decimals.
    static std::uint32_t FrameColor(std::uint32_t color);
    static std::uint32_t LabelColor(std::uint32_t color);
    std::string LabelText(int band) const;

private:
    void Recompute(int i);
    void RecomputeAll();
    void Repaint();

    double m_Top = 100000, m_Bottom = 0, m_Span = 100000;
    std::array<TBarEntry, kMaxBarEntries> m_Entries{};
    int m_Count = 0;
    TColorCount m_ColorCount = TColorCount::dc12;
    int m_Selected = 1;
    // Entry values fall (or stay) from entry 1 down, so BandIndex may halve its search.
    bool m_Descending = true;
};

} // namespace lumora::analysis
