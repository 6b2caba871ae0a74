// lvprogrs — the progress dialog of a cave build ("Converting Cave Data To DirectX Mesh"): the
// action line, the four counters and an "Abort" button that stops the reader and the generator.
#pragma once

#include "passage/lvcave.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace lumora::passage {

class TProgressDlg : public QDialog, public TCaveProgress {
    Q_OBJECT
public:
    // "Abort" sets data.AbortLoad and state.AbortPassages; both must outlive the dialog.
    TProgressDlg(survey::TPlotData& data, TPassageRunState& state, QWidget* parent = nullptr);

    // Shown and hidden without modality; every text is painted at once.
    void Show() override;
    void Hide() override;
    void SetAction(const std::string& text) override;
    void SetSurveys(const std::string& text) override;
    void SetShots(const std::string& text) override;
    void SetPolygons(const std::string& text) override;
    void SetMeshes(const std::string& text) override;

    void AbortBtnClick();

private:
    void SetText(QLabel* label, const std::string& text);

    survey::TPlotData& m_Data;
    TPassageRunState& m_State;
    QLabel* m_ActionDis;
    QLabel* m_SurveyDis;
    QLabel* m_ShotDis;
    QLabel* m_PolyDis;
    QLabel* m_MeshDis;
};

} // namespace lumora::passage
