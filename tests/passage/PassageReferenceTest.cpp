// The generator against a straightforward reference on random and generated caves, and the
// geometric promises of its output: no gaps where rings merge, caps and walls facing outwards.
#include "passage/PassageLib.h"
#include "passage/PassageTestData.h"
#include "support/TestSupport.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace lumora::passage {
namespace {

using test::TPolygon;
using test::TRecorder;

// The generator as first described: rounding by insertion in place, three segment builds per
// shot, merged rings from freshly built neighbours, each run between left-out hidden shots built
// on its own.
namespace reference {

double Norm(const T3DVector& v) {
    return std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
}

T3DVector Unit(const T3DVector& v) {
    double length = Norm(v);
    if (length == 0.0)
        length = 1e-99;
    return {v.X / length, v.Y / length, v.Z / length};
}

T3DVector Minus(const T3DVector& a, const T3DVector& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}

double Turn(const T3DVector& p, const T3DVector& b, const T3DVector& n) {
    const T3DVector in = Minus(b, p);
    const T3DVector out = Minus(n, b);
    const double lengths = Norm(in) * Norm(out);
    if (lengths == 0.0)
        return 0.0;
    const double cosine = (in.X * out.X + in.Y * out.Y + in.Z * out.Z) / lengths;
    return std::acos(std::clamp(cosine, -1.0, 1.0)) * survey::kRadToDeg;
}

double CutLength(float left, float right, double leg) {
    double r = std::max(left, right);
    const double h = leg / 2.0;
    if (r == 0.0 || r > h)
        r = h;
    return r;
}

void CutCorner(TStationList& list, std::size_t i) {
    const TStation b = list[i];
    const TStation p = list[i - 1];
    const TStation n = list[i + 1];
    TStation before = b;
    T3DVector leg = Minus(b.Position, p.Position);
    T3DVector u = Unit(leg);
    double r = CutLength(b.Left, b.Right, Norm(leg));
    before.Position = {b.Position.X - u.X * r, b.Position.Y - u.Y * r, b.Position.Z - u.Z * r};
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(i), before);
    TStation after = b;
    leg = Minus(n.Position, b.Position);
    u = Unit(leg);
    r = CutLength(n.Left, n.Right, Norm(leg));
    after.Position = {b.Position.X + u.X * r, b.Position.Y + u.Y * r, b.Position.Z + u.Z * r};
    list[i + 1] = after;
}

void RoundingPass(TStationList& list, double threshold) {
    std::size_t i = 1;
    while (i + 2 <= list.size()) {
        if (Turn(list[i - 1].Position, list[i].Position, list[i + 1].Position) > threshold) {
            CutCorner(list, i);
            i += 2;
        } else {
            i += 1;
        }
    }
}

PassageSegment Segment(const TStationList& list, long i, const TPassageOptions& options,
                       const TStationAdjust& adjust) {
    PassageSegment s;
    const long n = static_cast<long>(list.size());
    if (i < 0 || i >= n - 1 || list[i + 1].RecordType == 'M')
        return s;
    const TStation a = FetchStation(list, i, adjust);
    const TStation b = FetchStation(list, i + 1, adjust);
    const TShotFrame frame = ShotFrame(a.Position, b.Position, options);
    s.StartRing = MakeCrossSection(a, frame, options.PassShape);
    s.EndRing = MakeCrossSection(b, frame, options.PassShape);
    s.Valid = true;
    return s;
}

T3DVector Mid(const T3DVector& a, const T3DVector& b) {
    return {(a.X + b.X) / 2, (a.Y + b.Y) / 2, (a.Z + b.Z) / 2};
}

struct TRun {
    const TPassageOptions& Options;
    TPassageRunState& State;
    TRecorder& Out;
    bool WithCaps;
    TStationAdjust Adjust;

    void Cap(const CrossSection& ring, bool isStart) {
        if (!WithCaps)
            return;
        const int c = ring.CornerCount;
        for (int k = 0; k < c; ++k)
            Out.Cap(ring.Centre, ring.Corners[k], ring.Corners[(k + 1) % c], isStart);
        State.PolygonCount += c;
    }

    void Emit(const TStationList& list, long i, bool first, bool last) {
        PassageSegment s = Segment(list, i, Options, Adjust);
        if (!s.Valid)
            return;
        const int c = s.StartRing.CornerCount;
        if (Options.MergePass) {
            const PassageSegment before = Segment(list, i - 1, Options, Adjust);
            const PassageSegment after = Segment(list, i + 1, Options, Adjust);
            for (int k = 0; before.Valid && k < c; ++k)
                s.StartRing.Corners[k] = Mid(s.StartRing.Corners[k], before.EndRing.Corners[k]);
            for (int k = 0; after.Valid && k < c; ++k)
                s.EndRing.Corners[k] = Mid(s.EndRing.Corners[k], after.StartRing.Corners[k]);
        }
        for (int k = 0; k < c; ++k) {
            const int k1 = (k + 1) % c;
            Out.Wall(s.StartRing.Corners[k], s.EndRing.Corners[k], s.EndRing.Corners[k1],
                     s.StartRing.Corners[k1]);
        }
        State.PolygonCount += c;
        if (Options.SealEnds && first)
            Cap(s.StartRing, true);
        if (Options.SealEnds && last)
            Cap(s.EndRing, false);
    }
};

TRecorder Generate(const survey::TPlotData& data, const TPassageOptions& options,
                   TPassageRunState& state, bool withCaps) {
    TRecorder out;
    out.State = &state;
    state.PolygonCount = 0;
    state.AbortPassages = false;
    TRun run{options, state, out, withCaps, MakeStationAdjust(data, options)};
    TStationList list;
    for (int section = 0; section < data.Sections.Count(); ++section) {
        const survey::TRange surveys = data.SectionSurveyRange(section);
        for (int i = surveys.First; i <= surveys.Last; ++i) {
            state.CurrentSurvey = i;
            if (data.Surveys[i].SurveyKind != 0)
                continue;
            const survey::TRange traverses = data.SurveyTraverseRange(i);
            for (int t = traverses.First; t <= traverses.Last; ++t) {
                // A left-out hidden shot cuts the traverse in two, the second starting at the
                // hidden record: each piece is built as a traverse of its own.
                const survey::TRange shots = data.TraverseShotRange(t);
                TPassageOptions piece = options;
                piece.IncludeHiddenShots = true;
                for (int first = shots.First; first <= shots.Last;) {
                    int last = first;
                    while (last < shots.Last &&
                           (options.IncludeHiddenShots || data.Shots.RecordType(last + 1) != 'd'))
                        ++last;
                    LoadTraverse(data, first, last, piece, list);
                    for (int pass = 0; pass < options.RoundDepth; ++pass)
                        RoundingPass(list, options.CornerThreshold);
                    const long n = static_cast<long>(list.size());
                    for (long s = 0; s < n; ++s)
                        run.Emit(list, s, s == 0, s == n - 2);
                    first = last + 1;
                }
            }
        }
    }
    return out;
}

} // namespace reference

// Every combination of the switches and shapes, with the thresholds and substitutes cycling.
std::vector<TPassageOptions> AllCombinations(TPassShape shape) {
    std::vector<TPassageOptions> all;
    int index = 0;
    for (int round = 0; round <= 2; ++round)
        for (int bits = 0; bits < 32; ++bits)
            for (int adjust = 0; adjust < 3; ++adjust, ++index) {
                TPassageOptions o;
                o.PassShape = shape;
                o.RoundDepth = round;
                o.MergePass = bits & 1;
                o.SealEnds = bits & 2;
                o.VerticalPrisms = bits & 4;
                o.ExpandWalls = bits & 8;
                o.IncludeHiddenShots = bits & 16;
                o.MetricUnits = adjust == 1;
                o.CenterOnCave = adjust == 2;
                const double corners[] = {20.0, 45.0, 90.0, 5.0};
                const double substitutes[] = {2.0, 0.0, 1.5};
                const double verticals[] = {50.0, 30.0, 80.0, 90.0};
                o.CornerThreshold = corners[index % 4];
                o.SubstituteDiam = substitutes[index % 3];
                o.VerticalThreshold = verticals[(index / 4) % 4];
                all.push_back(o);
            }
    return all;
}

std::string Describe(const TPassageOptions& o) {
    return "shape " + std::to_string(static_cast<int>(o.PassShape)) + " round " +
           std::to_string(o.RoundDepth) + " merge " + std::to_string(o.MergePass) + " seal " +
           std::to_string(o.SealEnds) + " vertical " + std::to_string(o.VerticalPrisms) +
           " expand " + std::to_string(o.ExpandWalls) + " hidden " +
           std::to_string(o.IncludeHiddenShots) + " metric " + std::to_string(o.MetricUnits) +
           " center " + std::to_string(o.CenterOnCave) + " corner " +
           std::to_string(o.CornerThreshold) + " substitute " + std::to_string(o.SubstituteDiam);
}

// Runs both generators and requires the same polygons, in the same order, to the bit.
void ExpectSameAsReference(const survey::TPlotData& data, const TPassageOptions& options,
                           bool withCaps = true) {
    SCOPED_TRACE(Describe(options));
    TPassageRunState fastState;
    TPassageRunState referenceState;
    const TRecorder fast = test::RecordPassages(data, options, fastState, withCaps);
    const TRecorder slow = reference::Generate(data, options, referenceState, withCaps);
    ASSERT_GT(slow.Polygons.size(), 0u);
    ASSERT_EQ(fast.Polygons.size(), slow.Polygons.size());
    for (std::size_t i = 0; i < fast.Polygons.size(); ++i)
        ASSERT_TRUE(test::SameBits(fast.Polygons[i], slow.Polygons[i])) << "polygon " << i;
    EXPECT_EQ(fastState.PolygonCount, referenceState.PolygonCount);
    EXPECT_EQ(fastState.CurrentSurvey, referenceState.CurrentSurvey);
}

class ReferenceComparison : public ::testing::TestWithParam<TPassShape> {};

TEST_P(ReferenceComparison, RandomCaveGivesTheReferencePolygonsBitForBit) {
    survey::TPlotData data;
    test::BuildRandomCave(data, 7 + static_cast<std::uint32_t>(GetParam()), 3000);
    for (const TPassageOptions& options : AllCombinations(GetParam())) {
        ExpectSameAsReference(data, options);
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ReferenceComparison,
                         ::testing::Values(TPassShape::Square, TPassShape::Diamond,
                                           TPassShape::Octagon));

TEST(ReferenceComparison, WithoutACapProcedureStillMatches) {
    survey::TPlotData data;
    test::BuildRandomCave(data, 99, 2000);
    TPassageOptions options;
    options.SealEnds = true;
    ExpectSameAsReference(data, options, false);
}

TEST(ReferenceComparison, GeneratedPlotFileGivesTheReferencePolygonsBitForBit) {
    test::TempDir dir;
    const std::string file = dir.File("cave.plt");
    survey::TGenOptions gen;
    gen.Seed = 11;
    gen.Stations = 20000;
    survey::GeneratePlotFile(file, gen);
    survey::TPlotData data;
    SilentUi ui;
    survey::LoadPlotFile(data, file, {}, ui);
    ASSERT_GT(data.Shots.Count(), 10000);
    const std::vector<TPassageOptions> all = AllCombinations(TPassShape::Octagon);
    for (std::size_t i = 0; i < all.size(); i += 7) { // a spread of the combinations
        ExpectSameAsReference(data, all[i]);
        if (HasFatalFailure())
            return;
    }
}

// One long traverse (a single move), so every shot meets the next at a station.
void BuildLongTraverse(survey::TPlotData& data, std::uint32_t seed) {
    survey::TPlotData scratch;
    test::BuildRandomCave(scratch, seed, 1500);
    test::TCaveBuilder cave(data);
    cave.Survey();
    for (int i = 0; i < scratch.Shots.Count(); ++i) {
        survey::TPlotRecord r = scratch.Shots.Get(i);
        cave.Station(i == 0 ? 'M' : 'D', r.Position, r.Left, r.Right, r.Up, r.Down);
    }
}

// Wall groups of one traverse: the end corners of each shot against the start corners of the next.
std::size_t GapCount(const TRecorder& out, int corners) {
    std::size_t gaps = 0;
    for (std::size_t shot = 1; (shot + 1) * corners <= out.Polygons.size(); ++shot)
        for (int k = 0; k < corners; ++k) {
            const TPolygon& before = out.Polygons[(shot - 1) * corners + k];
            const TPolygon& after = out.Polygons[shot * corners + k];
            gaps += test::SameBits(before.Points[1], after.Points[0]) ? 0 : 1;
        }
    return gaps;
}

TEST(PassageGeometry, MergedRingsLeaveNoGapBetweenShots) {
    survey::TPlotData data;
    BuildLongTraverse(data, 5);
    for (TPassShape shape : {TPassShape::Square, TPassShape::Diamond, TPassShape::Octagon})
        for (int round = 0; round <= 2; ++round) {
            TPassageOptions options;
            options.PassShape = shape;
            options.RoundDepth = round;
            TPassageRunState state;
            const TRecorder out = test::RecordPassages(data, options, state);
            const int c = shape == TPassShape::Octagon ? 8 : 4;
            ASSERT_GT(out.Polygons.size(), 1000u);
            EXPECT_EQ(GapCount(out, c), 0u) << "shape " << int(shape) << " round " << round;
            options.MergePass = false; // the same walk unmerged does leave gaps at bends
            EXPECT_GT(GapCount(test::RecordPassages(data, options, state), c), 0u);
        }
}

// The viewer's scene swaps north and up: (x, z, y). Its front faces are those whose points turn
// clockwise seen from the front, with the normal (p1 - p0) x (p2 - p0) towards the viewer.
T3DVector SceneNormal(const T3DVector& p0, const T3DVector& p1, const T3DVector& p2) {
    const T3DVector a{p1.X - p0.X, p1.Z - p0.Z, p1.Y - p0.Y};
    const T3DVector b{p2.X - p0.X, p2.Z - p0.Z, p2.Y - p0.Y};
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

// Points in a line, up to rounding: their normal has no meaningful direction.
bool Degenerate(const T3DVector& p0, const T3DVector& p1, const T3DVector& p2) {
    const double edges = survey::Length(survey::Sub(p1, p0)) * survey::Length(survey::Sub(p2, p0));
    return survey::Length(SceneNormal(p0, p1, p2)) <= 1e-9 * edges;
}

T3DVector ToScene(const T3DVector& v) {
    return {v.X, v.Z, v.Y};
}

// +1 when the normal points along direction, -1 against it, 0 when the two are (nearly) square.
int Side(const T3DVector& normal, const T3DVector& direction) {
    const double d = survey::Dot(normal, direction);
    const double scale = survey::Length(normal) * survey::Length(direction);
    if (scale == 0.0 || std::fabs(d) < 1e-6 * scale)
        return 0;
    return d > 0 ? 1 : -1;
}

TEST(PassageGeometry, CapsFaceAwayFromTheShotTheyClose) {
    for (TPassShape shape : {TPassShape::Square, TPassShape::Diamond, TPassShape::Octagon})
        for (bool prisms : {true, false}) {
            survey::TPlotData data;
            test::BuildRandomCave(data, 21, 2000);
            TPassageOptions options;
            options.PassShape = shape;
            options.SealEnds = true;
            options.MergePass = false;
            options.VerticalPrisms = prisms;
            TPassageRunState state;
            const TRecorder out = test::RecordPassages(data, options, state);
            const int c = shape == TPassShape::Octagon ? 8 : 4;
            int outward = 0, inward = 0;
            for (std::size_t i = c; i < out.Polygons.size(); ++i) {
                const TPolygon& cap = out.Polygons[i];
                if (!cap.IsCap || out.Polygons[i - 1].IsCap)
                    continue;
                // The walls just before the fan belong to the shot it closes; their other ring
                // lies inside that shot.
                T3DVector inside{};
                for (int k = 0; k < c; ++k)
                    inside =
                        survey::Add(inside, out.Polygons[i - c + k].Points[cap.IsStart ? 1 : 0]);
                inside = survey::Scale(inside, 1.0 / c);
                for (int k = 0; k < c; ++k) {
                    const TPolygon& tri = out.Polygons[i + k];
                    ASSERT_TRUE(tri.IsCap);
                    const T3DVector& a = tri.Points[tri.IsStart ? 1 : 2]; // the viewer's order
                    const T3DVector& b = tri.Points[tri.IsStart ? 2 : 1];
                    if (Degenerate(tri.Points[0], a, b))
                        continue; // a zero dimension puts the centre on the ring's edge
                    const int side = Side(SceneNormal(tri.Points[0], a, b),
                                          ToScene(survey::Sub(inside, tri.Points[0])));
                    outward += side < 0;
                    inward += side > 0;
                }
            }
            EXPECT_GT(outward, 300) << "shape " << int(shape);
            EXPECT_EQ(inward, 0) << "shape " << int(shape) << " prisms " << prisms;
        }
}

TEST(PassageGeometry, WallsFaceAwayFromTheShotAxis) {
    survey::TPlotData data;
    test::BuildRandomCave(data, 33, 1500);
    TPassageOptions options;
    options.RoundDepth = 0;
    const TStationAdjust adjust;
    int outward = 0, inward = 0;
    TStationList list;
    for (TPassShape shape : {TPassShape::Square, TPassShape::Diamond, TPassShape::Octagon})
        for (std::int32_t t = 0; t < data.TraverseStarts.Count(); ++t) {
            options.PassShape = shape;
            const survey::TRange shots = data.TraverseShotRange(t);
            LoadTraverse(data, shots.First, shots.Last, options, list);
            for (std::size_t i = 0; i + 1 < list.size(); ++i) {
                const PassageSegment s =
                    BuildSegment(list, static_cast<std::ptrdiff_t>(i), options, adjust);
                const int c = s.StartRing.CornerCount;
                const T3DVector axis =
                    survey::Scale(survey::Add(s.StartRing.Centre, s.EndRing.Centre), 0.5);
                for (int k = 0; k < c; ++k) {
                    const int k1 = (k + 1) % c;
                    const T3DVector& p0 = s.StartRing.Corners[k];
                    const T3DVector& p2 = s.EndRing.Corners[k1];
                    const T3DVector middle = survey::Scale(survey::Add(p0, p2), 0.5);
                    if (Degenerate(p0, s.EndRing.Corners[k], p2))
                        continue;
                    const int side = Side(SceneNormal(p0, s.EndRing.Corners[k], p2),
                                          ToScene(survey::Sub(middle, axis)));
                    outward += side > 0;
                    inward += side < 0;
                }
            }
        }
    EXPECT_GT(outward, 1000);
    EXPECT_EQ(inward, 0);
}

} // namespace
} // namespace lumora::passage
