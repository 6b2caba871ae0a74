#include "viewer/lvsave.h"

#include "platform/Error.h"
#include "platform/scene/MeshFileWriter.h"
#include "platform/scene/MeshImport.h"
#include "viewer/RockPicture.h"

#include <filesystem>

namespace lumora::viewer {

using namespace scene;

namespace {

const char* const kSavedRockName = "TEXTURE1.BMP";

std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

// Shows the reason of a failed write ("PATH: reason"); the writers leave path as it was then.
Result Reported(UiServices& ui, Result result, const std::string& reason, const std::string& path) {
    if (!Succeeded(result))
        ui.Warning(!reason.empty() ? reason : path + ": the file could not be written");
    return result;
}

// The steps after a mesh file was read: the old model goes, the new one comes in.
bool ReplaceModel(TViewerCore& core, const VisualPtr& model) {
    core.Scene.WrapRelative = false;
    ClearModel(core.Scene);
    return InstallModel(core, model);
}

// The progress window around a write: shown before it, hidden after it on every way out, so it is
// gone before a failure is told.
class ProgressWindow {
public:
    ProgressWindow(TFileProgress* progress, int maximum) : m_Progress(progress) {
        if (m_Progress)
            m_Progress->Show(maximum);
    }
    ~ProgressWindow() {
        if (m_Progress)
            m_Progress->Hide();
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    XFileProgress Step() const {
        if (!m_Progress)
            return {};
        return [progress = m_Progress] { progress->StepIt(); };
    }

private:
    TFileProgress* m_Progress;
};

} // namespace

bool OpenMesh(TViewerCore& core, const std::string& path) {
    MeshBuilderPtr mesh;
    if (!CheckResult(core.Ui, core.Scene.RMRoot.CreateMeshBuilder(mesh)))
        return false;
    mesh->SetAppData(0);
    mesh->SetColorRGB(0.8f, 0.8f, 0.8f);
    // Read before the old model is cleared, so that a bad file leaves the view as it was.
    if (!CheckFileResult(core.Ui, mesh->Load(path), path, ImportFailureReason()))
        return false;
    MaterialPtr material;
    if (!CheckResult(core.Ui, core.Scene.RMRoot.CreateMaterial(10.0f, material)))
        return false;
    mesh->SetMaterial(material);
    mesh->SetQuality(kFillSolid | kShadeFlat | kLightOff);
    core.LoadedBuilder = mesh;
    return ReplaceModel(core, mesh);
}

bool OpenProgressiveMesh(TViewerCore& core, const std::string& path) {
    ProgressiveMeshPtr mesh;
    if (!CheckResult(core.Ui, core.Scene.RMRoot.CreateProgressiveMesh(mesh)))
        return false;
    if (!CheckFileResult(core.Ui, mesh->Load(path), path, ImportFailureReason()))
        return false;
    return ReplaceModel(core, mesh);
}

bool SaveInternalTexture(TViewerCore& core, const std::string& folder) {
    TTextures& t = core.Textures;
    if (!t.CurrentTexture || t.CurrentTexture->GetName() != kRockTextureName)
        return false;
    if (!core.Ui.AskYesNo("Save Internal Texture?"))
        return false;
    const std::string file = (std::filesystem::path(folder) / kSavedRockName).string();
    try {
        SaveRockPicture(file);
    } catch (const lumora::Error& e) {
        core.Ui.Warning(e.what());
        return false;
    }
    TexturePtr texture;
    std::string reason;
    if (!CheckFileResult(core.Ui, core.Scene.RMRoot.LoadTexture(file, texture, &reason), file,
                         reason))
        return false;
    texture->SetName(kSavedRockName);
    t.CurrentTexture = texture;
    return true;
}

Result SaveMesh(TViewerCore& core, const MeshBuilderPtr& mesh, const std::string& path, bool text) {
    if (!mesh)
        return Result::BadObject;
    core.Textures.SelectedBuilder = mesh;
    if (SaveInternalTexture(core, FolderOf(path)))
        ApplyRockTexture(core.Scene, core.Textures, core.Ui, mesh);
    BusyCursorGuard busy(core.Ui);
    const unsigned options =
        kSaveNormals | kSaveTextureCoordinates | kSaveMaterials | kSaveTextureNames;
    const MeshBuilder* meshes[] = {mesh.get()};
    std::string reason;
    return Reported(core.Ui, WriteXFile(path, text, meshes, options, &reason), reason, path);
}

bool CheckMeshToSave(TViewerCore& core) {
    int index = 0;
    MeshBuilderPtr mesh;
    if (core.Hierarchy.FindFirstObject(1, index, mesh))
        return true;
    core.Ui.Warning("No Mesh To Save.");
    return false;
}

Result SaveAsXFile(TViewerCore& core, const std::string& path, bool text, TFileProgress* progress) {
    if (SaveInternalTexture(core, FolderOf(path)))
        ApplyRockTextureToCave(core.Scene, core.Textures, core.Ui, core.Hierarchy);
    std::string reason;
    Result result = Result::WriteFailed;
    {
        BusyCursorGuard busy(core.Ui);
        ProgressWindow window(progress, MeshFileProgressMaximum(*core.Scene.CenterFrame));
        result = WriteMeshFile(*core.Scene.CenterFrame, path, text, window.Step(), &reason);
    }
    return Reported(core.Ui, result, reason, path);
}

std::vector<TFileFilter> MeshOpenFilters() {
    TFileFilter formats{"All Mesh Formats", {}};
    for (const std::string& extension : ImportExtensions())
        formats.Patterns.push_back("*" + extension);
    return {{"Mesh Files", {"*.X"}}, formats, {"All Files", {"*.*"}}};
}

} // namespace lumora::viewer
