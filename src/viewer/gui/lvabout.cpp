#include "viewer/gui/lvabout.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#ifndef LUMORA_VERSION
#define LUMORA_VERSION "0"
#endif

namespace lumora::viewer {

QString VersionText() {
    return QString("Lumora Viewer ") + LUMORA_VERSION;
}

TAboutDlg::TAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutDlg");
    setWindowTitle("About");
    auto* version = new QLabel(VersionText());
    version->setObjectName("VersionDis");
    auto* text = new QLabel("Views cave surveys as 3D passages.\nPlot files: *.plt, *.plf");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(version);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

} // namespace lumora::viewer
