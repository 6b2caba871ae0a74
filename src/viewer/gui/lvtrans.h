// lvtrans — the transform display (`TTransDlg`, "Transforms"): the model frame's or the scene
// frame's 4 x 4 matrix, each matrix row in one column of the grid.
#pragma once

#include "viewer/lvsupprt.h"

#include <QDialog>

class QLabel;

namespace lumora::viewer {

class TTransDlg : public QDialog {
    Q_OBJECT
public:
    // scene must outlive the dialog. The grid starts blank and keeps the last button's values.
    explicit TTransDlg(TViewerScene& scene, QWidget* parent = nullptr);

    void CenterTransBtnClick();
    void SceneTransBtnClick();
    // The text of grid column column, row row (0..3).
    QString Cell(int column, int row) const;

private:
    void ShowMatrix(const scene::Matrix& m);

    TViewerScene& m_Scene;
    QLabel* m_Grid[4][4];
};

} // namespace lumora::viewer
