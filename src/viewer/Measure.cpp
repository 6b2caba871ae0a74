#include "viewer/Measure.h"

#include "viewer/Navigation.h"

#include <cmath>
#include <cstdio>

namespace lumora::viewer {

TMeasurement Measure(const survey::T3DVector& from, const survey::T3DVector& to) {
    const double dx = to.X - from.X, dy = to.Y - from.Y, dz = to.Z - from.Z;
    TMeasurement m;
    m.Horizontal = std::hypot(dx, dy);
    m.Slope = std::hypot(m.Horizontal, dz);
    m.Vertical = dz;
    if (m.Horizontal > 0) {
        m.Bearing = std::atan2(dx, dy) * kDegreesPerRadian;
        if (m.Bearing < 0)
            m.Bearing += 360;
        if (m.Bearing >= 360)
            m.Bearing = 0;
    }
    return m;
}

std::string MeasurementText(std::string_view from, std::string_view to, const TMeasurement& m,
                            TLengthUnit unit) {
    const char* u = UnitText(unit);
    double bearing = std::round(m.Bearing * 10) / 10;
    if (bearing >= 360) // 359.96 reads 000.0, not 360.0
        bearing = 0;
    char text[256];
    std::snprintf(
        text, sizeof text,
        "%.*s to %.*s: Slope %.1f %s  Horiz. %.1f %s  Vert. %.1f %s  Bearing %05.1f\u00B0",
        int(from.size()), from.data(), int(to.size()), to.data(), FromFeet(m.Slope, unit), u,
        FromFeet(m.Horizontal, unit), u, FromFeet(m.Vertical, unit), u, bearing);
    return text;
}

} // namespace lumora::viewer
