#include "viewer/lvsave.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/scene/MeshImport.h"
#include "viewer/RockPicture.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

namespace lumora::viewer {

using namespace scene;

namespace {

const char* const kSavedRockName = "TEXTURE1.BMP";

std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

std::string RangeText(std::size_t minimum, std::size_t maximum) {
    return std::to_string(minimum) + " - " + std::to_string(maximum);
}

// Writes path whole or not at all: write fills a temporary file beside it, which replaces path
// only once complete. A failure is shown as "PATH: reason" (the system's reason where the writer
// left one) and leaves path as it was; WriteFailed then, or the writer's own result.
Result WriteWhole(UiServices& ui, const std::string& path,
                  const std::function<Result(const std::string& file)>& write) {
    Result result = Result::Ok;
    try {
        platform::WriteFileThrough(path, [&](const std::string& temp) {
            errno = 0;
            result = write(temp);
            const int error = errno;
            if (!Succeeded(result))
                throw lumora::WriteError(
                    path + ": " +
                    (error != 0 ? std::strerror(error) : "the file could not be written"));
            return true;
        });
    } catch (const lumora::Error& e) {
        ui.Warning(e.what());
        return Succeeded(result) ? Result::WriteFailed : result;
    }
    return Result::Ok;
}

// The steps after a mesh file was read: the old model goes, the new one comes in.
bool ReplaceModel(TViewerCore& core, const VisualPtr& model) {
    core.Scene.WrapRelative = false;
    ClearModel(core.Scene);
    return InstallModel(core, model);
}

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
    if (!CheckFileResult(core.Ui, core.Scene.RMRoot.LoadTexture(file, texture), file))
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
    return WriteWhole(core.Ui, path, [&](const std::string& file) {
        return mesh->Save(file, text ? XFileFormat::Text : XFileFormat::Binary, options);
    });
}

bool CheckMeshToSave(TViewerCore& core) {
    int index = 0;
    MeshBuilderPtr mesh;
    if (core.Hierarchy.FindFirstObject(1, index, mesh))
        return true;
    core.Ui.Warning("No Mesh To Save.");
    return false;
}

Result SaveAsXFile(TViewerCore& core, const std::string& path, bool text,
                   const XFileProgress& step) {
    if (SaveInternalTexture(core, FolderOf(path)))
        ApplyRockTextureToCave(core.Scene, core.Textures, core.Ui, core.Hierarchy);
    BusyCursorGuard busy(core.Ui);
    return WriteWhole(core.Ui, path, [&](const std::string& file) {
        return WriteMeshFile(*core.Scene.CenterFrame, file, text, step);
    });
}

int DetailBarPosition(double detail, int minimum, int maximum) {
    return int((maximum - minimum) * detail);
}

double DetailFromBar(int position, int minimum, int maximum) {
    return maximum > minimum ? double(position) / (maximum - minimum) : 0;
}

TProgressiveReadouts ProgressiveReadouts(const ProgressiveMesh& mesh) {
    TProgressiveReadouts r;
    r.Faces = std::to_string(mesh.GetFaceDetail());
    r.Vertices = std::to_string(mesh.GetVertexDetail());
    std::size_t minimum = 0, maximum = 0;
    mesh.GetVertexDetailRange(minimum, maximum);
    r.VertexRange = RangeText(minimum, maximum);
    mesh.GetFaceDetailRange(minimum, maximum);
    r.FaceRange = RangeText(minimum, maximum);
    Box box;
    mesh.GetBox(box);
    r.Size = BoxCornersText(box);
    r.Detail = FixedText(mesh.GetDetail(), 2);
    return r;
}

} // namespace lumora::viewer
