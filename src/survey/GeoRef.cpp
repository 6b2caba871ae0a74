#include "survey/GeoRef.h"

#include "platform/UiServices.h"
#include "survey/PlotArray.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace lumora::survey {

namespace {

constexpr std::array<TEllipsoidParams, kEllipsoidCount> kEllipsoids{{
    {6378206.4, 6356583.8, "Clarke 1866"},
    {6378249.145, 6356514.86955, "Clarke 1880"},
    {6377397.155, 6356078.96284, "Bessel"},
    {6378157.5, 6356772.2, "International 1967"},
    {6378388.0, 6356911.94613, "International 1909"},
    {6378135.0, 6356750.519915, "WGS 72"},
    {6377276.3452, 6356075.4133, "Everest"},
    {6378145.0, 6356759.769356, "WGS 66"},
    {6378137.0, 6356752.31414, "GRS 1980"},
    {6378137.0, 6356752.31414, "WGS 84"},
    {6377563.396, 6356256.91, "Airy"},
    {6377304.063, 6356103.039, "Modified Everest"},
    {6377340.189, 6356034.448, "Modified Airy"},
    {6378137.0, 6356752.314245, "Walbeck"},
    {6378155.0, 6356773.3205, "Southeast Asia"},
    {6378160.0, 6356774.719, "Australian National"},
    {6378245.0, 6356863.0188, "Krassovsky"},
    {6378270.0, 6356794.343479, "Hough"},
    {6378166.0, 6356784.283666, "Mercury 1960"},
    {6378150.0, 6356768.337303, "Modified Mercury 1968"},
    {6378160.0, 6356774.7192, "South American 1969"},
    {6370997.0, 6370997.0, "Sphere of Radius 6370997m"},
}};

constexpr std::array<TGeoParams, kDatumCount> kDatums{{
    {1, {-162, -12, 206}, "Adindan"},
    {1, {-143, -90, -294}, "Arc 1950"},
    {1, {-160, -8, -300}, "Arc 1960"},
    {15, {-133, -48, 148}, "Australian 1966"},
    {15, {-134, -48, 149}, "Australian 1984"},
    {3, {-104, -129, 230}, "Camp Area Astro"},
    {1, {-136, -108, -292}, "Cape"},
    {4, {-87, -98, -121}, "European 1950"},
    {3, {-86, -98, -119}, "European 1979"},
    {3, {84, -22, 209}, "Geodetic 1949"},
    {3, {-156, -271, -189}, "Hong Kong 1963"},
    {3, {-634, -549, -201}, "Hu Tzu Shan"},
    {6, {289, 734, 257}, "Indian"},
    {0, {-8, 160, 176}, "North American 1927"},
    {8, {0, 0, 0}, "North American 1983"},
    {1, {-346, -1, 224}, "Oman"},
    {10, {375, -111, 431}, "Ordnance Survey 1936"},
    {16, {27, -135, -89}, "Pulkovo 1942"},
    {3, {-288, 175, -376}, "South American 1956"},
    {20, {-57, 1, -41}, "South American 1969"},
    {2, {-128, 481, 664}, "Tokyo"},
    {5, {0, 0, -4.5}, "WGS 1972"},
    {9, {0, 0, 0}, "WGS 1984"},
}};

int ValidDatum(int index) {
    return index >= 0 && index < kDatumCount ? index : kDefaultDatum;
}

double MeridianArcRadians(const TUTMConstants& k, double phi) {
    return k.A0 * phi + k.A2 * std::sin(2.0 * phi) + k.A4 * std::sin(4.0 * phi) +
           k.A6 * std::sin(6.0 * phi);
}

// One step of the footpoint latitude search towards the meridian arc m; arcOfPhi receives the
// arc of the starting latitude.
double FootpointStep(const TUTMConstants& k, double m, double phi, double& arcOfPhi) {
    arcOfPhi = MeridianArc(k, phi * kRadToDeg);
    const double d = m - arcOfPhi;
    const double sinPhi = std::sin(phi);
    const double g = 1.0 - k.E2 * sinPhi * sinPhi;
    const double t = (1.0 - k.E2) * k.A;
    return phi + d * std::pow(g, 1.5) / t + d * d * std::cos(phi) * (-3.0 * k.E2 * g * g / (t * t));
}

// The latitude (radians) whose meridian arc is m: one step from the equator, then at most ten
// more until the arc stops changing.
double FootpointLatitude(const TUTMConstants& k, double m) {
    double arc = 0.0;
    double phi = FootpointStep(k, m, 0.0, arc);
    double previousArc = m;
    for (int i = 0; i < 10; ++i) {
        phi = FootpointStep(k, m, phi, arc);
        if (arc == previousArc)
            break;
        previousArc = arc;
    }
    return std::clamp(phi, -std::numbers::pi / 2.0, std::numbers::pi / 2.0);
}

// Degrees of a position the series gave. Far outside the UTM band (80° S to 84° N), as with
// local coordinates given a southern zone, the series diverges: the latitude then stops at the
// pole, where every longitude names the same point, and longitudes beyond ±180° wrap around.
void ToDegreesOnTheGlobe(double lambda0, double lambda, double phi, double& longitude,
                         double& latitude) {
    const double halfPi = std::numbers::pi / 2.0;
    if (std::isnan(phi) || std::fabs(phi) >= halfPi) {
        phi = std::signbit(phi) ? -halfPi : halfPi;
        lambda = lambda0;
    }
    longitude = lambda * kRadToDeg;
    latitude = phi * kRadToDeg;
    if (std::fabs(longitude) > 180.0)
        longitude = std::remainder(longitude, 360.0);
}

} // namespace

const std::array<TEllipsoidParams, kEllipsoidCount>& Ellipsoids() {
    return kEllipsoids;
}

const std::array<TGeoParams, kDatumCount>& Datums() {
    return kDatums;
}

int FillDatumList(std::vector<std::string>& list) {
    list.clear();
    for (const TGeoParams& datum : kDatums)
        list.emplace_back(datum.Name);
    return kDefaultDatum;
}

void GetDatum(int index, double& a, double& b, T3DVector& shift) {
    const TGeoParams& datum = kDatums[ValidDatum(index)];
    a = kEllipsoids[datum.Ellipsoid].A;
    b = kEllipsoids[datum.Ellipsoid].B;
    shift = datum.Shift;
}

void EllipsoidParams(int index, double& a, double& b, T3DVector& shift, double& e2,
                     double& flattening) {
    GetDatum(index, a, b, shift);
    e2 = 1.0 - (b * b) / (a * a);
    flattening = (a - b) / a;
}

TUTMConstants PrepareUTMConstants(int datum) {
    TUTMConstants k;
    T3DVector shift;
    GetDatum(datum, k.A, k.B, shift);
    const double a2 = k.A * k.A;
    const double b2 = k.B * k.B;
    k.E2 = (a2 - b2) / a2;
    k.EP2 = (a2 - b2) / b2;
    const double e4 = k.E2 * k.E2;
    const double e6 = e4 * k.E2;
    const double e8 = e6 * k.E2;
    const double c = (1.0 - k.E2) * k.A;
    k.A0 = (1.0 + 0.75 * k.E2 + 0.703125 * e4 + 0.68359375 * e6 + 0.67291259765625 * e8) * c;
    k.A2 = (0.75 * k.E2 + 0.9375 * e4 + 1.025390625 * e6 + 1.07666015625 * e8) * (-c / 2.0);
    k.A4 = (0.234375 * e4 + 0.41015625 * e6 + 0.538330078125 * e8) * (c / 4.0);
    k.A6 = (0.068359375 * e6 + 0.15380859375 * e8) * (-c / 6.0);
    return k;
}

double MeridianArc(const TUTMConstants& constants, double latitudeDegrees) {
    return MeridianArcRadians(constants, latitudeDegrees * kDegToRad);
}

void UTMToGeographic(int zone, double easting, double northing, int datum, double& longitude,
                     double& latitude) {
    const TUTMConstants k = PrepareUTMConstants(datum);
    const double lambda0 = (6.0 * std::fabs(static_cast<double>(zone)) - 183.0) * kDegToRad;
    const double falseNorthing = zone < 0 ? 10000000.0 : 0.0;
    const double ePrime = (easting - 500000.0) / k.K0;
    const double m = (northing - falseNorthing) / k.K0;

    const double phi1 = FootpointLatitude(k, m);
    const double s = std::sin(phi1);
    const double c1 = std::cos(phi1);
    const double tanPhi = std::tan(phi1);
    const double t = tanPhi * tanPhi;
    const double q = k.EP2 * c1 * c1;
    const double n = k.A / std::sqrt(1.0 - k.E2 * s * s);
    const double d = ePrime / n;
    const double g = tanPhi * (1.0 + q);
    const double d2 = d * d;
    const double d4 = d2 * d2;
    const double d6 = d4 * d2;

    const double lambda =
        lambda0 + (d - d2 * d * (1.0 + 2.0 * t + q) / 6.0 +
                   d4 * d * (5.0 + 28.0 * t + 24.0 * t * t + 6.0 * q + 8.0 * t * q) / 120.0) /
                      c1;
    const double t2 = t * t;
    const double q2 = q * q;
    const double series6 = 61.0 + 90.0 * t + 46.0 * q + 45.0 * t2 - 252.0 * t * q - 3.0 * q2 +
                           100.0 * q2 * q - 66.0 * t * q2 - 90.0 * t2 * q + 88.0 * q2 * q2 +
                           225.0 * t2 * q2 + 84.0 * t * q2 * q - 192.0 * t * q2 * q2;
    const double phi =
        phi1 - g * d2 / 2.0 + g * d4 * (5.0 + 3.0 * t + q - 4.0 * q2 - 9.0 * t * q) / 24.0 -
        g * d6 * series6 / 720.0 +
        g * d6 * d2 * (1385.0 + 3633.0 * t + 4095.0 * t2 + 1575.0 * t2 * t) / 40320.0;
    ToDegreesOnTheGlobe(lambda0, lambda, phi, longitude, latitude);
}

void DatumShift(double& longitude, double& latitude, double& height, int fromDatum, int toDatum) {
    if (fromDatum == toDatum)
        return;
    double a = 0.0, b = 0.0, e2 = 0.0, f = 0.0;
    double toA = 0.0, toB = 0.0, toE2 = 0.0, toF = 0.0;
    T3DVector fromShift, toShift;
    EllipsoidParams(fromDatum, a, b, fromShift, e2, f);
    EllipsoidParams(toDatum, toA, toB, toShift, toE2, toF);
    const double da = toA - a;
    const double df = toF - f;
    const T3DVector delta = Sub(fromShift, toShift);

    const double phi = latitude * kDegToRad;
    const double lambda = longitude * kDegToRad;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinLambda = std::sin(lambda), cosLambda = std::cos(lambda);
    const double w = 1.0 - e2 * sinPhi * sinPhi;
    const double rn = a / std::sqrt(w);
    const double rm = a * (1.0 - e2) / std::pow(w, 1.5);
    const double aOverB = 1.0 / (1.0 - f);
    const double bOverA = 1.0 - f;

    const double dPhi =
        (-delta.X * sinPhi * cosLambda - delta.Y * sinPhi * sinLambda + delta.Z * cosPhi +
         da * rn * e2 * sinPhi * cosPhi / a + df * (rm * aOverB + rn * bOverA) * sinPhi * cosPhi) /
        (rm + height);
    const double dLambda = (-delta.X * sinLambda + delta.Y * cosLambda) / ((rn + height) * cosPhi);
    const double dHeight = delta.X * cosPhi * cosLambda + delta.Y * cosPhi * sinLambda +
                           delta.Z * sinPhi - da * a / rn + df * bOverA * rn * sinPhi * sinPhi;

    // The changes are added in degrees, so a zero shift leaves the values bit for bit.
    longitude += dLambda * kRadToDeg;
    latitude += dPhi * kRadToDeg;
    height += dHeight;
}

std::string GeoreferenceWarning(const std::string& extraLine) {
    std::string text = "No Georeference Data In Plot File.\r\n"
                       "Data may be missing from the project or\r\n"
                       "the file may have been compiled with an old compiler.\r\n"
                       "Check the Fixed Links in Project Manager and Recompile.\r\n";
    if (!extraLine.empty())
        text += extraLine + "\r\n";
    return text;
}

bool CheckGeoreference(const TPlotData& plotData, UiServices& ui, const std::string& extraLine) {
    // A later "G 0" line leaves Georeferenced set, and zones beyond 60 do not exist: neither gives
    // usable coordinates.
    const bool usable = plotData.Georeferenced && plotData.UTMZone != 0 &&
                        plotData.UTMZone >= -60 && plotData.UTMZone <= 60;
    if (!usable)
        ui.Warning(GeoreferenceWarning(extraLine));
    return usable;
}

} // namespace lumora::survey
