// lvmeshcmd — the main window's mesh-file commands: "&Open Mesh...", "O&pen Progressive
// Mesh...", "&Save As X File...", "Save As glTF..." and the hierarchy's "Save" and "Edit
// Progressive", with the dialogs they show. The work itself is the viewer core's (lvsave,
// GltfSave); the window hears of a new model through ModelOpened.
#pragma once

#include "viewer/ViewerCore.h"

#include <QObject>
#include <QString>

#include <string>

class QFileDialog;
class QWidget;

namespace lumora::viewer {

class TDXSaveDlg;
class TFileProgDlg;
class TProgEditDlg;

class TMeshFileCommands : public QObject {
    Q_OBJECT
public:
    // core and window must outlive the commands; the dialogs are the window's children.
    TMeshFileCommands(TViewerCore& core, QWidget* window);

    void OpenMesh1Click();
    void OpenProgressiveMesh1Click();
    void SaveAsXFile1Click();
    void SaveAsGltf1Click();
    // The hierarchy's "Save" and "Edit Progressive", for the selected item.
    void SaveMeshBtnClick();
    void ProgBtnClick();

    // The open commands' work on a path already chosen: true when the model was replaced.
    bool OpenMeshFile(const std::string& path, bool progressive);
    // "Save As glTF..."'s work on a path already chosen: true when written.
    bool SaveGltfFile(const std::string& path);

    // The main window's open dialog (default extension and filter set by each command).
    QFileDialog* OpenDialog() const { return m_OpenDialog; }
    QFileDialog* GltfDialog() const { return m_GltfDialog; }
    TDXSaveDlg* DXSaveDlg() const { return m_DXSaveDlg; }
    TFileProgDlg* FileProgDlg() const { return m_FileProgDlg; }
    TProgEditDlg* ProgEditDlg() const { return m_ProgEditDlg; }

signals:
    // A mesh file is the new model: the window names itself after it, unchecks the shots and
    // stations, and rebuilds its hierarchy panel.
    void ModelOpened(const QString& path);
    // The scene looks different now (a detail changed): one frame is drawn.
    void Redraw();
    void HelpTopic(int topic);

private:
    std::string ChooseOpenPath();

    TViewerCore& m_Core;
    QWidget* m_Window;
    QFileDialog* m_OpenDialog;
    QFileDialog* m_GltfDialog;
    TDXSaveDlg* m_DXSaveDlg;
    TFileProgDlg* m_FileProgDlg;
    TProgEditDlg* m_ProgEditDlg;
};

// The open dialog's name filters for meshes (MeshOpenFilters), each pattern in both cases, since
// the dialog tells them apart and mesh files come with names in either.
QStringList MeshNameFilters();

} // namespace lumora::viewer
