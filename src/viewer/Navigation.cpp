#include "viewer/Navigation.h"

#include "viewer/Turning.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumora::viewer {

using namespace scene;

namespace {

constexpr double kTrackballRadius = 100; // virtual sphere radius, pixels

// The step of the toolbar buttons as a turn in degrees: v / 100 of half a turn.
double StepDegrees(const TNavigation& nav) {
    return nav.IncSpin / 100 * 180;
}

void ZoomBy(TViewerScene& s, TNavigation& nav, double f) {
    nav.ZoomScale *= f;
    s.CenterFrame->AddScale(Combine::Before, float(f), float(f), float(f));
}

void PanBy(TViewerScene& s, const TNavigation& nav, double dx, double dy) {
    TranslateFrame(*s.SceneFrame, *s.CenterFrame, dx * nav.IncSpin / 100, dy * nav.IncSpin / 100,
                   0);
}

void YawBy(TViewerScene& s, const TNavigation& nav, double degrees) {
    if (nav.AnimateDown)
        SetSpin(*s.CenterFrame, s.CenterFrame, {0, 1, 0}, float(degrees / kDegreesPerRadian / 10));
    else
        RotateLocal(*s.CenterFrame, {0, 1, 0}, degrees);
}

// Mouse offset since the last stored position; stores the new one.
void TakeDelta(TNavigation& nav, int x, int y, double& dx, double& dy) {
    dx = double(x) - nav.LastMouseX;
    dy = double(y) - nav.LastMouseY;
    nav.LastMouseX = x;
    nav.LastMouseY = y;
}

bool OnlyLeft(const TMouseState& m) {
    return m.Left && !m.Right && !m.Middle && !m.Shift && !m.Ctrl && !m.Alt && !m.Double;
}

bool OnlyRight(const TMouseState& m) {
    return m.Right && !m.Left && !m.Middle && !m.Shift && !m.Ctrl && !m.Alt && !m.Double;
}

bool OnlyMiddle(const TMouseState& m) {
    return m.Middle && !m.Left && !m.Right && !m.Shift && !m.Ctrl && !m.Alt && !m.Double;
}

double Length3(double x, double y, double z) {
    return std::sqrt(x * x + y * y + z * z);
}

} // namespace

float ModelExtent(const Frame& frame) {
    Box box;
    frame.GetHierarchyBox(box);
    return LargestSide(box);
}

bool ResetScale(TViewerScene& s, TNavigation& nav, Frame& frame, UiServices& ui) {
    nav.ZoomScale = 1000;
    nav.ModelSize = ModelExtent(frame);
    frame.AddTransform(Combine::Replace, Matrix::Translation(-2, 2, 10));
    const float scale = 1000 / nav.ModelSize;
    if (nav.ModelSize != 0 && std::isfinite(scale))
        frame.AddScale(Combine::Before, scale, scale, scale);
    SetBackgroundColor(s, s.BackgroundColor);
    return s.Device ? CheckResult(ui, s.Device->Update()) : true;
}

void TranslateFrame(const Frame& reference, Frame& frame, double dx, double dy, double dz) {
    const double size = ModelExtent(reference);
    Vector p;
    frame.GetPosition(&reference, p);
    frame.SetPosition(&reference, float(p.X + size * dx), float(p.Y + size * dy),
                      float(p.Z + size * dz));
}

void RotateLocal(Frame& frame, const Vector& axis, double degrees) {
    TurnBefore(frame, axis, float(degrees / kDegreesPerRadian));
}

void RotateAboutCamera(TViewerScene& s, Frame& frame, const Vector& axis, double degrees,
                       const FrameRenderer& render) {
    SetSpin(frame, s.CameraFrame, axis, float(degrees / kDegreesPerRadian));
    if (render)
        render();
    StopSpin(frame, s.CameraFrame);
}

void ZoomIn(TViewerScene& s, TNavigation& nav) {
    ZoomBy(s, nav, 1 + nav.IncSpin / 100);
}

void ZoomOut(TViewerScene& s, TNavigation& nav) {
    ZoomBy(s, nav, 1 - nav.IncSpin / 100);
}

void PanLeft(TViewerScene& s, const TNavigation& nav) {
    PanBy(s, nav, -1, 0);
}

void PanRight(TViewerScene& s, const TNavigation& nav) {
    PanBy(s, nav, 1, 0);
}

void PanUp(TViewerScene& s, const TNavigation& nav) {
    PanBy(s, nav, 0, 1);
}

void PanDown(TViewerScene& s, const TNavigation& nav) {
    PanBy(s, nav, 0, -1);
}

void YawRight(TViewerScene& s, const TNavigation& nav) {
    YawBy(s, nav, StepDegrees(nav));
}

void YawLeft(TViewerScene& s, const TNavigation& nav) {
    YawBy(s, nav, -StepDegrees(nav));
}

void PitchUp(TViewerScene& s, const TNavigation& nav, const FrameRenderer& render) {
    RotateAboutCamera(s, *s.CenterFrame, {1, 0, 0}, StepDegrees(nav), render);
}

void PitchDown(TViewerScene& s, const TNavigation& nav, const FrameRenderer& render) {
    RotateAboutCamera(s, *s.CenterFrame, {1, 0, 0}, -StepDegrees(nav), render);
}

void StopRotations(TViewerScene& s) {
    StopSpin(*s.CenterFrame, s.CameraFrame);
}

void AnimateClick(TViewerScene& s, TNavigation& nav, bool down) {
    nav.AnimateDown = down;
    StopRotations(s);
}

TDrag DragFor(const TMouseState& m) {
    if ((m.Left && m.Right) || OnlyMiddle(m))
        return TDrag::Dolly;
    if (OnlyLeft(m))
        return TDrag::Trackball;
    if (OnlyRight(m))
        return TDrag::Pan;
    return TDrag::None;
}

void MouseButton(TViewerScene& s, TNavigation& nav, int x, int y, const TMouseState& state) {
    nav.LastMouseX = x;
    nav.LastMouseY = y;
    if (OnlyLeft(state))
        StopRotations(s);
}

Result MouseMove(TViewerScene& s, TNavigation& nav, int x, int y, const TMouseState& state,
                 const TScreenMetrics& screen, const FrameRenderer& render) {
    switch (DragFor(state)) {
    case TDrag::Dolly:
        return Dolly(s, nav, x, y, screen);
    case TDrag::Trackball:
        TrackballRotate(s, nav, x, y, render);
        return Result::Ok;
    case TDrag::Pan:
        return Pan(s, nav, x, y);
    case TDrag::None:
        break;
    }
    return Result::Ok;
}

void TrackballRotate(TViewerScene& s, TNavigation& nav, int x, int y, const FrameRenderer& render) {
    double dx = 0, dy = 0;
    TakeDelta(nav, x, y, dx, dy);
    const double r = std::sqrt(dx * dx + dy * dy);
    const double big = std::sqrt(kTrackballRadius * kTrackballRadius + r * r);
    if (r == 0 || big == 0)
        return;
    SetSpin(*s.CenterFrame, s.CameraFrame, {float(-dy / r), float(-dx / r), 0}, float(r / big));
    if (render)
        render();
    if (!nav.AnimateDown)
        StopSpin(*s.CenterFrame, nullptr);
}

Result Dolly(TViewerScene& s, TNavigation& nav, int x, int y, const TScreenMetrics& screen) {
    double dx = 0, dy = 0;
    TakeDelta(nav, x, y, dx, dy);
    Vector camera;
    const Result result = s.CameraFrame->GetPosition(s.CenterFrame.get(), camera);
    if (!Succeeded(result))
        return result;
    const double extent = ModelExtent(*s.CenterFrame);
    if (extent == 0)
        return Result::Ok; // nothing to measure the step by
    const double k = Length3(camera.X, camera.Y, camera.Z) / extent * nav.ZoomScale;
    const double sx = 1.0 / std::max(1, screen.ClientWidth);
    const double sy = 1.0 / std::max(1, screen.ClientHeight - screen.MenuHeight - kToolbarHeight);
    return s.CameraFrame->AddTranslation(Combine::Before, float(sx * k * dx), 0,
                                         float(-k * dy * sy * 2.0));
}

Result Pan(TViewerScene& s, TNavigation& nav, int x, int y) {
    double dx = 0, dy = 0;
    TakeDelta(nav, x, y, dx, dy);
    Vector p;
    s.CenterFrame->GetPosition(s.SceneFrame.get(), p);
    Vector4 screen;
    Result result = s.Viewport->Transform(screen, p);
    if (!Succeeded(result))
        return result;
    const double w = std::max(10.0, double(std::abs(screen.W)));
    screen.X = float(screen.X + dx * w);
    screen.Y = float(screen.Y + dy * w);
    Vector q;
    result = s.Viewport->InverseTransform(q, screen);
    if (!Succeeded(result))
        return result;
    return s.CenterFrame->SetPosition(s.SceneFrame.get(), q.X, q.Y, q.Z);
}

TEulerAngles FrameEulerAngles(const Matrix& matrix) {
    double m[3][3];
    for (int i = 0; i < 3; ++i) {
        const double length = Length3(matrix.M[i][0], matrix.M[i][1], matrix.M[i][2]);
        for (int j = 0; j < 3; ++j)
            m[i][j] = length > 0 ? matrix.M[i][j] / length : matrix.M[i][j];
    }
    constexpr double pi = std::numbers::pi;
    double psi = 0, theta = 0, phi = 0;
    if (std::abs(m[2][0]) < 1) {
        const double theta1 = -std::asin(m[2][0]), theta2 = pi - theta1;
        const double c1 = std::cos(theta1), c2 = std::cos(theta2);
        const double psi1 = std::atan2(m[2][1] / c1, m[2][2] / c1);
        const double psi2 = std::atan2(m[2][1] / c2, m[2][2] / c2);
        const double phi1 = std::atan2(m[1][0] / c1, m[0][0] / c1);
        const double phi2 = std::atan2(m[1][0] / c2, m[0][0] / c2);
        const bool first = psi1 * psi1 + theta1 * theta1 + phi1 * phi1 <
                           psi2 * psi2 + theta2 * theta2 + phi2 * phi2;
        psi = first ? psi1 : psi2;
        theta = first ? theta1 : theta2;
        phi = first ? phi1 : phi2;
    } else {
        // Looking straight along y: the yaw takes the whole turn. Rounding may leave the
        // normalised element a hair beyond 1; it counts as 1.
        const double delta = std::atan2(m[0][1], m[0][2]);
        theta = m[2][0] < 0 ? pi / 2 : -pi / 2;
        psi = m[2][0] < 0 ? phi + delta : -phi + delta;
    }
    double yaw = theta * 180 / pi;
    if (yaw > 180)
        yaw -= 360;
    return {yaw, psi * 180 / pi, phi * 180 / pi};
}

} // namespace lumora::viewer
