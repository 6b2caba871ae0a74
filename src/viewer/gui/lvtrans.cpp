#include "viewer/gui/lvtrans.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumora::viewer {

TTransDlg::TTransDlg(TViewerScene& scene, QWidget* parent) : QDialog(parent), m_Scene(scene) {
    setObjectName("TransDlg");
    setWindowTitle("Transforms");
    auto* grid = new QGridLayout;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            auto* cell = new QLabel;
            cell->setObjectName(QString("Cell%1%2").arg(column).arg(row));
            cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            cell->setMinimumWidth(70);
            m_Grid[column][row] = cell;
            grid->addWidget(cell, row, column);
        }
    auto* buttons = new QHBoxLayout;
    auto add = [&](const char* name, const char* caption) {
        auto* button = new QPushButton(caption);
        button->setObjectName(name);
        buttons->addWidget(button);
        return button;
    };
    connect(add("CenterTransBtn", "Center Trans"), &QPushButton::clicked, this,
            &TTransDlg::CenterTransBtnClick);
    connect(add("SceneTransBtn", "SceneTrans"), &QPushButton::clicked, this,
            &TTransDlg::SceneTransBtnClick);
    connect(add("OKBtn", "OK"), &QPushButton::clicked, this, &QDialog::accept);
    connect(add("CancelBtn", "Cancel"), &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void TTransDlg::ShowMatrix(const scene::Matrix& m) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m_Grid[i][j]->setText(QString::fromStdString(FixedText(m.M[i][j], 1)));
}

void TTransDlg::CenterTransBtnClick() {
    if (m_Scene.CenterFrame)
        ShowMatrix(m_Scene.CenterFrame->GetTransform());
}

void TTransDlg::SceneTransBtnClick() {
    if (m_Scene.SceneFrame)
        ShowMatrix(m_Scene.SceneFrame->GetTransform());
}

QString TTransDlg::Cell(int column, int row) const {
    return m_Grid[column][row]->text();
}

} // namespace lumora::viewer
