// Speed of the KML, VRML and DXF writers on a generated cave.
#include "GeneratedCave.h"

#include "exporter/DXFExport.h"
#include "exporter/KMLExport.h"
#include "exporter/VRMLExport.h"
#include "passage/PassageLib.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace lumora;
using namespace lumora::exporter;

std::string OutputFile(const char* extension) {
    return (std::filesystem::temp_directory_path() /
            ("lumora-formats-bench-" + std::to_string(::getpid()) + extension))
        .string();
}

template <class Export> void Run(benchmark::State& state, const char* extension, Export&& run) {
    survey::TPlotData& data = bench::GeneratedCave(state.range(0));
    const std::string file = OutputFile(extension);
    for (auto _ : state)
        run(data, file);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
    state.SetItemsProcessed(state.iterations() * data.Shots.Count());
    state.counters["shots"] = data.Shots.Count();
}

void BM_KmlPolygons(benchmark::State& state) {
    Run(state, ".kml", [](survey::TPlotData& data, const std::string& file) {
        ExportKmlPolygons(data, file, {}, {});
    });
}

void BM_KmlLines(benchmark::State& state) {
    Run(state, ".kml", [](survey::TPlotData& data, const std::string& file) {
        ExportKmlLines(data, file, {}, {});
    });
}

// Passages and shot lines, both coloured by depth.
void BM_VrmlPassagesAndLines(benchmark::State& state) {
    TExportOptions o;
    o.Vrml.DoShotLine = true;
    o.Vrml.ColorByDepth = true;
    o.Vrml.LineColorByDepth = true;
    Run(state, ".wrl",
        [&](survey::TPlotData& data, const std::string& file) { ExportVRML(data, file, o, {}); });
}

// 3D faces, shot lines, labels, marks, depth labels, north arrow and scale bar.
void BM_DxfFacesAndLabels(benchmark::State& state) {
    TExportOptions o;
    Run(state, ".dxf",
        [&](survey::TPlotData& data, const std::string& file) { WriteDXFFile(data, file, o, {}); });
}

BENCHMARK(BM_KmlPolygons)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KmlLines)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VrmlPassagesAndLines)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxfFacesAndLabels)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
