// Loading and counting a generated plot file of 1,000,000 station lines.
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace lumora::survey;

// The generated file, made once per run in the temporary folder and removed at exit.
const std::string& MillionLineFile() {
    struct TFile {
        std::string Path;
        std::uintmax_t Bytes = 0;
        TFile() {
            Path = (std::filesystem::temp_directory_path() /
                    ("lumora-bench-" + std::to_string(::getpid()) + ".plt"))
                       .string();
            TGenOptions options;
            options.Stations = 1000000;
            options.Seed = 7;
            GeneratePlotFile(Path, options);
            Bytes = std::filesystem::file_size(Path);
        }
        ~TFile() { std::filesystem::remove(Path); }
    };
    static TFile file;
    return file.Path;
}

void BM_LoadPlotFile(benchmark::State& state) {
    const std::string& path = MillionLineFile();
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
    lumora::SilentUi ui;
    std::int64_t records = 0;
    for (auto _ : state) {
        TPlotData data;
        LoadPlotFile(data, path, nullptr, ui);
        records = data.Shots.Count();
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * records);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1e3;
    state.counters["peak_over_file"] = static_cast<double>(usage.ru_maxrss) * 1024.0 / bytes;
}
BENCHMARK(BM_LoadPlotFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CountPlotRecords(benchmark::State& state) {
    const std::string& path = MillionLineFile();
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
    for (auto _ : state) {
        const TPlotCounts counts = CountPlotRecords(path);
        benchmark::DoNotOptimize(counts.DrawCount);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_CountPlotRecords)->Unit(benchmark::kMillisecond);

} // namespace
