// Colour by depth on a generated cave of 100,000 stations (seed 1) built as the viewer builds it:
// the colouring pass alone, every passage face to the colour of its highest point; and from
// "Color By Depth" to the coloured frame drawn offscreen at 1024 x 768 (the window adds the
// 100 ms its notice stands before the frame).
#include "analysis/lveffects.h"
#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"
#include "survey/PlotGenerator.h"
#include "viewer/ViewerCave.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using namespace lumora;

// The viewer's core with the cave in its scene, made once.
struct TCaveCore {
    SilentUi Ui;
    viewer::TViewerCore Core{Ui};
    passage::TCaveProgress Progress;
    survey::TPlotData Data;
    passage::TPassageOptions Options;
    passage::TPassageRunState State;

    // With a device of width x height pixels to draw on when width > 0.
    explicit TCaveCore(std::int64_t stations, int width = 0, int height = 0) {
        const std::string file = (std::filesystem::temp_directory_path() /
                                  ("lumora-depth-bench-" + std::to_string(::getpid()) + ".plt"))
                                     .string();
        survey::TGenOptions gen;
        gen.Stations = stations;
        gen.Seed = 1;
        survey::GeneratePlotFile(file, gen);
        if (width > 0)
            viewer::InitScene(Core.Scene, width, height);
        else
            viewer::CreateScene(Core.Scene);
        viewer::TViewerCave cave(Core.Scene, Core.Navigation, Ui);
        passage::TCaveBuild build{cave, Progress, Ui, Data, Options, State};
        const bool built = passage::ProcessCaveFile(build, file);
        std::filesystem::remove(file);
        if (!built)
            throw std::runtime_error("the cave was not built");
        Core.RefreshHierarchy();
    }
};

void BM_ColorByDepth(benchmark::State& state) {
    static TCaveCore cave(state.range(0));
    analysis::TColorBar bar;
    bar.SetColorCount(analysis::TColorCount::dc24);
    analysis::TNoProgress progress;
    std::size_t faces = 0;
    for (auto _ : state)
        faces = analysis::ColorByDepth(cave.Core, bar, progress);
    state.counters["faces"] = double(faces);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(faces));
}
BENCHMARK(BM_ColorByDepth)->Arg(100000)->Unit(benchmark::kMillisecond);

// The window's drawing: an offscreen context, then the cave, the renderer with coarse copies.
struct TDrawnCave {
    static constexpr int kWidth = 1024, kHeight = 768;
    render::HeadlessContext Context{kWidth, kHeight};
    TCaveCore Cave;
    render::GlRenderer Renderer;

    explicit TDrawnCave(std::int64_t stations) : Cave(stations, kWidth, kHeight) {
        Renderer.Install(*Cave.Core.Scene.Device);
        Renderer.SetCoarseFar(true);
        Cave.Core.Scene.RenderEnabled = true;
        do
            Frame();
        while (Renderer.CoarseCopiesPending());
    }
    void Frame() {
        viewer::TViewerScene& s = Cave.Core.Scene;
        s.Viewport->Render(*s.SceneFrame);
        Context.Finish();
    }
};

void BM_ColorByDepthToFrame(benchmark::State& state) {
    static TDrawnCave drawn(state.range(0));
    analysis::TColorBar bar;
    analysis::TNoProgress progress;
    const std::size_t uploads = drawn.Renderer.UploadCount();
    int pass = 0;
    for (auto _ : state) {
        // Another table each time, so every pass changes the colours.
        bar.SetColorCount(++pass % 2 ? analysis::TColorCount::dc24 : analysis::TColorCount::dc30);
        analysis::ColorByDepth(drawn.Cave.Core, bar, progress);
        drawn.Frame();
    }
    if (drawn.Renderer.UploadCount() != uploads)
        state.SkipWithError("recolouring rebuilt the meshes on the GPU");
    state.counters["colour uploads"] = double(drawn.Renderer.ColorUploadCount());
}
BENCHMARK(BM_ColorByDepthToFrame)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
