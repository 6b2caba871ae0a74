// lveffectsdlg — the "Special Effects" dialog `TColorDlg`: the depth colour bar `DepthBar` and
// "Color By Depth", transparency, and the rock texture on the cave passages, with the progress of
// the long passes.
#pragma once

#include "analysis/gui/ColorbarWidget.h"
#include "analysis/lveffects.h"
#include "viewer/DepthLegend.h"

#include <QColor>
#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QSpinBox;
class QTabWidget;

namespace lumora::analysis {

// Help topic of the manual's section on the special effects.
constexpr int kEffectsTopic = 10;
// "Transparency"'s default, in percent.
constexpr int kDefaultTransparency = 55;

// The dialog's side of a long pass: the progress bar and `CntDis` take the values reported, and
// the dialog is painted at most every kProgressRepaintInterval ms, so a million faces do not
// mean ten thousand paints.
class TDialogProgress : public TEffectsProgress {
public:
    // All three must outlive the object.
    TDialogProgress(QWidget& dialog, QProgressBar& bar, QLabel& counter);
    void SetMaximum(std::size_t maximum) override;
    void SetPosition(std::size_t position) override;
    void SetCounter(const std::string& text) override;
    void Repaint() override;
    // A new pass: its first report is painted at once.
    void Start();
    // The pass is over: the last values are shown and painted.
    void Finish();
    // Paints done since Start.
    int Repaints() const { return m_Repaints; }

private:
    void Show();

    QWidget& m_Dialog;
    QProgressBar& m_Bar;
    QLabel& m_Counter;
    std::size_t m_Maximum = 0, m_Position = 0;
    std::string m_CounterText;
    QElapsedTimer m_LastShown;
    int m_Repaints = 0;
};

class TColorDlg : public QDialog {
    Q_OBJECT
public:
    // core must outlive the dialog.
    explicit TColorDlg(viewer::TViewerCore& core, QWidget* parent = nullptr);

    // Opens modally on the "Color By Depth" tab.
    void ShowEffects();

    TColorBarWidget* DepthBar() const { return m_DepthBar; }
    TDialogProgress& Progress() { return *m_Progress; }
    // The colour chooser of "Set Color", given the band's colour; an invalid colour is a cancel.
    // Tests put their own answer in.
    std::function<QColor(const QColor& initial, QWidget* parent)> ChooseColor;

    void GradientBtnClick();
    void SetColorBtnClick();
    // "Color By Depth": the faces coloured.
    std::size_t ColorByDepthBtnClick();
    void ApplyBtnClick();
    bool SetRockBtnClick();
    void RemoveTextureBtnClick();

signals:
    // The scene changed so that the next frame is slow: draw it with the notice.
    void RenderWithNotice();
    // The scene changed (the window redraws on palettized screens).
    void SceneChanged();
    // The cave passages are now coloured by the bar (true), or their depth colours are gone.
    void DepthColouring(bool on);
    void HelpTopic(int topic);

private:
    QWidget* DepthPage();
    QWidget* MiscPage();

    viewer::TViewerCore& m_Core;
    QTabWidget* m_Pages;
    TColorBarWidget* m_DepthBar = nullptr;
    QLabel* m_CntDis = nullptr;
    QCheckBox* m_Color24Chk = nullptr;
    QSpinBox* m_TransparentSpin = nullptr;
    QProgressBar* m_ProgressBar1;
    std::unique_ptr<TDialogProgress> m_Progress;
};

} // namespace lumora::analysis
