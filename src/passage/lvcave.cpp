#include "passage/lvcave.h"

#include "passage/MeshJobs.h"

#include "survey/PlotReader.h"

#include <array>
#include <memory>

namespace lumora::passage {

namespace {

// Hides the progress display and restores the cursor on every way out of a build.
class BuildGuard {
public:
    BuildGuard(TCaveBuild& build) : m_Build(build) {
        m_Build.Ui.SetBusyCursor(true);
        m_Build.Progress.Show();
    }
    ~BuildGuard() {
        m_Build.Progress.Hide();
        m_Build.Ui.SetBusyCursor(false);
    }
    BuildGuard(const BuildGuard&) = delete;
    BuildGuard& operator=(const BuildGuard&) = delete;

private:
    TCaveBuild& m_Build;
};

// Positions of the loaded records with the passage options' adjustments (metres, centre).
class RecordPositions {
public:
    explicit RecordPositions(const TCaveBuild& build)
        : m_Data(build.Data), m_Adjust(MakeStationAdjust(build.Data, build.Options)), m_One(1) {}
    scene::Vector At(std::int32_t i) {
        m_One[0] = ToStation(m_Data.Shots.Get(i), i);
        return SceneVertex(FetchStation(m_One, 0, m_Adjust).Position);
    }

private:
    const survey::TPlotData& m_Data;
    TStationAdjust m_Adjust;
    TStationList m_One;
};

void GeneratePassageMeshes(TCaveBuild& build, TMeshArray& store) {
    auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                    const T3DVector& p3) {
        store.AddQuad(kCaveWallColor, SceneVertex(p0), SceneVertex(p1), SceneVertex(p2),
                      SceneVertex(p3));
    };
    // Both caps face out of the tube.
    auto cap = [&](const T3DVector& centre, const T3DVector& a, const T3DVector& b, bool isStart) {
        if (isStart)
            store.AddTriangle(kCaveWallColor, SceneVertex(centre), SceneVertex(a), SceneVertex(b));
        else
            store.AddTriangle(kCaveWallColor, SceneVertex(centre), SceneVertex(b), SceneVertex(a));
    };
    auto progress = [&](std::int64_t polygons, std::int32_t) {
        build.Progress.SetPolygons(std::to_string(polygons));
        build.Progress.SetMeshes(std::to_string(store.Count()));
    };
    GeneratePassages(build.Data, build.Options, build.State, cap, wall, progress);
}

// The estimate of the walls' faces, from the loaded records as the build dialog makes it from
// the file.
std::size_t ExpectedFaces(const TCaveBuild& build) {
    std::int64_t draws = 0, ends = 0;
    const survey::TPlotArray& shots = build.Data.Shots;
    for (std::int32_t i = 0; i < shots.Count(); ++i) {
        const char type = shots.RecordType(i);
        draws += type == 'D';
        ends += (type == 'M') * 2;
    }
    const TMeshEstimate estimate = EstimatePassageMesh(draws, ends, build.Options);
    return estimate.Faces > 0 ? std::size_t(estimate.Faces) : 0;
}

void GenerateCaveNormals(scene::MeshBuilder& mesh) {
    mesh.GenerateNormals(kCaveCrease, scene::kNormalsCompact | scene::kNormalsUseCrease);
}

// Normals of every mesh, announced one by one; false when the user aborted. The meshes filled
// before the last were handed to jobs while the walls were being generated; their normals are
// waited for here, the last mesh's made here.
bool CompressMeshes(TCaveBuild& build, TMeshArray& store, TMeshJobs& jobs) {
    for (int i = 1; i <= store.Count(); ++i) {
        if (build.State.AbortPassages)
            return false;
        build.Progress.SetAction("Compressing Data: " + std::to_string(i) + "/" +
                                 std::to_string(store.Count()));
        jobs.Complete(store.Mesh(i));
    }
    return true;
}

void SetQualityOfAll(TMeshArray& store, unsigned quality) {
    for (int i = 1; i <= store.Count(); ++i)
        store.Mesh(i)->SetQuality(quality);
}

// Corners of the marker cube in the order of its six faces (signs of the half edge on x, y, z).
constexpr std::array<std::array<std::array<int, 3>, 4>, 6> kCubeFaces{{
    {{{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}}}, // z-
    {{{1, -1, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}}},     // z+
    {{{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}},     // x+
    {{{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}}}, // x-
    {{{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}},     // y+
    {{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}}, // y-
}};

void AddMarkerCube(TMeshArray& store, const scene::Vector& p) {
    for (const auto& face : kCubeFaces) {
        std::array<scene::Vector, 4> c;
        for (int k = 0; k < 4; ++k)
            c[k] = {p.X + 0.5f * face[k][0], p.Y + 0.5f * face[k][1], p.Z + 0.5f * face[k][2]};
        store.AddQuad(kStationMarkColor, c[0], c[1], c[2], c[3]);
    }
}

// Every counter of the progress display back to 0, so that nothing of an earlier build shows.
void ClearProgress(TCaveProgress& progress) {
    progress.SetSurveys("0");
    progress.SetShots("0");
    progress.SetPolygons("0");
    progress.SetMeshes("0");
}

// A model frame that was emptied for a build: unless the build filled it again, the hierarchy is
// rebuilt on the way out (abort, unreadable file, any failure), so it lists no meshes that are
// gone.
class EmptiedModel {
public:
    explicit EmptiedModel(TCaveViewer& viewer) : m_Viewer(viewer) {}
    ~EmptiedModel() {
        if (m_Filled)
            return;
        try {
            m_Viewer.RefreshHierarchy();
        } catch (...) {
            // already leaving with the build's own failure or abort
        }
    }
    EmptiedModel(const EmptiedModel&) = delete;
    EmptiedModel& operator=(const EmptiedModel&) = delete;
    void Filled() { m_Filled = true; }

private:
    TCaveViewer& m_Viewer;
    bool m_Filled = false;
};

std::string FileNamePart(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

scene::Vector SceneVertex(const T3DVector& p) {
    return {static_cast<float>(p.X), static_cast<float>(p.Z), static_cast<float>(p.Y)};
}

bool ProcessCaveFile(TCaveBuild& build, const std::string& fileName) {
    TCaveViewer& viewer = build.Viewer;
    {
        BuildGuard guard(build);
        ClearProgress(build.Progress);
        viewer.SetWrapRelative(false);
        build.Options.CenterOnCave = true;
        build.Progress.SetAction("Clearing Data");
        viewer.ClearModel();
        EmptiedModel emptied(viewer);
        TMeshArray store(viewer.Root(), kKindPassages, FileNamePart(fileName));
        store.SetWeldVertices(true);            // the normal step merges the walls' vertices anyway
        TMeshJobs normals(GenerateCaveNormals); // on the second core while the walls go on
        store.OnMeshFull([&normals](const scene::MeshBuilderPtr& mesh) { normals.Submit(mesh); });
        viewer.ApplyMeshOptions(build.Options);
        auto loadProgress = [&](std::int32_t surveys, std::int32_t records) {
            build.Progress.SetSurveys(std::to_string(surveys));
            build.Progress.SetShots(std::to_string(records));
        };
        survey::LoadPlotFile(build.Data, fileName, loadProgress, build.Ui);
        if (build.Data.AbortLoad)
            return false;
        // Only a file that was read names the window and joins the recent files.
        viewer.SetViewerCaption(fileName);
        viewer.AddRecentFile(fileName);
        store.ExpectFaces(ExpectedFaces(build));
        GeneratePassageMeshes(build, store);
        if (!CompressMeshes(build, store, normals))
            return false;
        store.AttachTo(viewer.CenterFrame());
        emptied.Filled();
        viewer.ResetScale();
        viewer.RefreshHierarchy();
        viewer.SetRenderEnabled();
        build.Progress.SetAction("Rendering Image");
        viewer.RenderWithNotice();
    }
    viewer.BuildFinished(build.Data.Loaded);
    return true;
}

void BuildShotLines(TCaveBuild& build) {
    BuildGuard guard(build);
    build.Progress.SetShots("0");
    TMeshArray store(build.Viewer.Root(), kKindShots, "Shots");
    RecordPositions positions(build);
    scene::Vector previous;
    for (std::int32_t i = 0; i < build.Data.Shots.Count(); ++i) {
        const scene::Vector here = positions.At(i);
        const char type = build.Data.Shots.RecordType(i);
        // Only draws join two records; a feature point is not a shot.
        if ((type == 'D' || type == 'd') && i > 0)
            store.AddTriangle(kShotLineColor, previous, here, here);
        previous = here;
        if (i % 100 == 0)
            build.Progress.SetAction("Shots: " + std::to_string(i));
    }
    SetQualityOfAll(store, scene::kShadeFlat | scene::kLightOff | scene::kFillWireframe);
    store.AttachTo(build.Viewer.CenterFrame());
}

void BuildStationMarkers(TCaveBuild& build) {
    BuildGuard guard(build);
    build.Progress.SetShots("0");
    TMeshArray store(build.Viewer.Root(), kKindStations, "Stations");
    RecordPositions positions(build);
    for (std::int32_t i = 0; i < build.Data.Shots.Count(); ++i) {
        AddMarkerCube(store, positions.At(i));
        if (i % 10 == 0)
            build.Progress.SetAction("Station: " + std::to_string(i));
    }
    SetQualityOfAll(store, scene::kShadeFlat | scene::kLightOff | scene::kFillSolid);
    store.AttachTo(build.Viewer.CenterFrame());
}

} // namespace lumora::passage
