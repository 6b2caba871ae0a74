// lumora info: what a surveyor wants to know of a plot file, or the whole model as a dump.
#include "CliUi.h"
#include "Commands.h"
#include "PassageFlags.h"

#include "platform/Error.h"
#include "survey/PlotReader.h"
#include "survey/PlotSummary.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace lumora::cli {

namespace {

struct TInfoOptions {
    std::string FileName;
    bool Json = false;
    bool Dump = false;
    bool ListNames = false;
    bool Quiet = false;
};

void RunInfo(const TInfoOptions& options) {
    survey::TPlotData& data = survey::PlotData();
    CliUi ui;
    const auto start = std::chrono::steady_clock::now();
    survey::LoadPlotFile(data, options.FileName, nullptr, ui);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string out;
    if (options.Dump)
        survey::WritePlotDump(data, out);
    else if (options.Json)
        out = survey::FormatPlotSummaryJson(data, options.ListNames, seconds);
    else
        out = survey::FormatPlotSummary(data, options.ListNames, seconds);
    // A full disk or a closed pipe must not pass for a summary that was printed.
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        throw WriteError(std::string("standard output: ") + std::strerror(errno));
}

} // namespace

void AddInfoCommand(CLI::App& app) {
    auto options = std::make_shared<TInfoOptions>();
    CLI::App* info = app.add_subcommand("info", "Summarise a plot file (*.plt, *.plf)");
    info->add_option("FILE", options->FileName, "plot file")->required();
    info->add_flag("--json", options->Json, "print the summary as JSON");
    info->add_flag("--dump", options->Dump, "print every item of the model, one per line");
    info->add_flag("--surveys", options->ListNames, "list section, survey and feature names");
    AddQuietFlag(*info, options->Quiet);
    info->callback([options] { RunInfo(*options); });
}

} // namespace lumora::cli
