#include "passage/CrossSection.h"

#include <algorithm>
#include <cmath>

namespace lumora::passage {

using survey::Add;
using survey::DivideBy;
using survey::Scale;
using survey::Sub;
using survey::Vec;

TPassageOptions& PassageOptions() {
    static TPassageOptions options;
    return options;
}

TStation ToStation(const survey::TPlotRecord& record, std::int32_t source) {
    TStation station;
    station.RecordType = record.RecordType;
    station.Station = record.Station;
    station.Position = record.Position;
    station.Up = record.Up;
    station.Down = record.Down;
    station.Right = record.Right;
    station.Left = record.Left;
    station.Source = source;
    return station;
}

namespace {

// The largest dimension kept; the plot format writes larger or negative values when missing.
constexpr float kLargestDimension = 900.0f;

float CleanDimension(float value) {
    if (std::isnan(value) || value < 0.0f || value > kLargestDimension)
        return 0.0f;
    return value;
}

template <class R> void CleanRecord(R& station) {
    station.Left = CleanDimension(station.Left);
    station.Right = CleanDimension(station.Right);
    station.Up = CleanDimension(station.Up);
    station.Down = CleanDimension(station.Down);
}

// Fills an empty target pair from the source pair, else from the fallback pair, else with the
// substitute; a target with either member set is left alone.
void FillOne(float& first, float& second, float sourceFirst, float sourceSecond,
             float fallbackFirst, float fallbackSecond, float substitute) {
    if (first != 0.0f || second != 0.0f)
        return;
    if (sourceFirst != 0.0f || sourceSecond != 0.0f) {
        first = sourceFirst;
        second = sourceSecond;
    } else if (fallbackFirst != 0.0f || fallbackSecond != 0.0f) {
        first = fallbackFirst;
        second = fallbackSecond;
    } else if (substitute != 0.0f) {
        first = substitute;
        second = substitute;
    }
}

template <class R> void FillRecords(R& a, R& b, double substitute) {
    const auto s = static_cast<float>(substitute);
    FillOne(a.Left, a.Right, b.Left, b.Right, a.Up, a.Down, s);
    FillOne(b.Left, b.Right, a.Left, a.Right, b.Up, b.Down, s);
    FillOne(a.Up, a.Down, b.Up, b.Down, a.Left, a.Right, s);
    FillOne(b.Up, b.Down, a.Up, a.Down, b.Left, b.Right, s);
}

} // namespace

void CleanDimensions(survey::TPlotRecord& station) {
    CleanRecord(station);
}
void CleanDimensions(TStation& station) {
    CleanRecord(station);
}

void FillPair(survey::TPlotRecord& a, survey::TPlotRecord& b, double substitute) {
    FillRecords(a, b, substitute);
}
void FillPair(TStation& a, TStation& b, double substitute) {
    FillRecords(a, b, substitute);
}

void LoadTraverse(const survey::TPlotData& data, std::int32_t first, std::int32_t last,
                  const TPassageOptions& options, TStationList& list) {
    list.clear();
    survey::TPlotRecord record;
    for (std::int32_t i = first; i <= last; ++i) {
        data.Shots.Get(i, record);
        list.push_back(ToStation(record, i));
        CleanDimensions(list.back());
        // A left-out hidden shot breaks the run: it gets no tube, and the next shot starts at
        // the station it reached, as after a move.
        if (record.RecordType == 'd' && !options.IncludeHiddenShots)
            list.back().RecordType = 'M';
    }
    if (!options.ExpandWalls)
        return;
    for (std::size_t i = 1; i < list.size(); ++i)
        if (list[i].RecordType != 'M')
            FillPair(list[i - 1], list[i], options.SubstituteDiam);
}

TStationAdjust MakeStationAdjust(const survey::TPlotData& data, const TPassageOptions& options) {
    TStationAdjust adjust;
    adjust.MetricUnits = options.MetricUnits;
    adjust.FeetToMeters = survey::FeetToMeters();
    adjust.CenterOnCave = options.CenterOnCave;
    // The centre is kept in feet; in metres it moves with the positions it is subtracted from.
    adjust.Center = options.MetricUnits ? Scale(data.Center, adjust.FeetToMeters) : data.Center;
    return adjust;
}

TStation FetchStation(const TStationList& list, std::size_t i, const TStationAdjust& adjust) {
    TStation station = list[i];
    if (adjust.MetricUnits) {
        const double f = adjust.FeetToMeters;
        station.Position = Scale(station.Position, f);
        station.Up = static_cast<float>(station.Up * f);
        station.Down = static_cast<float>(station.Down * f);
        station.Right = static_cast<float>(station.Right * f);
        station.Left = static_cast<float>(station.Left * f);
    }
    if (adjust.CenterOnCave)
        station.Position = Sub(station.Position, adjust.Center);
    return station;
}

namespace {

// Degrees above the horizon of the shot a -> b; 0 for a level (or zero-length) shot.
double Inclination(const T3DVector& a, const T3DVector& b) {
    const T3DVector d = Sub(b, a);
    if (d.Z == 0.0)
        return 0.0;
    const double ratio = std::min(std::fabs(d.Z) / survey::Length(d), 1.0);
    return std::asin(ratio) * survey::kRadToDeg;
}

} // namespace

TShotFrame ShotFrame(const T3DVector& a, const T3DVector& b, const TPassageOptions& options) {
    TShotFrame frame;
    const double dx = b.X - a.X;
    const double dy = b.Y - a.Y;
    frame.Bearing = (dx == 0.0 && dy == 0.0) ? 90.0 : std::atan2(dx, dy) * survey::kRadToDeg;
    const double across = (frame.Bearing + 90.0) * survey::kDegToRad;
    frame.Right = Vec(std::sin(across), std::cos(across), 0.0);
    frame.Left = Vec(-frame.Right.X, -frame.Right.Y, 0.0);
    if (options.VerticalPrisms && Inclination(a, b) >= options.VerticalThreshold)
        frame.Vertical = b.Z > a.Z ? TVerticalClass::VerticalUp : TVerticalClass::VerticalDown;
    return frame;
}

namespace {

// The eight corner points of a station before they are put in ring order.
struct TCorners {
    T3DVector Up, Down, Left, Right, UpLeft, UpRight, DownRight, DownLeft;
};

TCorners OrdinaryCorners(const T3DVector& p, double u, double d, double l, double r,
                         const TShotFrame& frame) {
    const T3DVector left = Add(p, Scale(frame.Left, l));
    const T3DVector right = Add(p, Scale(frame.Right, r));
    const T3DVector up = Vec(0.0, 0.0, u);
    const T3DVector down = Vec(0.0, 0.0, d);
    return {Add(p, up),     Sub(p, down),     left,           right, Add(left, up),
            Add(right, up), Sub(right, down), Sub(left, down)};
}

// Steep shots lay the ring flat: Left -x, Right +x, Up +y, Down -y. Going up, the Up and Down
// slots exchange their points so that the ring runs the other way round.
TCorners FlatCorners(const T3DVector& p, double u, double d, double l, double r, bool goingUp) {
    const double upY = goingUp ? -d : u;
    const double downY = goingUp ? u : -d;
    return {Add(p, Vec(0.0, upY, 0.0)), Add(p, Vec(0.0, downY, 0.0)), Add(p, Vec(-l, 0.0, 0.0)),
            Add(p, Vec(r, 0.0, 0.0)),   Add(p, Vec(-l, upY, 0.0)),    Add(p, Vec(r, upY, 0.0)),
            Add(p, Vec(r, downY, 0.0)), Add(p, Vec(-l, downY, 0.0))};
}

// Moves the diagonal corner q halfway towards the middle of its neighbours p and n.
T3DVector Pull(const T3DVector& q, const T3DVector& p, const T3DVector& n) {
    return DivideBy(Add(DivideBy(Add(p, n), 2.0), q), 2.0);
}

} // namespace

CrossSection MakeCrossSection(const TStation& station, const TShotFrame& frame, TPassShape shape) {
    const double u = station.Up, d = station.Down, l = station.Left, r = station.Right;
    const TCorners c = frame.Vertical == TVerticalClass::Ordinary
                           ? OrdinaryCorners(station.Position, u, d, l, r, frame)
                           : FlatCorners(station.Position, u, d, l, r,
                                         frame.Vertical == TVerticalClass::VerticalUp);
    CrossSection ring;
    ring.Centre = station.Position;
    switch (shape) {
    case TPassShape::Square:
        ring.CornerCount = 4;
        ring.Corners = {c.UpLeft, c.UpRight, c.DownRight, c.DownLeft};
        break;
    case TPassShape::Diamond:
        ring.CornerCount = 4;
        ring.Corners = {c.Up, c.Right, c.Down, c.Left};
        break;
    case TPassShape::Octagon: {
        const T3DVector upRight = Pull(c.UpRight, c.Up, c.Right);
        const T3DVector downRight = Pull(c.DownRight, c.Right, c.Down);
        const T3DVector downLeft = Pull(c.DownLeft, c.Down, c.Left);
        const T3DVector upLeft = Pull(c.UpLeft, c.Left, c.Up);
        ring.CornerCount = 8;
        ring.Corners = {upLeft, c.Up, upRight, c.Right, downRight, c.Down, downLeft, c.Left};
        break;
    }
    }
    return ring;
}

} // namespace lumora::passage
