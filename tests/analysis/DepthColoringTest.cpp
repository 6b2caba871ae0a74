// Colour by depth on a generated cave built as the viewer builds it: every passage face against a
// band worked out here face by face, other meshes untouched, the progress every 100th face, the
// transparency, and the rock texture put on and taken off.
#include "analysis/lveffects.h"
#include "support/TestSupport.h"
#include "survey/PlotGenerator.h"
#include "viewer/ViewerCave.h"
#include "viewer/ViewerTestScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <vector>

namespace lumora::test {
namespace {

using analysis::kCavePassageKind;
using analysis::TColorBar;
using analysis::TColorCount;
using scene::MeshBuilder;
using scene::MeshBuilderPtr;

// The 24-colour table as written down, entry 0 first (RGB hex).
constexpr std::uint32_t kTable24[] = {0x000000, 0xFF0000, 0xFF3F00, 0xFF7F00, 0xFFBF00, 0xFFFF00,
                                      0xBFFF00, 0x7FFF00, 0x3FFF00, 0x00FF00, 0x00FF3F, 0x00FF7F,
                                      0x00FFBF, 0x00FFFF, 0x00BFFF, 0x007FFF, 0x003FFF, 0x0000FF,
                                      0x3F00FF, 0x7F00FF, 0xBF00FF, 0xFF00FF, 0xFF00BF, 0xFF007F};

// A viewer holding a generated cave: passages, shot lines and station markers.
struct TCaveViewer : viewer::test::StartedViewer {
    survey::TPlotData Data;
    passage::TPassageOptions Options;
    passage::TPassageRunState State;
    passage::TCaveProgress Progress;

    explicit TCaveViewer(const TempDir& dir) {
        survey::TGenOptions gen;
        gen.Stations = 2000;
        gen.Seed = 3;
        survey::GeneratePlotFile(dir.File("cave.plt"), gen);
        viewer::TViewerCave cave(s, core.Navigation, ui);
        passage::TCaveBuild build{cave, Progress, ui, Data, Options, State};
        EXPECT_TRUE(passage::ProcessCaveFile(build, dir.File("cave.plt")));
        passage::BuildShotLines(build);
        passage::BuildStationMarkers(build);
        core.RefreshHierarchy();
    }

    std::vector<MeshBuilderPtr> Meshes() const {
        std::vector<MeshBuilderPtr> meshes;
        for (const scene::VisualPtr& visual : s.CenterFrame->GetVisuals())
            if (auto mesh = std::dynamic_pointer_cast<MeshBuilder>(visual))
                meshes.push_back(mesh);
        return meshes;
    }
    std::vector<MeshBuilderPtr> Passages() const {
        std::vector<MeshBuilderPtr> meshes = Meshes();
        std::erase_if(meshes, [](const MeshBuilderPtr& m) { return m->GetAppData() != 1; });
        return meshes;
    }
};

class RecordingProgress : public analysis::TEffectsProgress {
public:
    void SetMaximum(std::size_t maximum) override { Maximum = maximum; }
    void SetPosition(std::size_t position) override { Positions.push_back(position); }
    void SetCounter(const std::string& text) override { Counters.push_back(text); }
    void Repaint() override { ++Repaints; }

    std::size_t Maximum = 0;
    std::vector<std::size_t> Positions;
    std::vector<std::string> Counters;
    int Repaints = 0;
};

// The packed colour (alpha 254, then red, green, blue) the face whose highest point is at y
// takes from the 24 colours spread evenly from top down to bottom.
std::uint32_t ExpectedColor(double y, double bottom, double top) {
    const double span = top - bottom;
    std::size_t band = 0;
    if (y <= top)
        for (std::size_t i = 1; i < 24; ++i)
            if (y >= top - double(int(i) * 100000 / 23) / 100000 * span) {
                band = i;
                break;
            }
    return 0xFE000000u | kTable24[band];
}

TEST(ColorByDepth, ColoursEveryPassageFaceByItsHighestPointAndLeavesOtherMeshesAlone) {
    TempDir dir;
    TCaveViewer v(dir);
    ASSERT_GE(v.Passages().size(), 1u);
    std::map<const MeshBuilder*, std::vector<scene::Color>> others;
    double bottom = std::numeric_limits<double>::infinity(), top = -bottom;
    for (const MeshBuilderPtr& mesh : v.Meshes()) {
        for (const scene::Vector& p : mesh->Vertices())
            bottom = std::min(bottom, double(p.Y)), top = std::max(top, double(p.Y));
        if (mesh->GetAppData() != 1)
            others[mesh.get()] = mesh->FaceColors();
    }
    ASSERT_GE(others.size(), 2u); // shot lines and station markers
    v.s.WrapRelative = true;
    TColorBar bar;
    bar.SetColorCount(TColorCount::dc24);
    RecordingProgress progress;
    const std::size_t colored = analysis::ColorByDepth(v.core, bar, progress);

    EXPECT_FALSE(v.s.WrapRelative);
    EXPECT_FLOAT_EQ(float(bar.Bottom()), float(bottom));
    EXPECT_FLOAT_EQ(float(bar.Top()), float(top));
    std::size_t faces = 0;
    std::set<std::uint32_t> used;
    for (const MeshBuilderPtr& mesh : v.Passages()) {
        for (std::size_t f = 0; f < mesh->GetFaceCount(); ++f) {
            double highest = -std::numeric_limits<double>::infinity();
            for (const scene::FaceCorner& corner : mesh->FaceCorners(f))
                highest = std::max(highest, double(mesh->Vertices()[corner.Vertex].Y));
            const std::uint32_t expected = ExpectedColor(highest, bar.Bottom(), bar.Top());
            ASSERT_EQ(mesh->FaceColor(f), expected) << mesh->GetName() << " face " << f;
            used.insert(expected);
        }
        faces += mesh->GetFaceCount();
    }
    EXPECT_EQ(colored, faces);
    EXPECT_GE(used.size(), 15u); // the cave spans the bar
    for (const auto& [mesh, colors] : others)
        EXPECT_EQ(mesh->FaceColors(), colors) << mesh->GetName();
}

TEST(ColorByDepth, ReportsEveryHundredthFaceFromTheRunningTotal) {
    TempDir dir;
    TCaveViewer v(dir);
    TColorBar bar;
    RecordingProgress progress;
    analysis::ColorByDepth(v.core, bar, progress);
    std::size_t all = 0, total = 0;
    std::vector<std::size_t> positions;
    std::vector<std::string> counters;
    for (const MeshBuilderPtr& mesh : v.Meshes()) {
        all += mesh->GetFaceCount();
        if (mesh->GetAppData() != 1)
            continue;
        for (std::size_t f = 0; f < mesh->GetFaceCount(); f += 100) {
            positions.push_back(total + f);
            counters.push_back(std::to_string(f));
        }
        counters.push_back("Transfering");
        total += mesh->GetFaceCount();
    }
    ASSERT_GE(v.Passages().size(), 2u); // the total carries over from one mesh to the next
    EXPECT_EQ(progress.Maximum, all);
    EXPECT_EQ(progress.Positions, positions);
    EXPECT_EQ(progress.Counters, counters);
    EXPECT_EQ(progress.Repaints, int(positions.size()));

    // One mesh of 250 faces from a total of 1000; a face without corners keeps its colour.
    MeshBuilder mesh;
    for (int i = 0; i < 250; ++i)
        viewer::AddFaceTri(mesh, 0x00FF00, {0, float(i), 0}, {1, 0, 0}, {0, 0, 1});
    std::shared_ptr<scene::Face> empty;
    auto shared = std::make_shared<MeshBuilder>();
    ASSERT_EQ(shared->CreateFace(empty), scene::Result::Ok);
    const scene::Color before = shared->FaceColor(0);
    RecordingProgress one;
    bar.SetRange(0, 249);
    EXPECT_EQ(analysis::ColorMeshByDepth(mesh, bar, one, 1000), 250u);
    EXPECT_EQ(one.Positions, (std::vector<std::size_t>{1000, 1100, 1200}));
    EXPECT_EQ(one.Counters, (std::vector<std::string>{"0", "100", "200", "Transfering"}));
    EXPECT_EQ(mesh.FaceColor(249), passage::PackedColor(bar.Entry(1).Color));
    EXPECT_EQ(analysis::ColorMeshByDepth(*shared, bar, one, 0), 0u);
    EXPECT_EQ(shared->FaceColor(0), before);
}

TEST(ColorByDepth, AnEmptySceneColoursNothing) {
    viewer::test::StartedViewer v;
    TColorBar bar;
    RecordingProgress progress;
    EXPECT_EQ(analysis::ColorByDepth(v.core, bar, progress), 0u);
    EXPECT_EQ(progress.Maximum, 0u);
    EXPECT_TRUE(progress.Positions.empty());
}

TEST(Transparency, MakesPassagesAndMeshesWithoutKindPartlyClear) {
    TempDir dir;
    TCaveViewer v(dir);
    MeshBuilderPtr loaded = viewer::test::BoxMesh({0, 0, 0}, {1, 1, 1});
    v.s.CenterFrame->AddVisual(loaded);
    v.core.RefreshHierarchy();
    std::map<const MeshBuilder*, std::vector<scene::Color>> before;
    for (const MeshBuilderPtr& mesh : v.Meshes())
        before[mesh.get()] = mesh->FaceColors();
    RecordingProgress progress;
    analysis::ApplyTransparency(v.core, 50, progress);
    EXPECT_EQ(progress.Maximum, std::size_t(v.core.Hierarchy.ItemCount()));
    EXPECT_EQ(progress.Positions.size(), v.Meshes().size());
    for (const MeshBuilderPtr& mesh : v.Meshes()) {
        const std::vector<scene::Color>& old = before[mesh.get()];
        if (mesh->GetAppData() > 1) {
            EXPECT_EQ(mesh->FaceColors(), old) << mesh->GetName();
            continue;
        }
        for (std::size_t f = 0; f < mesh->GetFaceCount(); ++f) {
            ASSERT_EQ(mesh->FaceColor(f) >> 24, 127u) << mesh->GetName() << " face " << f;
            ASSERT_EQ(mesh->FaceColor(f) & 0xFFFFFF, old[f] & 0xFFFFFF);
        }
    }
}

TEST(RockTexture, GoesOnThePassagesAndRemovingItTurnsThemRed) {
    TempDir dir;
    TCaveViewer v(dir);
    TColorBar bar;
    analysis::TNoProgress quiet;
    analysis::ColorByDepth(v.core, bar, quiet);
    ASSERT_TRUE(analysis::SetRockTexture(v.core));
    const scene::TexturePtr rock = v.core.Textures.CurrentTexture;
    ASSERT_NE(rock, nullptr);
    EXPECT_EQ(rock->GetName(), "TEXTURE1");
    for (const MeshBuilderPtr& mesh : v.Meshes()) {
        const bool passage = mesh->GetAppData() == 1;
        EXPECT_EQ(mesh->GetTexture(), passage ? rock : nullptr) << mesh->GetName();
        if (passage) {
            EXPECT_EQ(mesh->FaceTexture(0), rock);
        }
    }
    EXPECT_TRUE(v.ui.Warnings.empty());

    v.s.WrapRelative = true;
    analysis::RemoveRockTexture(v.core);
    EXPECT_FALSE(v.s.WrapRelative);
    for (const MeshBuilderPtr& mesh : v.Passages()) {
        EXPECT_EQ(mesh->GetTexture(), nullptr);
        EXPECT_FALSE(mesh->AnyFaceTexture());
        for (std::size_t f = 0; f < mesh->GetFaceCount(); ++f)
            ASSERT_EQ(mesh->FaceColor(f) & 0xFFFFFF, 0xFF0000u) << "face " << f;
    }
}

TEST(DepthLegend, ShowsTheBarsBandsAndBoundariesInFeet) {
    TColorBar bar;
    bar.SetColorCount(TColorCount::dc20);
    bar.SetRange(-10, 30);
    bar.SetEntryColor(3, 0x123456);
    const viewer::TDepthLegend legend = analysis::BarLegend(bar, 2, 100);
    ASSERT_FALSE(legend.Empty());
    ASSERT_EQ(legend.Colors.size(), 19u);
    EXPECT_EQ(legend.Colors[2], 0x123456u);
    EXPECT_EQ(legend.Colors.back(), analysis::FromRgbHex(0x000080));
    EXPECT_DOUBLE_EQ(legend.Boundaries.front(), 160);
    EXPECT_DOUBLE_EQ(legend.Boundaries.back(), 80);
}

} // namespace
} // namespace lumora::test
