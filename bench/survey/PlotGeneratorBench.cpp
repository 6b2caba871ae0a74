// How fast the plot file generator behind lumora gen writes station lines.
#include "survey/PlotGenerator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <unistd.h>

namespace {

using lumora::survey::GeneratePlotFile;
using lumora::survey::TGenOptions;

// A stream buffer that takes every byte and keeps none: measures the generator alone.
class TDiscardBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

void Report(benchmark::State& state, std::int64_t lines, std::uint64_t bytes) {
    state.SetItemsProcessed(state.iterations() * lines);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations() * lines),
                                                   benchmark::Counter::kIsRate);
}

void BM_GenerateToMemory(benchmark::State& state) {
    TGenOptions options;
    options.Stations = state.range(0);
    TDiscardBuffer buffer;
    std::ostream out(&buffer);
    std::uint64_t bytes = 0;
    for (auto _ : state)
        bytes += GeneratePlotFile(out, options).Bytes;
    Report(state, options.Stations, bytes);
}
BENCHMARK(BM_GenerateToMemory)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_GenerateToFile(benchmark::State& state) {
    TGenOptions options;
    options.Stations = state.range(0);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("lumora-bench-gen-" + std::to_string(::getpid()) + ".plt"))
                                 .string();
    std::uint64_t bytes = 0;
    for (auto _ : state)
        bytes += GeneratePlotFile(path, options).Bytes;
    std::remove(path.c_str());
    Report(state, options.Stations, bytes);
}
BENCHMARK(BM_GenerateToFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
