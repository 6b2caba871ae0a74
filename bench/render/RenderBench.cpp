// Speed of the cave on screen: a generated 100,000-shot plot file built into meshes and drawn
// offscreen at 1024 x 768 (the first frame), and the frames per second of a turning view, solid
// and Gouraud shaded (the baseline), with fog, with per-pixel lighting, half transparent (sorted),
// with a shadow, and multisampled.
#include "passage/MeshStore.h"
#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"
#include "survey/PlotGenerator.h"
#include "viewer/ViewerCave.h"
#include "viewer/lvsset.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

using namespace lumora;

constexpr int kWidth = 1024, kHeight = 768;

const std::string& CaveFile() {
    static const std::string file = [] {
        const auto path = std::filesystem::temp_directory_path() / "lumora-render-bench-100k.plt";
        survey::TGenOptions options;
        options.Stations = 100000;
        survey::GeneratePlotFile(path.string(), options);
        return path.string();
    }();
    return file;
}

// The viewer's drawing set-up: device, scene, viewport, renderer, offscreen target.
struct Viewer {
    render::HeadlessContext Context{kWidth, kHeight};
    render::GlRenderer Renderer;
    SilentUi Ui;
    viewer::TViewerScene Scene;
    viewer::TNavigation Navigation;
    viewer::TViewerCave Cave{Scene, Navigation, Ui};
    scene::DevicePtr& Device = Scene.Device;
    passage::TCaveProgress Progress;
    survey::TPlotData Data;
    passage::TPassageOptions Options;
    passage::TPassageRunState State;

    Viewer() {
        viewer::InitScene(Scene, kWidth, kHeight);
        Renderer.Install(*Device);
        Device->SetRenderMode(3);
        Device->SetDither(false);
        Device->SetQuality(Device->GetQuality() | scene::kShadeGouraud);
    }
    void Build() {
        passage::TCaveBuild build{Cave, Progress, Ui, Data, Options, State};
        passage::ProcessCaveFile(build, CaveFile());
    }
    void Frame() {
        Scene.SceneFrame->Move(1.0f);
        Scene.Viewport->Render(*Scene.SceneFrame);
        Context.Finish();
    }
};

// state.range(0): 1 allows coarse copies, as the viewer window does (they are made after the
// first frame).
void BM_PlotFileToFirstFrame(benchmark::State& state) {
    CaveFile();
    std::uint32_t triangles = 0;
    for (auto _ : state) {
        Viewer viewer;
        viewer.Renderer.SetCoarseFar(state.range(0) != 0);
        viewer.Build();
        viewer.Frame();
        triangles = viewer.Device->GetTrianglesDrawn();
    }
    state.counters["triangles"] = triangles;
    state.counters["shots"] = 100000;
}
BENCHMARK(BM_PlotFileToFirstFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// state.range(0): 1 draws far chunks from their coarse copies, as the viewer window does.
void BM_TurningView(benchmark::State& state) {
    Viewer viewer;
    viewer.Renderer.SetCoarseFar(state.range(0) != 0);
    viewer.Build();
    viewer.Frame(); // uploads the meshes
    while (viewer.Renderer.CoarseCopiesPending())
        viewer.Frame(); // makes the coarse copies, a few each frame
    const std::uint32_t before = viewer.Device->GetTrianglesDrawn();
    for (auto _ : state) {
        viewer::RotateLocal(*viewer.Scene.CenterFrame, {0, 1, 0}, 2.0);
        viewer.Frame();
    }
    const double triangles = viewer.Device->GetTrianglesDrawn() - before;
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["triangles/frame"] = triangles / double(state.iterations());
}
BENCHMARK(BM_TurningView)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// One built cave for the looks below, each set up and taken back by its benchmark.
Viewer& SharedViewer() {
    static Viewer viewer;
    static const bool built = (viewer.Build(), viewer.Frame(), true);
    (void)built;
    return viewer;
}

void Turn(benchmark::State& state, Viewer& viewer) {
    viewer.Frame(); // uploads and sorts once before the clock runs
    for (auto _ : state) {
        viewer::RotateLocal(*viewer.Scene.CenterFrame, {0, 1, 0}, 2.0);
        viewer.Frame();
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

enum Look { kBaseline, kFog, kPhong, kTransparent, kShadow, kSamples4 };

void BM_TurningLook(benchmark::State& state) {
    Viewer& v = SharedViewer();
    viewer::TViewerScene& s = v.Scene;
    const auto look = Look(state.range(0));
    if (look == kFog) { // linear fog through the model, lit by the directional light
        viewer::SetFogParams(s, 1500, 3000, 1);
        viewer::SetFogEnable(s, true);
    }
    if (look == kPhong)
        v.Device->SetQuality((v.Device->GetQuality() & ~scene::kShadeMask) | scene::kShadePhong);
    for (const auto& visual : s.CenterFrame->GetVisuals())
        if (auto* mesh = dynamic_cast<scene::MeshBuilder*>(visual.get());
            mesh && look == kTransparent)
            passage::SetTransparency(*mesh, 50);
    if (look == kShadow)
        viewer::AddShadow(s);
    if (look == kSamples4) {
        {
            render::HeadlessContext sampled(kWidth, kHeight, 4);
            render::GlRenderer renderer; // freed while its context is current
            renderer.Install(*v.Device);
            Turn(state, v);
            state.counters["samples"] = sampled.Samples();
        }
        v.Renderer.Install(*v.Device);
        v.Context.MakeCurrent();
        return;
    }
    Turn(state, v);
    // Back to the baseline.
    viewer::SetFogEnable(s, false);
    v.Device->SetQuality((v.Device->GetQuality() & ~scene::kShadeMask) | scene::kShadeGouraud);
    for (const auto& visual : s.CenterFrame->GetVisuals())
        if (auto* mesh = dynamic_cast<scene::MeshBuilder*>(visual.get());
            mesh && look == kTransparent)
            passage::SetTransparency(*mesh, 0);
    if (look == kShadow)
        s.CenterFrame->DeleteVisual(s.CenterFrame->GetVisuals().back());
}
BENCHMARK(BM_TurningLook)
    ->ArgName("look")
    ->DenseRange(kBaseline, kSamples4)
    ->UseRealTime() // the rasteriser draws on threads of its own
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

// The read-back of a captured frame: the drawn 1024 x 768 picture copied out of the framebuffer
// as the video capture reads it (drawing finished first, so only the copy is timed).
void BM_ReadBackFrame(benchmark::State& state) {
    Viewer viewer;
    viewer.Build();
    viewer.Frame();
    std::vector<std::uint8_t> rgba(std::size_t(kWidth) * kHeight * 4);
    for (auto _ : state) {
        state.PauseTiming();
        viewer::RotateLocal(*viewer.Scene.CenterFrame, {0, 1, 0}, 2.0);
        viewer.Frame();
        state.ResumeTiming();
        viewer.Context.ReadPixels(rgba.data());
    }
}
BENCHMARK(BM_ReadBackFrame)->Unit(benchmark::kMillisecond)->Iterations(20)->MeasureProcessCPUTime();

} // namespace
