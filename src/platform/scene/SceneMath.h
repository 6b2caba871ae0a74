// Small vector and matrix types of the scene: single-precision, row vectors, left-handed, y up.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

namespace lumora::scene {

struct Vector {
    float X = 0, Y = 0, Z = 0;
};

// Homogeneous screen coordinates as the viewport returns them.
struct Vector4 {
    float X = 0, Y = 0, Z = 0, W = 1;
};

// Axis-aligned box: Min and Max corners.
struct Box {
    Vector Min, Max;
};

// 4 x 4 transform for row vectors (p' = p * M): rows 0..2 are the axes, row 3 the translation.
struct Matrix {
    std::array<std::array<float, 4>, 4> M{};
    static Matrix Identity();
    static Matrix Translation(float x, float y, float z);
    static Matrix Scale(float sx, float sy, float sz);
    // Rotation by angle radians about a unit axis, left-hand rule (about y, z turns towards +x);
    // a zero axis gives the identity.
    static Matrix Rotation(const Vector& axis, float angle);
};

// The small vector operations are inline: the normal generation runs them millions of times.
inline Vector operator+(const Vector& a, const Vector& b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
inline Vector operator-(const Vector& a, const Vector& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
inline Vector operator*(const Vector& a, float s) {
    return {a.X * s, a.Y * s, a.Z * s};
}
inline bool operator==(const Vector& a, const Vector& b) {
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z;
}
inline float Dot(const Vector& a, const Vector& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
inline Vector Cross(const Vector& a, const Vector& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
inline float Length(const Vector& a) {
    return std::sqrt(Dot(a, a));
}
// Unit vector of a; a vector of length 0 comes back unchanged.
inline Vector Normalize(const Vector& a) {
    const float length = Length(a);
    return length > 0 ? a * (1 / length) : a;
}

Matrix operator*(const Matrix& a, const Matrix& b);
// Point through the full transform (w = 1), direction through the axes only (w = 0).
Vector TransformPoint(const Vector& p, const Matrix& m);
Vector TransformDirection(const Vector& d, const Matrix& m);
// Inverse of an affine transform (last column 0, 0, 0, 1); false and the identity when singular.
bool Inverse(const Matrix& m, Matrix& inverse);

// Grows box to hold p; the first point of an empty box (empty = true) sets both corners.
void Extend(Box& box, bool& empty, const Vector& p);
// Largest side of the box.
float LargestSide(const Box& box);

} // namespace lumora::scene

namespace lumora::scene {

// Packed colour: (alpha << 24) | (red << 16) | (green << 8) | blue.
using Color = std::uint32_t;

// Packs float components 0..1 (clamped, rounded) into a colour.
Color ColorFromRGBA(float r, float g, float b, float a);
inline Color ColorFromRGB(float r, float g, float b) {
    return ColorFromRGBA(r, g, b, 1);
}
inline unsigned ColorAlpha(Color c) {
    return c >> 24;
}
inline unsigned ColorRed(Color c) {
    return (c >> 16) & 0xFF;
}
inline unsigned ColorGreen(Color c) {
    return (c >> 8) & 0xFF;
}
inline unsigned ColorBlue(Color c) {
    return c & 0xFF;
}

} // namespace lumora::scene
