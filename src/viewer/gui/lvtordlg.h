// lvtordlg — the test objects dialog (`TTorusDlg`, "Test Objects"): a torus of chosen sectors and
// sections, a tetrahedron or a cube replaces the model.
#pragma once

#include "viewer/lvtorus.h"

#include <QDialog>

class QLabel;
class QSpinBox;

namespace lumora::viewer {

class TTorusDlg : public QDialog {
    Q_OBJECT
public:
    // core must outlive the dialog.
    explicit TTorusDlg(TViewerCore& core, QWidget* parent = nullptr);

    bool MakeTorusBtnClick();
    bool MakeTetraBtnClick();
    bool MakeCubeBtnClick();

signals:
    // A new model is in place: the window rebuilds its hierarchy panel.
    void ModelChanged();
    void HelpTopic(int topic);

private:
    bool Finish(bool made);

    TViewerCore& m_Core;
    QSpinBox *m_SectorSpin, *m_SectionSpin;
    QLabel* m_ProgressDis;
};

} // namespace lumora::viewer
