#include "viewer/ViewPresets.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace lumora::viewer {

using scene::Matrix;
using scene::Vector;

namespace {

// Distance of the model from the camera when it lies behind it (the camera's reset distance).
constexpr float kFallbackDepth = 2000;

Vector Row(const Matrix& m, int r) {
    return {m.M[r][0], m.M[r][1], m.M[r][2]};
}

Matrix FromRows(const Vector& x, const Vector& y, const Vector& z) {
    Matrix m = Matrix::Identity();
    const Vector rows[3] = {x, y, z};
    for (int r = 0; r < 3; ++r) {
        m.M[r][0] = rows[r].X;
        m.M[r][1] = rows[r].Y;
        m.M[r][2] = rows[r].Z;
    }
    return m;
}

// The turning part of a transform: its axes made unit length, no translation.
Matrix RotationOf(const Matrix& m) {
    return FromRows(scene::Normalize(Row(m, 0)), scene::Normalize(Row(m, 1)),
                    scene::Normalize(Row(m, 2)));
}

Matrix Transposed(const Matrix& m) {
    Matrix t = Matrix::Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            t.M[r][c] = m.M[c][r];
    return t;
}

// The 3 x 3 part of m (scale included), no translation.
Matrix LinearOf(const Matrix& m) {
    Matrix l = m;
    l.M[3] = {0, 0, 0, 1};
    return l;
}

Matrix ParentWorld(const scene::Frame& frame) {
    const scene::FramePtr parent = frame.GetParent();
    return parent ? parent->WorldTransform() : Matrix::Identity();
}

Matrix WorldToCamera(const TViewerScene& s) {
    Matrix toCamera = Matrix::Identity();
    if (s.CameraFrame)
        scene::Inverse(s.CameraFrame->WorldTransform(), toCamera);
    return toCamera;
}

// Camera distance of a model point under pose, or the fallback when it lies behind the camera.
float DepthOf(const TViewerScene& s, const TModelPose& pose, const Vector& point) {
    const Matrix toCamera = PoseMatrix(pose) * ParentWorld(*s.CenterFrame) * WorldToCamera(s);
    const float z = scene::TransformPoint(point, toCamera).Z;
    const float front = s.Viewport ? s.Viewport->GetFront() : 1;
    return z > front * 2 ? z : kFallbackDepth;
}

// The pose's position that puts point (model coordinates) on the camera's axis at depth.
Vector PositionPlacing(const TViewerScene& s, const TModelPose& pose, const Vector& point,
                       float depth) {
    const Vector world = scene::TransformPoint({0, 0, depth}, s.CameraFrame->WorldTransform());
    Matrix toParent;
    scene::Inverse(ParentWorld(*s.CenterFrame), toParent);
    const Vector inParent = scene::TransformPoint(world, toParent);
    return inParent - scene::TransformDirection(point, pose.Rotation) * pose.Scale;
}

struct TQuaternion {
    double W = 1, X = 0, Y = 0, Z = 0;
};

TQuaternion QuaternionOf(const Matrix& m) {
    const auto& a = m.M;
    TQuaternion q;
    const double trace = a[0][0] + a[1][1] + a[2][2];
    if (trace > 0) {
        const double s = std::sqrt(trace + 1.0) * 2;
        q = {s / 4, (a[2][1] - a[1][2]) / s, (a[0][2] - a[2][0]) / s, (a[1][0] - a[0][1]) / s};
    } else if (a[0][0] > a[1][1] && a[0][0] > a[2][2]) {
        const double s = std::sqrt(1.0 + a[0][0] - a[1][1] - a[2][2]) * 2;
        q = {(a[2][1] - a[1][2]) / s, s / 4, (a[0][1] + a[1][0]) / s, (a[0][2] + a[2][0]) / s};
    } else if (a[1][1] > a[2][2]) {
        const double s = std::sqrt(1.0 + a[1][1] - a[0][0] - a[2][2]) * 2;
        q = {(a[0][2] - a[2][0]) / s, (a[0][1] + a[1][0]) / s, s / 4, (a[1][2] + a[2][1]) / s};
    } else {
        const double s = std::sqrt(1.0 + a[2][2] - a[0][0] - a[1][1]) * 2;
        q = {(a[1][0] - a[0][1]) / s, (a[0][2] + a[2][0]) / s, (a[1][2] + a[2][1]) / s, s / 4};
    }
    return q;
}

Matrix MatrixOf(const TQuaternion& q) {
    const double w = q.W, x = q.X, y = q.Y, z = q.Z;
    Matrix m = Matrix::Identity();
    m.M[0][0] = float(1 - 2 * (y * y + z * z));
    m.M[0][1] = float(2 * (x * y - z * w));
    m.M[0][2] = float(2 * (x * z + y * w));
    m.M[1][0] = float(2 * (x * y + z * w));
    m.M[1][1] = float(1 - 2 * (x * x + z * z));
    m.M[1][2] = float(2 * (y * z - x * w));
    m.M[2][0] = float(2 * (x * z - y * w));
    m.M[2][1] = float(2 * (y * z + x * w));
    m.M[2][2] = float(1 - 2 * (x * x + y * y));
    return m;
}

TQuaternion Slerp(TQuaternion a, const TQuaternion& b, double t) {
    double dot = a.W * b.W + a.X * b.X + a.Y * b.Y + a.Z * b.Z;
    if (dot < 0) { // the short way round
        a = {-a.W, -a.X, -a.Y, -a.Z};
        dot = -dot;
    }
    double ka = 1 - t, kb = t;
    if (dot < 0.9995) {
        const double angle = std::acos(std::min(dot, 1.0));
        ka = std::sin((1 - t) * angle) / std::sin(angle);
        kb = std::sin(t * angle) / std::sin(angle);
    }
    TQuaternion q{ka * a.W + kb * b.W, ka * a.X + kb * b.X, ka * a.Y + kb * b.Y,
                  ka * a.Z + kb * b.Z};
    const double n = std::sqrt(q.W * q.W + q.X * q.X + q.Y * q.Y + q.Z * q.Z);
    return {q.W / n, q.X / n, q.Y / n, q.Z / n};
}

} // namespace

TModelPose PoseOf(const scene::Frame& frame) {
    const Matrix& m = frame.GetTransform();
    TModelPose pose;
    pose.Scale = scene::Length(Row(m, 0));
    pose.Rotation = RotationOf(m);
    pose.Position = Row(m, 3);
    return pose;
}

Matrix PoseMatrix(const TModelPose& pose) {
    Matrix m = pose.Rotation;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.M[r][c] *= pose.Scale;
    m.M[3] = {pose.Position.X, pose.Position.Y, pose.Position.Z, 1};
    return m;
}

Matrix PresetRotation(TViewPreset preset) {
    // Rows: where the model's east (x), up (y) and north (z) point in the camera's axes
    // (x right, y up, z away from the viewer).
    switch (preset) {
    case TViewPreset::Plan:
        return FromRows({1, 0, 0}, {0, 0, -1}, {0, 1, 0});
    case TViewPreset::North:
        return FromRows({1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    case TViewPreset::East:
        return FromRows({0, 0, 1}, {0, 1, 0}, {-1, 0, 0});
    case TViewPreset::South:
        return FromRows({-1, 0, 0}, {0, 1, 0}, {0, 0, -1});
    case TViewPreset::West:
        return FromRows({0, 0, -1}, {0, 1, 0}, {1, 0, 0});
    }
    return Matrix::Identity();
}

TModelPose PresetPose(const TViewerScene& s, const TModelPose& from, TViewPreset preset) {
    TModelPose to = from;
    const Matrix camera = RotationOf(s.CameraFrame->WorldTransform());
    const Matrix parent = RotationOf(ParentWorld(*s.CenterFrame));
    to.Rotation = PresetRotation(preset) * camera * Transposed(parent);
    return to;
}

TModelPose FitPose(const TViewerScene& s, const TModelPose& from, double fill) {
    scene::Box box;
    if (!s.Viewport || !s.CenterFrame->GetHierarchyBox(box))
        return from;
    const Vector centre = (box.Min + box.Max) * 0.5f;
    const float depth = DepthOf(s, from, centre);
    const Matrix linear = LinearOf(from.Rotation * ParentWorld(*s.CenterFrame) * WorldToCamera(s));
    std::array<Vector, 8> offsets;
    for (int i = 0; i < 8; ++i)
        offsets[i] = scene::TransformDirection(Vector{i & 1 ? box.Max.X : box.Min.X,
                                                      i & 2 ? box.Max.Y : box.Min.Y,
                                                      i & 4 ? box.Max.Z : box.Min.Z} -
                                                   centre,
                                               linear);
    const scene::Viewport& v = *s.Viewport;
    const double field = v.GetField() > 0 ? v.GetField() : 0.5;
    const double k = std::max(v.GetWidth(), v.GetHeight()) / 2.0 / field;
    const double halfW = fill * v.GetWidth() / 2, halfH = fill * v.GetHeight() / 2;
    const double front = v.GetFront();
    auto fits = [&](double scale) {
        for (const Vector& d : offsets) {
            const double z = depth + scale * d.Z;
            if (z <= front || k * std::fabs(scale * d.X) > halfW * z ||
                k * std::fabs(scale * d.Y) > halfH * z)
                return false;
        }
        return true;
    };
    double lo = 0, hi = std::max(from.Scale, 1e-6f);
    for (int i = 0; i < 200 && fits(hi); ++i)
        hi *= 2;
    if (fits(hi)) // a box of no size fits at any scale
        return from;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    TModelPose to = from;
    to.Scale = float(lo);
    to.Position = PositionPlacing(s, to, centre, depth);
    return to;
}

TModelPose CentrePose(const TViewerScene& s, const TModelPose& from, const Vector& point) {
    TModelPose to = from;
    to.Position = PositionPlacing(s, from, point, DepthOf(s, from, point));
    return to;
}

void StartAnimation(TViewAnimation& a, const scene::Frame& frame, const TModelPose& to,
                    double now) {
    a.From = PoseOf(frame);
    a.To = to;
    a.Start = now;
    a.Active = true;
}

bool StepAnimation(TViewAnimation& a, scene::Frame& frame, double now) {
    if (!a.Active)
        return false;
    const double t = a.Duration > 0 ? std::clamp((now - a.Start) / a.Duration, 0.0, 1.0) : 1.0;
    TModelPose pose = a.To;
    if (t < 1) {
        const double e = t * t * (3 - 2 * t);
        pose.Rotation =
            MatrixOf(Slerp(QuaternionOf(a.From.Rotation), QuaternionOf(a.To.Rotation), e));
        pose.Scale = float(std::pow(double(a.From.Scale), 1 - e) * std::pow(double(a.To.Scale), e));
        pose.Position = a.From.Position + (a.To.Position - a.From.Position) * float(e);
    } else {
        a.Active = false;
    }
    frame.AddTransform(scene::Combine::Replace, PoseMatrix(pose));
    return true;
}

TModelPose TargetPose(const TViewAnimation& a, const scene::Frame& frame) {
    return a.Active ? a.To : PoseOf(frame);
}

} // namespace lumora::viewer
