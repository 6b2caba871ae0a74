#include "passage/gui/lvprogrs.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumora::passage {

namespace {

QLabel* Display(const char* name) {
    auto* label = new QLabel("0");
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(120);
    return label;
}

} // namespace

TProgressDlg::TProgressDlg(survey::TPlotData& data, TPassageRunState& state, QWidget* parent)
    : QDialog(parent), m_Data(data), m_State(state) {
    setObjectName("ProgressDlg");
    setWindowTitle("Converting Cave Data To DirectX Mesh");
    m_ActionDis = Display("ActionDis");
    m_ActionDis->clear();
    m_SurveyDis = Display("SurveyDis");
    m_ShotDis = Display("ShotDis");
    m_PolyDis = Display("PolyDis");
    m_MeshDis = Display("MeshDis");
    auto* form = new QFormLayout;
    form->addRow("Actions:", m_ActionDis);
    form->addRow("Surveys:", m_SurveyDis);
    form->addRow("Shots:", m_ShotDis);
    form->addRow("Polygons:", m_PolyDis);
    form->addRow("Meshes:", m_MeshDis);
    auto* abort = new QPushButton("Abort");
    abort->setObjectName("AbortBtn");
    connect(abort, &QPushButton::clicked, this, &TProgressDlg::AbortBtnClick);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(abort, 0, Qt::AlignHCenter);
}

void TProgressDlg::Show() {
    show();
    repaint();
}

void TProgressDlg::Hide() {
    hide();
}

void TProgressDlg::SetText(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
    label->repaint();
}

void TProgressDlg::SetAction(const std::string& text) {
    SetText(m_ActionDis, text);
}
void TProgressDlg::SetSurveys(const std::string& text) {
    SetText(m_SurveyDis, text);
}
void TProgressDlg::SetShots(const std::string& text) {
    SetText(m_ShotDis, text);
}
void TProgressDlg::SetPolygons(const std::string& text) {
    SetText(m_PolyDis, text);
}
void TProgressDlg::SetMeshes(const std::string& text) {
    SetText(m_MeshDis, text);
}

void TProgressDlg::AbortBtnClick() {
    m_Data.AbortLoad = true;
    m_State.AbortPassages = true;
}

} // namespace lumora::passage
