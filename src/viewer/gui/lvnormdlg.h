// lvnormdlg — the normals dialog `TNormalDlg` "Normal Settings": a mesh's faces, vertices and size,
// and new vertex normals with or without a crease angle.
#pragma once

#include "viewer/lvnormal.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace lumora::viewer {

class TNormalDlg : public QDialog {
    Q_OBJECT
public:
    explicit TNormalDlg(QWidget* parent = nullptr);

    // The dialog modally for mesh.
    void ShowNormalsDialog(scene::MeshBuilderPtr mesh);
    // The mesh the dialog acts on; the read-outs show it.
    void SetMesh(scene::MeshBuilderPtr mesh);
    // The controls' values.
    TNormalSettings Settings() const;
    // "Do Normals": new normals for the mesh, then the read-outs again; false without a mesh or
    // when the generation failed.
    bool DoNormalsBtnClick();

signals:
    // The normals changed (the window redraws on palettized screens).
    void SceneChanged();
    void HelpTopic(int topic);

private:
    void ShowReadouts();

    scene::MeshBuilderPtr m_Mesh;
    QLabel *m_PolygonsDis, *m_VerticesDis, *m_SizeDis;
    QSpinBox* m_CreaseSpin;
    QCheckBox *m_UseCreaseChk, *m_CompressChk;
};

} // namespace lumora::viewer
