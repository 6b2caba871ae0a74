#include "viewer/gui/lvedprog.h"

#include "ui/gui/HelpIcon.h"
#include "ui/gui/NamedWidgets.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace lumora::viewer {

TProgEditDlg::TProgEditDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("ProgEditDlg");
    setWindowTitle("Progressive Mesh Settings");
    m_FacesDis = ui::ReadOut("FacesDis");
    m_VerticesDis = ui::ReadOut("VerticesDis");
    m_SizeDis = ui::ReadOut("SizeDis");
    m_VertexRangeDis = ui::ReadOut("VertexRangeDis");
    m_FaceRangeDis = ui::ReadOut("FaceRangeDis");
    m_DetailDis = ui::ReadOut("DetailDis");
    m_DetailBar = new QSlider(Qt::Vertical);
    m_DetailBar->setObjectName("DetailBar");
    m_DetailBar->setRange(0, 100);
    m_DetailBar->setTickInterval(10);
    m_DetailBar->setTickPosition(QSlider::TicksBothSides);
    connect(m_DetailBar, &QSlider::valueChanged, this, &TProgEditDlg::DetailBarChange);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OKBtn");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("CancelBtn");
    auto* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
    help->setObjectName("HelpBtn");
    ui::SetHelpIcon(*help);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { emit HelpTopic(6); });
    auto* readouts = new QVBoxLayout;
    for (QLabel* label : {m_FacesDis, m_VerticesDis, m_SizeDis, m_VertexRangeDis, m_FaceRangeDis})
        readouts->addWidget(label);
    readouts->addStretch();
    auto* bar = new QVBoxLayout;
    bar->addWidget(m_DetailBar, 1, Qt::AlignHCenter);
    bar->addWidget(m_DetailDis, 0, Qt::AlignHCenter);
    auto* top = new QHBoxLayout;
    top->addLayout(readouts, 1);
    top->addLayout(bar);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

bool TProgEditDlg::Execute(scene::ProgressiveMesh& mesh) {
    m_Edit = std::make_unique<TProgressiveEdit>(mesh);
    {
        const QSignalBlocker quiet(m_DetailBar); // opening does not set the detail
        m_DetailBar->setValue(m_Edit->BarPosition());
    }
    ShowReadouts();
    const bool ok = exec() == QDialog::Accepted;
    if (!ok) {
        m_Edit->Cancel();
        emit DetailChanged();
    }
    m_Edit.reset();
    return ok;
}

void TProgEditDlg::DetailBarChange(int position) {
    if (!m_Edit)
        return;
    m_Edit->MoveBar(position);
    ShowReadouts();
    emit DetailChanged();
}

void TProgEditDlg::ShowReadouts() {
    const TProgressiveReadouts r = m_Edit->Readouts();
    m_FacesDis->setText(QString::fromStdString(" Faces: " + r.Faces));
    m_VerticesDis->setText(QString::fromStdString(" Vertices: " + r.Vertices));
    m_SizeDis->setText(QString::fromStdString(" Size: " + r.Size));
    m_VertexRangeDis->setText(QString::fromStdString(" Vertex Range: " + r.VertexRange));
    m_FaceRangeDis->setText(QString::fromStdString(" Face Range: " + r.FaceRange));
    m_DetailDis->setText(QString::fromStdString(r.Detail));
}

} // namespace lumora::viewer
