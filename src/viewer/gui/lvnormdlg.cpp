#include "viewer/gui/lvnormdlg.h"

#include "ui/gui/HelpIcon.h"
#include "ui/gui/NamedWidgets.h"
#include "viewer/gui/lvtxtdlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumora::viewer {

namespace {

QCheckBox* CheckedBox(const char* name, const char* caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

} // namespace

TNormalDlg::TNormalDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("NormalDlg");
    setWindowTitle("Normal Settings");
    const TNormalSettings defaults;
    m_PolygonsDis = ui::ReadOut("PolygonsDis");
    m_VerticesDis = ui::ReadOut("VerticesDis");
    m_SizeDis = ui::ReadOut("SizeDis");
    m_CreaseSpin = new QSpinBox;
    m_CreaseSpin->setObjectName("CreaseSpin");
    m_CreaseSpin->setRange(0, 180);
    m_CreaseSpin->setSingleStep(10);
    m_CreaseSpin->setValue(int(defaults.CreaseDegrees));
    m_UseCreaseChk = CheckedBox("UseCreaseChk", "Use Crease Angle");
    m_CompressChk = CheckedBox("CompressChk", "Compress Mesh");
    auto* doNormals = ui::NamedButton("DoNormalsBtn", "Do Normals");
    connect(doNormals, &QPushButton::clicked, this, &TNormalDlg::DoNormalsBtnClick);
    auto* group = new QGroupBox("Set Normals");
    auto* form = new QFormLayout(group);
    form->addRow("Crease Angle", m_CreaseSpin);
    form->addRow(m_UseCreaseChk);
    form->addRow(m_CompressChk);
    form->addRow(doNormals);
    auto* buttons = ui::CloseHelpRow(*this, [this] { emit HelpTopic(kTextureTopic); });
    auto* layout = new QVBoxLayout(this);
    for (QLabel* label : {m_PolygonsDis, m_VerticesDis, m_SizeDis})
        layout->addWidget(label);
    layout->addWidget(group);
    layout->addLayout(buttons);
    ShowReadouts();
}

void TNormalDlg::SetMesh(scene::MeshBuilderPtr mesh) {
    m_Mesh = std::move(mesh);
    ShowReadouts();
}

void TNormalDlg::ShowNormalsDialog(scene::MeshBuilderPtr mesh) {
    SetMesh(std::move(mesh));
    exec();
}

TNormalSettings TNormalDlg::Settings() const {
    TNormalSettings s;
    s.CreaseDegrees = m_CreaseSpin->value();
    s.UseCrease = m_UseCreaseChk->isChecked();
    s.Compress = m_CompressChk->isChecked();
    return s;
}

bool TNormalDlg::DoNormalsBtnClick() {
    if (!m_Mesh)
        return false;
    const bool done = scene::Succeeded(DoNormals(*m_Mesh, Settings()));
    ShowReadouts();
    emit SceneChanged();
    return done;
}

void TNormalDlg::ShowReadouts() {
    const TNormalReadouts r = m_Mesh ? NormalReadouts(*m_Mesh) : TNormalReadouts{};
    m_PolygonsDis->setText(QString::fromStdString(" Polygons: " + r.Polygons));
    m_VerticesDis->setText(QString::fromStdString(" Vertices: " + r.Vertices));
    m_SizeDis->setText(QString::fromStdString(" Size: " + r.Size));
}

} // namespace lumora::viewer
