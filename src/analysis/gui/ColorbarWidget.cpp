#include "analysis/gui/ColorbarWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace lumora::analysis {

QColor ToQColor(std::uint32_t color) {
    return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

std::uint32_t FrameworkColor(const QColor& c) {
    return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
}

namespace {

// Draws over the bar in the inverse of what is there, so the line shows on every colour.
void InvertedPen(QPainter& p, Qt::PenStyle style) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1, style));
    p.setBrush(Qt::NoBrush);
}

} // namespace

TColorBarWidget::TColorBarWidget(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true); // the resize cursor over a boundary
    setMinimumSize(24, 120);
    m_Bar.OnRepaint = [this] { update(); };
}

void TColorBarWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int h = height(), w = width();
    for (int i = 1; i < m_Bar.Count(); ++i) {
        const int top = m_Bar.BoundaryY(i - 1, h), bottom = m_Bar.BoundaryY(i, h);
        const std::uint32_t color = m_Bar.Entry(i).Color;
        const QRect strip(0, top, w - 1, bottom - top);
        p.setPen(ToQColor(TColorBar::FrameColor(color)));
        p.setBrush(ToQColor(color));
        p.drawRect(strip);
        if (m_Bar.LabelBars && p.fontMetrics().height() <= bottom - top) {
            p.setPen(ToQColor(TColorBar::LabelColor(color)));
            p.drawText(strip, Qt::AlignCenter, QString::fromStdString(m_Bar.LabelText(i)));
        }
    }
    const int selected = m_Bar.Selected();
    if (isEnabled() && selected >= 1 && selected < m_Bar.Count()) {
        const int top = m_Bar.BoundaryY(selected - 1, h), bottom = m_Bar.BoundaryY(selected, h);
        InvertedPen(p, Qt::DotLine);
        p.drawRect(QRect(1, top + 1, w - 3, bottom - top - 2));
    }
    if (m_GuideY) {
        InvertedPen(p, Qt::SolidLine);
        p.drawLine(0, *m_GuideY, w - 1, *m_GuideY);
    }
}

int TColorBarWidget::PositionAt(int y) const {
    // A pointer dragged past either end moves the boundary to that end, not beyond.
    const int h = std::max(1, height());
    return int(std::int64_t(std::clamp(y, 0, h)) * kBarScale / h);
}

void TColorBarWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || height() <= 0)
        return;
    const int y = event->position().toPoint().y();
    const int boundary = m_Bar.BoundaryNear(y, height());
    if (boundary >= 0) {
        m_Dragging = boundary;
        m_GuideY = m_PointerY = std::clamp(y, 0, height());
        m_DragPosition = PositionAt(y);
        update();
        return;
    }
    const int band = m_Bar.BandAtY(y, height());
    if (band >= 0) {
        m_Bar.SetSelected(band);
        update();
    }
}

void TColorBarWidget::mouseMoveEvent(QMouseEvent* event) {
    const int y = event->position().toPoint().y();
    if (m_Dragging < 0) {
        const bool over = height() > 0 && m_Bar.BoundaryNear(y, height()) >= 0;
        setCursor(over ? Qt::SizeVerCursor : Qt::ArrowCursor);
        return;
    }
    int position = PositionAt(y);
    if (m_Bar.OnChangingBar)
        position = std::clamp(m_Bar.OnChangingBar(m_Dragging, m_Bar.ValueAt(position), position), 0,
                              kBarScale);
    m_PointerY = std::clamp(y, 0, height());
    m_DragPosition = position;
    // The guide follows the pointer, or shows where the event put the boundary instead.
    m_GuideY =
        position == PositionAt(y) ? m_PointerY : int(std::int64_t(height()) * position / kBarScale);
    update();
}

void TColorBarWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_Dragging < 0)
        return;
    const int y = event->position().toPoint().y();
    // Released where the last move left the pointer: the position that move settled on.
    const int position = std::clamp(y, 0, height()) == m_PointerY ? m_DragPosition : PositionAt(y);
    const int boundary = m_Dragging;
    m_Dragging = -1;
    m_GuideY.reset();
    m_Bar.SetBoundary(boundary, position, std::max(1, height()));
    if (event->modifiers() & Qt::ControlModifier) {
        m_Bar.SpreadBetween(0, boundary);
        m_Bar.SpreadBetween(boundary, m_Bar.Count() - 1);
    }
    update();
    if (m_Bar.OnChangeSpread)
        m_Bar.OnChangeSpread();
}

} // namespace lumora::analysis
