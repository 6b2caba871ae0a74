// Passage wall generation: rounding, walls, caps, merging, progress, abort and the estimates.
#include "passage/PassageLib.h"
#include "passage/PassageTestData.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace lumora::passage {
namespace {

using test::TCaveBuilder;
using test::TPolygon;
using test::TRecorder;

void ExpectPoint(const T3DVector& actual, const T3DVector& expected, double tolerance = 1e-12) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

TStation At(T3DVector p, float left = 0, float right = 0) {
    TStation s;
    s.RecordType = 'D';
    s.Position = p;
    s.Left = left;
    s.Right = right;
    return s;
}

class GenerateTest : public ::testing::Test {
protected:
    GenerateTest() {
        Options.RoundDepth = 0;
        Options.MergePass = false;
        Options.SealEnds = false;
    }
    // One survey, one traverse of three stations going north then east (a right angle).
    void ThreeStations() {
        TCaveBuilder(Data)
            .Survey()
            .Move({0, 0, 0}, 1, 1, 1, 1)
            .Draw({0, 10, 0}, 1, 1, 1, 1)
            .Draw({10, 10, 0}, 1, 1, 1, 1);
    }
    TRecorder Run(bool withCaps = true) {
        return test::RecordPassages(Data, Options, State, withCaps);
    }

    survey::TPlotData Data;
    TPassageOptions Options;
    TPassageRunState State;
};

TEST_F(GenerateTest, ThreeStationOctagonMakesSixteenQuadrilaterals) {
    ThreeStations();
    const TRecorder out = Run();
    EXPECT_EQ(out.Polygons.size(), 16u);
    EXPECT_EQ(out.Count(false), 16u);
    EXPECT_EQ(State.PolygonCount, 16);
}

TEST_F(GenerateTest, QuadrilateralsJoinCornerKAndTheNextOfBothRings) {
    ThreeStations();
    const TRecorder out = Run();
    TStationList list{At({0, 0, 0}, 1, 1), At({0, 10, 0}, 1, 1)};
    for (TStation& s : list)
        s.Up = s.Down = 1;
    const PassageSegment first = BuildSegment(list, 0, Options, TStationAdjust{});
    ASSERT_TRUE(first.Valid);
    for (int k = 0; k < 8; ++k) {
        const int k1 = (k + 1) % 8;
        const TPolygon& quad = out.Polygons[k];
        EXPECT_TRUE(test::SameBits(quad.Points[0], first.StartRing.Corners[k]));
        EXPECT_TRUE(test::SameBits(quad.Points[1], first.EndRing.Corners[k]));
        EXPECT_TRUE(test::SameBits(quad.Points[2], first.EndRing.Corners[k1]));
        EXPECT_TRUE(test::SameBits(quad.Points[3], first.StartRing.Corners[k1]));
    }
}

TEST_F(GenerateTest, SealedEndsAddAStartFanAfterTheFirstShotAndAnEndFanAfterTheLast) {
    ThreeStations();
    Options.SealEnds = true;
    const TRecorder out = Run();
    ASSERT_EQ(out.Polygons.size(), 32u);
    EXPECT_EQ(State.PolygonCount, 32);
    for (int i = 0; i < 32; ++i) {
        const bool cap = (i >= 8 && i < 16) || i >= 24;
        EXPECT_EQ(out.Polygons[i].IsCap, cap) << i;
        if (cap) {
            EXPECT_EQ(out.Polygons[i].IsStart, i < 16) << i;
        }
    }
    // The start fan: centre, corner k, corner k + 1, closing with the last and the first corner.
    for (int k = 0; k < 8; ++k) {
        const TPolygon& tri = out.Polygons[8 + k];
        EXPECT_EQ(tri.Points[0], (T3DVector{0, 0, 0}));
        EXPECT_TRUE(test::SameBits(tri.Points[1], out.Polygons[k].Points[0]));
        EXPECT_TRUE(test::SameBits(tri.Points[2], out.Polygons[k].Points[3]));
    }
    for (int k = 0; k < 8; ++k) {
        const TPolygon& tri = out.Polygons[24 + k];
        EXPECT_EQ(tri.Points[0], (T3DVector{10, 10, 0}));
        EXPECT_TRUE(test::SameBits(tri.Points[1], out.Polygons[16 + k].Points[1]));
        EXPECT_TRUE(test::SameBits(tri.Points[2], out.Polygons[16 + k].Points[2]));
    }
}

TEST_F(GenerateTest, SealedEndsWithoutACapProcedureCountNothingForCaps) {
    ThreeStations();
    Options.SealEnds = true;
    const TRecorder out = Run(false);
    EXPECT_EQ(out.Polygons.size(), 16u);
    EXPECT_EQ(State.PolygonCount, 16);
}

TEST_F(GenerateTest, ATraverseOfOneStationProducesNothing) {
    TCaveBuilder(Data).Survey().Move({0, 0, 0}, 1, 1, 1, 1).Move({5, 5, 5}, 1, 1, 1, 1);
    Options.SealEnds = true;
    EXPECT_TRUE(Run().Polygons.empty());
    EXPECT_EQ(State.PolygonCount, 0);
}

TEST_F(GenerateTest, SquareAndDiamondMakeFourWallsPerShot) {
    ThreeStations();
    Options.PassShape = TPassShape::Square;
    Options.SealEnds = true;
    EXPECT_EQ(Run().Polygons.size(), 16u);
    Options.PassShape = TPassShape::Diamond;
    EXPECT_EQ(Run().Polygons.size(), 16u);
}

TEST_F(GenerateTest, OneRoundingPassTurnsTheBendIntoThreeShots) {
    ThreeStations();
    Options.RoundDepth = 1;
    EXPECT_EQ(Run().Polygons.size(), 24u);
}

TEST_F(GenerateTest, SkipsFeaturesAndTellsTheSurveyOfEachPolygon) {
    TCaveBuilder cave(Data);
    cave.Survey().Move({0, 0, 0}, 1, 1, 1, 1).Draw({0, 10, 0});
    cave.Survey(2).Station('L', {0, 0, 0}, 1, 1, 1, 1).Draw({0, 10, 0});
    cave.Section("Second").Survey().Move({0, 0, 0}, 1, 1, 1, 1).Draw({10, 0, 0});
    const TRecorder out = Run();
    ASSERT_EQ(out.Polygons.size(), 16u);
    EXPECT_EQ(out.Polygons[0].Survey, 0);
    EXPECT_EQ(out.Polygons[15].Survey, 2);
    EXPECT_EQ(State.CurrentSurvey, 2);
}

TEST_F(GenerateTest, HiddenShotsCountOnlyWhenAsked) {
    TCaveBuilder(Data)
        .Survey()
        .Move({0, 0, 0}, 1, 1, 1, 1)
        .Station('d', {0, 10, 0})
        .Draw({0, 20, 0});
    EXPECT_EQ(Run().Polygons.size(), 8u);
    Options.IncludeHiddenShots = true;
    EXPECT_EQ(Run().Polygons.size(), 16u);
}

// Distance from p to the part of the segment a-b between 20 % and 80 % of its length, in plan.
double PlanDistanceToMiddle(const T3DVector& p, const T3DVector& a, const T3DVector& b) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    double t = ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.2, 0.8);
    return std::hypot(p.X - (a.X + t * dx), p.Y - (a.Y + t * dy));
}

// North 100, a hidden shot east 100, north 100 again: the stations before and after the hidden
// shot are joined by nothing, and the passage after it starts at the hidden record.
TEST_F(GenerateTest, ALeftOutHiddenShotBreaksTheRunAsAMove) {
    TCaveBuilder(Data)
        .Survey()
        .Move({0, 0, 0}, 3, 3, 3, 3)
        .Draw({0, 100, 0}, 3, 3, 3, 3)
        .Station('d', {100, 100, 0}, 3, 3, 3, 3)
        .Draw({100, 200, 0}, 3, 3, 3, 3);
    Options.SealEnds = true;
    Options.MergePass = true;
    Options.RoundDepth = 2;
    const TRecorder out = Run();
    const T3DVector before{0, 100, 0}, after{100, 200, 0};
    // A tube along the diagonal would have its corners at the two stations but its faces'
    // centres on the diagonal: look at both.
    std::size_t walls = 0;
    for (const TPolygon& polygon : out.Polygons) {
        walls += polygon.IsCap ? 0 : 1;
        T3DVector centre;
        for (const T3DVector& p : polygon.Points) {
            EXPECT_GT(PlanDistanceToMiddle(p, before, after), 15.0)
                << p.X << " " << p.Y << " lies on the diagonal";
            centre = survey::Add(centre, survey::Scale(p, 1.0 / polygon.Points.size()));
        }
        EXPECT_GT(PlanDistanceToMiddle(centre, before, after), 15.0)
            << "a face centred at " << centre.X << " " << centre.Y << " spans the diagonal";
    }
    EXPECT_EQ(walls, 16u);
    // Each of the two runs is sealed at both ends: the break closes the tubes it separates.
    ASSERT_EQ(out.Count(true), 32u);
    int starts = 0, ends = 0;
    for (const TPolygon& polygon : out.Polygons) {
        if (!polygon.IsCap)
            continue;
        starts += polygon.IsStart && polygon.Points[0] == T3DVector{100, 100, 0};
        ends += !polygon.IsStart && polygon.Points[0] == before;
    }
    EXPECT_EQ(starts, 8) << "the second run starts at the hidden record";
    EXPECT_EQ(ends, 8) << "the first run ends at the station before the hidden shot";
    Options.IncludeHiddenShots = true;
    const TRecorder all = Run();
    EXPECT_GT(all.Count(false), 24u) << "the hidden shot and its rounded corners get walls";
}

TEST_F(GenerateTest, WithoutAWallProcedureFailsAtTheFirstSurvey) {
    ThreeStations();
    State.CurrentSurvey = 99;
    try {
        GeneratePassages(Data, Options, State, nullptr, nullptr, nullptr);
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "No output procedure assigned.");
    }
    EXPECT_EQ(State.CurrentSurvey, 0);
}

TEST_F(GenerateTest, WithoutSurveysNothingFailsEvenWithoutAWallProcedure) {
    TCaveBuilder(Data).Section("Empty");
    EXPECT_NO_THROW(GeneratePassages(Data, Options, State, nullptr, nullptr, nullptr));
}

TEST_F(GenerateTest, FailuresOfTheOutputProcedurePassThrough) {
    ThreeStations();
    int calls = 0;
    auto wall = [&](const T3DVector&, const T3DVector&, const T3DVector&, const T3DVector&) {
        if (++calls == 3)
            throw std::runtime_error("disk full");
    };
    EXPECT_THROW(GeneratePassages(Data, Options, State, nullptr, wall, nullptr),
                 std::runtime_error);
    EXPECT_EQ(calls, 3);
}

class ProgressTest : public GenerateTest {
protected:
    // count surveys of one shot each; survey 50 is a feature.
    void ManySurveys(int count) {
        TCaveBuilder cave(Data);
        for (int i = 0; i < count; ++i) {
            cave.Survey(i == 50 ? 1 : 0);
            cave.Move({0, 0, 0}, 1, 1, 1, 1).Draw({0, 10, 0});
        }
    }
    struct TCall {
        std::int64_t Polygons;
        std::int32_t Percent;
        std::int32_t Survey;
    };
    std::vector<TCall> Calls;
    bool AbortAtFirstCall = false;

    void RunWithProgress() {
        auto wall = [](const T3DVector&, const T3DVector&, const T3DVector&, const T3DVector&) {};
        auto progress = [&](std::int64_t polygons, std::int32_t percent) {
            Calls.push_back({polygons, percent, State.CurrentSurvey});
            if (AbortAtFirstCall && State.CurrentSurvey == 50)
                State.AbortPassages = true;
        };
        GeneratePassages(Data, Options, State, nullptr, wall, progress);
    }
};

TEST_F(ProgressTest, ReportsAfterEveryFiftiethSurveyRoundingHalvesUp) {
    ManySurveys(400);
    State.AbortPassages = true; // a run starts afresh
    RunWithProgress();
    ASSERT_EQ(Calls.size(), 8u);
    const std::int32_t percents[] = {0, 13, 25, 38, 50, 63, 75, 88}; // 12.5 -> 13, 37.5 -> 38
    for (std::size_t i = 0; i < Calls.size(); ++i) {
        EXPECT_EQ(Calls[i].Survey, static_cast<std::int32_t>(50 * i));
        EXPECT_EQ(Calls[i].Percent, percents[i]);
    }
    EXPECT_EQ(Calls[0].Polygons, 8);       // after survey 0
    EXPECT_EQ(Calls[1].Polygons, 50 * 8);  // surveys 0..49, the feature 50 adds nothing
    EXPECT_EQ(Calls[2].Polygons, 100 * 8); // surveys 0..100 less the feature
    EXPECT_EQ(State.PolygonCount, 399 * 8);
}

TEST_F(ProgressTest, AnAbortDuringProgressStopsBeforeTheNextSurvey) {
    ManySurveys(120);
    AbortAtFirstCall = true;
    RunWithProgress();
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_TRUE(State.AbortPassages);
    EXPECT_EQ(State.CurrentSurvey, 50);
    EXPECT_EQ(State.PolygonCount, 50 * 8);
}

TEST(TurnAngle, StraightOnIsZeroAndReversalIs180) {
    EXPECT_EQ(TurnAngle({0, 0, 0}, {0, 10, 0}, {0, 20, 0}), 0.0);
    EXPECT_EQ(TurnAngle({0, 0, 0}, {0, 10, 0}, {0, 0, 0}), 180.0);
    EXPECT_EQ(TurnAngle({0, 0, 0}, {0, 10, 0}, {7, 10, 0}), 90.0);
    EXPECT_EQ(TurnAngle({0, 0, 0}, {0, 0, 0}, {7, 10, 0}), 0.0);
}

class RoundingTest : public ::testing::Test {
protected:
    TPassageOptions Options;
    TStationList Scratch;
};

TEST_F(RoundingTest, RightAngleBendGrowsTheListByOne) {
    // Legs of 10; corner Left 2 / Right 3; next station Left 6 / Right 0.
    TStationList list{At({0, 0, 0}), At({0, 10, 0}, 2, 3), At({10, 10, 0}, 6, 0)};
    list[1].Up = 7;
    list[1].Station.Assign("B");
    RoundingPass(list, Options, Scratch);
    ASSERT_EQ(list.size(), 4u);
    ExpectPoint(list[1].Position, {0, 7, 0});  // 3 short of the corner on the first leg
    ExpectPoint(list[2].Position, {5, 10, 0}); // 5 past it: 6 is more than half the leg
    for (int i : {1, 2}) {
        EXPECT_EQ(list[i].Left, 2.0f);
        EXPECT_EQ(list[i].Right, 3.0f);
        EXPECT_EQ(list[i].Up, 7.0f);
        EXPECT_EQ(list[i].Station.View(), "B");
    }
    EXPECT_EQ(list[3].Position, (T3DVector{10, 10, 0}));
}

TEST_F(RoundingTest, AfterPointTakesTheNextStationsWidths) {
    TStationList list{At({0, 0, 0}), At({0, 10, 0}, 4, 4), At({10, 10, 0}, 1, 2)};
    RoundingPass(list, Options, Scratch);
    ASSERT_EQ(list.size(), 4u);
    ExpectPoint(list[1].Position, {0, 6, 0});
    ExpectPoint(list[2].Position, {2, 10, 0});
}

TEST_F(RoundingTest, CollinearStationsAreNeverCut) {
    TStationList list{At({0, 0, 0}), At({0, 10, 0}, 3, 3), At({0, 20, 0})};
    Options.RoundDepth = 2;
    RoundTraverse(list, Options, Scratch);
    EXPECT_EQ(list.size(), 3u);
}

TEST_F(RoundingTest, ATurnOfExactlyTheThresholdIsNotCut) {
    TStationList list{At({0, 0, 0}), At({0, 10, 0}), At({10, 10, 0})};
    Options.CornerThreshold = 90.0;
    RoundingPass(list, Options, Scratch);
    EXPECT_EQ(list.size(), 3u);
    Options.CornerThreshold = 89.999;
    RoundingPass(list, Options, Scratch);
    EXPECT_EQ(list.size(), 4u);
}

TEST_F(RoundingTest, ARepeatedStationTurnsZeroAndHalfLegsLimitCutsWithoutWidths) {
    TStationList list{At({0, 10, 0}), At({0, 10, 0}, 2, 2), At({0, 0, 0}), At({5, 0, 0})};
    RoundingPass(list, Options, Scratch);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[1].Position, (T3DVector{0, 10, 0}));
    ExpectPoint(list[2].Position, {0, 5, 0});   // no width at the corner: half the leg of 10
    ExpectPoint(list[3].Position, {2.5, 0, 0}); // no width at the next station: half of 5
}

TEST_F(RoundingTest, TheStationAfterACutIsJudgedAgainstTheAfterPoint) {
    // A zig-zag: every station turns 90 degrees; one pass cuts each of them.
    TStationList list;
    for (int i = 0; i < 6; ++i)
        list.push_back(At({10.0 * ((i + 1) / 2), 10.0 * (i / 2), 0}));
    RoundingPass(list, Options, Scratch);
    EXPECT_EQ(list.size(), 10u);
    const std::size_t once = list.size();
    RoundingPass(list, Options, Scratch); // the new corners turn 45 degrees: cut again
    EXPECT_GT(list.size(), once);
    EXPECT_EQ(list.front().Position, (T3DVector{0, 0, 0}));
    EXPECT_EQ(list.back().Position, (T3DVector{30, 20, 0}));
}

TEST_F(RoundingTest, AMoveInsideTheListIsNoCorner) {
    // A right angle at the station before the move and at the move itself: neither is cut.
    TStationList list{At({0, 0, 0}), At({0, 10, 0}), At({10, 10, 0}), At({10, 20, 0})};
    list[0].RecordType = 'M';
    list[2].RecordType = 'M';
    Options.RoundDepth = 2;
    RoundTraverse(list, Options, Scratch);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].Position, (T3DVector{0, 10, 0}));
    EXPECT_EQ(list[2].Position, (T3DVector{10, 10, 0}));
}

TEST(BuildSegment, NoShotOutsideTheListOrBeforeAMove) {
    TStationList list{At({0, 0, 0}, 1, 1), At({0, 10, 0}, 1, 1), At({0, 20, 0}, 1, 1),
                      At({0, 30, 0}, 1, 1)};
    list[0].RecordType = 'M';
    list[2].RecordType = 'M';
    const TPassageOptions options;
    EXPECT_FALSE(BuildSegment(list, -1, options, {}).Valid);
    EXPECT_TRUE(BuildSegment(list, 0, options, {}).Valid);
    EXPECT_FALSE(BuildSegment(list, 1, options, {}).Valid);
    EXPECT_TRUE(BuildSegment(list, 2, options, {}).Valid);
    EXPECT_FALSE(BuildSegment(list, 3, options, {}).Valid);
}

TEST(EstimatePassageMesh, OctagonWithOnePassFromTheDocumentedExample) {
    TPassageOptions options;
    const TMeshEstimate e = EstimatePassageMesh(100, 2, options);
    EXPECT_EQ(e.Vertices, 6416);
    EXPECT_EQ(e.Faces, 1608);
    EXPECT_EQ(e.Normals, 12832);
}

TEST(EstimatePassageMesh, FourCornersAndTwoPasses) {
    TPassageOptions options;
    options.PassShape = TPassShape::Diamond;
    options.RoundDepth = 2;
    const TMeshEstimate e = EstimatePassageMesh(10, 4, options); // P = 19, then 37
    EXPECT_EQ(e.Vertices, 640);
    EXPECT_EQ(e.Faces, 164);
    EXPECT_EQ(e.Normals, 1280);
}

TEST(EstimatePassageMesh, NoShotsNeverGiveANegativeCount) {
    TPassageOptions options;
    options.RoundDepth = 2;
    const TMeshEstimate e = EstimatePassageMesh(0, 2, options);
    EXPECT_EQ(e.Vertices, 3 * 8 * 2);
    EXPECT_EQ(e.Faces, 8 * 2);
}

TEST(EstimatePassageMesh, MillionsOfShotsDoNotOverflow) {
    TPassageOptions options;
    options.RoundDepth = 2;
    const TMeshEstimate e = EstimatePassageMesh(100'000'000, 2, options);
    EXPECT_EQ(e.Vertices, 4LL * 8 * 399'999'997 + 3 * 8 * 2);
}

TEST(ShotOutline, PutsTheSidesOfBothStationsAtTheirOwnHeights) {
    survey::TPlotRecord a;
    survey::TPlotRecord b;
    a.Position = {0, 0, 5};
    a.Left = 1;
    a.Right = 2;
    b.Position = {0, 10, 8};
    b.Left = 3;
    b.Right = 4;
    const TOutline o = ShotOutline(a, b);
    ExpectPoint(o[0], {-1, 0, 5});
    ExpectPoint(o[1], {2, 0, 5});
    ExpectPoint(o[2], {-3, 10, 8});
    ExpectPoint(o[3], {4, 10, 8});
}

TEST(MergeOutlines, NeighboursShareTheirEdgeAtTheCommonStation) {
    TOutline prev{T3DVector{0, 0, 0}, {1, 0, 0}, {2, 2, 2}, {4, 4, 4}};
    TOutline next{T3DVector{0, 0, 0}, {2, 2, 2}, {9, 9, 9}, {7, 7, 7}};
    MergeOutlines(prev, next);
    EXPECT_EQ(prev[2], (T3DVector{1, 1, 1}));
    EXPECT_EQ(next[0], (T3DVector{1, 1, 1}));
    EXPECT_EQ(prev[3], (T3DVector{3, 3, 3}));
    EXPECT_EQ(next[1], (T3DVector{3, 3, 3}));
    EXPECT_EQ(prev[0], (T3DVector{0, 0, 0}));
    EXPECT_EQ(next[3], (T3DVector{7, 7, 7}));
}

TEST(Bounds, WidenByAMarginAndConvertToMetres) {
    T3DVector lo{1, 2, 3};
    T3DVector hi{10, 20, 30};
    WidenBounds(lo, hi, 5);
    EXPECT_EQ(lo, (T3DVector{-4, -3, -2}));
    EXPECT_EQ(hi, (T3DVector{15, 25, 35}));
    BoundsToMeters(lo, hi, 0.5);
    EXPECT_EQ(lo, (T3DVector{-2, -1.5, -1}));
    EXPECT_EQ(hi, (T3DVector{7.5, 12.5, 17.5}));
}

TEST(TProcRef, IsEmptyUntilGivenACallable) {
    TWallQuadProc none;
    EXPECT_FALSE(none);
    int calls = 0;
    auto count = [&](const T3DVector&, const T3DVector&, const T3DVector&, const T3DVector&) {
        ++calls;
    };
    TWallQuadProc some = count;
    ASSERT_TRUE(some);
    some({}, {}, {}, {});
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace lumora::passage
