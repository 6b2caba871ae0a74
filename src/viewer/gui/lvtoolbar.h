// lvtoolbar — the navigation toolbar above the view: hierarchy toggle, zoom, pan, yaw and pitch
// buttons that repeat while held (first repeat after 400 ms, then every 100 ms), the increment
// spin, Animate, Stop Rotations, Reset Scale, Reset Scene, Look At and the capture button.
#pragma once

#include <QWidget>

class QAbstractButton;
class QDoubleSpinBox;
class QToolButton;

namespace lumora::viewer {

constexpr int kRepeatDelay = 400, kRepeatInterval = 100; // milliseconds

class TNavToolbar : public QWidget {
    Q_OBJECT
public:
    explicit TNavToolbar(QWidget* parent = nullptr);

    QDoubleSpinBox* IncSpin() const { return m_IncSpin; }
    QToolButton* AnimateBtn() const { return m_AnimateBtn; }
    QToolButton* CaptureBtn() const { return m_CaptureBtn; }
    // The button of that object name ("ZoomInBtn", ...).
    QToolButton* Button(const QString& name) const;

signals:
    // A button was clicked (or repeated): its object name.
    void Clicked(const QString& name);

private:
    QToolButton* AddButton(const char* name, const QString& text, const char* hint, bool repeat);

    QDoubleSpinBox* m_IncSpin;
    QToolButton* m_AnimateBtn;
    QToolButton* m_CaptureBtn;
};

} // namespace lumora::viewer
