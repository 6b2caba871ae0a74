// lvcave — the cave mesh builder: a plot file's passage walls, its shot lines and its station
// markers as scene meshes on the viewer's model frame, with progress and abort through small
// interfaces that the viewer's dialogs and the command line implement.
#pragma once

#include "passage/MeshStore.h"
#include "passage/PassageLib.h"
#include "platform/UiServices.h"

#include <string>

namespace lumora::passage {

// Framework colours (red in the lowest byte) of what the builders draw.
constexpr std::uint32_t kCaveWallColor = 0x0000FF;    // red
constexpr std::uint32_t kShotLineColor = 0xFF0000;    // blue
constexpr std::uint32_t kStationMarkColor = 0x00FFFF; // yellow
// Kinds (application data) of the meshes.
constexpr int kKindPassages = 1, kKindShots = 2, kKindStations = 3, kKindBoundingBox = 4;
// Normal generation of the cave meshes: a crease of 110 degrees, vertices merged first.
constexpr float kCaveCrease = 1.9198622f;

// The progress display of a build. Every call shows its text at once (a repaint); none lets
// other events run. An abort reaches the build through TPlotData::AbortLoad while the file is
// read (the reader lets events run) and TPassageRunState::AbortPassages afterwards.
class TCaveProgress {
public:
    virtual ~TCaveProgress() = default;
    virtual void Show() {}
    virtual void Hide() {}
    // The action line: "Clearing Data", "Compressing Data: 1/3", "Rendering Image", ...
    virtual void SetAction(const std::string&) {}
    // The read-outs "Surveys:", "Shots:", "Polygons:" and "Meshes:".
    virtual void SetSurveys(const std::string&) {}
    virtual void SetShots(const std::string&) {}
    virtual void SetPolygons(const std::string&) {}
    virtual void SetMeshes(const std::string&) {}
};

// The program showing the cave: its scene, its model frame and the steps a new model takes.
class TCaveViewer {
public:
    virtual ~TCaveViewer() = default;
    virtual scene::Root& Root() = 0;
    // The model frame everything built is attached to.
    virtual scene::Frame& CenterFrame() = 0;
    // Window caption and recent-files menu of the file being built.
    virtual void SetViewerCaption(const std::string&) {}
    virtual void AddRecentFile(const std::string&) {}
    // The relative texture wrap belongs to the previous scene; the build switches it off.
    virtual void SetWrapRelative(bool) {}
    // Frames back to their reset places and the model frame emptied.
    virtual void ClearModel() = 0;
    // The build dialog's passage options into options (fields it does not own stay).
    virtual void ApplyMeshOptions(TPassageOptions&) {}
    // Scales the model to a largest side of 1000 and puts it back in front of the camera.
    virtual void ResetScale() = 0;
    virtual void RefreshHierarchy() {}
    virtual void SetRenderEnabled() {}
    // Draws the first picture of the new model.
    virtual void RenderWithNotice() {}
    // After a finished build: unchecks "Show Shots" and "Show Stations", enables the rose
    // diagram exactly when a plot file is loaded.
    virtual void BuildFinished(bool /*plotLoaded*/) {}
};

// Everything a build works on; the command boundary passes the process-wide objects.
struct TCaveBuild {
    TCaveViewer& Viewer;
    TCaveProgress& Progress;
    UiServices& Ui;
    survey::TPlotData& Data;
    TPassageOptions& Options;
    TPassageRunState& State;
};

// A plot position (x east, y north, z up) as a scene vertex (x, z, y) in single precision.
scene::Vector SceneVertex(const T3DVector& p);

// Clears the model and the progress counters, reads fileName into build.Data and, once it was
// read, names the window after it and adds it to the recent files; then builds its passage walls
// (red, kind 1, at most 20000 faces a mesh), generates their normals and attaches them to the
// model frame, resets the scale and draws the first picture. Returns true when the picture was
// drawn, false when the user aborted (quietly, nothing attached). Throws what the reader or the
// generator throws (PlotFileError "FILE: reason", lumora::Error); a file that could not be read
// leaves the caption and the recent files as they were. On every way out the progress display is
// hidden and the busy cursor restored, and the hierarchy is rebuilt when the model stayed empty.
bool ProcessCaveFile(TCaveBuild& build, const std::string& fileName);

// The shots of the loaded file as blue lines (degenerate triangles of one mesh store, kind 2,
// drawn as unlit flat wire frame) attached to the model frame. A move or feature record starts a
// new line.
void BuildShotLines(TCaveBuild& build);

// A yellow cube of edge 1 (plot units) around every record's position (kind 3, unlit flat
// solid) attached to the model frame.
void BuildStationMarkers(TCaveBuild& build);

} // namespace lumora::passage
