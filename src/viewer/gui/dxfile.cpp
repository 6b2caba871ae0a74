#include "viewer/gui/dxfile.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace lumora::viewer {

TFileProgDlg::TFileProgDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("FileProgDlg");
    setWindowTitle("Writing DX File");
    m_Bar = new QProgressBar;
    m_Bar->setObjectName("ProgressBar1");
    m_Bar->setMinimumWidth(300);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Bar);
}

void TFileProgDlg::Show(int maximum) {
    m_Bar->setRange(0, maximum);
    m_Bar->setValue(0);
    show();
    repaint(); // no events run during the write: the window paints now
}

void TFileProgDlg::StepIt() {
    m_Bar->setValue(m_Bar->value() + 1);
    m_Bar->repaint();
}

void TFileProgDlg::Hide() {
    hide();
}

} // namespace lumora::viewer
