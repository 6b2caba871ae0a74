// Speed of the zip archive of a big Shapefile set, beside the zip program at its default level on
// the same files in the same run (the machine may be shared: compare the ratios, not the times).
#include "GeneratedCave.h"

#include "exporter/BinaryFile.h"
#include "exporter/ShapeExport.h"
#include "exporter/ShapeGlobal.h"
#include "exporter/ZipperLib.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace lumora;
using namespace lumora::exporter;

// The polygon prism set of a generated cave in a folder of its own, removed at the end.
struct TPrismSet {
    std::filesystem::path Folder;
    std::vector<std::string> Files; // in archive order

    explicit TPrismSet(std::int64_t stations)
        : Folder(std::filesystem::temp_directory_path() /
                 ("lumora-bench-zip-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(Folder);
        SilentUi ui;
        TExportOptions options;
        options.DataTypes = TShapeDataType::PolygonPrism;
        options.ZipShape = false;
        TShapeExportIo io;
        io.Ui = &ui;
        io.ChooseSetName = [&](const std::string&) {
            return std::optional<std::string>((Folder / "prism").string());
        };
        ExportShapefile(bench::GeneratedCave(stations), "cave.plt", options, io);
        for (const char* ext : {".shp", ".shx", ".dbf", ".prj"})
            Files.push_back((Folder / "prism").string() + ext);
    }
    ~TPrismSet() { std::filesystem::remove_all(Folder); }
    TPrismSet(const TPrismSet&) = delete;
    TPrismSet& operator=(const TPrismSet&) = delete;
};

double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One archive as the Shapefile export makes it.
void ZipWithZipper(const std::vector<std::string>& files, const std::string& archive) {
    {
        TBinaryFile file(archive);
        TZipper::WriteEmptyArchive(file);
        file.Close();
    }
    TZipper zip;
    zip.StoreRelativePath = false;
    zip.SetCompressionType(TZipCompressionType::ctNormal);
    zip.Open(archive);
    zip.AddFiles(files);
    zip.Close();
}

bool ZipWithZipProgram(const std::vector<std::string>& files, const std::string& archive) {
    std::string command = "zip -q -j -6 '" + archive + "'";
    for (const std::string& f : files)
        command += " '" + f + "'";
    return std::system(command.c_str()) == 0;
}

// Each iteration packs the set with TZipper and with `zip -6`; the time shown is TZipper's, the
// counters give both programs' wall and CPU seconds (all threads, or the child process) and the
// ratios: how many times faster TZipper is, and its archive's size against zip's.
void BM_ZipPrismSetAgainstZipProgram(benchmark::State& state) {
    const TPrismSet set(state.range(0));
    const std::vector<std::string>& files = set.Files;
    const std::string ours = (set.Folder / "ours.zip").string();
    const std::string theirs = (set.Folder / "zip6.zip").string();
    double oursWall = 0, oursCpu = 0, zipWall = 0, zipCpu = 0;
    std::uintmax_t oursSize = 0, zipSize = 0, input = 0;
    for (const std::string& f : files)
        input += std::filesystem::file_size(f);
    for (auto _ : state) {
        std::filesystem::remove(theirs);
        auto start = std::chrono::steady_clock::now();
        double cpu = CpuSeconds(RUSAGE_CHILDREN);
        if (!ZipWithZipProgram(files, theirs)) {
            state.SkipWithError("the zip program failed (is it installed?)");
            break;
        }
        zipWall += Seconds(start);
        zipCpu += CpuSeconds(RUSAGE_CHILDREN) - cpu;

        start = std::chrono::steady_clock::now();
        cpu = CpuSeconds(RUSAGE_SELF);
        ZipWithZipper(files, ours);
        const double wall = Seconds(start);
        oursWall += wall;
        oursCpu += CpuSeconds(RUSAGE_SELF) - cpu;
        state.SetIterationTime(wall);
        oursSize = std::filesystem::file_size(ours);
        zipSize = std::filesystem::file_size(theirs);
    }
    const double n = static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(input));
    state.counters["ours_wall_s"] = oursWall / n;
    state.counters["zip_wall_s"] = zipWall / n;
    state.counters["ours_cpu_s"] = oursCpu / n;
    state.counters["zip_cpu_s"] = zipCpu / n;
    state.counters["wall_x"] = oursWall > 0 ? zipWall / oursWall : 0;
    state.counters["cpu_x"] = oursCpu > 0 ? zipCpu / oursCpu : 0;
    state.counters["size_ratio"] =
        zipSize > 0 ? static_cast<double>(oursSize) / static_cast<double>(zipSize) : 0;
}

BENCHMARK(BM_ZipPrismSetAgainstZipProgram)
    ->Arg(100000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
