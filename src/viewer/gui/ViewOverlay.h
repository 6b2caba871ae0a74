// ViewOverlay — what is painted over the 3D view after the scene: the compass, the scale bar,
// the depth legend, station names, the found station's mark and the measuring line. Painted
// with QPainter into a picture of the view's size, which the window and the offscreen picture
// blend over the scene the same way (render::GlOverlay).
#pragma once

#include "viewer/DepthLegend.h"
#include "viewer/StationLabels.h"
#include "viewer/ViewSettings.h"

#include <QFont>
#include <QImage>
#include <QRectF>

#include <optional>
#include <vector>

namespace lumora::viewer {

// Everything the overlays show, besides the scene itself.
struct TOverlayState {
    TOverlaySettings Settings;
    const TStationTable* Stations = nullptr; // the stations of the cave shown, if any
    // The bands of the depth colouring while the cave is coloured by depth.
    std::optional<TDepthLegend> Legend;
    std::optional<std::uint32_t> Marked;      // the station found
    std::optional<std::uint32_t> MeasureFrom; // the first station clicked
    std::optional<std::uint32_t> MeasureTo;   // the second
};

class TViewOverlay {
public:
    // Paints the overlays of state over the scene as its viewport shows it, in the viewport's
    // pixels; ratio is the screen's device pixel ratio (text and marks grow with it). A null
    // picture when there is nothing to paint. The picture is premultiplied RGBA, top row first.
    QImage Paint(const TViewerScene& s, const TOverlayState& state, double ratio = 1);

    // What the last Paint drew, for the status read-outs and the tests (pixels of the picture).
    const std::vector<TPlacedLabel>& Labels() const { return m_Labels; }
    const TScaleBar& ScaleBar() const { return m_ScaleBar; }
    QRectF ScaleBarRect() const { return m_ScaleBarRect; }
    const TCompassReading& Compass() const { return m_Compass; }
    QPointF CompassCentre() const { return m_CompassCentre; }
    double CompassRadius() const { return m_CompassRadius; }
    // Band rectangles of the legend, top band first.
    const std::vector<QRectF>& LegendBands() const { return m_LegendBands; }
    // The label font's name widths are measured once per station table; call after the table
    // changes.
    void ForgetStations();

private:
    void PaintCompass(QPainter& p, const TViewProjection& view, double ratio);
    void PaintScaleBar(QPainter& p, const TViewerScene& s, const TViewProjection& view,
                       const TOverlayState& state, double ratio);
    void PaintLegend(QPainter& p, const TDepthLegend& legend, TLengthUnit unit, double ratio,
                     double top);
    void PaintLabels(QPainter& p, const TStationTable& table, const TViewProjection& view,
                     double ratio);
    void PaintMarks(QPainter& p, const TStationTable& table, const TViewProjection& view,
                    const TOverlayState& state, double ratio);
    QFont Font(double ratio, int pixels, bool bold = false) const;

    std::vector<TPlacedLabel> m_Labels;
    TScaleBar m_ScaleBar;
    QRectF m_ScaleBarRect;
    TCompassReading m_Compass;
    QPointF m_CompassCentre;
    double m_CompassRadius = 0;
    std::vector<QRectF> m_LegendBands;
    const TStationTable* m_WidthTable = nullptr;
    double m_WidthRatio = 0;
    std::vector<float> m_Widths; // per station; below 0 until measured
};

} // namespace lumora::viewer
