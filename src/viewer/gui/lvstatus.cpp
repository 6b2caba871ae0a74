#include "viewer/gui/lvstatus.h"

#include <QEvent>
#include <QLabel>

namespace lumora::viewer {

namespace {

QLabel* Caption(const char* text) {
    return new QLabel(text);
}

QString Fixed1(double value) {
    return QString::fromStdString(FixedText(value, 1));
}

// The widest text each kind of field holds: positions to a million scene units (the view reaches
// 200000), angles to 180 degrees, up to a billion faces, billions of triangles a second and
// tens of thousands of frames a second.
constexpr const char* kWidestPosition = "-000000.0";
constexpr const char* kWidestAngle = "-000.0";
constexpr const char* kWidestTriangles = "000000000";
constexpr const char* kWidestTrianglesPerSecond = "0,000,000,000";
constexpr const char* kWidestFramesPerSecond = "00000";

// Wide enough for widest in the label's font, frame and indent, so it is never cut.
void SizeFor(QLabel& label, const char* widest) {
    const QString shown = label.text();
    label.setText(widest);
    label.setMinimumWidth(label.sizeHint().width());
    label.setText(shown);
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
    SizeFields();
}

void TViewerStatus::SizeFields() {
    for (QLabel* field : {m_PosX, m_PosY, m_PosZ})
        SizeFor(*field, kWidestPosition);
    for (QLabel* field : {m_Yaw, m_Pitch, m_Roll})
        SizeFor(*field, kWidestAngle);
    SizeFor(*m_Tris, kWidestTriangles);
    SizeFor(*m_Tps, kWidestTrianglesPerSecond);
    SizeFor(*m_Fps, kWidestFramesPerSecond);
}

void TViewerStatus::changeEvent(QEvent* event) {
    QStatusBar::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        SizeFields();
}

QLabel* TViewerStatus::Field(const char* name, const char* text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
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
