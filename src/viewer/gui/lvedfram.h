// lvedfram — the frame editing dialog (`TEditFrameDlg`): moves and turns any frame of the
// hierarchy by a percentage of its reference frame's size (FrameEdit), with its size, vertex and
// face counts, angles and position read out.
#pragma once

#include "viewer/ViewerCore.h"

#include <QDialog>

class QButtonGroup;
class QDoubleSpinBox;
class QLabel;

namespace lumora::viewer {

class TEditFrameDlg : public QDialog {
    Q_OBJECT
public:
    // core must outlive the dialog.
    explicit TEditFrameDlg(TViewerCore& core, QWidget* parent = nullptr);

    // EditFrame := frame, EditRef := its parent or, for the scene root, the camera; the
    // read-outs filled. The window then shows the dialog modally.
    void SetFrame(const scene::FramePtr& frame);
    // A button by its object name ("PanLeftBtn", "RollRightBtn", ...).
    void ButtonClick(const QString& name);

    scene::FramePtr EditFrame;

signals:
    void HelpTopic(int topic);

private:
    void ShowPlacement();

    TViewerCore& m_Core;
    QDoubleSpinBox* m_IncSpin;
    QButtonGroup* m_RelativeRadio;
    QLabel *m_SizeDis, *m_VertexDis, *m_FaceDis, *m_AngleDis, *m_PositionDis;
};

} // namespace lumora::viewer
