// dxfile — the progress window of a model save (`TFileProgDlg`, "Writing DX File"): one progress
// bar, shown while the meshes are written and hidden when they are (or when the write failed).
#pragma once

#include "viewer/lvsave.h"

#include <QDialog>

class QProgressBar;

namespace lumora::viewer {

class TFileProgDlg : public QDialog, public TFileProgress {
    Q_OBJECT
public:
    explicit TFileProgDlg(QWidget* parent = nullptr);

    void Show(int maximum) override;
    void StepIt() override;
    void Hide() override;
    QProgressBar* ProgressBar() const { return m_Bar; }

private:
    QProgressBar* m_Bar;
};

} // namespace lumora::viewer
