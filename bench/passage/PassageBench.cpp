// Passage wall generation on a generated cave of a million shots, into a checksum sink.
#include "passage/PassageLib.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace lumora;
using passage::T3DVector;

constexpr std::int64_t kShots = 1'000'000;

// Generates (once) a plot file with at least kShots draw records and loads it.
const survey::TPlotData& Cave() {
    static std::unique_ptr<survey::TPlotData> data = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "lumora-passage-bench.plt").string();
        survey::TGenOptions probe;
        probe.Stations = 20000;
        const survey::TGenStats sample = survey::GeneratePlotFile(file, probe);
        survey::TGenOptions options;
        options.Stations = kShots * sample.StationLines / sample.DrawLines * 101 / 100;
        survey::GeneratePlotFile(file, options);
        auto loaded = std::make_unique<survey::TPlotData>();
        SilentUi ui;
        survey::LoadPlotFile(*loaded, file, {}, ui);
        std::remove(file.c_str());
        return loaded;
    }();
    return *data;
}

std::int64_t DrawCount(const survey::TPlotData& data) {
    std::int64_t draws = 0;
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i)
        draws += data.Shots.RecordType(i) == 'D' ? 1 : 0;
    return draws;
}

// The sink only adds up the coordinates it receives.
struct TChecksum {
    double Sum = 0.0;
    void Add(const T3DVector& p) { Sum += p.X + p.Y + p.Z; }
};

void RunPassages(benchmark::State& state, int roundDepth, bool merge) {
    const survey::TPlotData& data = Cave();
    passage::TPassageOptions options;
    options.PassShape = passage::TPassShape::Octagon;
    options.RoundDepth = roundDepth;
    options.MergePass = merge;
    options.SealEnds = true;
    passage::TPassageRunState run;
    TChecksum checksum;
    auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                    const T3DVector& p3) {
        checksum.Add(p0);
        checksum.Add(p1);
        checksum.Add(p2);
        checksum.Add(p3);
    };
    auto cap = [&](const T3DVector& c, const T3DVector& a, const T3DVector& b, bool) {
        checksum.Add(c);
        checksum.Add(a);
        checksum.Add(b);
    };
    for (auto _ : state) {
        passage::GeneratePassages(data, options, run, cap, wall, nullptr);
        benchmark::DoNotOptimize(checksum.Sum);
    }
    const std::int64_t shots = DrawCount(data);
    state.SetItemsProcessed(state.iterations() * shots);
    state.counters["shots"] = static_cast<double>(shots);
    state.counters["polygons"] = static_cast<double>(run.PolygonCount);
}

void BM_OctagonOnePassMergedSealed(benchmark::State& state) {
    RunPassages(state, 1, true);
}
void BM_OctagonOnePassUnmergedSealed(benchmark::State& state) {
    RunPassages(state, 1, false);
}
void BM_OctagonTwoPassesMergedSealed(benchmark::State& state) {
    RunPassages(state, 2, true);
}

BENCHMARK(BM_OctagonOnePassMergedSealed)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OctagonOnePassUnmergedSealed)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OctagonTwoPassesMergedSealed)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
