// LVRose — the "Rose Diagram" dialog (`TRoseDlg`): the rose's options, the linkage of layers,
// layer thickness and petal angle, and "Create Rose" with its progress bar.
#pragma once

#include "analysis/RoseBuilder.h"

#include <QDialog>
#include <QElapsedTimer>

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QSpinBox;

namespace lumora::analysis {

// The progress bar takes a new value at most this often (milliseconds); it repaints itself then.
constexpr int kProgressRepaintInterval = 50;

class TRoseDlg : public QDialog {
    Q_OBJECT
public:
    // core and data must outlive the dialog; data is the survey the rose is made of.
    TRoseDlg(viewer::TViewerCore& core, const survey::TPlotData& data, QWidget* parent = nullptr);

    // "Layer Thickness" set to the survey's depth range over "Layers", then the dialog modally.
    void ShowRoseDialog();
    // The options as the controls hold them, and the controls set from options (the thickness
    // follows the layers).
    TRoseOptions Options() const;
    void SetOptions(const TRoseOptions& options);
    // "Create Rose": the rose of the survey with the dialog's options replaces the model; true
    // when it was built. The histogram of the last build stays readable.
    bool CreateBtnClick();
    const TRoseHistogram& Histogram() const { return m_Histogram; }
    // New values the progress bar was given during the last "Create Rose".
    int ProgressShown() const { return m_Shown; }

signals:
    // The model was replaced (or cleared): the window rebuilds its hierarchy panel.
    void ModelChanged();

private:
    void LayersChanged(int layers);
    void ThickChanged(double thickness);
    void PetalsChanged(int petals);
    void ShowProgress(int percent);

    viewer::TViewerCore& m_Core;
    const survey::TPlotData& m_Data;
    TRoseHistogram m_Histogram;
    QDoubleSpinBox *m_MinLenSpin, *m_ThickSpin;
    QButtonGroup *m_GraphByRadio, *m_RoseTypeRadio;
    QCheckBox *m_RainbowChk, *m_SlopeChk, *m_BaseChk;
    QSpinBox *m_PetalsSpin, *m_LayersSpin;
    QLabel* m_AngleDis;
    QProgressBar* m_ProgressBar1;
    QElapsedTimer m_LastShown;
    int m_Shown = 0;
};

} // namespace lumora::analysis
