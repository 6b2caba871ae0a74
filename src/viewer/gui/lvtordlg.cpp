#include "viewer/gui/lvtordlg.h"

#include "ui/gui/HelpIcon.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumora::viewer {

namespace {

QSpinBox* StepSpin(const char* name) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(kMinTorusSteps, kMaxTorusSteps);
    spin->setValue(kDefaultTorusSteps);
    return spin;
}

} // namespace

TTorusDlg::TTorusDlg(TViewerCore& core, QWidget* parent) : QDialog(parent), m_Core(core) {
    setObjectName("TorusDlg");
    setWindowTitle("Test Objects");
    m_SectorSpin = StepSpin("SectorSpin");
    m_SectionSpin = StepSpin("SectionSpin");
    m_ProgressDis = new QLabel;
    m_ProgressDis->setObjectName("ProgressDis");
    m_ProgressDis->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        return b;
    };
    auto* torus = button("MakeTorusBtn", "Make Torus");
    auto* tetra = button("MakeTetraBtn", "Make Tetrahedron");
    auto* cube = button("MakeCubeBtn", "Make Cube");
    auto* close = button("CloseBtn", "Close");
    auto* help = button("HelpBtn", "Help");
    ui::SetHelpIcon(*help);
    connect(torus, &QPushButton::clicked, this, &TTorusDlg::MakeTorusBtnClick);
    connect(tetra, &QPushButton::clicked, this, &TTorusDlg::MakeTetraBtnClick);
    connect(cube, &QPushButton::clicked, this, &TTorusDlg::MakeCubeBtnClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(8); });
    auto* group = new QGroupBox("Torus Settings");
    auto* form = new QFormLayout(group);
    form->addRow("Sectors", m_SectorSpin);
    form->addRow("Sections", m_SectionSpin);
    form->addRow(m_ProgressDis);
    form->addRow(torus);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {tetra, cube, close, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

bool TTorusDlg::Finish(bool made) {
    if (made)
        emit ModelChanged();
    return made;
}

bool TTorusDlg::MakeTorusBtnClick() {
    return Finish(MakeTorus(m_Core, m_SectorSpin->value(), m_SectionSpin->value(), [this](int i) {
        m_ProgressDis->setText(QString::number(i));
        m_ProgressDis->repaint();
    }));
}

bool TTorusDlg::MakeTetraBtnClick() {
    return Finish(MakeTetrahedron(m_Core));
}

bool TTorusDlg::MakeCubeBtnClick() {
    return Finish(MakeCube(m_Core));
}

} // namespace lumora::viewer
