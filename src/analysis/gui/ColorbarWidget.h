// ColorbarWidget — `TColorBarWidget`, the colour bar on screen: paints the bands of a TColorBar,
// selects a band on a click and drags its boundaries with the mouse.
#pragma once

#include "analysis/Colorbar.h"

#include <QColor>
#include <QWidget>

#include <optional>

namespace lumora::analysis {

// A framework colour (0x00BBGGRR) as Qt's, and back.
QColor ToQColor(std::uint32_t color);
std::uint32_t FrameworkColor(const QColor& color);

class TColorBarWidget : public QWidget {
    Q_OBJECT
public:
    explicit TColorBarWidget(QWidget* parent = nullptr);

    // The bands the control shows; the widget repaints when they change.
    TColorBar& Bar() { return m_Bar; }
    const TColorBar& Bar() const { return m_Bar; }

    // The boundary being dragged (-1 when none) and where its guide line is drawn.
    int Dragging() const { return m_Dragging; }
    std::optional<int> GuideY() const { return m_GuideY; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The bar position (0..kBarScale) of a pointer y, held to the control's height.
    int PositionAt(int y) const;

    TColorBar m_Bar;
    int m_Dragging = -1;
    // While dragging: the guide's y, the pointer's last y and the position OnChangingBar made of
    // it.
    std::optional<int> m_GuideY;
    int m_PointerY = 0;
    int m_DragPosition = 0;
};

} // namespace lumora::analysis
