#include "platform/scene/SceneMath.h"

#include <algorithm>
#include <cmath>

namespace lumora::scene {

Matrix Matrix::Identity() {
    Matrix m;
    for (int i = 0; i < 4; ++i)
        m.M[i][i] = 1;
    return m;
}

Matrix Matrix::Translation(float x, float y, float z) {
    Matrix m = Identity();
    m.M[3] = {x, y, z, 1};
    return m;
}

Matrix Matrix::Scale(float sx, float sy, float sz) {
    Matrix m = Identity();
    m.M[0][0] = sx;
    m.M[1][1] = sy;
    m.M[2][2] = sz;
    return m;
}

Matrix Matrix::Rotation(const Vector& axis, float angle) {
    const Vector k = Normalize(axis);
    Matrix m = Identity();
    if (Length(k) == 0)
        return m;
    const float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    // Rows are the images of the axes (row vectors): a positive angle turns by the left-hand
    // rule of the left-handed scene, so about y the z axis swings towards +x.
    m.M[0] = {t * k.X * k.X + c, t * k.X * k.Y + s * k.Z, t * k.X * k.Z - s * k.Y, 0};
    m.M[1] = {t * k.X * k.Y - s * k.Z, t * k.Y * k.Y + c, t * k.Y * k.Z + s * k.X, 0};
    m.M[2] = {t * k.X * k.Z + s * k.Y, t * k.Y * k.Z - s * k.X, t * k.Z * k.Z + c, 0};
    return m;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.M[i][j] = a.M[i][0] * b.M[0][j] + a.M[i][1] * b.M[1][j] + a.M[i][2] * b.M[2][j] +
                        a.M[i][3] * b.M[3][j];
    return r;
}

Vector TransformPoint(const Vector& p, const Matrix& m) {
    return TransformDirection(p, m) + Vector{m.M[3][0], m.M[3][1], m.M[3][2]};
}

Vector TransformDirection(const Vector& d, const Matrix& m) {
    return {d.X * m.M[0][0] + d.Y * m.M[1][0] + d.Z * m.M[2][0],
            d.X * m.M[0][1] + d.Y * m.M[1][1] + d.Z * m.M[2][1],
            d.X * m.M[0][2] + d.Y * m.M[1][2] + d.Z * m.M[2][2]};
}

bool Inverse(const Matrix& m, Matrix& inverse) {
    const auto& a = m.M;
    const double det = double(a[0][0]) * (double(a[1][1]) * a[2][2] - double(a[1][2]) * a[2][1]) -
                       double(a[0][1]) * (double(a[1][0]) * a[2][2] - double(a[1][2]) * a[2][0]) +
                       double(a[0][2]) * (double(a[1][0]) * a[2][1] - double(a[1][1]) * a[2][0]);
    inverse = Matrix::Identity();
    if (!std::isfinite(det) || std::abs(det) < 1e-30)
        return false;
    auto& r = inverse.M;
    const double k = 1 / det;
    r[0][0] = float(k * (double(a[1][1]) * a[2][2] - double(a[1][2]) * a[2][1]));
    r[0][1] = float(k * (double(a[0][2]) * a[2][1] - double(a[0][1]) * a[2][2]));
    r[0][2] = float(k * (double(a[0][1]) * a[1][2] - double(a[0][2]) * a[1][1]));
    r[1][0] = float(k * (double(a[1][2]) * a[2][0] - double(a[1][0]) * a[2][2]));
    r[1][1] = float(k * (double(a[0][0]) * a[2][2] - double(a[0][2]) * a[2][0]));
    r[1][2] = float(k * (double(a[0][2]) * a[1][0] - double(a[0][0]) * a[1][2]));
    r[2][0] = float(k * (double(a[1][0]) * a[2][1] - double(a[1][1]) * a[2][0]));
    r[2][1] = float(k * (double(a[0][1]) * a[2][0] - double(a[0][0]) * a[2][1]));
    r[2][2] = float(k * (double(a[0][0]) * a[1][1] - double(a[0][1]) * a[1][0]));
    const Vector t = TransformDirection({a[3][0], a[3][1], a[3][2]}, inverse);
    r[3] = {-t.X, -t.Y, -t.Z, 1};
    return true;
}

void Extend(Box& box, bool& empty, const Vector& p) {
    if (empty) {
        box.Min = box.Max = p;
        empty = false;
        return;
    }
    box.Min = {std::min(box.Min.X, p.X), std::min(box.Min.Y, p.Y), std::min(box.Min.Z, p.Z)};
    box.Max = {std::max(box.Max.X, p.X), std::max(box.Max.Y, p.Y), std::max(box.Max.Z, p.Z)};
}

float LargestSide(const Box& box) {
    return std::max({box.Max.X - box.Min.X, box.Max.Y - box.Min.Y, box.Max.Z - box.Min.Z});
}

} // namespace lumora::scene

namespace lumora::scene {

static std::uint32_t ColorByte(float value) {
    if (!(value > 0))
        return 0;
    return value >= 1 ? 255u : std::uint32_t(std::lround(value * 255));
}

Color ColorFromRGBA(float r, float g, float b, float a) {
    return (ColorByte(a) << 24) | (ColorByte(r) << 16) | (ColorByte(g) << 8) | ColorByte(b);
}

} // namespace lumora::scene
