#include "viewer/gui/lvstatus.h"

#include <QLabel>

namespace lumora::viewer {

namespace {

QLabel* Caption(const char* text) {
    return new QLabel(text);
}

QString Fixed1(double value) {
    return QString::fromStdString(FixedText(value, 1));
}

} // namespace

TViewerStatus::TViewerStatus(QWidget* parent) : QStatusBar(parent) {
    setObjectName("StatusBar");
    setFixedHeight(21);
    setSizeGripEnabled(false);
    addWidget(Caption(" Position:"));
    m_PosX = Field("PosXDis");
    m_PosY = Field("PosYDis");
    m_PosZ = Field("PosZDis");
    addWidget(Caption(" Rotation:"));
    m_Yaw = Field("YawDis");
    m_Pitch = Field("PitchDis");
    m_Roll = Field("RollDis");
    addWidget(Caption(" Tris:"));
    m_Tris = Field("TrisDis", "0");
    addWidget(Caption(" TPS:"));
    m_Tps = Field("TpsDis", "0");
    addWidget(Caption(" FPS:"));
    m_Fps = Field("FpsDis", "0");
}

QLabel* TViewerStatus::Field(const char* name, const char* text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(44);
    addWidget(label);
    return label;
}

void TViewerStatus::SetTriangles(std::size_t total) {
    m_Tris->setText(QString::number(qulonglong(total)));
}

void TViewerStatus::UpdateStatus(const TViewerScene& s, const TNavigation& nav) {
    const TEulerAngles a = FrameEulerAngles(s.CenterFrame->GetTransform());
    m_Yaw->setText(Fixed1(a.Yaw));
    m_Pitch->setText(Fixed1(a.Pitch));
    m_Roll->setText(Fixed1(a.Roll));
    scene::Vector p;
    s.CenterFrame->GetPosition(nav.EditRef ? nav.EditRef.get() : s.SceneFrame.get(), p);
    m_PosX->setText(Fixed1(p.X));
    m_PosY->setText(Fixed1(p.Y));
    m_PosZ->setText(Fixed1(p.Z));
    if (s.Device && Rates.UpdateRates(s.Device->GetTrianglesDrawn())) {
        m_Fps->setText(
            QString::fromStdString(render::FramesPerSecondText(Rates.FramesPerSecond())));
        m_Tps->setText(
            QString::fromStdString(render::TrianglesPerSecondText(Rates.TrianglesPerSecond())));
    }
}

} // namespace lumora::viewer
