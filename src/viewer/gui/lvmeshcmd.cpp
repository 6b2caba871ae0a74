#include "viewer/gui/lvmeshcmd.h"

#include "passage/CrossSection.h"
#include "survey/PlotArray.h"
#include "viewer/GltfSave.h"
#include "viewer/gui/dxfile.h"
#include "viewer/gui/lvdxsave.h"
#include "viewer/gui/lvedprog.h"
#include "viewer/lvsave.h"

#include <QFileDialog>

namespace lumora::viewer {

namespace {

const char* const kGltfBinaryFilter = "glTF Binary (*.glb)";
const char* const kGltfTextFilter = "glTF (*.gltf)";

QFileDialog* FileDialog(QWidget* window, const char* name, QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(window);
    dialog->setObjectName(name);
    dialog->setOption(QFileDialog::DontUseNativeDialog); // the same dialog everywhere, and testable
    dialog->setAcceptMode(mode);
    return dialog;
}

} // namespace

QStringList MeshNameFilters() {
    QStringList filters;
    for (const TFileFilter& filter : MeshOpenFilters()) {
        QStringList patterns;
        for (const std::string& pattern : filter.Patterns) {
            const QString p = pattern == "*.*" ? "*" : QString::fromStdString(pattern);
            patterns << p.toLower() << p.toUpper();
        }
        patterns.removeDuplicates();
        filters << QString::fromStdString(filter.Caption) + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

TMeshFileCommands::TMeshFileCommands(TViewerCore& core, QWidget* window)
    : QObject(window), m_Core(core), m_Window(window) {
    m_OpenDialog = FileDialog(window, "OpenDialog", QFileDialog::AcceptOpen);
    m_OpenDialog->setFileMode(QFileDialog::ExistingFile);
    m_GltfDialog = FileDialog(window, "GltfSaveDialog", QFileDialog::AcceptSave);
    m_GltfDialog->setWindowTitle("Save glTF File");
    m_GltfDialog->setNameFilters({kGltfBinaryFilter, kGltfTextFilter});
    m_GltfDialog->setDefaultSuffix("glb");
    connect(m_GltfDialog, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        m_GltfDialog->setDefaultSuffix(filter == kGltfTextFilter ? "gltf" : "glb");
    });
    m_DXSaveDlg = new TDXSaveDlg(window);
    m_FileProgDlg = new TFileProgDlg(window);
    m_ProgEditDlg = new TProgEditDlg(window);
    connect(m_ProgEditDlg, &TProgEditDlg::HelpTopic, this, &TMeshFileCommands::HelpTopic);
    connect(m_ProgEditDlg, &TProgEditDlg::DetailChanged, this, &TMeshFileCommands::Redraw);
}

std::string TMeshFileCommands::ChooseOpenPath() {
    m_OpenDialog->setDefaultSuffix("x");
    m_OpenDialog->setNameFilters(MeshNameFilters());
    if (m_OpenDialog->exec() != QDialog::Accepted || m_OpenDialog->selectedFiles().isEmpty())
        return {};
    return m_OpenDialog->selectedFiles().first().toStdString();
}

void TMeshFileCommands::OpenMesh1Click() {
    const std::string path = ChooseOpenPath();
    if (!path.empty())
        OpenMeshFile(path, false);
}

void TMeshFileCommands::OpenProgressiveMesh1Click() {
    const std::string path = ChooseOpenPath();
    if (!path.empty())
        OpenMeshFile(path, true);
}

bool TMeshFileCommands::OpenMeshFile(const std::string& path, bool progressive) {
    const bool opened = progressive ? OpenProgressiveMesh(m_Core, path) : OpenMesh(m_Core, path);
    if (opened)
        emit ModelOpened(QString::fromStdString(path));
    return opened;
}

void TMeshFileCommands::SaveAsXFile1Click() {
    if (!CheckMeshToSave(m_Core) || !m_DXSaveDlg->Execute())
        return;
    SaveAsXFile(m_Core, m_DXSaveDlg->FileName(), m_DXSaveDlg->SaveAsText(), m_FileProgDlg);
}

void TMeshFileCommands::SaveMeshBtnClick() {
    const auto mesh = m_Core.Hierarchy.QuerySelected<scene::MeshBuilder>();
    m_Core.Textures.SelectedBuilder = mesh;
    if (mesh && m_DXSaveDlg->Execute())
        SaveMesh(m_Core, mesh, m_DXSaveDlg->FileName(), m_DXSaveDlg->SaveAsText());
}

void TMeshFileCommands::ProgBtnClick() {
    if (const auto mesh = m_Core.Hierarchy.QuerySelected<scene::ProgressiveMesh>())
        m_ProgEditDlg->Execute(*mesh);
}

void TMeshFileCommands::SaveAsGltf1Click() {
    if (!CheckMeshToSave(m_Core))
        return;
    if (m_GltfDialog->exec() != QDialog::Accepted || m_GltfDialog->selectedFiles().isEmpty())
        return;
    SaveGltfFile(m_GltfDialog->selectedFiles().first().toStdString());
}

bool TMeshFileCommands::SaveGltfFile(const std::string& path) {
    return scene::Succeeded(
        SaveAsGltf(m_Core, path, survey::PlotData(), passage::PassageOptions()));
}

} // namespace lumora::viewer
