#include "survey/VectorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace lumora::survey {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectVecNear(const T3DVector& actual, const T3DVector& expected, double tolerance = 1e-12) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

struct TShot {
    double Bearing = -1.0;
    double Distance = -1.0;
    double Inclination = -1.0;
};

TShot Shot(const T3DVector& from, const T3DVector& to) {
    TShot s;
    ShotAngles(from, to, s.Bearing, s.Distance, s.Inclination);
    return s;
}

TEST(VectorMath, NormalizeKeepsTheZeroVectorZero) {
    EXPECT_EQ(Normalize(Vec(0, 0, 0)), Vec(0, 0, 0));
    ExpectVecNear(Normalize(Vec(3, 0, 4)), Vec(0.6, 0, 0.8));
    EXPECT_NEAR(Length(Normalize(Vec(-2, 7, 1e5))), 1.0, 1e-15);
}

TEST(VectorMath, ComponentWiseOperations) {
    const T3DVector a = Vec(1, -2, 3);
    const T3DVector b = Vec(-4, 5, 0.5);
    EXPECT_EQ(Add(a, b), Vec(-3, 3, 3.5));
    EXPECT_EQ(Sub(a, b), Vec(5, -7, 2.5));
    EXPECT_EQ(Dot(a, b), -4 - 10 + 1.5);
    EXPECT_EQ(Scale(a, -2), Vec(-2, 4, -6));
    EXPECT_EQ(Offset(a, 1), Vec(2, -1, 4));
    EXPECT_EQ(DivideBy(a, 2), Vec(0.5, -1, 1.5));
    EXPECT_EQ(VecMin(a, b), Vec(-4, -2, 0.5));
    EXPECT_EQ(VecMax(a, b), Vec(1, 5, 3));
}

TEST(VectorMath, AngleBetweenIsZeroForZeroLengthsAndNeverNaN) {
    EXPECT_EQ(AngleBetween(Vec(0, 0, 0), Vec(1, 2, 3)), 0.0);
    EXPECT_EQ(AngleBetween(Vec(1, 2, 3), Vec(0, 0, 0)), 0.0);
    EXPECT_NEAR(AngleBetween(Vec(1, 0, 0), Vec(0, 5, 0)), kPi / 2, 1e-15);
    // Parallel and opposite vectors whose quotient rounds beyond ±1.
    const T3DVector v = Vec(0.1, 0.2, 0.3);
    for (double s : {3.0, 7.0, 1e-3, 12345.678}) {
        EXPECT_NEAR(AngleBetween(v, Scale(v, s)), 0.0, 1e-7) << s;
        EXPECT_NEAR(AngleBetween(v, Scale(v, -s)), kPi, 1e-7) << s;
    }
}

TEST(VectorMath, DirectionPointsFromSecondTowardsFirst) {
    ExpectVecNear(Direction(Vec(10, 0, 0), Vec(0, 0, 0), 3), Vec(3, 0, 0));
    ExpectVecNear(Direction(Vec(1, 1, 1), Vec(4, 5, 1), 10), Vec(-6, -8, 0));
    EXPECT_EQ(Direction(Vec(2, 2, 2), Vec(2, 2, 2), 5), Vec(0, 0, 0));
}

TEST(VectorMath, ShortenMovesOneEndAlongTheSegment) {
    const TSegment segment{Vec(0, 0, 0), Vec(10, 0, 0)};
    const TSegment start = ShortenStart(segment, 2);
    ExpectVecNear(start.Start, Vec(2, 0, 0));
    EXPECT_EQ(start.End, Vec(10, 0, 0));
    const TSegment end = ShortenEnd(segment, 2);
    EXPECT_EQ(end.Start, Vec(0, 0, 0));
    ExpectVecNear(end.End, Vec(8, 0, 0));
    const TSegment point{Vec(1, 1, 1), Vec(1, 1, 1)};
    EXPECT_EQ(ShortenStart(point, 2).Start, Vec(1, 1, 1)); // no NaN from a zero length
}

TEST(VectorMath, TriangleAreaByHeron) {
    const TTriangle right = {Vec(0, 0, 0), Vec(3, 0, 0), Vec(0, 4, 0)};
    EXPECT_NEAR(TriangleArea(right), 6.0, 1e-12);
    const TTriangle tilted = {Vec(1, 1, 1), Vec(1, 4, 1), Vec(1, 1, 5)};
    EXPECT_NEAR(TriangleArea(tilted), 6.0, 1e-12);
    const TTriangle collinear = {Vec(0, 0, 0), Vec(1, 0, 0), Vec(2, 0, 0)};
    EXPECT_EQ(TriangleArea(collinear), 0.0);
    // Rounding can push Heron's product below zero: the area is still a small number.
    const TTriangle skewCollinear = {Vec(0.1, 0.7, 0.3), Vec(0.4, 1.3, 0.9), Vec(1.3, 3.1, 2.7)};
    const double area = TriangleArea(skewCollinear);
    EXPECT_FALSE(std::isnan(area));
    EXPECT_NEAR(area, 0.0, 1e-6);
}

TEST(VectorMath, AzimuthByQuadrant) {
    EXPECT_NEAR(Azimuth(1, 1), kPi / 4, 1e-15);
    EXPECT_NEAR(Azimuth(-1, 1), 3 * kPi / 4, 1e-15);
    EXPECT_NEAR(Azimuth(-1, -1), -3 * kPi / 4, 1e-15);
    EXPECT_NEAR(Azimuth(1, -1), -kPi / 4, 1e-15);
    EXPECT_EQ(Azimuth(0, 2), kPi / 2);
    EXPECT_EQ(Azimuth(0, -2), -kPi / 2);
    EXPECT_EQ(Azimuth(0, 0), kPi / 2);
    EXPECT_NEAR(Azimuth(-3, 0), kPi, 1e-15);
}

TEST(VectorMath, ShotAnglesOfTheCardinalDirections) {
    const T3DVector origin = Vec(0, 0, 0);
    TShot s = Shot(origin, Vec(0, -1, 0));
    EXPECT_NEAR(s.Bearing, 180, 1e-12);
    EXPECT_EQ(s.Distance, 1);
    EXPECT_EQ(s.Inclination, 0);
    EXPECT_NEAR(Shot(origin, Vec(-1, 0, 0)).Bearing, 270, 1e-12);
    EXPECT_NEAR(Shot(origin, Vec(1, 0, 0)).Bearing, 90, 1e-12);
    EXPECT_EQ(Shot(origin, Vec(0, 1, 0)).Bearing, 0);
    s = Shot(origin, Vec(0, 0, 5));
    EXPECT_NEAR(s.Bearing, 90, 1e-12);
    EXPECT_EQ(s.Distance, 5);
    EXPECT_NEAR(s.Inclination, 90, 1e-12);
    EXPECT_NEAR(Shot(Vec(5, 5, 5), Vec(5, 5, -2)).Inclination, -90, 1e-12);
    s = Shot(Vec(1, 1, 0), Vec(1 + std::sqrt(1.5), 1 + std::sqrt(1.5), 1));
    EXPECT_NEAR(s.Bearing, 45, 1e-12);
    EXPECT_NEAR(s.Distance, 2, 1e-12);
    EXPECT_NEAR(s.Inclination, 30, 1e-12);
}

TEST(VectorMath, ShotBearingStaysBelow360ForShotsJustWestOfNorth) {
    for (double west : {1e-20, 1e-17, 1e-14}) {
        const TShot s = Shot(Vec(0, 0, 0), Vec(-west, 100, 0));
        EXPECT_GE(s.Bearing, 0.0) << west;
        EXPECT_LT(s.Bearing, 360.0) << west;
    }
}

TEST(VectorMath, ShotBetweenEqualPointsHasNoNaN) {
    const TShot s = Shot(Vec(3, 4, 5), Vec(3, 4, 5));
    EXPECT_EQ(s.Distance, 0);
    EXPECT_EQ(s.Inclination, 0);
    EXPECT_FALSE(std::isnan(s.Bearing));
}

} // namespace
} // namespace lumora::survey
