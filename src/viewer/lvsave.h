// Mesh files in the viewer: opening a mesh or a progressive mesh as the model (and the file types
// offered), saving one mesh or the whole model as .x files, writing the built-in rock picture
// beside them.
#pragma once

#include "platform/scene/MeshFileWriter.h"
#include "viewer/ViewerCore.h"

#include <string>
#include <vector>

namespace lumora::viewer {

// "&Open Mesh...": the file's meshes as one mesh builder (kind 0, gray 0.8, power 10, solid
// flat unlit) that replaces the model. A file that cannot be read is reported as "PATH: reason"
// (the system's or the importer's words) and leaves the model as it was. The caller sets the
// caption (ViewerCaption) on success.
bool OpenMesh(TViewerCore& core, const std::string& path);
// "O&pen Progressive Mesh...": the same with a progressive mesh.
bool OpenProgressiveMesh(TViewerCore& core, const std::string& path);

// When the current texture is the built-in "TEXTURE1" and the user agrees to
// "Save Internal Texture?": writes the picture as folder/TEXTURE1.BMP (24 bits per pixel) and makes
// that file the current texture, named "TEXTURE1.BMP". True when it did; a file that cannot be
// written or read back is reported as "PATH: reason" and gives false (a failed write leaves no
// file behind and an older TEXTURE1.BMP as it was).
bool SaveInternalTexture(TViewerCore& core, const std::string& folder);

// The hierarchy's "Save": mesh written to path by its own writer, with normals, texture
// coordinates, materials and texture names; the rock preset is renewed first when the built-in
// picture was written beside it. The file is written whole or not at all: a failed write is
// reported as "PATH: reason" and leaves no file behind and an older file at path as it was.
scene::Result SaveMesh(TViewerCore& core, const scene::MeshBuilderPtr& mesh,
                       const std::string& path, bool text);
// "&Save As X File..."'s first check: false, after the warning "No Mesh To Save.", when the
// hierarchy holds no mesh builder.
bool CheckMeshToSave(TViewerCore& core);

// The progress window of a model save ("Writing DX File"): shown with its maximum before the
// first step, moved on after each step, and hidden at the end, before a failure is told.
class TFileProgress {
public:
    virtual ~TFileProgress() = default;
    virtual void Show(int maximum) = 0;
    virtual void StepIt() = 0;
    virtual void Hide() = 0;
};

// "&Save As X File...": every mesh builder of CenterFrame into one .x file, written whole or not
// at all like SaveMesh; progress, when given, takes 5 steps per visual of CenterFrame (see
// MeshFileProgressMaximum) and is hidden before a failure is reported.
scene::Result SaveAsXFile(TViewerCore& core, const std::string& path, bool text,
                          TFileProgress* progress = nullptr);

// The open dialog's file types for meshes: "Mesh Files" (*.X) first, then every format the
// importer reads, then "All Files".
struct TFileFilter {
    std::string Caption;
    std::vector<std::string> Patterns; // "*.X", "*.obj", ...
};
std::vector<TFileFilter> MeshOpenFilters();

} // namespace lumora::viewer
