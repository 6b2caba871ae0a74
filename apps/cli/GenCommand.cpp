// lumora gen: writes a synthetic plot file for tests, benchmarks and demonstrations.
#include "Commands.h"
#include "PassageFlags.h"

#include "survey/PlotGenerator.h"

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

namespace lumora::cli {
namespace {

struct TGenArgs {
    std::string Output;
    bool Lf = false;
    bool South = false;
    bool Local = false;
    bool Quiet = false;
    survey::TGenOptions Options;
};

void RunGen(TGenArgs& args) {
    survey::TGenOptions& options = args.Options;
    options.LineEnd = args.Lf ? survey::TLineEnd::Lf : survey::TLineEnd::CrLf;
    options.Southern = args.South;
    options.Georeferenced = !args.Local;
    if (args.Output == "-") {
        survey::GeneratePlotFile(std::cout, options, "standard output");
        return;
    }
    const survey::TGenStats stats = survey::GeneratePlotFile(args.Output, options);
    std::cout << args.Output << ": " << stats.StationLines << " station lines, " << stats.Surveys
              << " surveys, " << stats.Features << " features, " << stats.Sections << " sections, "
              << stats.Loops << " loops, " << stats.Bytes << " bytes\n";
}

} // namespace

void AddGenCommand(CLI::App& app) {
    auto args = std::make_shared<TGenArgs>();
    CLI::App* gen = app.add_subcommand(
        "gen", "Write a synthetic plot file (the same seed and options give the same bytes)");
    gen->add_option("-o,--output", args->Output, "Plot file to write; - writes standard output")
        ->required();
    gen->add_option("--stations", args->Options.Stations, "Station lines (M, D, d, L) to write")
        ->check(CLI::Range(std::int64_t{0}, std::int64_t{2000000000}))
        ->capture_default_str();
    gen->add_option("--seed", args->Options.Seed, "Seed of the random numbers")
        ->capture_default_str();
    gen->add_option("--sections", args->Options.Sections, "Sections (S lines); 0 writes none")
        ->check(CLI::Range(0, 100000))
        ->capture_default_str();
    gen->add_flag("--lf", args->Lf, "End lines with LF instead of CR LF");
    gen->add_flag("--south", args->South, "Southern hemisphere: negative zone and southern datum");
    gen->add_option("--zone", args->Options.Zone, "UTM zone number")
        ->check(CLI::Range(1, 60))
        ->capture_default_str();
    gen->add_option("--datum", args->Options.Datum,
                    "Datum name of the O line (default North American 1927, south WGS 1984)");
    gen->add_flag("--local", args->Local, "Local coordinates: no zone and no datum lines");
    gen->add_flag("--ctrl-z", args->Options.EndWithCtrlZ, "End the file with a Ctrl+Z byte");
    AddQuietFlag(*gen, args->Quiet);
    gen->callback([args] { RunGen(*args); });
}

} // namespace lumora::cli
