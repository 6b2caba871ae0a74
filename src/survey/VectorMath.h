// The 3D vector of plot space (x east, y north, z up, feet) and the free functions over it.
#pragma once

namespace lumora::survey {

struct T3DVector {
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;

    friend bool operator==(const T3DVector&, const T3DVector&) = default;
};

inline constexpr double kDegToRad = 0.017453292519943295769;
inline constexpr double kRadToDeg = 57.295779513082320877;

struct TSegment {
    T3DVector Start;
    T3DVector End;
};

using TTriangle = T3DVector[3];

inline T3DVector Vec(double x, double y, double z) {
    return {x, y, z};
}
inline T3DVector Add(const T3DVector& a, const T3DVector& b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
inline T3DVector Sub(const T3DVector& a, const T3DVector& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
inline double Dot(const T3DVector& a, const T3DVector& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
inline T3DVector Scale(const T3DVector& v, double s) {
    return {v.X * s, v.Y * s, v.Z * s};
}
inline T3DVector Offset(const T3DVector& v, double s) {
    return {v.X + s, v.Y + s, v.Z + s};
}
inline T3DVector DivideBy(const T3DVector& v, double s) {
    return {v.X / s, v.Y / s, v.Z / s};
}

double Length(const T3DVector& v);
// V divided by its length; the zero vector stays zero (its length counts as 1e-99).
T3DVector Normalize(const T3DVector& v);
// Radians between a and b; 0 when either has zero length.
double AngleBetween(const T3DVector& a, const T3DVector& b);
T3DVector VecMin(const T3DVector& a, const T3DVector& b);
T3DVector VecMax(const T3DVector& a, const T3DVector& b);
// Length d, pointing from b towards a.
T3DVector Direction(const T3DVector& a, const T3DVector& b, double d);
// Moves the start towards the end by d.
TSegment ShortenStart(const TSegment& segment, double d);
// Moves the end towards the start by d.
TSegment ShortenEnd(const TSegment& segment, double d);
// Heron's formula; collinear points give 0.
double TriangleArea(const TTriangle& triangle);
// Radians clockwise from north towards east.
double Azimuth(double north, double east);
// Bearing in [0, 360) degrees, distance in the vectors' unit, inclination in degrees.
void ShotAngles(const T3DVector& from, const T3DVector& to, double& bearing, double& distance,
                double& inclination);

} // namespace lumora::survey
