// lvedprog — the progressive mesh dialog (`TProgEditDlg`, "Progressive Mesh Settings"): the
// vertical detail bar `DetailBar` sets the mesh's detail at once, with the faces, vertices, size,
// ranges and detail read out; Cancel puts the detail back.
#pragma once

#include "viewer/ProgressiveDetail.h"

#include <QDialog>

#include <memory>

class QLabel;
class QSlider;

namespace lumora::viewer {

class TProgEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit TProgEditDlg(QWidget* parent = nullptr);

    // Shows the dialog modally for mesh, the bar at its detail; true for OK. The mesh must outlive
    // the call.
    bool Execute(scene::ProgressiveMesh& mesh);
    QSlider* DetailBar() const { return m_DetailBar; }

signals:
    void HelpTopic(int topic);
    // The detail changed: the window draws the next frame with it.
    void DetailChanged();

private:
    void DetailBarChange(int position);
    void ShowReadouts();

    std::unique_ptr<TProgressiveEdit> m_Edit;
    QSlider* m_DetailBar;
    QLabel *m_FacesDis, *m_VerticesDis, *m_SizeDis, *m_VertexRangeDis, *m_FaceRangeDis,
        *m_DetailDis;
};

} // namespace lumora::viewer
