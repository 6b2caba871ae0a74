#include "passage/PassageLib.h"

#include "platform/Error.h"

#include <algorithm>
#include <cmath>

namespace lumora::passage {

using survey::Add;
using survey::DivideBy;
using survey::Scale;
using survey::Sub;

TPassageRunState& PassageRunState() {
    static TPassageRunState state;
    return state;
}

double TurnAngle(const T3DVector& a, const T3DVector& b, const T3DVector& c) {
    return survey::AngleBetween(Sub(b, a), Sub(c, b)) * survey::kRadToDeg;
}

namespace {

// How far a cut point lies from the corner: the wider side, unless 0 or beyond half the leg.
double CutDistance(float left, float right, double legLength) {
    const double half = legLength / 2.0;
    const double r = std::max(left, right);
    return (r == 0.0 || r > half) ? half : r;
}

T3DVector Midpoint(const T3DVector& a, const T3DVector& b) {
    return DivideBy(Add(a, b), 2.0);
}

} // namespace

TStation BeforePoint(const TStation& p, const TStation& b) {
    const T3DVector leg = Sub(b.Position, p.Position);
    TStation point = b;
    const double r = CutDistance(b.Left, b.Right, survey::Length(leg));
    point.Position = Sub(b.Position, Scale(survey::Normalize(leg), r));
    return point;
}

TStation AfterPoint(const TStation& b, const TStation& n) {
    const T3DVector leg = Sub(n.Position, b.Position);
    TStation point = b;
    const double r = CutDistance(n.Left, n.Right, survey::Length(leg));
    point.Position = Add(b.Position, Scale(survey::Normalize(leg), r));
    return point;
}

// Streams the list into scratch: a cut station gives its before- and after-point, and the next
// station is judged against the after-point, as if the points had been inserted in place.
void RoundingPass(TStationList& list, const TPassageOptions& options, TStationList& scratch) {
    const std::size_t n = list.size();
    if (n < 3)
        return;
    scratch.clear();
    scratch.reserve(n + n / 2);
    scratch.push_back(list[0]);
    for (std::size_t j = 1; j + 1 < n; ++j) {
        const TStation previous = scratch.back();
        const TStation& corner = list[j];
        const TStation& next = list[j + 1];
        // Only a station between two shots is a corner: a move on either side breaks the run.
        if (corner.RecordType != 'M' && next.RecordType != 'M' &&
            TurnAngle(previous.Position, corner.Position, next.Position) >
                options.CornerThreshold) {
            scratch.push_back(BeforePoint(previous, corner));
            scratch.push_back(AfterPoint(corner, next));
        } else {
            scratch.push_back(corner);
        }
    }
    scratch.push_back(list[n - 1]);
    list.swap(scratch);
}

void RoundTraverse(TStationList& list, const TPassageOptions& options, TStationList& scratch) {
    for (std::int32_t pass = 0; pass < options.RoundDepth; ++pass)
        RoundingPass(list, options, scratch);
}

PassageSegment BuildSegment(const TStationList& list, std::ptrdiff_t i,
                            const TPassageOptions& options, const TStationAdjust& adjust) {
    PassageSegment segment;
    const auto n = static_cast<std::ptrdiff_t>(list.size());
    if (i < 0 || i >= n - 1 || list[static_cast<std::size_t>(i) + 1].RecordType == 'M')
        return segment;
    const TStation a = FetchStation(list, static_cast<std::size_t>(i), adjust);
    const TStation b = FetchStation(list, static_cast<std::size_t>(i) + 1, adjust);
    const TShotFrame frame = ShotFrame(a.Position, b.Position, options);
    segment.StartRing = MakeCrossSection(a, frame, options.PassShape);
    segment.EndRing = MakeCrossSection(b, frame, options.PassShape);
    segment.Valid = true;
    return segment;
}

namespace {

// One run of GeneratePassages. Each shot's segment is built once and kept while its neighbours
// need it: with merging, shot i uses the unmerged segments i - 1 and i + 1 as they are built.
class TPassageRun {
public:
    TPassageRun(const survey::TPlotData& data, const TPassageOptions& options,
                TPassageRunState& state, TEndCapProc endCap, TWallQuadProc wallQuad)
        : m_Data(data), m_Options(options), m_State(state), m_EndCap(endCap), m_WallQuad(wallQuad),
          m_Adjust(MakeStationAdjust(data, options)) {}

    void ProcessSurvey(std::int32_t index);

private:
    void ProcessTraverse(std::int32_t traverse);
    void EmitList();
    void EmitShot(const PassageSegment& segment, const PassageSegment* before,
                  const PassageSegment* after, bool first, bool last);
    void Cap(const T3DVector* corners, std::int32_t count, const T3DVector& centre, bool isStart);

    const survey::TPlotData& m_Data;
    const TPassageOptions& m_Options;
    TPassageRunState& m_State;
    TEndCapProc m_EndCap;
    TWallQuadProc m_WallQuad;
    TStationAdjust m_Adjust;
    TStationList m_List;
    TStationList m_Scratch;
    std::array<PassageSegment, 3> m_Segments;
};

void TPassageRun::ProcessSurvey(std::int32_t index) {
    m_State.CurrentSurvey = index;
    if (!m_WallQuad)
        throw Error("No output procedure assigned.");
    if (m_Data.Surveys[index].SurveyKind != 0)
        return;
    const survey::TRange traverses = m_Data.SurveyTraverseRange(index);
    for (std::int32_t t = traverses.First; t <= traverses.Last && !m_State.AbortPassages; ++t)
        ProcessTraverse(t);
}

void TPassageRun::ProcessTraverse(std::int32_t traverse) {
    const survey::TRange shots = m_Data.TraverseShotRange(traverse);
    LoadTraverse(m_Data, shots.First, shots.Last, m_Options, m_List);
    RoundTraverse(m_List, m_Options, m_Scratch);
    EmitList();
}

void TPassageRun::EmitList() {
    const auto n = static_cast<std::ptrdiff_t>(m_List.size());
    const bool merge = m_Options.MergePass;
    PassageSegment* before = &m_Segments[0];
    PassageSegment* current = &m_Segments[1];
    PassageSegment* after = &m_Segments[2];
    before->Valid = false;
    *current = BuildSegment(m_List, 0, m_Options, m_Adjust);
    for (std::ptrdiff_t i = 0; i + 1 < n; ++i) {
        if (merge)
            *after = BuildSegment(m_List, i + 1, m_Options, m_Adjust);
        // A run starts at the list's first station or at a move inside it (a left-out hidden
        // shot), and ends at the last station or before such a move.
        const bool first = i == 0 || m_List[static_cast<std::size_t>(i)].RecordType == 'M';
        const bool last = i == n - 2 || m_List[static_cast<std::size_t>(i) + 2].RecordType == 'M';
        if (current->Valid)
            EmitShot(*current, merge && before->Valid ? before : nullptr,
                     merge && after->Valid ? after : nullptr, first, last);
        if (merge) {
            std::swap(before, current); // before = the shot just emitted
            std::swap(current, after);  // current = the next shot, after = free
        } else {
            *current = BuildSegment(m_List, i + 1, m_Options, m_Adjust);
        }
    }
}

void TPassageRun::EmitShot(const PassageSegment& segment, const PassageSegment* before,
                           const PassageSegment* after, bool first, bool last) {
    const std::int32_t c = segment.StartRing.CornerCount;
    std::array<T3DVector, 8> start = segment.StartRing.Corners;
    std::array<T3DVector, 8> end = segment.EndRing.Corners;
    if (before)
        for (std::int32_t k = 0; k < c; ++k)
            start[k] = Midpoint(start[k], before->EndRing.Corners[k]);
    if (after)
        for (std::int32_t k = 0; k < c; ++k)
            end[k] = Midpoint(end[k], after->StartRing.Corners[k]);
    for (std::int32_t k = 0; k < c; ++k) {
        const std::int32_t k1 = (k + 1) % c;
        m_WallQuad(start[k], end[k], end[k1], start[k1]);
    }
    m_State.PolygonCount += c;
    if (!m_Options.SealEnds)
        return;
    if (first)
        Cap(start.data(), c, segment.StartRing.Centre, true);
    if (last)
        Cap(end.data(), c, segment.EndRing.Centre, false);
}

void TPassageRun::Cap(const T3DVector* corners, std::int32_t count, const T3DVector& centre,
                      bool isStart) {
    if (!m_EndCap)
        return;
    for (std::int32_t k = 0; k + 1 < count; ++k)
        m_EndCap(centre, corners[k], corners[k + 1], isStart);
    m_EndCap(centre, corners[count - 1], corners[0], isStart);
    m_State.PolygonCount += count;
}

// 100 x index / count, rounded to the nearest integer with halves away from zero.
std::int32_t Percent(std::int32_t index, std::int32_t count) {
    return static_cast<std::int32_t>(std::round(100.0 * index / count));
}

} // namespace

void GeneratePassages(const survey::TPlotData& data, const TPassageOptions& options,
                      TPassageRunState& state, TEndCapProc endCap, TWallQuadProc wallQuad,
                      TPassageProgressProc progress) {
    state.PolygonCount = 0;
    state.AbortPassages = false;
    TPassageRun run(data, options, state, endCap, wallQuad);
    const std::int32_t surveyCount = data.Surveys.Count();
    for (std::int32_t s = 0; s < data.Sections.Count() && !state.AbortPassages; ++s) {
        const survey::TRange surveys = data.SectionSurveyRange(s);
        for (std::int32_t i = surveys.First; i <= surveys.Last && !state.AbortPassages; ++i) {
            run.ProcessSurvey(i);
            if (i % 50 == 0 && progress)
                progress(state.PolygonCount, Percent(i, surveyCount));
        }
    }
}

void GeneratePassages(TEndCapProc endCap, TWallQuadProc wallQuad, TPassageProgressProc progress) {
    GeneratePassages(survey::PlotData(), PassageOptions(), PassageRunState(), endCap, wallQuad,
                     progress);
}

TMeshEstimate EstimatePassageMesh(std::int64_t drawCount, std::int64_t endCount,
                                  const TPassageOptions& options) {
    const std::int64_t c = options.PassShape == TPassShape::Octagon ? 8 : 4;
    std::int64_t shots = drawCount;
    // Each pass can at most double the shots; a file without shots stays without.
    for (std::int32_t pass = 0; pass < options.RoundDepth && shots > 0; ++pass)
        shots = 2 * shots - 1;
    TMeshEstimate estimate;
    estimate.Vertices = 4 * c * shots + 3 * c * endCount;
    estimate.Faces = c * shots + c * endCount;
    estimate.Normals = 2 * estimate.Vertices;
    return estimate;
}

namespace {

template <class R> TOutline OutlineOf(const R& a, const R& b) {
    const TShotFrame frame = ShotFrame(a.Position, b.Position, TPassageOptions{});
    return {
        Add(a.Position, Scale(frame.Left, a.Left)), Add(a.Position, Scale(frame.Right, a.Right)),
        Add(b.Position, Scale(frame.Left, b.Left)), Add(b.Position, Scale(frame.Right, b.Right))};
}

} // namespace

TOutline ShotOutline(const survey::TPlotRecord& a, const survey::TPlotRecord& b) {
    return OutlineOf(a, b);
}
TOutline ShotOutline(const TStation& a, const TStation& b) {
    return OutlineOf(a, b);
}

void MergeOutlines(TOutline& prev, TOutline& next) {
    const T3DVector left = Midpoint(prev[2], next[0]);
    const T3DVector right = Midpoint(prev[3], next[1]);
    prev[2] = next[0] = left;
    prev[3] = next[1] = right;
}

void WidenBounds(T3DVector& minBounds, T3DVector& maxBounds, double margin) {
    minBounds = survey::Offset(minBounds, -margin);
    maxBounds = survey::Offset(maxBounds, margin);
}

void BoundsToMeters(T3DVector& minBounds, T3DVector& maxBounds, double feetToMeters) {
    minBounds = Scale(minBounds, feetToMeters);
    maxBounds = Scale(maxBounds, feetToMeters);
}

} // namespace lumora::passage
