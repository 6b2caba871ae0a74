// The depth colour bar's model: bands of an elevation, boundaries taking the band above, the
// gradient, the table switch, boundary drags with their minimum gap, even spreads, the selection
// and the geometry and colours the widget paints with.
#include "analysis/Colorbar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace lumora::test {
namespace {

using analysis::FromRgbHex;
using analysis::kBarScale;
using analysis::TColorBar;
using analysis::TColorCount;

TColorBar Bar24(double bottom, double top) {
    TColorBar bar;
    bar.SetColorCount(TColorCount::dc24);
    bar.SetRange(bottom, top);
    return bar;
}

std::vector<int> Positions(const TColorBar& bar) {
    std::vector<int> positions;
    for (int i = 0; i < bar.Count(); ++i)
        positions.push_back(bar.Entry(i).Position);
    return positions;
}

// The band of x as the bar defines it, one entry after another.
int LinearBand(const TColorBar& bar, double x) {
    if (x > bar.Entry(0).Value)
        return 0;
    for (int i = 1; i < bar.Count(); ++i)
        if (x >= bar.Entry(i).Value)
            return i;
    return 0;
}

TEST(ColorBar, StartsWithTheTwelveColourTableSpreadEvenlyAndBandOneSelected) {
    TColorBar bar;
    EXPECT_EQ(bar.ColorCount(), TColorCount::dc12);
    ASSERT_EQ(bar.Count(), 13);
    EXPECT_EQ(bar.Selected(), 1);
    EXPECT_EQ(bar.Entry(2).Color, FromRgbHex(0xFF0000));
    EXPECT_EQ(bar.Entry(12).Color, FromRgbHex(0xFF00FF));
    EXPECT_EQ(bar.Entry(0).Position, 0);
    EXPECT_EQ(bar.Entry(5).Position, 5 * 100000 / 12);
    EXPECT_EQ(bar.Entry(12).Position, 100000);
    EXPECT_DOUBLE_EQ(bar.Entry(12).Value, 0);
    EXPECT_DOUBLE_EQ(bar.Entry(0).Value, 100000);
}

TEST(ColorBar, TwentyFourColoursOverZeroToTwentyThreeGiveEachElevationItsBand) {
    const TColorBar bar = Bar24(0, 23);
    EXPECT_DOUBLE_EQ(bar.Span(), 23);
    EXPECT_EQ(bar.BandIndex(22.5), 1);
    EXPECT_EQ(bar.ColorAt(22.5), FromRgbHex(0xFF0000));
    EXPECT_EQ(bar.BandIndex(0), 23);
    EXPECT_EQ(bar.ColorAt(0), FromRgbHex(0xFF007F));
    EXPECT_EQ(bar.BandIndex(23), 1);
    // Outside the bar: entry 0's colour, black.
    EXPECT_EQ(bar.BandIndex(23.01), 0);
    EXPECT_EQ(bar.BandIndex(-0.01), 0);
    EXPECT_EQ(bar.ColorAt(-5), 0u);
    // A value exactly on a boundary takes the band above it; a hair lower the band below.
    for (int i = 1; i < 23; ++i) {
        EXPECT_EQ(bar.BandIndex(bar.Entry(i).Value), i) << i;
        EXPECT_EQ(bar.BandIndex(std::nextafter(bar.Entry(i).Value, -1.0)), i + 1) << i;
    }
}

TEST(ColorBar, BandIndexAgreesWithTheDefinitionAfterAnyDrags) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> entry(0, 32), position(-1000, 101000), height(1, 700);
    std::uniform_real_distribution<double> value(-120, 1120);
    TColorBar bar;
    bar.SetColorCount(TColorCount::dc32);
    bar.SetRange(0, 1000);
    for (int drag = 0; drag < 200; ++drag) {
        bar.SetBoundary(entry(random), position(random), height(random));
        for (int k = 0; k < 50; ++k) {
            const double x = value(random);
            ASSERT_EQ(bar.BandIndex(x), LinearBand(bar, x)) << x << " after drag " << drag;
        }
        for (int i = 0; i < bar.Count(); ++i)
            ASSERT_EQ(bar.BandIndex(bar.Entry(i).Value), LinearBand(bar, bar.Entry(i).Value));
    }
    // Upside down (top below bottom) the values rise; the answer is still the definition's.
    bar.SetRange(1000, 0);
    for (double x : {-1.0, 0.0, 10.0, 500.0, 999.0, 1000.0, 1001.0})
        EXPECT_EQ(bar.BandIndex(x), LinearBand(bar, x)) << x;
}

TEST(ColorBar, GradientBlendsTheBandsBetweenItsEndsInEvenSteps) {
    TColorBar bar = Bar24(0, 23);
    int repaints = 0;
    bar.OnRepaint = [&repaints] { ++repaints; };
    bar.SetEntryColor(23, FromRgbHex(0x0000FF));
    bar.Gradient(0, bar.Count()); // "Gradient": from the first to the last visible band
    EXPECT_EQ(bar.Entry(1).Color, FromRgbHex(0xFF0000));
    EXPECT_EQ(bar.Entry(2).Color, FromRgbHex(0xF3000B));  // (243, 0, 11)
    EXPECT_EQ(bar.Entry(12).Color, FromRgbHex(0x7F007F)); // half way: 127.5 truncated
    EXPECT_EQ(bar.Entry(22).Color, FromRgbHex(0x0B00F3)); // (11, 0, 243)
    EXPECT_EQ(bar.Entry(23).Color, FromRgbHex(0x0000FF));
    EXPECT_EQ(bar.Entry(0).Color, 0u);
    EXPECT_EQ(repaints, 2);
    // Reversed ends are swapped; whole channel values stay whole (0 to 255 over 5 steps).
    bar.SetEntryColor(3, FromRgbHex(0x000000));
    bar.SetEntryColor(8, FromRgbHex(0xFFFFFF));
    bar.Gradient(8, 3);
    EXPECT_EQ(bar.Entry(4).Color, FromRgbHex(0x333333)); // 51
    EXPECT_EQ(bar.Entry(7).Color, FromRgbHex(0xCCCCCC)); // 204
    // Fewer than three entries: nothing changes.
    const std::uint32_t before = bar.Entry(5).Color;
    bar.Gradient(5, 6);
    bar.Gradient(22, 40);
    EXPECT_EQ(bar.Entry(5).Color, before);
    EXPECT_EQ(bar.Entry(22).Color, FromRgbHex(0x0B00F3));
}

TEST(ColorBar, SwitchingTheTwentyFourColourTableOffAndOnResetsColoursAndPositions) {
    TColorBar bar = Bar24(0, 23);
    const auto table = analysis::ColorTable(TColorCount::dc24);
    bar.SetEntryColor(4, 0x123456);
    bar.SetBoundary(6, 90000, 200);
    bar.SetColorCount(TColorCount::dc24); // the same table: kept as edited
    EXPECT_EQ(bar.Entry(4).Color, 0x123456u);
    bar.SetColorCount(TColorCount::dc12);
    EXPECT_EQ(bar.Count(), 13);
    bar.SetColorCount(TColorCount::dc24);
    ASSERT_EQ(bar.Count(), 24);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(bar.Entry(i).Color, table[std::size_t(i)]) << i;
        EXPECT_EQ(bar.Entry(i).Position, i * 100000 / 23) << i;
    }
    EXPECT_NEAR(bar.Entry(1).Value, 23 - 4347 * 23.0 / 100000, 1e-12);
}

TEST(ColorBar, ADraggedBoundaryPushesItsNeighboursByTheMinimumGapWithinTheBar) {
    TColorBar bar; // 13 entries at i * 8333
    const std::vector<int> spread = Positions(bar);
    bar.SetBoundary(3, 60000, 100); // gap 2 * 1000
    std::vector<int> expected = spread;
    expected[3] = 60000;
    expected[4] = 62000, expected[5] = 64000, expected[6] = 66000, expected[7] = 68000;
    expected[8] = 70000; // 66666 was not below 68000: pushed too
    EXPECT_EQ(Positions(bar), expected);
    for (int i = 0; i < bar.Count(); ++i)
        EXPECT_DOUBLE_EQ(bar.Entry(i).Value, bar.ValueAt(bar.Entry(i).Position)) << i;
    // Upwards the entries above are pulled up, never above 0.
    bar.SetBoundary(2, 1000, 100);
    EXPECT_EQ(bar.Entry(2).Position, 1000);
    EXPECT_EQ(bar.Entry(1).Position, 0);
    EXPECT_EQ(bar.Entry(0).Position, 0);
    // Down to the end: pushed entries stop at 100000.
    bar.SetBoundary(10, 99000, 100);
    EXPECT_EQ(bar.Entry(11).Position, 100000);
    EXPECT_EQ(bar.Entry(12).Position, 100000);
    // A position beyond the bar is held at its end, and the entries below stay within it.
    bar.SetBoundary(1, 150000, 3);
    for (int i = 1; i < bar.Count(); ++i)
        EXPECT_EQ(bar.Entry(i).Position, 100000) << i;
    bar.SetBoundary(5, -20, 100);
    for (int i = 0; i <= 5; ++i)
        EXPECT_EQ(bar.Entry(i).Position, 0) << i;
    // A bar of no height, or a boundary that is not there, changes nothing.
    const std::vector<int> before = Positions(bar);
    bar.SetBoundary(6, 50000, 0);
    bar.SetBoundary(6, 50000, -4);
    bar.SetBoundary(13, 50000, 100);
    bar.SetBoundary(-1, 50000, 100);
    EXPECT_EQ(Positions(bar), before);
}

TEST(ColorBar, SpreadBetweenEvensTheBoundariesStrictlyBetweenTwoEntries) {
    TColorBar bar;
    bar.SetBoundary(4, 70000, 100);
    bar.SpreadBetween(0, 4);
    EXPECT_EQ(bar.Entry(0).Position, 0);
    EXPECT_EQ(bar.Entry(1).Position, 17500);
    EXPECT_EQ(bar.Entry(3).Position, 52500);
    EXPECT_EQ(bar.Entry(4).Position, 70000);
    // The far end given as the entry count: the last entry is the end.
    bar.SpreadBetween(4, bar.Count());
    EXPECT_EQ(bar.Entry(12).Position, 100000);
    for (int i = 5; i < 12; ++i)
        EXPECT_EQ(bar.Entry(i).Position, 70000 + (i - 4) * 30000 / 8) << i;
    EXPECT_DOUBLE_EQ(bar.Entry(6).Value, bar.ValueAt(bar.Entry(6).Position));
    const std::vector<int> before = Positions(bar);
    bar.SpreadBetween(-5, 1); // nothing strictly between
    bar.SpreadBetween(7, 7);
    EXPECT_EQ(Positions(bar), before);
}

TEST(ColorBar, SelectingAnotherBandFiresTheEventOnce) {
    TColorBar bar;
    int changes = 0;
    bar.OnChangeSelect = [&changes] { ++changes; };
    bar.SetSelected(1); // already selected
    bar.SetSelected(-1);
    bar.SetSelected(13);
    EXPECT_EQ(changes, 0);
    bar.SetSelected(12);
    EXPECT_EQ(bar.Selected(), 12);
    bar.SetSelected(0);
    EXPECT_EQ(bar.Selected(), 0);
    EXPECT_EQ(changes, 2);
}

TEST(ColorBar, GeometryFindsBoundariesAndBandsOnTheWidget) {
    TColorBar bar; // 13 entries, boundaries every 8333
    EXPECT_EQ(bar.BoundaryY(1, 240), 19);
    EXPECT_EQ(bar.BoundaryY(12, 240), 240);
    EXPECT_EQ(bar.BoundaryNear(20, 240), 1);
    EXPECT_EQ(bar.BoundaryNear(18, 240), 1);
    EXPECT_EQ(bar.BoundaryNear(22, 240), -1);
    EXPECT_EQ(bar.BoundaryNear(0, 240), 0);
    EXPECT_EQ(bar.BandAtY(0, 240), 1);
    EXPECT_EQ(bar.BandAtY(30, 240), 2);
    EXPECT_EQ(bar.BandAtY(239, 240), 12);
    EXPECT_EQ(bar.BandAtY(-1, 240), -1);
    bar.AdjustEnds = false;
    EXPECT_EQ(bar.BoundaryNear(0, 240), -1);
    EXPECT_EQ(bar.BoundaryNear(240, 240), -1);
    EXPECT_EQ(bar.BoundaryNear(40, 240), 2);
    bar.Adjustable = false;
    EXPECT_EQ(bar.BoundaryNear(40, 240), -1);
}

TEST(ColorBar, PaintColoursAndLabels) {
    EXPECT_EQ(TColorBar::FrameColor(FromRgbHex(0x000080)), 0x808080u); // mean 42.7
    EXPECT_EQ(TColorBar::FrameColor(FromRgbHex(0x950000)), 0x808080u); // mean 49.7
    EXPECT_EQ(TColorBar::FrameColor(FromRgbHex(0x960000)), 0u);        // mean 50: black
    EXPECT_EQ(TColorBar::LabelColor(FromRgbHex(0xFF8010)), FromRgbHex(0x0000FF));
    EXPECT_EQ(TColorBar::LabelColor(FromRgbHex(0x7F8080)), FromRgbHex(0xFF0000));
    TColorBar bar;
    bar.SetRange(-10, 110);
    bar.ScaleFactor = 0.3048;
    bar.Decimals = 2;
    EXPECT_EQ(bar.LabelText(12), "-3.05");
    bar.Decimals = 0;
    EXPECT_EQ(bar.LabelText(0), "34");
}

} // namespace
} // namespace lumora::test
