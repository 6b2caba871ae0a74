#include "viewer/gui/lvtoolbar.h"

#include "viewer/Navigation.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QToolButton>

namespace lumora::viewer {

TNavToolbar::TNavToolbar(QWidget* parent) : QWidget(parent) {
    setObjectName("Panel1");
    setFixedHeight(kToolbarHeight);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    AddButton("HierBtn", "Tree", "Show/Hide Hierarchy ", false);
    AddButton("ZoomInBtn", "+", "Zoom In", true);
    AddButton("ZoomOutBtn", "-", "Zoom Out", true);
    AddButton("PanLeftBtn", QString::fromUtf8("\u2190"), "Pan Left", true);
    AddButton("PanRightBtn", QString::fromUtf8("\u2192"), "Pan Right", true);
    AddButton("PanUpBtn", QString::fromUtf8("\u2191"), "Pan Up", true);
    AddButton("PanDownBtn", QString::fromUtf8("\u2193"), "Pan Down", true);
    AddButton("YawRightBtn", QString::fromUtf8("\u21bb"), "Yaw Right", true);
    AddButton("YawLeftBtn", QString::fromUtf8("\u21ba"), "Yaw Left", true);
    AddButton("PitchUpBtn", "Up", "Pitch Up", true);
    AddButton("PitchDownBtn", "Dn", "Pitch Down", true);
    m_IncSpin = new QDoubleSpinBox;
    m_IncSpin->setObjectName("IncSpin");
    m_IncSpin->setToolTip("Increment");
    m_IncSpin->setRange(0, 100);
    m_IncSpin->setSingleStep(0.5);
    m_IncSpin->setDecimals(1);
    m_IncSpin->setValue(4.5);
    layout->addWidget(m_IncSpin);
    m_AnimateBtn = AddButton("AnimateBtn", "Animate", "Animate", false);
    m_AnimateBtn->setCheckable(true);
    AddButton("StopBtn", "Stop", "Stop Rotations", false);
    AddButton("ResetScaleBtn", "Scale", "Reset Scale", false);
    AddButton("ResetSceneBtn", "Reset", "Reset Scene", false);
    AddButton("LookAtBtn", "Look", "Look At", false);
    m_CaptureBtn = AddButton("CaptureBtn", "Rec", "Start/Stop Capture", false);
    m_CaptureBtn->setCheckable(true);
    m_CaptureBtn->setEnabled(false); // until a capture is armed
    layout->addStretch();
}

QToolButton* TNavToolbar::AddButton(const char* name, const QString& text, const char* hint,
                                    bool repeat) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRepeat(repeat);
    button->setAutoRepeatDelay(kRepeatDelay);
    button->setAutoRepeatInterval(kRepeatInterval);
    connect(button, &QToolButton::clicked, this,
            [this, button] { emit Clicked(button->objectName()); });
    layout()->addWidget(button);
    return button;
}

QToolButton* TNavToolbar::Button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

} // namespace lumora::viewer
