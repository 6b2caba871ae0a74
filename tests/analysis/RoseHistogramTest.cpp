// The rose histogram: directions, folding, weights, layers and petals of hand-made shots, the
// cases at the edges of the bounds, the dialog's linkage, and a generated cave against a count
// written out here shot by shot.
#include "RoseTestData.h"

#include "analysis/RoseHistogram.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumora::test {
namespace {

using analysis::TGraphBy;
using analysis::TRoseHistogram;
using analysis::TRoseOptions;
using analysis::TRoseType;

// Cells of the histogram that hold a count, as (layer, petal, count).
struct TCell {
    int Layer, Petal;
    std::int64_t Count;
    bool operator==(const TCell&) const = default;
};
std::vector<TCell> Cells(const TRoseHistogram& h) {
    std::vector<TCell> cells;
    for (int j = 0; j < TRoseHistogram::kGridLayers; ++j)
        for (int m = 0; m < TRoseHistogram::kGridPetals; ++m)
            if (h.Count(j, m) != 0)
                cells.push_back({j, m, h.Count(j, m)});
    return cells;
}
void PrintTo(const TCell& c, std::ostream* os) {
    *os << "(layer " << c.Layer << ", petal " << c.Petal << ": " << c.Count << ")";
}

TRoseHistogram Filled(const TRoseCave& cave, const TRoseOptions& options = {}) {
    TRoseHistogram h;
    h.Fill(*cave.Data, options);
    return h;
}

TEST(ShotDirection, BearingsRunClockwiseFromNorthAndALevelZeroShotPointsEast) {
    const T3DVector o{0, 0, 0};
    EXPECT_DOUBLE_EQ(analysis::ShotDirection(o, {0, 10, 0}).Bearing, 0);
    EXPECT_DOUBLE_EQ(analysis::ShotDirection(o, {10, 0, 0}).Bearing, 90);
    EXPECT_DOUBLE_EQ(analysis::ShotDirection(o, {0, -10, 0}).Bearing, 180);
    EXPECT_DOUBLE_EQ(analysis::ShotDirection(o, {-10, 0, 0}).Bearing, 270);
    EXPECT_DOUBLE_EQ(analysis::ShotDirection(o, {-5, 5, 0}).Bearing, 315);
    // Straight up or down, and no shot at all: the bearing of a zero horizontal vector is 90.
    EXPECT_DOUBLE_EQ(analysis::ShotDirection(o, {0, 0, 7}).Bearing, 90);
    EXPECT_DOUBLE_EQ(analysis::ShotDirection(o, {0, 0, 0}).Bearing, 90);
    // Just west of north is still below 360.
    const double nearlyNorth = analysis::ShotDirection(o, {-1e-17, 1, 0}).Bearing;
    EXPECT_GE(nearlyNorth, 0);
    EXPECT_LT(nearlyNorth, 360);
}

TEST(ShotDirection, InclinationAndLengths) {
    const auto d = analysis::ShotDirection({1, 2, 3}, {4, 6, 15}); // (3, 4, 12)
    EXPECT_DOUBLE_EQ(d.Length, 13);
    EXPECT_DOUBLE_EQ(d.Horizontal, 5); // exactly: its count must not truncate to 4
    EXPECT_NEAR(d.Inclination, 67.380135, 1e-6);
    EXPECT_EQ(analysis::ShotDirection({0, 0, 0}, {3, 4, 0}).Inclination, 0);
    EXPECT_DOUBLE_EQ(analysis::ShotDirection({0, 0, 0}, {0, 0, -2}).Inclination, -90);
    EXPECT_DOUBLE_EQ(analysis::ShotDirection({0, 0, 0}, {0, 0, 0}).Length, 0);
}

TEST(FoldBearing, HalfRoseAndWaterFlow) {
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(270, 0, TRoseType::Full360), 270);
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(270, 0, TRoseType::Half180), 90);
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(180, 0, TRoseType::Half180), 0);
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(179.5, 0, TRoseType::Half180), 179.5);
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(10, 10, TRoseType::WaterFlow), 190);
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(10, -10, TRoseType::WaterFlow), 10);
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(10, 0, TRoseType::WaterFlow), 10);
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(200, 5, TRoseType::WaterFlow), 20);
    // Climbing due south turns due north, not to 360 (which is no petal).
    EXPECT_DOUBLE_EQ(analysis::FoldBearing(180, 5, TRoseType::WaterFlow), 0);
}

TEST(PetalIndex, BearingOverPetalWidthTruncated) {
    EXPECT_EQ(analysis::PetalIndex(45, 36), 4);
    EXPECT_EQ(analysis::PetalIndex(0, 36), 0);
    EXPECT_EQ(analysis::PetalIndex(9.999, 36), 0);
    EXPECT_EQ(analysis::PetalIndex(10, 36), 1);
    EXPECT_EQ(analysis::PetalIndex(359.999, 36), 35);
    EXPECT_EQ(analysis::PetalIndex(359.9999999999999, 7), 6);
    EXPECT_EQ(analysis::PetalIndex(90, 4), 1);
}

// One counted shot of slope length 12.7 bearing 45: petal 4 of 36 in its end station's layer,
// count 12 (the weight truncated), which is the largest; no other cell counts.
TEST(RoseHistogram, OneShotOfTwelvePointSevenAtFortyFive) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 20}).Shot(12.7, 45); // level: its end station is at 20, layer 10 of 24
    const TRoseHistogram h = Filled(cave);
    EXPECT_EQ(h.Layers(), 24);
    EXPECT_EQ(h.Petals(), 36);
    EXPECT_DOUBLE_EQ(h.Bottom(), 0);
    EXPECT_DOUBLE_EQ(h.Top(), 48);
    EXPECT_EQ(Cells(h), (std::vector<TCell>{{10, 4, 12}}));
    EXPECT_DOUBLE_EQ(h.LargestCount(), 12);
    EXPECT_EQ(h.ShotsCounted(), 1);
}

TEST(RoseHistogram, FrequencyAddsOneAndTotalLengthTheTruncatedLength) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 1}).Shot(0.9, 100).Shot(0.9, 100).Shot(3.99, 100);
    EXPECT_EQ(Cells(Filled(cave)), (std::vector<TCell>{{0, 10, 3}}));
    TRoseOptions frequency;
    frequency.GraphBy = TGraphBy::Frequency;
    EXPECT_EQ(Cells(Filled(cave, frequency)), (std::vector<TCell>{{0, 10, 3}}));

    TRoseCave single(0, 48);
    single.Move({0, 0, 1}).Shot(0.9, 100);
    const TRoseHistogram byLength = Filled(single);
    EXPECT_TRUE(Cells(byLength).empty()); // 0.9 adds 0
    EXPECT_EQ(byLength.ShotsCounted(), 1);
    EXPECT_EQ(byLength.LargestCount(), 0);
    EXPECT_EQ(Cells(Filled(single, frequency)), (std::vector<TCell>{{0, 10, 1}}));
}

TEST(RoseHistogram, SlopeOrHorizontalLength) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 0}).Draw({3, 4, 12}); // slope 13, horizontal 5, bearing 36.87
    EXPECT_EQ(Cells(Filled(cave)), (std::vector<TCell>{{6, 3, 13}}));
    TRoseOptions horizontal;
    horizontal.SlopeLength = false;
    EXPECT_EQ(Cells(Filled(cave, horizontal)), (std::vector<TCell>{{6, 3, 5}}));
}

TEST(RoseHistogram, HalfRosePutsTwoSeventyIntoTheNinetyPetal) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 0}).Shot(20, 270).Shot(10, 90).Shot(5, 185);
    TRoseOptions half;
    half.RoseType = TRoseType::Half180;
    const TRoseHistogram h = Filled(cave, half);
    EXPECT_EQ(Cells(h), (std::vector<TCell>{{0, 0, 5}, {0, 9, 30}}));
    for (int m = 18; m < 36; ++m)
        EXPECT_EQ(h.Count(0, m), 0) << m;
    // The whole rose keeps them apart.
    EXPECT_EQ(Cells(Filled(cave)), (std::vector<TCell>{{0, 9, 10}, {0, 18, 5}, {0, 27, 20}}));
}

TEST(RoseHistogram, WaterFlowTurnsClimbingShotsDownhill) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 20}).Shot(10, 15, 30);  // climbs: counted at 195
    cave.Move({0, 0, 20}).Shot(20, 15, -30); // descends: stays at 15
    cave.Move({0, 0, 20}).Shot(30, 15, 0);   // level: stays at 15
    TRoseOptions flow;
    flow.RoseType = TRoseType::WaterFlow;
    // Layers of 2 feet: the climb ends at 25 (layer 12), the descent at 10 (5), the level one
    // at 20.
    EXPECT_EQ(Cells(Filled(cave, flow)),
              (std::vector<TCell>{{5, 1, 20}, {10, 1, 30}, {12, 19, 10}}));
    EXPECT_EQ(Cells(Filled(cave)), (std::vector<TCell>{{5, 1, 20}, {10, 1, 30}, {12, 1, 10}}));
}

TEST(RoseHistogram, HiddenDrawsBecomeThePreviousStationWithoutCounting) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 0}).Hidden({10, 0, 0}).Draw({10, 10, 0}); // counted: 10 north from (10, 0)
    TRoseOptions frequency;
    frequency.GraphBy = TGraphBy::Frequency;
    EXPECT_EQ(Cells(Filled(cave, frequency)), (std::vector<TCell>{{0, 0, 1}}));
    EXPECT_EQ(Cells(Filled(cave)), (std::vector<TCell>{{0, 0, 10}}));
}

TEST(RoseHistogram, FeatureAndMoveRecordsStartNoShotButADrawAfterThemDoes) {
    TRoseCave cave(0, 48);
    cave.Draw({5, 5, 5});                      // a draw before any station: nothing to count
    cave.Record('L', {0, 0, 0}).Shot(10, 180); // a draw after a feature location counts
    cave.Move({100, 0, 0}).Move({0, 0, 0});    // moves count nothing
    TRoseOptions frequency;
    frequency.GraphBy = TGraphBy::Frequency;
    EXPECT_EQ(Cells(Filled(cave, frequency)), (std::vector<TCell>{{0, 18, 1}}));
}

TEST(RoseHistogram, ShotsShorterThanTheMinimumLengthAreIgnored) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 0}).Shot(4.99, 0).Shot(5, 0).Shot(6, 0);
    TRoseOptions options;
    options.MinLength = 5;
    options.GraphBy = TGraphBy::Frequency;
    const TRoseHistogram h = Filled(cave, options);
    EXPECT_EQ(Cells(h), (std::vector<TCell>{{0, 0, 2}}));
    EXPECT_EQ(h.ShotsCounted(), 2);
}

TEST(RoseHistogram, LayerOfTheEndStationByTheFileBounds) {
    TRoseCave cave(100, 148);                  // 24 layers of 2 feet
    cave.Move({0, 0, 100}).Draw({0, 10, 100}); // the bottom itself: layer 0
    cave.Move({0, 0, 100}).Draw({0, 10, 101.99});
    cave.Move({0, 0, 100}).Draw({0, 10, 102}); // a boundary belongs to the layer above it
    cave.Move({0, 0, 100}).Draw({0, 10, 147.5});
    TRoseOptions frequency;
    frequency.GraphBy = TGraphBy::Frequency;
    EXPECT_EQ(Cells(Filled(cave, frequency)),
              (std::vector<TCell>{{0, 0, 2}, {1, 0, 1}, {23, 0, 1}}));
}

// The top of the bounds would be layer L, which is not drawn: it is folded into the top layer.
// Stations beyond the file's bounds are held to the outer layers.
TEST(RoseHistogram, StationsAtTheTopOrOutsideTheBoundsFallIntoTheOuterLayers) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 40}).Draw({0, 10, 48});  // exactly the top
    cave.Move({0, 0, 40}).Draw({0, 10, 60});  // above the bounds
    cave.Move({0, 0, 0}).Draw({10, 0, -3});   // below the bounds
    cave.Move({0, 0, 0}).Draw({10, 0, -0.5}); // just below: truncation alone would say 0 too
    TRoseOptions frequency;
    frequency.GraphBy = TGraphBy::Frequency;
    const TRoseHistogram h = Filled(cave, frequency);
    EXPECT_EQ(Cells(h), (std::vector<TCell>{{0, 9, 2}, {23, 0, 2}}));
    EXPECT_EQ(h.Count(24, 0), 0);
}

// Bounds without height make the layer thickness 0: one layer holds every shot instead of a
// division by zero scattering them.
TEST(RoseHistogram, ACaveWithoutHeightPutsEveryShotIntoOneLayer) {
    TRoseCave cave(10, 10);
    cave.Move({0, 0, 10}).Shot(10, 0).Shot(20, 90).Shot(30, 200);
    const TRoseHistogram h = Filled(cave);
    EXPECT_DOUBLE_EQ(h.Range(), 0);
    EXPECT_EQ(Cells(h), (std::vector<TCell>{{0, 0, 10}, {0, 9, 20}, {0, 20, 30}}));
    EXPECT_DOUBLE_EQ(analysis::RoseDepthRange(*cave.Data), 0.1);
}

// A model whose file stated no bounds (the reader leaves the minimum above the maximum): the
// layers divide the records' own height.
TEST(RoseHistogram, WithoutBoundsTheRecordsGiveTheHeight) {
    TRoseCave cave(0, 0);
    cave.Data->MinBounds = {1e300, 1e300, 1e300};
    cave.Data->MaxBounds = {-1e300, -1e300, -1e300};
    cave.Move({0, 0, 50}).Draw({0, 10, 2}).Draw({0, 20, 26});
    EXPECT_DOUBLE_EQ(analysis::RoseVerticalBounds(*cave.Data).Bottom, 2);
    EXPECT_DOUBLE_EQ(analysis::RoseVerticalBounds(*cave.Data).Top, 50);
    EXPECT_DOUBLE_EQ(analysis::RoseDepthRange(*cave.Data), 48);
    TRoseOptions options;
    options.Layers = 2;
    // 49 feet north and down to 2 (layer 0), then 26 feet north and up to 26 (layer 1 of 24 each).
    EXPECT_EQ(Cells(Filled(cave, options)), (std::vector<TCell>{{0, 0, 49}, {1, 0, 26}}));
}

TEST(RoseHistogram, ARefillForgetsThePreviousCounts) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 0}).Shot(10, 0);
    TRoseHistogram h;
    h.Fill(*cave.Data, {});
    TRoseCave other(0, 48);
    other.Move({0, 0, 0}).Shot(20, 90);
    h.Fill(*other.Data, {});
    EXPECT_EQ(Cells(h), (std::vector<TCell>{{0, 9, 20}}));
    EXPECT_DOUBLE_EQ(h.LargestCount(), 20);
}

TEST(RoseHistogram, ProgressRunsToFiftyOnceForEveryChange) {
    TRoseCave cave(0, 48);
    cave.Move({0, 0, 0});
    for (int i = 0; i < 999; ++i)
        cave.Shot(10, i % 360);
    std::vector<int> seen;
    TRoseHistogram h;
    h.Fill(*cave.Data, {}, [&seen](int percent) { seen.push_back(percent); });
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 50);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]);
    EXPECT_EQ(seen.size(), 51u); // 0 (after the first of 1000 records) .. 50
    EXPECT_EQ(seen.front(), 0);
}

TEST(RoseDialogLinkage, LayersThicknessAndAngle) {
    EXPECT_DOUBLE_EQ(analysis::LayerThickness(48, 24), 2.0);
    EXPECT_DOUBLE_EQ(analysis::LayerThickness(48, 12), 4.0);
    EXPECT_EQ(analysis::LayersForThickness(48, 3), 16);
    EXPECT_EQ(analysis::LayersForThickness(48, 1.0), 48);
    EXPECT_EQ(analysis::LayersForThickness(50, 4), 12); // 12.5: halves to even
    EXPECT_EQ(analysis::LayersForThickness(54, 4), 14); // 13.5
    EXPECT_EQ(analysis::LayersForThickness(48, 0.1), 180);
    EXPECT_EQ(analysis::LayersForThickness(48, 1000), 2);
    EXPECT_EQ(analysis::AngleText(36), "10.0");
    EXPECT_EQ(analysis::AngleText(7), "51.4");
    EXPECT_EQ(analysis::AngleText(360), "1.0");
    EXPECT_EQ(analysis::AngleText(4), "90.0");
}

// ---- A generated cave against a count made here, one shot at a time ----

void ExpectSameAsBruteForce(const survey::TPlotData& data, const TRoseOptions& options) {
    TRoseHistogram h;
    h.Fill(data, options);
    const TBruteForce expected(data, options);
    std::int64_t largest = 0, nonZero = 0;
    for (int j = 0; j < options.Layers; ++j)
        for (int m = 0; m < options.Petals; ++m) {
            ASSERT_EQ(h.Count(j, m), expected.Counts[j][m]) << "layer " << j << " petal " << m;
            largest = std::max(largest, expected.Counts[j][m]);
            nonZero += expected.Counts[j][m] != 0;
        }
    EXPECT_DOUBLE_EQ(h.LargestCount(), double(largest));
    EXPECT_GT(nonZero, options.Layers); // the cave spreads over many cells
    for (int j = 0; j < TRoseHistogram::kGridLayers; ++j)
        for (int m = 0; m < TRoseHistogram::kGridPetals; ++m) {
            if (j >= options.Layers || m >= options.Petals) {
                ASSERT_EQ(h.Count(j, m), 0) << "layer " << j << " petal " << m;
            }
        }
}

TEST(RoseHistogram, GeneratedCaveMatchesACountShotByShot) {
    const auto cave = GeneratedCave(20000);
    ASSERT_GT(cave->Shots.Count(), 19000);
    ExpectSameAsBruteForce(*cave, TRoseOptions{});
    TRoseOptions half;
    half.RoseType = TRoseType::Half180;
    half.GraphBy = TGraphBy::Frequency;
    half.Petals = 7;
    half.Layers = 5;
    ExpectSameAsBruteForce(*cave, half);
    TRoseOptions flow;
    flow.RoseType = TRoseType::WaterFlow;
    flow.SlopeLength = false;
    flow.MinLength = 5;
    flow.Petals = 360;
    flow.Layers = 180;
    ExpectSameAsBruteForce(*cave, flow);
}

} // namespace
} // namespace lumora::test
