// The cave mesh builder: passage meshes split at 20000 faces with their normal steps announced,
// shot lines, station markers, the scene conversion, a quiet end on abort, and what a file that
// cannot be read leaves behind (caption, recent files, counters, hierarchy).
#include "support/RecordingUi.h"
#include "support/TestSupport.h"

#include "passage/lvcave.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace lumora::test {
namespace {

using passage::TCaveBuild;
using scene::Vector;

// A plot file line of a station at (east, north, up) in feet with all four dimensions d.
std::string Station(char type, const std::string& name, double east, double north, double up,
                    double d = 2) {
    std::ostringstream line;
    line << type << ' ' << north << ' ' << east << ' ' << up << " S" << name << " P " << d << ' '
         << d << ' ' << d << ' ' << d << " I 1.00\r\n";
    return line.str();
}

// surveys straight surveys of shots shots each, side by side along east, and a last survey
// without shots.
std::string StraightCave(int surveys, int shots) {
    std::string text = "Z 0 " + std::to_string(surveys * 100) + " 0 " + std::to_string(shots * 10) +
                       " 0 0\r\nSMain\r\n";
    for (int s = 0; s < surveys; ++s) {
        text += "NS" + std::to_string(s) + " D 1 1 2000 C\r\n";
        for (int i = 0; i <= shots; ++i)
            text += Station(i == 0 ? 'M' : 'D', std::to_string(s) + "." + std::to_string(i),
                            i * 10.0, s * 100.0, 0);
        text += "X 0 0 0 0 0 0\r\n";
    }
    return text + "NLast D 1 1 2000 C\r\n" + Station('M', "L1", 0, 0, 0) + "X 0 0 0 0 0 0\r\n";
}

// The four counters as the display shows them.
struct Counters {
    std::string Surveys, Shots, Polygons, Meshes;
    bool operator==(const Counters&) const = default;
};

class RecordingProgress : public passage::TCaveProgress {
public:
    void Show() override { Log.push_back("show"); }
    void Hide() override { Log.push_back("hide"); }
    void SetAction(const std::string& text) override {
        Log.push_back(text);
        if (text == "Clearing Data")
            WhileClearing = Shown;
        if (text == AbortAt && State)
            State->AbortPassages = true;
    }
    void SetSurveys(const std::string& text) override { Shown.Surveys = text; }
    void SetShots(const std::string& text) override { Shown.Shots = text; }
    void SetMeshes(const std::string& text) override { Shown.Meshes = Meshes = text; }
    void SetPolygons(const std::string& text) override { Shown.Polygons = Polygons = text; }
    std::vector<std::string> Log;
    std::string Meshes, Polygons, AbortAt;
    Counters Shown, WhileClearing;
    passage::TPassageRunState* State = nullptr;
};

// The builder's view of a program on a bare scene: one model frame, and a log of the steps the
// build asks of the program.
class RecordingViewer : public passage::TCaveViewer {
public:
    explicit RecordingViewer(scene::Root& root) : m_Root(root) {
        root.CreateFrame(nullptr, Center);
    }
    scene::Root& Root() override { return m_Root; }
    scene::Frame& CenterFrame() override { return *Center; }
    void ClearModel() override {
        ++Clears;
        passage::ClearFrame(*Center);
    }
    void ResetScale() override { ++Scales; }
    void SetRenderEnabled() override { ++Enables; }
    void RenderWithNotice() override { ++Renders; }
    void BuildFinished(bool loaded) override { Finished = loaded ? 1 : 0; }
    void SetViewerCaption(const std::string& path) override { Captions.push_back(path); }
    void AddRecentFile(const std::string& path) override { RecentFiles.push_back(path); }
    // The hierarchy is rebuilt: how many visuals the model frame had then.
    void RefreshHierarchy() override { Refreshes.push_back(Center->GetVisuals().size()); }
    scene::FramePtr Center;
    int Clears = 0, Scales = 0, Enables = 0, Renders = 0;
    int Finished = -1;
    std::vector<std::string> Captions, RecentFiles;
    std::vector<std::size_t> Refreshes;

private:
    scene::Root& m_Root;
};

struct CaveFixture {
    scene::Root Root;
    RecordingViewer Viewer{Root};
    RecordingProgress Progress;
    RecordingUi Ui;
    survey::TPlotData Data;
    passage::TPassageOptions Options;
    passage::TPassageRunState State;
    TCaveBuild Build{Viewer, Progress, Ui, Data, Options, State};
    TempDir Dir;

    bool Process(const std::string& text, const std::string& name = "cave.plt") {
        const std::string file = Dir.File(name);
        WriteFile(file, text);
        return passage::ProcessCaveFile(Build, file);
    }
    // The message of what building file throws; empty when it throws nothing.
    std::string Failure(const std::string& file) {
        try {
            passage::ProcessCaveFile(Build, file);
        } catch (const lumora::Error& e) {
            return e.what();
        }
        return {};
    }
    std::vector<scene::MeshBuilderPtr> Meshes(std::uint32_t kind) const {
        std::vector<scene::MeshBuilderPtr> out;
        for (const auto& v : Viewer.Center->GetVisuals())
            if (auto mesh = std::dynamic_pointer_cast<scene::MeshBuilder>(v);
                mesh && mesh->GetAppData() == kind)
                out.push_back(mesh);
        return out;
    }
};

bool Contains(const std::vector<std::string>& log, const std::string& text) {
    return std::find(log.begin(), log.end(), text) != log.end();
}

TEST(CaveBuilder, FortyFiveThousandFacesGiveThreeMeshesAndThreeNormalSteps) {
    CaveFixture f;
    f.Options.PassShape = passage::TPassShape::Square; // 4 wall faces a shot
    ASSERT_TRUE(f.Process(StraightCave(50, 225)));     // 50 x 225 x 4 = 45000, 51 surveys
    const auto meshes = f.Meshes(passage::kKindPassages);
    ASSERT_EQ(meshes.size(), 3u);
    EXPECT_EQ(meshes[0]->GetFaceCount(), 20001u);
    EXPECT_EQ(meshes[1]->GetFaceCount(), 20001u);
    EXPECT_EQ(meshes[2]->GetFaceCount(), 4998u);
    EXPECT_EQ(f.Progress.Meshes, "3");
    EXPECT_EQ(f.Progress.Polygons, "45000");
    std::vector<std::string> steps;
    for (const std::string& line : f.Progress.Log)
        if (line.rfind("Compressing Data: ", 0) == 0)
            steps.push_back(line);
    EXPECT_EQ(steps, (std::vector<std::string>{"Compressing Data: 1/3", "Compressing Data: 2/3",
                                               "Compressing Data: 3/3"}));
    for (const auto& mesh : meshes)
        EXPECT_GT(mesh->GetNormalCount(), 0u);
    EXPECT_EQ(f.Progress.Log.front(), "show");
    EXPECT_EQ(f.Progress.Log.back(), "hide");
    EXPECT_EQ(f.Viewer.Renders, 1);
    EXPECT_EQ(f.Viewer.Finished, 1);
}

TEST(CaveBuilder, PassagesAreRedCentredAndTheModelIsClearedThenScaledOnce) {
    CaveFixture f;
    ASSERT_TRUE(f.Process(StraightCave(1, 10)));
    const auto meshes = f.Meshes(passage::kKindPassages);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(meshes[0]->FaceColor(0) & 0xFFFFFF, 0xFF0000u); // packed ARGB red
    EXPECT_TRUE(f.Options.CenterOnCave);
    scene::Box box;
    ASSERT_TRUE(f.Viewer.Center->GetHierarchyBox(box));
    EXPECT_NEAR((box.Min.X + box.Max.X) / 2, 0, 0.01); // centred on the cave
    EXPECT_EQ(f.Viewer.Clears, 1);
    EXPECT_EQ(f.Viewer.Scales, 1);
    EXPECT_EQ(f.Viewer.Enables, 1);
}

TEST(CaveBuilder, AbortBeforeNormalsEndsQuietlyWithNothingAttached) {
    CaveFixture f;
    f.Options.PassShape = passage::TPassShape::Square;
    f.Progress.AbortAt = "Compressing Data: 1/3";
    f.Progress.State = &f.State;
    EXPECT_FALSE(f.Process(StraightCave(50, 225)));
    EXPECT_TRUE(f.Viewer.Center->GetVisuals().empty());
    EXPECT_FALSE(Contains(f.Progress.Log, "Compressing Data: 2/3"));
    EXPECT_EQ(f.Progress.Log.back(), "hide");
    EXPECT_EQ(f.Viewer.Renders, 0);
    EXPECT_EQ(f.Viewer.Finished, -1);
}

TEST(CaveBuilder, ReaderFailureHidesTheProgressAndPassesTheError) {
    CaveFixture f;
    EXPECT_THROW(f.Process("Z 0 1 0 1 0 1\r\nSMain\r\nNA D 1 1 2000 C\r\nD x y z SA1\r\n"),
                 lumora::Error);
    EXPECT_EQ(f.Progress.Log.back(), "hide");
    EXPECT_EQ(f.Viewer.Finished, -1);
}

TEST(CaveBuilder, OnlyAFileThatWasReadNamesTheWindowAndJoinsTheRecentFiles) {
    CaveFixture f;
    ASSERT_TRUE(f.Process(StraightCave(1, 3), "good.plt"));
    const std::string good = f.Dir.File("good.plt");
    EXPECT_EQ(f.Viewer.Captions, std::vector<std::string>{good});
    EXPECT_EQ(f.Viewer.RecentFiles, std::vector<std::string>{good});

    const std::string missing = f.Dir.File("missing.plt");
    EXPECT_EQ(f.Failure(missing).rfind(missing + ": ", 0), 0u) << f.Failure(missing);
    const std::string empty = f.Dir.File("empty.plt");
    WriteFile(empty, "Z 0 1 0 1 0 1\r\nSMain\r\nNA D 1 1 2000 C\r\nX 0 0 0 0 0 0\r\n");
    EXPECT_EQ(f.Failure(empty), empty + ": no survey data (no station records)");
    const std::string noise = f.Dir.File("noise.plt");
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += char((i * 7919 + 13) % 251);
    WriteFile(noise, bytes);
    EXPECT_EQ(f.Failure(noise).rfind(noise + ":", 0), 0u) << f.Failure(noise);
    const std::string folder = f.Dir.File("folder.plt");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(f.Failure(folder).rfind(folder + ": ", 0), 0u) << f.Failure(folder);

    // A read that the user aborts names nothing either.
    f.Ui.OnPendingEvents = [&f] { f.Data.AbortLoad = true; };
    EXPECT_FALSE(f.Process(StraightCave(20, 50), "aborted.plt"));
    EXPECT_EQ(f.Viewer.Captions, std::vector<std::string>{good});
    EXPECT_EQ(f.Viewer.RecentFiles, std::vector<std::string>{good});
}

TEST(CaveBuilder, CountersStartAtZeroAndAModelLeftEmptyRebuildsTheHierarchy) {
    CaveFixture f;
    ASSERT_TRUE(f.Process(StraightCave(2, 5)));
    ASSERT_NE(f.Progress.Shown.Polygons, "0");
    ASSERT_EQ(f.Viewer.Refreshes, std::vector<std::size_t>{1}); // once, with the new mesh
    const Counters zero{"0", "0", "0", "0"};

    // Unreadable file: the counters of the last build are gone before anything else shows.
    EXPECT_FALSE(f.Failure(f.Dir.File("missing.plt")).empty());
    EXPECT_EQ(f.Progress.WhileClearing, zero);
    EXPECT_EQ(f.Viewer.Refreshes, (std::vector<std::size_t>{1, 0}));

    // Abort while reading, then abort before the normals: the emptied model is listed each time.
    ASSERT_TRUE(f.Process(StraightCave(2, 5)));
    f.Progress.WhileClearing = {};
    f.Ui.OnPendingEvents = [&f] { f.Data.AbortLoad = true; };
    EXPECT_FALSE(f.Process(StraightCave(20, 50)));
    EXPECT_EQ(f.Progress.WhileClearing, zero);
    EXPECT_EQ(f.Viewer.Refreshes, (std::vector<std::size_t>{1, 0, 1, 0}));
    f.Ui.OnPendingEvents = nullptr;
    f.Options.PassShape = passage::TPassShape::Square;
    f.Progress.AbortAt = "Compressing Data: 1/3";
    f.Progress.State = &f.State;
    EXPECT_FALSE(f.Process(StraightCave(50, 225)));
    EXPECT_EQ(f.Viewer.Refreshes, (std::vector<std::size_t>{1, 0, 1, 0, 0}));
}

// Loads a file of the given records into the fixture's model without building passages.
void LoadOnly(CaveFixture& f, const std::string& text) {
    ASSERT_TRUE(f.Process(text));
    passage::ClearFrame(*f.Viewer.Center);
}

TEST(CaveBuilder, MoveDrawDrawMoveDrawGivesThreeShotLines) {
    CaveFixture f;
    LoadOnly(f, "Z 0 100 0 100 0 0\r\nSMain\r\nNA D 1 1 2000 C\r\n" + Station('M', "A1", 0, 0, 0) +
                    Station('D', "A2", 10, 0, 0) + Station('D', "A3", 20, 0, 0) +
                    Station('M', "A4", 50, 50, 0) + Station('D', "A5", 60, 50, 0) +
                    "X 0 0 0 0 0 0\r\n");
    passage::BuildShotLines(f.Build);
    const auto meshes = f.Meshes(passage::kKindShots);
    ASSERT_EQ(meshes.size(), 1u);
    const auto& mesh = *meshes[0];
    EXPECT_EQ(mesh.GetFaceCount(), 3u);
    EXPECT_EQ(mesh.GetName(), "MeshName1");
    EXPECT_EQ(mesh.GetQuality(), scene::kFillWireframe); // unlit flat wire frame, 64
    // The third line starts at the second move, not at the last point of the first traverse.
    const auto& corners = mesh.FaceCorners(2);
    const Vector from = mesh.Vertices()[corners[0].Vertex];
    EXPECT_FLOAT_EQ(from.X, float(50 - f.Data.Center.X));
    EXPECT_FLOAT_EQ(from.Z, float(50 - f.Data.Center.Y));
    for (const scene::Color color : mesh.FaceColors())
        EXPECT_EQ(color & 0xFFFFFF, 0x0000FFu); // blue
}

TEST(CaveBuilder, ShotBecomesTheSceneLineWithYAndZSwapped) {
    CaveFixture f;
    LoadOnly(f, "Z 0 0 -10 10 -5 5\r\nSMain\r\nNA D 1 1 2000 C\r\n" + Station('M', "A1", 0, 0, 0) +
                    Station('D', "A2", 10, 0, 5) + Station('M', "B1", -10, 0, -5) +
                    "X 0 0 0 0 0 0\r\n");
    ASSERT_EQ(f.Data.Center.X, 0);
    ASSERT_EQ(f.Data.Center.Y, 0);
    ASSERT_EQ(f.Data.Center.Z, 0);
    passage::BuildShotLines(f.Build);
    const auto meshes = f.Meshes(passage::kKindShots);
    ASSERT_EQ(meshes.size(), 1u);
    const auto& mesh = *meshes[0];
    ASSERT_EQ(mesh.GetFaceCount(), 1u);
    const auto& c = mesh.FaceCorners(0);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_TRUE((mesh.Vertices()[c[0].Vertex] == Vector{0, 0, 0}));
    EXPECT_TRUE((mesh.Vertices()[c[1].Vertex] == Vector{10, 5, 0}));
    EXPECT_TRUE((mesh.Vertices()[c[2].Vertex] == Vector{10, 5, 0}));
}

TEST(CaveBuilder, EveryRecordGetsAYellowUnitCube) {
    CaveFixture f;
    LoadOnly(f, "Z 0 0 0 10 0 0\r\nSMain\r\nNA D 1 1 2000 C\r\n" + Station('M', "A1", 0, 0, 0) +
                    Station('D', "A2", 10, 0, 0) + Station('D', "A1", 0, 0, 0) +
                    "X 0 0 0 0 0 0\r\n");
    passage::BuildStationMarkers(f.Build);
    const auto meshes = f.Meshes(passage::kKindStations);
    ASSERT_EQ(meshes.size(), 1u);
    const auto& mesh = *meshes[0];
    EXPECT_EQ(mesh.GetFaceCount(), 18u); // the repeated station gets a second cube
    EXPECT_EQ(mesh.GetQuality(), scene::kFillSolid);
    scene::Box box;
    mesh.GetBox(box);
    EXPECT_FLOAT_EQ(box.Min.X, -5.5f);
    EXPECT_FLOAT_EQ(box.Max.X, 5.5f);
    EXPECT_FLOAT_EQ(box.Max.Y - box.Min.Y, 1.0f);
    EXPECT_EQ(mesh.FaceColor(0) & 0xFFFFFF, 0xFFFF00u); // yellow
    // The first face (z-) is wound clockwise seen from -z: its normal points to -z.
    EXPECT_LT(mesh.FaceNormal(0).Z, -0.99f);
}

} // namespace
} // namespace lumora::test
