#include "survey/VectorMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumora::survey {

double Length(const T3DVector& v) {
    return std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
}

T3DVector Normalize(const T3DVector& v) {
    double length = Length(v);
    if (length == 0.0)
        length = 1e-99;
    return DivideBy(v, length);
}

double AngleBetween(const T3DVector& a, const T3DVector& b) {
    const double lengths = Length(a) * Length(b);
    if (lengths == 0.0)
        return 0.0;
    return std::acos(std::clamp(Dot(a, b) / lengths, -1.0, 1.0));
}

T3DVector VecMin(const T3DVector& a, const T3DVector& b) {
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::min(a.Z, b.Z)};
}

T3DVector VecMax(const T3DVector& a, const T3DVector& b) {
    return {std::max(a.X, b.X), std::max(a.Y, b.Y), std::max(a.Z, b.Z)};
}

T3DVector Direction(const T3DVector& a, const T3DVector& b, double d) {
    return Scale(Normalize(Sub(a, b)), d);
}

TSegment ShortenStart(const TSegment& segment, double d) {
    return {Add(segment.Start, Direction(segment.End, segment.Start, d)), segment.End};
}

TSegment ShortenEnd(const TSegment& segment, double d) {
    return {segment.Start, Add(segment.End, Direction(segment.Start, segment.End, d))};
}

double TriangleArea(const TTriangle& t) {
    const double a = Length(Sub(t[1], t[0]));
    const double b = Length(Sub(t[2], t[1]));
    const double c = Length(Sub(t[0], t[2]));
    const double s = (a + b + c) / 2.0;
    return std::sqrt(std::fabs(s * (s - a) * (s - b) * (s - c)));
}

double Azimuth(double north, double east) {
    const double pi = std::numbers::pi;
    const double sign = east < 0.0 ? -1.0 : 1.0;
    if (north > 0.0)
        return std::atan(east / north);
    if (north == 0.0)
        return sign * pi / 2.0;
    return std::atan(east / north) + sign * pi;
}

void ShotAngles(const T3DVector& from, const T3DVector& to, double& bearing, double& distance,
                double& inclination) {
    const T3DVector d = Sub(to, from);
    distance = Length(d);
    bearing = Azimuth(d.Y, d.X) * kRadToDeg;
    if (bearing < 0.0)
        bearing += 360.0;
    if (bearing >= 360.0) // a tiny negative angle rounds up to 360
        bearing = 0.0;
    if (d.Z == 0.0)
        inclination = 0.0;
    else
        inclination = std::asin(std::clamp(d.Z / distance, -1.0, 1.0)) * kRadToDeg;
}

} // namespace lumora::survey
