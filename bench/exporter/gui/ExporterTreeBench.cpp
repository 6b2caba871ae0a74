// The exporter window's survey tree on big generated caves: the time a plot file takes to show
// in the window beyond reading it, the tree's rebuild alone, opening a survey and every survey,
// and the memory the window and its tree take beyond the survey model (resident set, MB).
// Runs on Qt's offscreen platform.
#include "exporter/gui/ExportMain.h"
#include "exporter/gui/SurveyTree.h"
#include "platform/UiServices.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <QApplication>
#include <QScrollBar>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace lumora;
using Clock = std::chrono::steady_clock;

// Resident memory of the process in MB.
double ResidentMegabytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The generated caves written so far, by size.
std::map<std::int64_t, std::string>& CaveFiles() {
    static std::map<std::int64_t, std::string> files;
    return files;
}

// A generated cave of that many station lines in five sections, written once per size.
const std::string& CaveFile(std::int64_t stations) {
    std::string& file = CaveFiles()[stations];
    if (file.empty()) {
        file = (std::filesystem::temp_directory_path() /
                ("lumora-tree-bench-" + std::to_string(::getpid()) + "-" +
                 std::to_string(stations) + ".plt"))
                   .string();
        survey::TGenOptions options;
        options.Stations = stations;
        options.Sections = 5;
        survey::GeneratePlotFile(file, options);
    }
    return file;
}

// Lets the window lay out and paint what it shows.
void Settle(exporter::TExporterForm& form) {
    QApplication::processEvents();
    form.Tree()->viewport()->repaint();
    QApplication::processEvents();
}

exporter::TExporterForm& Window() {
    static SilentUi ui;
    static std::unique_ptr<exporter::TExporterForm> form = [] {
        auto made = std::make_unique<exporter::TExporterForm>(nullptr, &ui);
        made->FirstActivation = false;
        made->setAttribute(Qt::WA_QuitOnClose, false);
        made->show();
        return made;
    }();
    return *form;
}

// Reading the file alone, then opening it in the window: the window's share is the difference.
// Memory: the window's tree beyond the model, measured after the model of the same file was
// read without the window.
void BM_OpenInWindowBeyondTheLoad(benchmark::State& state) {
    const std::string& file = CaveFile(state.range(0));
    exporter::TExporterForm& form = Window();
    double load = 0, open = 0, modelMb = 0, windowMb = 0;
    for (auto _ : state) {
        form.TreeModel()->Detach();
        survey::PlotData().ClearPlotData();
        SilentUi ui;
        const auto bare = Clock::now();
        survey::LoadPlotFile(survey::PlotData(), file, {}, ui);
        load += Seconds(bare);
        modelMb = ResidentMegabytes();
        const auto shown = Clock::now();
        form.OpenPlotFile(file);
        Settle(form);
        open += Seconds(shown);
        windowMb = ResidentMegabytes();
    }
    const double n = double(state.iterations());
    state.counters["load_s"] = load / n;
    state.counters["open_s"] = open / n;
    state.counters["beyond_load_s"] = (open - load) / n;
    state.counters["tree_MB"] = windowMb - modelMb;
    state.counters["stations"] = double(survey::PlotData().Shots.Count());
    state.counters["surveys"] = double(survey::PlotData().Surveys.Count());
}

// The tree alone: a new model of the loaded survey, shown.
void BM_TreeRebuild(benchmark::State& state) {
    const std::string& file = CaveFile(state.range(0));
    exporter::TExporterForm& form = Window();
    form.OpenPlotFile(file);
    for (auto _ : state) {
        form.TreeModel()->Detach();
        form.TreeModel()->Attach(survey::PlotData());
        Settle(form);
    }
    state.SetItemsProcessed(state.iterations() * survey::PlotData().Shots.Count());
}

// Opening every section and survey, then scrolling to the last station: the worst a user can
// make of the tree. Memory beyond the collapsed tree.
void BM_ExpandEverySurvey(benchmark::State& state) {
    const std::string& file = CaveFile(state.range(0));
    exporter::TExporterForm& form = Window();
    form.OpenPlotFile(file);
    Settle(form);
    double collapsedMb = ResidentMegabytes(), expandedMb = 0;
    for (auto _ : state) {
        form.Tree()->expandAll();
        form.Tree()->verticalScrollBar()->setValue(form.Tree()->verticalScrollBar()->maximum());
        Settle(form);
        expandedMb = ResidentMegabytes();
        state.PauseTiming();
        form.Tree()->collapseAll();
        Settle(form);
        state.ResumeTiming();
    }
    state.counters["expanded_MB"] = expandedMb - collapsedMb;
    state.SetItemsProcessed(state.iterations() * survey::PlotData().Shots.Count());
}

BENCHMARK(BM_OpenInWindowBeyondTheLoad)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_TreeRebuild)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandEverySurvey)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The window reads and writes its settings in a folder of the benchmark's own.
    const auto config = std::filesystem::temp_directory_path() /
                        ("lumora-tree-bench-config-" + std::to_string(::getpid()));
    setenv("LUMORA_CONFIG_DIR", config.c_str(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [size, file] : CaveFiles())
        std::filesystem::remove(file);
    std::filesystem::remove_all(config);
    return 0;
}
