#include "viewer/gui/lvedfram.h"

#include "passage/MeshStore.h"
#include "ui/gui/HelpIcon.h"
#include "ui/gui/NamedWidgets.h"
#include "viewer/FrameEdit.h"
#include "viewer/gui/lvtoolbar.h"

#include <QButtonGroup>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lumora::viewer {

namespace {

struct TFrameButton {
    const char* Name;
    const char* Hint;
    int Row, Column;
};

constexpr TFrameButton kButtons[] = {
    {"PanLeftBtn", "Pan Left", 1, 0},     {"PanRightBtn", "Pan Right", 1, 2},
    {"PanUpBtn", "Pan Up", 0, 1},         {"PanDownBtn", "Pan Down", 2, 1},
    {"ZoomInBtn", "Zoom In", 0, 3},       {"ZoomOutBtn", "Zoom Out", 2, 3},
    {"YawRightBtn", "Yaw Right", 1, 6},   {"YawLeftBtn", "Yaw Left", 1, 4},
    {"PitchUpBtn", "Pitch Up", 0, 5},     {"PitchDownBtn", "Pitch Down", 2, 5},
    {"RollRightBtn", "Roll Right", 0, 6}, {"RollLeftBtn", "Roll Left", 0, 4},
};

} // namespace

TEditFrameDlg::TEditFrameDlg(TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("EditFrameDlg");
    setWindowTitle("Dialog");
    auto* grid = new QGridLayout;
    for (const TFrameButton& b : kButtons) {
        auto* button = new QPushButton(b.Hint);
        button->setObjectName(b.Name);
        button->setToolTip(b.Hint);
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(kRepeatDelay);
        button->setAutoRepeatInterval(kRepeatInterval);
        const QString name = b.Name;
        connect(button, &QPushButton::clicked, this, [this, name] { ButtonClick(name); });
        grid->addWidget(button, b.Row, b.Column);
    }
    m_IncSpin = new QDoubleSpinBox;
    m_IncSpin->setObjectName("IncSpin");
    m_IncSpin->setRange(0.1, 100);
    m_IncSpin->setSingleStep(1.0);
    m_IncSpin->setDecimals(1);
    m_IncSpin->setValue(3.0);
    auto* relative = new QGroupBox("Rotation  Relatiive To");
    auto* relLayout = new QVBoxLayout(relative);
    m_RelativeRadio = new QButtonGroup(this);
    m_RelativeRadio->setObjectName("RelativeRadio");
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(i == 0 ? "Camera" : "Self");
        m_RelativeRadio->addButton(radio, i);
        relLayout->addWidget(radio);
    }
    m_RelativeRadio->button(0)->setChecked(true);
    m_SizeDis = ui::ReadOut("SizeDis");
    m_VertexDis = ui::ReadOut("VertexDis");
    m_FaceDis = ui::ReadOut("FaceDis");
    m_AngleDis = ui::ReadOut("AngleDis");
    m_PositionDis = ui::ReadOut("PositionDis");
    auto* close = new QPushButton("&Close");
    close->setObjectName("CloseBtn");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton("Help");
    help->setObjectName("HelpBtn");
    ui::SetHelpIcon(*help);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(3); });
    auto* side = new QHBoxLayout;
    side->addWidget(new QLabel("Percent Change"));
    side->addWidget(m_IncSpin);
    side->addWidget(relative);
    side->addStretch();
    side->addWidget(close);
    side->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(side);
    for (QLabel* label : {m_SizeDis, m_VertexDis, m_FaceDis, m_AngleDis, m_PositionDis})
        layout->addWidget(label);
}

void TEditFrameDlg::SetFrame(const scene::FramePtr& frame) {
    EditFrame = frame;
    m_Core.Navigation.EditRef = EditReference(m_Core.Scene, frame);
    if (!frame)
        return;
    scene::Box box;
    frame->GetHierarchyBox(box);
    m_SizeDis->setText(" Size: " + QString::fromStdString(BoxCornersText(box)));
    std::size_t faces = 0, vertices = 0;
    passage::CountFacesAndVertices(*frame, faces, vertices);
    m_VertexDis->setText(" Vertices: " + QString::number(qulonglong(vertices)));
    m_FaceDis->setText(" Faces:" + QString::number(qulonglong(faces)));
    ShowPlacement();
}

void TEditFrameDlg::ShowPlacement() {
    const TEulerAngles a = FrameEulerAngles(EditFrame->GetTransform());
    m_AngleDis->setText(QString::fromStdString("Yaw: " + FixedText(a.Yaw, 1) +
                                               "  Pitch: " + FixedText(a.Pitch, 1) +
                                               "  Roll: " + FixedText(a.Roll, 1)));
    scene::Vector p;
    EditFrame->GetPosition(m_Core.Navigation.EditRef.get(), p);
    m_PositionDis->setText(QString::fromStdString(" Position: X: " + FixedText(p.X, 1) + "  Y: " +
                                                  FixedText(p.Y, 1) + "  Z: " + FixedText(p.Z, 1)));
}

void TEditFrameDlg::ButtonClick(const QString& name) {
    if (!EditFrame || !m_Core.Navigation.EditRef)
        return;
    EditFrameButton(m_Core.Scene, *EditFrame, *m_Core.Navigation.EditRef, name.toStdString(),
                    m_IncSpin->value(), m_RelativeRadio->checkedId() == 0,
                    [this] { return m_Core.DrawFrame(); });
    ShowPlacement();
}

} // namespace lumora::viewer
