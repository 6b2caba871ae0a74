// The rose diagram on a generated cave of a million shots: filling the histogram, and building
// and attaching the petals of the largest rose (180 layers x 360 petals, 324,000 faces).
#include "analysis/RoseBuilder.h"
#include "passage/MeshStore.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace lumora;

constexpr std::int64_t kShots = 1'000'000;

// Generates (once) a plot file with at least kShots draw records and loads it.
const survey::TPlotData& Cave() {
    static std::unique_ptr<survey::TPlotData> data = [] {
        const std::string file = (std::filesystem::temp_directory_path() /
                                  ("lumora-rose-bench-" + std::to_string(::getpid()) + ".plt"))
                                     .string();
        survey::TGenOptions probe;
        probe.Stations = 20000;
        const survey::TGenStats sample = survey::GeneratePlotFile(file, probe);
        survey::TGenOptions options;
        options.Stations = kShots * sample.StationLines / sample.DrawLines * 101 / 100;
        survey::GeneratePlotFile(file, options);
        auto loaded = std::make_unique<survey::TPlotData>();
        SilentUi ui;
        survey::LoadPlotFile(*loaded, file, {}, ui);
        std::filesystem::remove(file);
        return loaded;
    }();
    return *data;
}

analysis::TRoseOptions LargestRose() {
    analysis::TRoseOptions options;
    options.Layers = analysis::kMaxLayers;
    options.Petals = analysis::kMaxPetals;
    return options;
}

void BM_FillHistogram(benchmark::State& state, analysis::TRoseOptions options) {
    const survey::TPlotData& data = Cave();
    analysis::TRoseHistogram histogram;
    int updates = 0;
    for (auto _ : state) {
        updates = 0;
        histogram.Fill(data, options, [&updates](int) { ++updates; });
        benchmark::DoNotOptimize(histogram.LargestCount());
    }
    state.counters["shots"] = double(histogram.ShotsCounted());
    state.counters["progress_updates"] = updates;
    state.SetItemsProcessed(std::int64_t(state.iterations()) * data.Shots.Count());
}
BENCHMARK_CAPTURE(BM_FillHistogram, default_rose, analysis::TRoseOptions{})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FillHistogram, largest_flow_horizontal,
                  [] {
                      analysis::TRoseOptions o = LargestRose();
                      o.RoseType = analysis::TRoseType::WaterFlow;
                      o.SlopeLength = false;
                      return o;
                  }())
    ->Unit(benchmark::kMillisecond);

// The petals of the largest rose into a new "Rose Builder" on a model frame, as CreateRose builds
// and attaches them (the histogram filled beforehand, outside the timing).
void BM_BuildAndAttachPetals(benchmark::State& state) {
    analysis::TRoseHistogram histogram;
    histogram.Fill(Cave(), LargestRose());
    std::size_t faces = 0;
    for (auto _ : state) {
        scene::Root root;
        scene::FramePtr frame;
        root.CreateFrame(nullptr, frame);
        scene::MeshBuilderPtr rose;
        passage::CreateNamedMeshBuilder(root, 0, 0x0000FF, analysis::kRoseBuilderName, rose);
        const std::size_t wedges = std::size_t(histogram.Layers()) * histogram.Petals();
        rose->ReserveSpace(18 * wedges, 18 * wedges, 5 * wedges);
        analysis::BuildPetals(*rose, histogram, true);
        scene::MaterialPtr material;
        root.CreateMaterial(analysis::kRosePower, material);
        rose->SetMaterial(material);
        frame->AddVisual(rose);
        faces = rose->GetFaceCount();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["faces"] = double(faces);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(faces));
}
BENCHMARK(BM_BuildAndAttachPetals)->Unit(benchmark::kMillisecond);

// "Create Rose" whole on the viewer's scene: histogram, petals, base plate with its card, scale
// and hierarchy.
void BM_CreateRose(benchmark::State& state) {
    const survey::TPlotData& data = Cave();
    SilentUi ui;
    viewer::TViewerCore core(ui);
    viewer::CreateScene(core.Scene);
    analysis::TRoseHistogram histogram;
    for (auto _ : state)
        benchmark::DoNotOptimize(analysis::CreateRose(core, data, LargestRose(), histogram));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * data.Shots.Count());
}
BENCHMARK(BM_CreateRose)->Unit(benchmark::kMillisecond);

} // namespace
