#include "viewer/gui/ViewOverlay.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace lumora::viewer {

namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kNorthRed(255, 0, 0);
const QColor kInk(255, 255, 255);
const QColor kShade(0, 0, 0, 150);
const QColor kMark(255, 220, 0);

// Text in white with a dark rim, readable over any wall colour.
void OutlinedText(QPainter& p, const QPointF& at, const QString& text) {
    QPainterPath path;
    path.addText(at, p.font(), text);
    p.strokePath(path, QPen(QColor(0, 0, 0, 200), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(path, kInk);
}

QColor FrameworkColor(std::uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QString LengthText(double length, TLengthUnit unit) {
    return QString::number(length, 'g', 6) + " " + UnitText(unit);
}

} // namespace

QFont TViewOverlay::Font(double ratio, int pixels, bool bold) const {
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(pixels * ratio))));
    font.setBold(bold);
    font.setKerning(false); // a name's width is then the sum of its characters'
    return font;
}

void TViewOverlay::ForgetStations() {
    m_WidthTable = nullptr;
    m_Widths.clear();
}

QImage TViewOverlay::Paint(const TViewerScene& s, const TOverlayState& state, double ratio) {
    m_Labels.clear();
    m_LegendBands.clear();
    m_ScaleBar = {};
    m_ScaleBarRect = {};
    m_CompassRadius = 0;
    const TViewProjection view(s);
    const TOverlaySettings& set = state.Settings;
    const bool names = set.StationNames && state.Stations && !state.Stations->Empty();
    const bool legend = set.DepthLegend && state.Legend && !state.Legend->Empty();
    const bool marks = state.Stations && (state.Marked || state.MeasureFrom);
    if (!view.Valid() || !s.RenderEnabled ||
        !(set.Compass || set.ScaleBar || legend || names || marks))
        return {};
    QImage image(view.Width(), view.Height(), QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (names)
        PaintLabels(p, *state.Stations, view, ratio);
    if (marks)
        PaintMarks(p, *state.Stations, view, state, ratio);
    if (set.Compass)
        PaintCompass(p, view, ratio);
    if (set.ScaleBar)
        PaintScaleBar(p, s, view, state, ratio);
    if (legend)
        PaintLegend(p, *state.Legend, set.Units, ratio,
                    set.Compass ? 10 * ratio + 2 * 34 * ratio + 26 * ratio : 10 * ratio);
    return image;
}

void TViewOverlay::PaintCompass(QPainter& p, const TViewProjection& view, double ratio) {
    m_Compass = CompassReading(view);
    const double r = 34 * ratio, margin = 10 * ratio;
    const QPointF c(view.Width() - margin - r, margin + r);
    m_CompassCentre = c;
    m_CompassRadius = r;
    p.setPen(QPen(kInk, 1.5 * ratio));
    p.setBrush(kShade);
    p.drawEllipse(c, r, r);
    const double north = m_Compass.NorthAngle * kPi / 180;
    auto at = [&](double angle, double distance) {
        return c + QPointF(std::sin(angle), -std::cos(angle)) * distance;
    };
    for (int quarter = 1; quarter < 4; ++quarter) // east, south and west ticks
        p.drawLine(at(north + quarter * kPi / 2, r * 0.7), at(north + quarter * kPi / 2, r));
    QPolygonF arrow;
    arrow << at(north, r * 0.95) << at(north + kPi / 2, r * 0.22) << at(north - kPi / 2, r * 0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(kNorthRed);
    p.drawPolygon(arrow);
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF() << at(north + kPi, r * 0.6) << at(north + kPi / 2, r * 0.22)
                              << at(north - kPi / 2, r * 0.22));
    p.setFont(Font(ratio, 11, true));
    const QString text =
        QString::asprintf("%03.0f\u00B0 %+.0f\u00B0",
                          std::fmod(std::round(m_Compass.Heading), 360.0), m_Compass.Tilt);
    const QFontMetricsF metrics(p.font());
    OutlinedText(p, QPointF(c.x() - metrics.horizontalAdvance(text) / 2, c.y() + r + 16 * ratio),
                 text);
}

void TViewOverlay::PaintScaleBar(QPainter& p, const TViewerScene& s, const TViewProjection& view,
                                 const TOverlayState& state, double ratio) {
    const double feetPerUnit = state.Stations ? state.Stations->FeetPerModelUnit() : 1;
    const TLengthUnit unit = state.Settings.Units;
    // Pixels per display unit at the depth of the model's centre.
    const double perUnit =
        view.PixelsPerModelUnitAt(ModelCentre(s)) / feetPerUnit / FromFeet(1, unit);
    m_ScaleBar = ScaleBarFor(perUnit, view.Width() * 0.3);
    if (m_ScaleBar.Pixels <= 0)
        return;
    const double margin = 12 * ratio, height = 6 * ratio;
    const QRectF bar(margin, view.Height() - margin - height, m_ScaleBar.Pixels, height);
    m_ScaleBarRect = bar;
    p.setPen(QPen(QColor(0, 0, 0), 2 * ratio));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar.adjusted(-ratio, -ratio, ratio, ratio));
    p.fillRect(bar, kInk);
    p.setFont(Font(ratio, 12, true));
    OutlinedText(p, QPointF(bar.left(), bar.top() - 5 * ratio),
                 LengthText(m_ScaleBar.Length, unit));
}

void TViewOverlay::PaintLegend(QPainter& p, const TDepthLegend& legend, TLengthUnit unit,
                               double ratio, double top) {
    const std::size_t n = legend.Colors.size();
    const double margin = 10 * ratio, width = 18 * ratio;
    const double room = p.device()->height() - top - 50 * ratio;
    const double band = std::min(18 * ratio, room / double(n));
    if (band < 2)
        return;
    const double right = p.device()->width() - margin;
    p.setFont(Font(ratio, 11));
    const QFontMetricsF metrics(p.font());
    const QString title = QString("Elevation (") + UnitText(unit) + ")";
    OutlinedText(p, QPointF(right - metrics.horizontalAdvance(title), top + metrics.ascent()),
                 title);
    const double first = top + metrics.height() + metrics.ascent() / 2 + 4 * ratio;
    // Labels at every k-th boundary, so that no two overlap.
    const int step = std::max(1, int(std::ceil(metrics.height() / band)));
    for (std::size_t i = 0; i < n; ++i) {
        const QRectF r(right - width, first + band * double(i), width, band);
        m_LegendBands.push_back(r);
        p.fillRect(r, FrameworkColor(legend.Colors[i]));
    }
    p.setPen(QPen(QColor(0, 0, 0), ratio));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(right - width, first, width, band * double(n)));
    // One decimal where the labelled boundaries lie less than ten units apart.
    const double apart =
        std::fabs(FromFeet(legend.Boundaries.front() - legend.Boundaries.back(), unit)) * step /
        double(n);
    const int decimals = apart < 10 ? 1 : 0;
    for (std::size_t i = 0; i <= n; i += step) {
        const double value = FromFeet(legend.Boundaries[i], unit);
        const double shown = std::round(value * std::pow(10, decimals)) / std::pow(10, decimals);
        const QString text = QString::number(shown == 0 ? 0.0 : shown, 'f', decimals); // no "-0"
        const double y = first + band * double(i);
        OutlinedText(p,
                     QPointF(right - width - 4 * ratio - metrics.horizontalAdvance(text),
                             y + metrics.ascent() / 2 - ratio),
                     text);
    }
}

void TViewOverlay::PaintLabels(QPainter& p, const TStationTable& table, const TViewProjection& view,
                               double ratio) {
    const QFont font = Font(ratio, 12);
    if (m_WidthTable != &table || m_WidthRatio != ratio || m_Widths.size() != table.Count()) {
        m_WidthTable = &table;
        m_WidthRatio = ratio;
        m_Widths.assign(table.Count(), -1);
    }
    const QFontMetricsF metrics(font);
    // Advances of the printable ASCII characters, so a name is measured by adding them up.
    float advance[128];
    for (int c = 0; c < 128; ++c)
        advance[c] = c >= 32 ? float(metrics.horizontalAdvance(QChar(c))) : 0;
    auto widthOf = [&](std::uint32_t station) {
        float& w = m_Widths[station];
        if (w < 0) {
            const std::string_view name = table.Name(station);
            w = 0;
            bool ascii = true;
            for (unsigned char ch : name)
                ascii = ascii && ch < 128;
            if (ascii)
                for (unsigned char ch : name)
                    w += advance[ch];
            else
                w = float(metrics.horizontalAdvance(
                    QString::fromUtf8(name.data(), qsizetype(name.size()))));
        }
        return w;
    };
    TLabelStyle style;
    style.Height = float(metrics.height());
    style.Offset = float(5 * ratio);
    style.Gap = float(2 * ratio);
    m_Labels = PlaceLabels(table, view, widthOf, style);
    p.setFont(font);
    p.setPen(Qt::NoPen);
    for (const TPlacedLabel& l : m_Labels) {
        p.setBrush(table.At(l.Station).Rank == TStationRank::Fixed ? kNorthRed : kInk);
        p.drawEllipse(QPointF(l.AnchorX, l.AnchorY), 2 * ratio, 2 * ratio);
        const std::string_view name = table.Name(l.Station);
        OutlinedText(p, QPointF(l.Left, l.Top + metrics.ascent()),
                     QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
}

void TViewOverlay::PaintMarks(QPainter& p, const TStationTable& table, const TViewProjection& view,
                              const TOverlayState& state, double ratio) {
    auto pixel = [&](std::uint32_t station, QPointF& at) {
        float x, y;
        if (station >= table.Count() || !view.Project(table.At(station).Model, x, y))
            return false;
        at = QPointF(x, y);
        return true;
    };
    p.setFont(Font(ratio, 12, true));
    QPointF a, b;
    const bool haveFrom = state.MeasureFrom && pixel(*state.MeasureFrom, a);
    const bool haveTo = state.MeasureTo && pixel(*state.MeasureTo, b);
    p.setBrush(Qt::NoBrush);
    if (haveFrom && haveTo) {
        p.setPen(QPen(QColor(0, 0, 0, 200), 4 * ratio));
        p.drawLine(a, b);
        p.setPen(QPen(kMark, 2 * ratio));
        p.drawLine(a, b);
    }
    for (const auto& [have, at, station] :
         {std::tuple{haveFrom, a, state.MeasureFrom}, std::tuple{haveTo, b, state.MeasureTo}}) {
        if (!have)
            continue;
        p.setPen(QPen(kMark, 2 * ratio));
        p.drawEllipse(at, 5 * ratio, 5 * ratio);
        const std::string_view name = table.Name(*station);
        OutlinedText(p, at + QPointF(8 * ratio, -8 * ratio),
                     QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    QPointF m;
    if (state.Marked && pixel(*state.Marked, m)) {
        p.setPen(QPen(QColor(0, 0, 0, 200), 4 * ratio));
        p.drawEllipse(m, 10 * ratio, 10 * ratio);
        p.setPen(QPen(kMark, 2 * ratio));
        p.drawEllipse(m, 10 * ratio, 10 * ratio);
        p.drawLine(m - QPointF(14 * ratio, 0), m - QPointF(6 * ratio, 0));
        p.drawLine(m + QPointF(14 * ratio, 0), m + QPointF(6 * ratio, 0));
        const std::string_view name = table.Name(*state.Marked);
        OutlinedText(p, m + QPointF(13 * ratio, -12 * ratio),
                     QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
}

} // namespace lumora::viewer
