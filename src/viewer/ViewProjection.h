// Where the model lands on the screen, as the renderer draws it: model points to pixels,
// picking the station nearest the pointer, the compass reading of the view and the length of a
// scale bar.
#pragma once

#include "viewer/StationTable.h"
#include "viewer/lvsupprt.h"

#include <optional>
#include <string>

namespace lumora::viewer {

// The model frame's coordinates to pixels of the viewport (x right, y down, origin top left).
class TViewProjection {
public:
    // The projection of the scene as it stands; not Valid without a viewport.
    explicit TViewProjection(const TViewerScene& s);
    bool Valid() const { return m_Valid; }
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    // The pixel of a model point; false when it lies behind the front clipping plane.
    bool Project(const scene::Vector& model, float& x, float& y) const {
        const scene::Vector c = scene::TransformPoint(model, m_ModelToCamera);
        if (c.Z <= m_Front)
            return false;
        x = m_Width / 2.0f + m_K * c.X / c.Z;
        y = m_Height / 2.0f - m_K * c.Y / c.Z;
        return true;
    }
    // Camera distance of a model point.
    float Depth(const scene::Vector& model) const;
    // Pixels one model unit spans at the depth of point (0 when behind the camera).
    double PixelsPerModelUnitAt(const scene::Vector& model) const;
    const scene::Matrix& ModelToCamera() const { return m_ModelToCamera; }

private:
    scene::Matrix m_ModelToCamera = scene::Matrix::Identity();
    float m_K = 1, m_Front = 1;
    int m_Width = 0, m_Height = 0;
    bool m_Valid = false;
};

// The station drawn nearest to pixel (x, y), if one lies within radius pixels.
std::optional<std::uint32_t> PickStation(const TStationTable& table, const TViewProjection& view,
                                         float x, float y, float radius);

// Which way the view looks: Heading in degrees clockwise from north (0 to 360), Tilt in degrees
// above the horizon (-90 looks straight down), and the screen angle at which the compass's
// north mark points, degrees clockwise from up.
struct TCompassReading {
    double Heading = 0, Tilt = 0, NorthAngle = 0;
};
TCompassReading CompassReading(const TViewProjection& view);

// A scale bar: Length in the display unit, a round number (1, 2 or 5 times a power of ten),
// and its Pixels; Pixels is 0 when no bar fits.
struct TScaleBar {
    double Length = 0;
    double Pixels = 0;
};
// The longest round length whose bar is at most maxPixels long, at pixelsPerUnit.
TScaleBar ScaleBarFor(double pixelsPerUnit, double maxPixels);
// The centre of the model frame's box (its origin when it has none), in its own coordinates.
scene::Vector ModelCentre(const TViewerScene& s);

} // namespace lumora::viewer
