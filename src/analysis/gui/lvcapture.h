// lvcapture — the "AVI Capture Options" dialog (`TCaptureDlg`): frames per second, compression,
// the movie size limit and the movie's length (" Time:").
#pragma once

#include "analysis/ViewCapture.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace lumora::analysis {

class TCaptureDlg : public QDialog {
    Q_OBJECT
public:
    explicit TCaptureDlg(QWidget* parent = nullptr);

    // The options as the controls hold them, and the controls set from options.
    TCaptureOptions Options() const;
    void SetOptions(const TCaptureOptions& options);
    // "&Capture Options...": the time display brought up to date, then the dialog modally.
    void ShowOptions();
    // What " Time:" shows ("0:10").
    QString TimeShown() const;

signals:
    void HelpTopic(int topic);

private:
    void UpdateTime();

    QSpinBox *m_FPSSpin, *m_CompressSpin, *m_MaxFramesSpin;
    QCheckBox* m_LimitChk;
    QLabel* m_DisTime;
};

} // namespace lumora::analysis
