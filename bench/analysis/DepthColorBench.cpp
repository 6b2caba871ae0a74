// Colour by depth on a generated cave of 100,000 stations (seed 1) built as the viewer builds it:
// the colouring pass alone, every passage face to the colour of its highest point.
#include "analysis/lvspecial.h"
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

    explicit TCaveCore(std::int64_t stations) {
        const std::string file = (std::filesystem::temp_directory_path() /
                                  ("lumora-depth-bench-" + std::to_string(::getpid()) + ".plt"))
                                     .string();
        survey::TGenOptions gen;
        gen.Stations = stations;
        gen.Seed = 1;
        survey::GeneratePlotFile(file, gen);
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

} // namespace
