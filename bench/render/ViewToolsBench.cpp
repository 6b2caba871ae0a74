// Speed of the view tools on a generated 100,000-station cave drawn offscreen at 1024 x 768:
// picking the station under the pointer, a frame with station names (placement included)
// against one without, and a wildcard find over a million names. Process CPU time is reported
// beside the wall time, since the machine may be shared.
#include "platform/render/GlOverlay.h"
#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"
#include "survey/PlotGenerator.h"
#include "viewer/StationFind.h"
#include "viewer/ViewPresets.h"
#include "viewer/ViewerCave.h"
#include "viewer/gui/ViewOverlay.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace lumora;

constexpr int kWidth = 1024, kHeight = 768;

void EnsureApplication() {
    static int argc = 3;
    static char name[] = "bench", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static QGuiApplication* app =
        QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

struct Cave {
    render::HeadlessContext Context{kWidth, kHeight};
    render::GlRenderer Renderer;
    render::GlOverlay Blend;
    SilentUi Ui;
    viewer::TViewerScene Scene;
    viewer::TNavigation Navigation;
    viewer::TViewerCave Builder{Scene, Navigation, Ui};
    passage::TCaveProgress Progress;
    survey::TPlotData Data;
    passage::TPassageOptions Options;
    passage::TPassageRunState State;
    viewer::TStationTable Stations;
    viewer::TOverlayState Overlays;
    viewer::TViewOverlay Overlay;

    Cave() {
        EnsureApplication();
        const auto path = std::filesystem::temp_directory_path() / "lumora-tools-bench-100k.plt";
        survey::TGenOptions options;
        options.Stations = 100000;
        survey::GeneratePlotFile(path.string(), options);
        viewer::InitScene(Scene, kWidth, kHeight);
        Renderer.Install(*Scene.Device);
        Scene.Device->SetRenderMode(3);
        Scene.Device->SetQuality(Scene.Device->GetQuality() | scene::kShadeGouraud);
        passage::TCaveBuild build{Builder, Progress, Ui, Data, Options, State};
        passage::ProcessCaveFile(build, path.string());
        Stations.Build(Data, passage::MakeStationAdjust(Data, Options));
        viewer::StopRotations(Scene);
        Scene.CenterFrame->AddTransform(
            scene::Combine::Replace,
            viewer::PoseMatrix(viewer::PresetPose(Scene, viewer::PoseOf(*Scene.CenterFrame),
                                                  viewer::TViewPreset::Plan)));
        Overlays.Stations = &Stations;
        Overlays.Settings.Compass = Overlays.Settings.ScaleBar = false;
        Overlays.Settings.DepthLegend = false;
        Frame(); // uploads the meshes
    }
    void Frame() {
        Scene.SceneFrame->Move(1.0f);
        Scene.Viewport->Render(*Scene.SceneFrame);
        if (Overlays.Settings.StationNames || Overlays.Settings.Compass) {
            const QImage picture = Overlay.Paint(Scene, Overlays, 1);
            Blend.Draw(picture.constBits(), picture.width(), picture.height());
        }
        Context.Finish();
    }
};

Cave& TheCave() {
    static Cave cave;
    return cave;
}

void Turning(benchmark::State& state, bool names, bool overlays) {
    Cave& cave = TheCave();
    cave.Overlays.Settings.StationNames = names;
    cave.Overlays.Settings.Compass = cave.Overlays.Settings.ScaleBar = overlays;
    std::size_t labels = 0;
    for (auto _ : state) {
        viewer::RotateLocal(*cave.Scene.CenterFrame, {0, 1, 0}, 2.0);
        cave.Frame();
        labels = cave.Overlay.Labels().size();
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["names"] = double(labels);
    state.counters["stations"] = double(cave.Stations.Count());
}

void BM_FrameWithoutNames(benchmark::State& state) {
    Turning(state, false, false);
}
BENCHMARK(BM_FrameWithoutNames)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->MeasureProcessCPUTime();

void BM_FrameWithNames(benchmark::State& state) {
    Turning(state, true, false);
}
BENCHMARK(BM_FrameWithNames)->Unit(benchmark::kMillisecond)->MinTime(3.0)->MeasureProcessCPUTime();

void BM_FrameWithAllOverlays(benchmark::State& state) {
    Turning(state, true, true);
}
BENCHMARK(BM_FrameWithAllOverlays)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->MeasureProcessCPUTime();

void BM_PickStation(benchmark::State& state) {
    Cave& cave = TheCave();
    const viewer::TViewProjection view(cave.Scene);
    float x = 0, y = 0;
    view.Project(cave.Stations.At(cave.Stations.Count() / 2).Model, x, y);
    for (auto _ : state)
        benchmark::DoNotOptimize(viewer::PickStation(cave.Stations, view, x + 2, y + 1, 6));
    state.counters["stations"] = double(cave.Stations.Count());
}
BENCHMARK(BM_PickStation)->Unit(benchmark::kMillisecond);

void BM_FindOverAMillionNames(benchmark::State& state) {
    static const viewer::TStationTable table = [] {
        viewer::TStationTable t;
        const std::int32_t survey = t.AddSurvey("S");
        for (int i = 0; i < 1000000; ++i)
            t.Add("A" + std::to_string(i % 677) + "B" + std::to_string(i), survey, {}, {},
                  viewer::TStationRank::Other);
        t.Finish();
        return t;
    }();
    std::size_t found = 0;
    for (auto _ : state)
        found = viewer::FindStations(table, "a1*b*12?4*").Total;
    state.counters["names"] = 1000000;
    state.counters["matches"] = double(found);
}
BENCHMARK(BM_FindOverAMillionNames)->Unit(benchmark::kMillisecond);

} // namespace
