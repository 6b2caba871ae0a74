// Georeferencing: ellipsoid and datum tables, UTM to latitude/longitude, Molodensky datum shift.
#pragma once

#include "survey/VectorMath.h"

#include <array>
#include <string>
#include <vector>

namespace lumora {
class UiServices;
}

namespace lumora::survey {

class TPlotData;

// An ellipsoid: semi-major axis A and semi-minor axis B in metres.
struct TEllipsoidParams {
    double A;
    double B;
    const char* Name;
};

// A datum: its ellipsoid (index into Ellipsoids()) and the shift in metres that takes
// coordinates of the datum to WGS 1984.
struct TGeoParams {
    int Ellipsoid;
    T3DVector Shift;
    const char* Name;
};

inline constexpr int kEllipsoidCount = 22;
inline constexpr int kDatumCount = 23;
inline constexpr int kDefaultDatum = 13; // North American 1927
inline constexpr int kWGS1984Datum = 22;
inline constexpr double kUTMScaleFactor = 0.9996;

const std::array<TEllipsoidParams, kEllipsoidCount>& Ellipsoids();
// In the order of the exporter's datum list: the list index is the datum index.
const std::array<TGeoParams, kDatumCount>& Datums();

// Empties list, adds the datum names in table order and returns the index to select (13).
int FillDatumList(std::vector<std::string>& list);

// The datum's ellipsoid axes (metres) and its shift to WGS 1984 (metres). An index outside
// 0..22 means North American 1927 (13).
void GetDatum(int index, double& a, double& b, T3DVector& shift);
// As GetDatum, plus e² = 1 − b²/a² and the flattening (a − b)/a.
void EllipsoidParams(int index, double& a, double& b, T3DVector& shift, double& e2,
                     double& flattening);

// The constants of one datum's UTM conversion.
struct TUTMConstants {
    double A = 0.0; // semi-major axis, metres
    double B = 0.0; // semi-minor axis, metres
    double K0 = kUTMScaleFactor;
    double E2 = 0.0;  // (a² − b²) / a²
    double EP2 = 0.0; // (a² − b²) / b²
    double A0 = 0.0;  // meridian arc coefficients, metres
    double A2 = 0.0;
    double A4 = 0.0;
    double A6 = 0.0;
};

// The conversion constants of the datum (an index outside 0..22 means 13).
TUTMConstants PrepareUTMConstants(int datum);

// Length in metres of the meridian from the equator to the latitude (degrees) on the ellipsoid
// of the constants.
double MeridianArc(const TUTMConstants& constants, double latitudeDegrees);

// UTM easting and northing (metres) of the zone on the datum to longitude and latitude (degrees)
// on the same datum. A negative zone is the southern hemisphere (false northing 10 000 000 m).
// The series agrees with exact projections to about 1e-7° within 200 km of the central meridian
// below 75° of latitude, and to a few tenths of a metre at the zone edges; towards the poles it
// drifts, and far outside the UTM band (80° S to 84° N) it diverges: the result is then kept on
// the globe (the latitude stops at a pole; longitudes beyond ±180° wrap around).
void UTMToGeographic(int zone, double easting, double northing, int datum, double& longitude,
                     double& latitude);

// Molodensky shift of a position (degrees, height in metres) from one datum to another; nothing
// happens when the two are equal. Indices outside 0..22 mean 13.
void DatumShift(double& longitude, double& latitude, double& height, int fromDatum, int toDatum);

// The warning shown when a plot file holds no georeference data; each piece ends in CR LF and
// extraLine, when not empty, is the last piece.
std::string GeoreferenceWarning(const std::string& extraLine);

// True when the survey model holds a usable UTM zone (a G line with a zone from 1 to 60, north
// or south). Otherwise shows GeoreferenceWarning(extraLine) through ui and returns false.
bool CheckGeoreference(const TPlotData& plotData, UiServices& ui, const std::string& extraLine);

} // namespace lumora::survey
