// The measurement between two stations: slope and horizontal distance, vertical difference and
// bearing, and its read-out in the chosen units.
#pragma once

#include "viewer/ViewSettings.h"

#include "survey/VectorMath.h"

#include <string>
#include <string_view>

namespace lumora::viewer {

struct TMeasurement {
    double Slope = 0;      // straight-line distance, feet
    double Horizontal = 0; // feet
    double Vertical = 0;   // to minus from, feet (positive: to lies higher)
    double Bearing = 0;    // degrees clockwise from north, 0 to below 360; 0 for a vertical leg
};

// From one plot position (feet; east, north, up) to another.
TMeasurement Measure(const survey::T3DVector& from, const survey::T3DVector& to);

// "A1 to B7: Slope 12.3 ft  Horiz. 10.1 ft  Vert. -7.0 ft  Bearing 045.0°" (lengths with one
// decimal in unit; the bearing with three digits before the point).
std::string MeasurementText(std::string_view from, std::string_view to, const TMeasurement& m,
                            TLengthUnit unit);

} // namespace lumora::viewer
