// Passage options, the station list of one traverse, shot frames and cross-section rings.
#pragma once

#include "survey/HugeArry.h"
#include "survey/PlotArray.h"
#include "survey/SuiteSettings.h"
#include "survey/VectorMath.h"

#include <array>
#include <cstdint>
#include <vector>

namespace lumora::passage {

using survey::T3DVector;

// Item indexes of the "Passage Shape" radio group.
enum class TPassShape : std::int32_t { Square = 0, Diamond = 1, Octagon = 2 };

// The options every passage run reads. Lengths in the plot file's unit (feet), angles in degrees.
struct TPassageOptions {
    TPassShape PassShape = TPassShape::Octagon;
    double CornerThreshold = 20.0;   // a station whose legs turn by more than this is rounded
    std::int32_t RoundDepth = 1;     // rounding passes: 0 "None", 1 "One Pass", 2 "Two Pass"
    double SubstituteDiam = 2.0;     // given to stations without any dimension; 0 = none
    bool ExpandWalls = true;         // fill missing dimensions from the neighbouring station
    bool SealEnds = false;           // close the first and last ring of every traverse
    bool MergePass = true;           // average the two rings that meet at a station
    bool VerticalPrisms = true;      // steep shots get horizontal rings
    double VerticalThreshold = 50.0; // inclination from which a shot counts as steep
    bool CenterOnCave = false;       // subtract the centre of the plot bounds from positions
    bool MetricUnits = false; // multiply positions and dimensions by the feet-to-metres factor
    bool IncludeHiddenShots = false; // also use hidden draw records ('d')
};

// The one record of passage options of the process. Each caller sets the fields it controls
// just before a run; the others keep their last values. Code below the command boundary takes a
// TPassageOptions by reference instead.
TPassageOptions& PassageOptions();

// A station of a traverse's working list: the fields the passage code uses, copied from a plot
// record. Source is the index of that record in Shots, so any other field can be looked up;
// points inserted by rounding keep the Source (and name) of the station they were cut from.
struct TStation {
    char RecordType = 'M'; // 'M' move, 'D' draw, 'd' hidden draw
    survey::ShortString<20> Station{"?"};
    T3DVector Position;
    float Up = 0.0f;
    float Down = 0.0f;
    float Right = 0.0f;
    float Left = 0.0f;
    std::int32_t Source = -1;
};

// The working list of one traverse; insertion and replacement as a vector offers them.
using TStationList = std::vector<TStation>;

TStation ToStation(const survey::TPlotRecord& record, std::int32_t source);

// Sets each dimension (Left, Right, Up, Down) that is below 0, above 900 or not a number to 0:
// the plot format writes large or negative numbers for missing dimensions.
void CleanDimensions(survey::TPlotRecord& station);
void CleanDimensions(TStation& station);

// Fills missing dimensions between the earlier station a and the later station b: Left/Right
// of a, then of b, then Up/Down of a, then of b, each from the other station, else from the
// station's own other pair, else both set to substitute (feet; 0 = no substitute).
void FillPair(survey::TPlotRecord& a, survey::TPlotRecord& b, double substitute);
void FillPair(TStation& a, TStation& b, double substitute);

// Empties list and fills it with the cleaned records first..last (inclusive) of data.Shots, then
// fills dimensions pair by pair along the list when options.ExpandWalls. Unless
// options.IncludeHiddenShots, a hidden draw is listed as a move ('M'): its shot is left out and
// the run breaks there, so no tube joins the stations on either side of it; no dimension is
// filled across a move.
void LoadTraverse(const survey::TPlotData& data, std::int32_t first, std::int32_t last,
                  const TPassageOptions& options, TStationList& list);

// How the positions and dimensions of a station are adjusted when a ring is built.
struct TStationAdjust {
    bool MetricUnits = false;
    double FeetToMeters = survey::kInternationalFoot;
    bool CenterOnCave = false;
    T3DVector Center; // in the unit of the adjusted positions, subtracted after the factor
};

// The adjustments options ask for, with the process's feet-to-metres factor and the centre of
// data's bounds (converted to metres with the positions when options.MetricUnits).
TStationAdjust MakeStationAdjust(const survey::TPlotData& data, const TPassageOptions& options);

// Station i of list, multiplied by the metric factor and then moved by the centre as asked.
TStation FetchStation(const TStationList& list, std::size_t i, const TStationAdjust& adjust);

enum class TVerticalClass { Ordinary, VerticalUp, VerticalDown };

// The frame of a shot from a to b: bearing in degrees clockwise from north, in (-180, 180]
// (90 when the shot has no horizontal extent), the horizontal right and left unit vectors, and
// whether the shot counts as steep.
struct TShotFrame {
    double Bearing = 0.0;
    T3DVector Right;
    T3DVector Left;
    TVerticalClass Vertical = TVerticalClass::Ordinary;
};

TShotFrame ShotFrame(const T3DVector& a, const T3DVector& b, const TPassageOptions& options);

// A closed ring of 4 or 8 corners around a station (Centre); corner k of the rings at both ends
// of a shot lie on the same edge of the tube.
struct CrossSection {
    std::int32_t CornerCount = 0;
    std::array<T3DVector, 8> Corners;
    T3DVector Centre;
};

// The ring of station (already fetched) in the given frame and shape. Ring orders: Square
// UpLeft, UpRight, DownRight, DownLeft; Diamond Up, Right, Down, Left; Octagon UpLeft, Up,
// UpRight, Right, DownRight, Down, DownLeft, Left, with the diagonal corners pulled halfway
// towards the edge between their neighbours. A station without dimensions gives a ring collapsed
// to its centre.
CrossSection MakeCrossSection(const TStation& station, const TShotFrame& frame, TPassShape shape);

} // namespace lumora::passage
