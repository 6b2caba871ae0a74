#include "viewer/ViewProjection.h"

#include "viewer/Navigation.h"

#include <algorithm>
#include <cmath>

namespace lumora::viewer {

using scene::Matrix;
using scene::Vector;

TViewProjection::TViewProjection(const TViewerScene& s) {
    if (!s.Viewport || !s.CenterFrame || !s.CameraFrame)
        return;
    Matrix toCamera;
    scene::Inverse(s.CameraFrame->WorldTransform(), toCamera);
    m_ModelToCamera = s.CenterFrame->WorldTransform() * toCamera;
    const scene::Viewport& v = *s.Viewport;
    m_Width = v.GetWidth();
    m_Height = v.GetHeight();
    const float field = v.GetField() > 0 ? v.GetField() : 0.5f;
    m_K = std::max(m_Width, m_Height) / 2.0f / field; // as the renderer's projection
    m_Front = v.GetFront();
    m_Valid = m_Width > 0 && m_Height > 0;
}

float TViewProjection::Depth(const Vector& model) const {
    return scene::TransformPoint(model, m_ModelToCamera).Z;
}

double TViewProjection::PixelsPerModelUnitAt(const Vector& model) const {
    const float z = Depth(model);
    if (z <= m_Front)
        return 0;
    const Vector axis{m_ModelToCamera.M[0][0], m_ModelToCamera.M[0][1], m_ModelToCamera.M[0][2]};
    return double(m_K) * scene::Length(axis) / z;
}

std::optional<std::uint32_t> PickStation(const TStationTable& table, const TViewProjection& view,
                                         float x, float y, float radius) {
    std::optional<std::uint32_t> best;
    float bestDistance = radius * radius;
    for (std::size_t i = 0; i < table.Count(); ++i) {
        float px, py;
        if (!view.Project(table.At(i).Model, px, py))
            continue;
        const float d = (px - x) * (px - x) + (py - y) * (py - y);
        if (d <= bestDistance) {
            bestDistance = d;
            best = std::uint32_t(i);
        }
    }
    return best;
}

TCompassReading CompassReading(const TViewProjection& view) {
    // The camera's forward and up directions in the model's axes (east x, up y, north z).
    Matrix toModel;
    scene::Inverse(view.ModelToCamera(), toModel);
    const Vector forward = scene::Normalize(scene::TransformDirection({0, 0, 1}, toModel));
    const Vector up = scene::Normalize(scene::TransformDirection({0, 1, 0}, toModel));
    // Forward plus up stays horizontal-ish from a profile down to a plan, so the heading keeps
    // its meaning at every tilt.
    const Vector ahead = forward + up;
    TCompassReading r;
    r.Heading = std::atan2(double(ahead.X), double(ahead.Z)) * kDegreesPerRadian;
    if (r.Heading < 0)
        r.Heading += 360;
    r.Tilt = std::asin(std::clamp(double(forward.Y), -1.0, 1.0)) * kDegreesPerRadian;
    r.NorthAngle = r.Heading == 0 ? 0 : 360 - r.Heading;
    return r;
}

TScaleBar ScaleBarFor(double pixelsPerUnit, double maxPixels) {
    TScaleBar bar;
    if (!(pixelsPerUnit > 0) || !(maxPixels > 0) || !std::isfinite(pixelsPerUnit))
        return bar;
    const double longest = maxPixels / pixelsPerUnit;
    const double power = std::pow(10.0, std::floor(std::log10(longest)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= longest * (1 + 1e-9)) {
            bar.Length = step * power;
            break;
        }
    bar.Pixels = bar.Length * pixelsPerUnit;
    return bar;
}

Vector ModelCentre(const TViewerScene& s) {
    scene::Box box;
    if (!s.CenterFrame || !s.CenterFrame->GetHierarchyBox(box))
        return {};
    return (box.Min + box.Max) * 0.5f;
}

} // namespace lumora::viewer
