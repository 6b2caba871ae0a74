// Passage options, cleaning and filling of dimensions, shot frames and cross-section rings.
#include "passage/CrossSection.h"
#include "passage/PassageTestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lumora::passage {
namespace {

using test::TCaveBuilder;

constexpr double kTiny = 1e-12;

void ExpectPoint(const T3DVector& actual, const T3DVector& expected, double tolerance = kTiny) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

// Left, Right, Up, Down of a station.
void ExpectDims(const TStation& s, float left, float right, float up, float down) {
    EXPECT_EQ(s.Left, left);
    EXPECT_EQ(s.Right, right);
    EXPECT_EQ(s.Up, up);
    EXPECT_EQ(s.Down, down);
}

TStation At(T3DVector p, float left, float right, float up, float down) {
    TStation s;
    s.RecordType = 'D';
    s.Position = p;
    s.Left = left;
    s.Right = right;
    s.Up = up;
    s.Down = down;
    return s;
}

TEST(PassageOptions, StartWithTheDocumentedValuesAndAreOneRecord) {
    const TPassageOptions fresh;
    EXPECT_EQ(fresh.PassShape, TPassShape::Octagon);
    EXPECT_EQ(fresh.CornerThreshold, 20.0);
    EXPECT_EQ(fresh.RoundDepth, 1);
    EXPECT_EQ(fresh.SubstituteDiam, 2.0);
    EXPECT_TRUE(fresh.ExpandWalls);
    EXPECT_FALSE(fresh.SealEnds);
    EXPECT_TRUE(fresh.MergePass);
    EXPECT_TRUE(fresh.VerticalPrisms);
    EXPECT_EQ(fresh.VerticalThreshold, 50.0);
    EXPECT_FALSE(fresh.CenterOnCave);
    EXPECT_FALSE(fresh.MetricUnits);
    EXPECT_FALSE(fresh.IncludeHiddenShots);
    EXPECT_EQ(&PassageOptions(), &PassageOptions());
}

TEST(CleanDimensions, TurnsNegativeHugeAndNotANumberIntoZero) {
    TStation s = At({}, -9.9f, 999.0f, std::numeric_limits<float>::quiet_NaN(), 900.0f);
    CleanDimensions(s);
    ExpectDims(s, 0, 0, 0, 900);
    survey::TPlotRecord r;
    r.Left = 0.5f;
    r.Right = std::numeric_limits<float>::infinity();
    r.Up = -0.01f;
    r.Down = 900.01f;
    CleanDimensions(r);
    EXPECT_EQ(r.Left, 0.5f);
    EXPECT_EQ(r.Right, 0.0f);
    EXPECT_EQ(r.Up, 0.0f);
    EXPECT_EQ(r.Down, 0.0f);
}

TEST(FillPair, LeavesATargetWithOneMemberSet) {
    TStation a = At({}, 0, 3, 0, 0);
    TStation b = At({}, 5, 6, 7, 8);
    FillPair(a, b, 2.0);
    ExpectDims(a, 0, 3, 7, 8);
    ExpectDims(b, 5, 6, 7, 8);
}

TEST(FillPair, TakesLeftRightFromOwnUpDownWhenTheOtherStationHasNone) {
    TStation a = At({}, 0, 0, 5, 6);
    TStation b = At({}, 0, 0, 0, 0);
    FillPair(a, b, 0.0);
    ExpectDims(a, 5, 6, 5, 6); // Left takes Up, Right takes Down
    ExpectDims(b, 5, 6, 5, 6);
}

TEST(FillPair, FillsUpDownFromOwnWidthsAfterTheWidthsTravelled) {
    survey::TPlotRecord a;
    survey::TPlotRecord b;
    a.Left = 4;
    a.Right = 4;
    FillPair(a, b, 0.0);
    EXPECT_EQ(a.Up, 4.0f);
    EXPECT_EQ(a.Down, 4.0f);
    EXPECT_EQ(b.Left, 4.0f);
    EXPECT_EQ(b.Right, 4.0f);
    EXPECT_EQ(b.Up, 4.0f);
    EXPECT_EQ(b.Down, 4.0f);
}

TEST(FillPair, GivesAnEmptyPairTheSubstituteInSinglePrecision) {
    TStation a = At({}, 0, 0, 0, 0);
    TStation b = At({}, 0, 0, 0, 0);
    FillPair(a, b, 0.1);
    const float s = 0.1f;
    ExpectDims(a, s, s, s, s);
    ExpectDims(b, s, s, s, s);
}

class LoadTraverseTest : public ::testing::Test {
protected:
    survey::TPlotData Data;
    TPassageOptions Options;
    TStationList List;
};

TEST_F(LoadTraverseTest, SubstitutesTheFirstPairBeforeSeeingTheThirdStation) {
    TCaveBuilder(Data).Survey().Move({0, 0, 0}).Draw({0, 10, 0}).Draw({0, 20, 0}, 1, 2, 3, 4);
    Options.SubstituteDiam = 2.0;
    LoadTraverse(Data, 0, 2, Options, List);
    ASSERT_EQ(List.size(), 3u);
    ExpectDims(List[0], 2, 2, 2, 2);
    ExpectDims(List[1], 2, 2, 2, 2);
    ExpectDims(List[2], 1, 2, 3, 4);
}

TEST_F(LoadTraverseTest, WithoutSubstituteFillsOnlyOneStepBackward) {
    TCaveBuilder(Data).Survey().Move({0, 0, 0}).Draw({0, 10, 0}).Draw({0, 20, 0}, 1, 2, 3, 4);
    Options.SubstituteDiam = 0.0;
    LoadTraverse(Data, 0, 2, Options, List);
    ExpectDims(List[0], 0, 0, 0, 0);
    ExpectDims(List[1], 1, 2, 3, 4);
    ExpectDims(List[2], 1, 2, 3, 4);
}

TEST_F(LoadTraverseTest, CarriesValuesForwardWithoutLimit) {
    TCaveBuilder cave(Data);
    cave.Survey().Move({0, 0, 0}, 1, 2, 3, 4);
    for (int i = 1; i < 6; ++i)
        cave.Draw({0, 10.0 * i, 0});
    Options.SubstituteDiam = 0.0;
    LoadTraverse(Data, 0, 5, Options, List);
    ExpectDims(List[5], 1, 2, 3, 4);
}

TEST_F(LoadTraverseTest, CleansBeforeFilling) {
    TCaveBuilder(Data).Survey().Move({0, 0, 0}, -9.9f, 999, -1, 1000).Draw({0, 10, 0}, 5, 5, 5, 5);
    Options.SubstituteDiam = 0.0;
    LoadTraverse(Data, 0, 1, Options, List);
    ExpectDims(List[0], 5, 5, 5, 5);
}

TEST_F(LoadTraverseTest, KeepsDimensionsAsReadWhenExpandIsOff) {
    TCaveBuilder(Data).Survey().Move({0, 0, 0}, -9.9f).Draw({0, 10, 0}, 5, 5, 5, 5);
    Options.ExpandWalls = false;
    LoadTraverse(Data, 0, 1, Options, List);
    ExpectDims(List[0], 0, 0, 0, 0);
}

TEST_F(LoadTraverseTest, ALeftOutHiddenDrawBreaksTheRunAndEmptiesTheListFirst) {
    TCaveBuilder(Data).Survey().Move({0, 0, 0}, 4, 4).Station('d', {0, 5, 0}).Draw({0, 10, 0});
    Options.SubstituteDiam = 0.0;
    List.resize(7);
    LoadTraverse(Data, 0, 2, Options, List);
    ASSERT_EQ(List.size(), 3u);
    // The hidden record stays as the start of the next shot, as a move would.
    EXPECT_EQ(List[1].RecordType, 'M');
    EXPECT_EQ(List[1].Source, 1);
    EXPECT_EQ(List[2].Station.View(), "P2");
    // Nothing is filled across the break: the station after it has no neighbour with widths.
    ExpectDims(List[1], 0, 0, 0, 0);
    ExpectDims(List[2], 0, 0, 0, 0);
    Options.IncludeHiddenShots = true;
    LoadTraverse(Data, 0, 2, Options, List);
    ASSERT_EQ(List.size(), 3u);
    EXPECT_EQ(List[1].RecordType, 'd');
    ExpectDims(List[2], 4, 4, 4, 4);
}

TEST(FetchStation, AppliesTheMetricFactorThenTheCentre) {
    TStationList list{At({100, 200, 300}, 10, 20, 30, 40)};
    TStationAdjust adjust;
    adjust.FeetToMeters = survey::kSurveyFoot;
    adjust.MetricUnits = true;
    TStation s = FetchStation(list, 0, adjust);
    ExpectPoint(s.Position,
                {100 * survey::kSurveyFoot, 200 * survey::kSurveyFoot, 300 * survey::kSurveyFoot});
    EXPECT_EQ(s.Up, static_cast<float>(30 * survey::kSurveyFoot));
    EXPECT_EQ(s.Left, static_cast<float>(10 * survey::kSurveyFoot));
    adjust.MetricUnits = false;
    adjust.CenterOnCave = true;
    adjust.Center = {1, 2, 3};
    s = FetchStation(list, 0, adjust);
    ExpectPoint(s.Position, {99, 198, 297});
    EXPECT_EQ(s.Right, 20.0f);
    EXPECT_EQ(list[0].Position, (T3DVector{100, 200, 300})); // the list itself is untouched
}

TEST(MakeStationAdjust, TakesTheCentreOfTheBoundsInTheUnitOfThePositions) {
    survey::TPlotData data;
    data.Center = {10, 20, 30};
    TPassageOptions options;
    options.CenterOnCave = true;
    EXPECT_EQ(MakeStationAdjust(data, options).Center, data.Center);
    options.MetricUnits = true;
    const TStationAdjust adjust = MakeStationAdjust(data, options);
    ExpectPoint(adjust.Center, survey::Scale(data.Center, adjust.FeetToMeters));
}

TEST(ShotFrame, DueSouthHasBearing180AndItsRightSideWest) {
    const TShotFrame frame = ShotFrame({0, 0, 0}, {0, -10, 0}, TPassageOptions{});
    EXPECT_EQ(frame.Bearing, 180.0);
    ExpectPoint(frame.Right, {-1, 0, 0});
    ExpectPoint(frame.Left, {1, 0, 0});
    EXPECT_EQ(frame.Vertical, TVerticalClass::Ordinary);
}

TEST(ShotFrame, EastHasBearing90AndItsRightSideSouth) {
    const TShotFrame frame = ShotFrame({5, 5, 0}, {15, 5, 2}, TPassageOptions{});
    EXPECT_EQ(frame.Bearing, 90.0);
    ExpectPoint(frame.Right, {0, -1, 0});
    const TShotFrame west = ShotFrame({5, 5, 0}, {-15, 5, 0}, TPassageOptions{});
    EXPECT_EQ(west.Bearing, -90.0);
    ExpectPoint(west.Right, {0, 1, 0});
}

TEST(ShotFrame, PlumbShotWithoutPrismsFacesSouthOnItsRight) {
    TPassageOptions options;
    options.VerticalPrisms = false;
    const TShotFrame frame = ShotFrame({1, 2, 3}, {1, 2, 30}, options);
    EXPECT_EQ(frame.Bearing, 90.0);
    ExpectPoint(frame.Right, {0, -1, 0});
    ExpectPoint(frame.Left, {0, 1, 0});
    EXPECT_EQ(frame.Vertical, TVerticalClass::Ordinary);
}

TEST(ShotFrame, InclinationEqualToTheThresholdCountsAsSteep) {
    TPassageOptions options;
    options.VerticalThreshold = 90.0;
    EXPECT_EQ(ShotFrame({0, 0, 0}, {0, 0, 7}, options).Vertical, TVerticalClass::VerticalUp);
    EXPECT_EQ(ShotFrame({0, 0, 7}, {0, 0, 0}, options).Vertical, TVerticalClass::VerticalDown);
    EXPECT_EQ(ShotFrame({0, 0, 0}, {0, 0.001, 7}, options).Vertical, TVerticalClass::Ordinary);
}

TEST(ShotFrame, SteepnessFollowsTheThresholdAndTheSwitch) {
    TPassageOptions options; // threshold 50
    EXPECT_EQ(ShotFrame({0, 0, 0}, {0, 10, 12}, options).Vertical, TVerticalClass::VerticalUp);
    EXPECT_EQ(ShotFrame({0, 0, 0}, {0, 10, -12}, options).Vertical, TVerticalClass::VerticalDown);
    EXPECT_EQ(ShotFrame({0, 0, 0}, {0, 10, 11}, options).Vertical, TVerticalClass::Ordinary);
    EXPECT_EQ(ShotFrame({0, 0, 0}, {0, 0, 0}, options).Vertical, TVerticalClass::Ordinary);
    options.VerticalPrisms = false;
    EXPECT_EQ(ShotFrame({0, 0, 0}, {0, 10, 12}, options).Vertical, TVerticalClass::Ordinary);
}

class RingTest : public ::testing::Test {
protected:
    const T3DVector P{100, 200, 50};
    // Left 1, Right 2, Up 3, Down 4.
    const TStation Station = At(P, 1, 2, 3, 4);
    TShotFrame North = ShotFrame(P, {100, 300, 50}, TPassageOptions{});

    CrossSection Ring(TPassShape shape, TVerticalClass vertical = TVerticalClass::Ordinary) {
        TShotFrame frame = North;
        frame.Vertical = vertical;
        return MakeCrossSection(Station, frame, shape);
    }
    void ExpectRing(const CrossSection& ring, const std::vector<T3DVector>& offsets) {
        ASSERT_EQ(ring.CornerCount, static_cast<std::int32_t>(offsets.size()));
        EXPECT_EQ(ring.Centre, P);
        for (std::size_t k = 0; k < offsets.size(); ++k) {
            SCOPED_TRACE("corner " + std::to_string(k));
            ExpectPoint(ring.Corners[k], survey::Add(P, offsets[k]));
        }
    }
};

TEST_F(RingTest, SquareRunsUpLeftUpRightDownRightDownLeft) {
    ExpectRing(Ring(TPassShape::Square), {{-1, 0, 3}, {2, 0, 3}, {2, 0, -4}, {-1, 0, -4}});
}

TEST_F(RingTest, DiamondRunsUpRightDownLeft) {
    ExpectRing(Ring(TPassShape::Diamond), {{0, 0, 3}, {2, 0, 0}, {0, 0, -4}, {-1, 0, 0}});
}

TEST_F(RingTest, OrdinaryCornersKeepTheStationsHeightAndPlace) {
    const CrossSection ring = Ring(TPassShape::Diamond);
    EXPECT_EQ(ring.Corners[0].X, P.X); // Up keeps x and y exactly
    EXPECT_EQ(ring.Corners[0].Y, P.Y);
    EXPECT_EQ(ring.Corners[1].Z, P.Z); // Right keeps the height exactly
    EXPECT_EQ(ring.Corners[3].Z, P.Z);
}

TEST_F(RingTest, OctagonPullsItsDiagonalCornersHalfwayToTheEdge) {
    const TStation unit = At(P, 1, 1, 1, 1);
    const CrossSection ring = MakeCrossSection(unit, North, TPassShape::Octagon);
    const std::vector<T3DVector> expected{{-0.75, 0, 0.75},  {0, 0, 1},        {0.75, 0, 0.75},
                                          {1, 0, 0},         {0.75, 0, -0.75}, {0, 0, -1},
                                          {-0.75, 0, -0.75}, {-1, 0, 0}};
    ExpectRing(ring, expected);
}

TEST_F(RingTest, OctagonPullsUnevenCornersTowardsTheirOwnNeighbours) {
    // UpRight (2, 0, 3) towards Up (0, 0, 3) and Right (2, 0, 0): ((1, 0, 1.5) + q) / 2.
    ExpectRing(Ring(TPassShape::Octagon), {{-0.75, 0, 2.25},
                                           {0, 0, 3},
                                           {1.5, 0, 2.25},
                                           {2, 0, 0},
                                           {1.5, 0, -3},
                                           {0, 0, -4},
                                           {-0.75, 0, -3},
                                           {-1, 0, 0}});
}

TEST_F(RingTest, SteepDownwardShotLaysTheRingFlat) {
    ExpectRing(Ring(TPassShape::Diamond, TVerticalClass::VerticalDown),
               {{0, 3, 0}, {2, 0, 0}, {0, -4, 0}, {-1, 0, 0}});
    ExpectRing(Ring(TPassShape::Square, TVerticalClass::VerticalDown),
               {{-1, 3, 0}, {2, 3, 0}, {2, -4, 0}, {-1, -4, 0}});
}

TEST_F(RingTest, SteepUpwardShotRunsTheFlatRingTheOtherWay) {
    ExpectRing(Ring(TPassShape::Diamond, TVerticalClass::VerticalUp),
               {{0, -4, 0}, {2, 0, 0}, {0, 3, 0}, {-1, 0, 0}});
    ExpectRing(Ring(TPassShape::Square, TVerticalClass::VerticalUp),
               {{-1, -4, 0}, {2, -4, 0}, {2, 3, 0}, {-1, 3, 0}});
    // Octagon UpRight: (+2, -4) pulled towards Up (0, -4) and Right (2, 0).
    const CrossSection octagon = Ring(TPassShape::Octagon, TVerticalClass::VerticalUp);
    ExpectPoint(octagon.Corners[2], survey::Add(P, {1.5, -3, 0}));
}

TEST_F(RingTest, StationWithoutDimensionsCollapsesToItsCentre) {
    const CrossSection ring = MakeCrossSection(At(P, 0, 0, 0, 0), North, TPassShape::Octagon);
    ASSERT_EQ(ring.CornerCount, 8);
    for (int k = 0; k < 8; ++k)
        ExpectPoint(ring.Corners[k], P);
}

} // namespace
} // namespace lumora::passage
