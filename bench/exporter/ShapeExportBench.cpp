// Speed of the Shapefile layers and the zip archive on a generated cave.
#include "GeneratedCave.h"

#include "exporter/ShapeExport.h"
#include "exporter/ShapeGlobal.h"
#include "exporter/ShapePassage.h"
#include "exporter/ShapeSurvey.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace lumora;
using namespace lumora::exporter;

std::string OutputFolder() {
    const auto folder =
        std::filesystem::temp_directory_path() / ("lumora-bench-out-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder.string() + "/";
}

void RunExport(benchmark::State& state, TShapeDataType type, bool zip) {
    survey::TPlotData& data = bench::GeneratedCave(state.range(0));
    const std::string folder = OutputFolder();
    SilentUi ui;
    TExportOptions options;
    options.DataTypes = type;
    options.ZipShape = zip;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.ResumeTiming();
        TShapeExportIo io;
        io.Ui = &ui;
        io.ChooseSetName = [&](const std::string& offered) {
            return std::optional<std::string>(folder + offered);
        };
        if (!ExportShapefile(data, "cave.plt", options, io))
            state.SkipWithError("the export wrote nothing");
    }
    std::filesystem::remove_all(folder);
    state.SetItemsProcessed(state.iterations() * data.Shots.Count());
    state.counters["shots"] = data.Shots.Count();
}

void BM_Stations(benchmark::State& s) {
    RunExport(s, TShapeDataType::Stations, false);
}
void BM_SurveyShots(benchmark::State& s) {
    RunExport(s, TShapeDataType::SurveyShots, false);
}
void BM_Passage(benchmark::State& s) {
    RunExport(s, TShapeDataType::Passage, false);
}
void BM_PolygonPrism(benchmark::State& s) {
    RunExport(s, TShapeDataType::PolygonPrism, false);
}
void BM_PolygonPrismZipped(benchmark::State& s) {
    RunExport(s, TShapeDataType::PolygonPrism, true);
}

BENCHMARK(BM_Stations)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SurveyShots)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Passage)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolygonPrism)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolygonPrismZipped)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
