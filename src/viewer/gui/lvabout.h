// lvabout — the about box: the program's name and version.
#pragma once

#include <QDialog>

namespace lumora::viewer {

// The version text of the about box ("Lumora Viewer 0.1.0").
QString VersionText();

class TAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDlg(QWidget* parent = nullptr);
};

} // namespace lumora::viewer
