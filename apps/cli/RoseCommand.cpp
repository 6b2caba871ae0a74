// lumora rose: the 3D rose diagram of a plot file's shots as the viewer's "Rose Diagram" dialog
// builds it, drawn offscreen into a PNG picture, and its histogram as a CSV table.
#include "CliUi.h"
#include "Commands.h"
#include "PassageFlags.h"
#include "ViewFlags.h"

#include "analysis/RoseBuilder.h"
#include "analysis/RoseTable.h"
#include "platform/Error.h"
#include "survey/PlotReader.h"
#include "survey/SuiteSettings.h"

#include <iostream>
#include <map>
#include <memory>

namespace lumora::cli {

namespace {

struct TRoseArgs {
    std::string FileName;
    std::string Output;
    std::string Csv;
    std::string Type = "360";
    analysis::TRoseOptions Options;
    TViewArgs View;
    bool Frequency = false, Horizontal = false, NoBase = false, NoRainbow = false;
    bool Meters = false, Quiet = false;
};

// The default view looks at the stack from a little above, so that the card under it shows.
constexpr double kDefaultPitch = 30;

analysis::TRoseOptions OptionsOf(const TRoseArgs& args, double unitFactor) {
    static const std::map<std::string, analysis::TRoseType> kTypes = {
        {"360", analysis::TRoseType::Full360},
        {"180", analysis::TRoseType::Half180},
        {"flow", analysis::TRoseType::WaterFlow}};
    analysis::TRoseOptions o = args.Options;
    o.MinLength = args.Options.MinLength / unitFactor; // the histogram counts in feet
    o.RoseType = kTypes.at(args.Type);
    o.GraphBy = args.Frequency ? analysis::TGraphBy::Frequency : analysis::TGraphBy::TotalLength;
    o.SlopeLength = !args.Horizontal;
    o.ShowBase = !args.NoBase;
    o.Rainbow = !args.NoRainbow;
    return o;
}

void Progress(bool quiet, const std::string& text) {
    if (!quiet)
        std::cerr << text << '\n';
}

void RunRose(const TRoseArgs& args) {
    if (args.Output.empty() && args.Csv.empty())
        throw Error("nothing to write: give -o PICTURE.png, --csv TABLE.csv or both");
    for (const std::string& file : {args.Output, args.Csv})
        if (!file.empty())
            CheckOutput(file);
    if (args.Meters)
        survey::ReadUnitSettings();
    const double unitFactor = args.Meters ? survey::FeetToMeters() : 1.0;
    const analysis::TRoseOptions options = OptionsOf(args, unitFactor);
    CliUi ui;
    viewer::TViewerCore core(ui);
    std::unique_ptr<TOffscreenView> view;
    if (!args.Output.empty())
        view = std::make_unique<TOffscreenView>(core.Scene, args.View);
    survey::TPlotData& data = survey::PlotData();
    Progress(args.Quiet, "Reading " + args.FileName);
    survey::LoadPlotFile(data, args.FileName, nullptr, ui);
    analysis::TRoseHistogram histogram;
    Progress(args.Quiet, "Counting shots");
    if (view) {
        if (!analysis::CreateRose(core, data, options, histogram))
            throw Error(args.FileName + ": no rose drawn");
    } else {
        histogram.Fill(data, options);
        if (!(histogram.LargestCount() > 0))
            throw Error(args.FileName + ": " + analysis::kEmptyRoseText);
    }
    Progress(args.Quiet, "Shots counted: " + std::to_string(histogram.ShotsCounted()) + " (" +
                             std::to_string(histogram.Layers()) + " layers x " +
                             std::to_string(histogram.Petals()) + " petals)");
    if (view) {
        view->WritePicture(args.Output);
        std::cout << view->WroteText(args.Output) << '\n';
    }
    if (!args.Csv.empty()) {
        analysis::WriteRoseCsv(args.Csv, histogram, unitFactor);
        std::cout << "Wrote " << args.Csv << '\n';
    }
}

} // namespace

void AddRoseCommand(CLI::App& app) {
    auto args = std::make_shared<TRoseArgs>();
    args->View.Pitch = kDefaultPitch;
    const analysis::TRoseOptions defaults;
    CLI::App* command = app.add_subcommand(
        "rose", "Draw the 3D rose diagram of a plot file's shots as the viewer's \"Rose "
                "Diagram\" does, into a PNG picture, and write its histogram as CSV");
    command->add_option("FILE", args->FileName, "Plot file (*.plt, *.plf)")
        ->required()
        ->check(CLI::ExistingFile);
    command->add_option("-o,--output", args->Output, "PNG file to write");
    command->add_option("--csv", args->Csv,
                        "CSV file to write: one row per layer and petal with a count");
    command->add_option("--petals", args->Options.Petals, "Petals of a layer (4 to 360)")
        ->check(CLI::Range(analysis::kMinPetals, analysis::kMaxPetals))
        ->capture_default_str();
    command->add_option("--layers", args->Options.Layers, "Layers, bottom to top (2 to 180)")
        ->check(CLI::Range(analysis::kMinLayers, analysis::kMaxLayers))
        ->capture_default_str();
    command
        ->add_option("--type", args->Type,
                     "Rose type: 360 (every bearing), 180 (a bearing and its opposite alike) or "
                     "flow (every shot turned downhill)")
        ->check(CLI::IsMember({"360", "180", "flow"}))
        ->capture_default_str();
    command->add_flag("--frequency", args->Frequency,
                      "Count shots instead of adding their lengths" + DefaultText(false));
    command->add_flag("--horizontal", args->Horizontal,
                      "Add horizontal lengths instead of slope lengths" + DefaultText(false));
    command
        ->add_option("--min-length", args->Options.MinLength,
                     "Ignore shots shorter than this (feet, metres with --meters)")
        ->check(CLI::Range(0.0, analysis::kMaxMinLength))
        ->capture_default_str();
    command->add_flag("--no-base", args->NoBase,
                      "Leave out the base plate with the rose card" +
                          DefaultText(!defaults.ShowBase));
    command->add_flag("--no-rainbow", args->NoRainbow,
                      "All layers red instead of one colour each" + DefaultText(!defaults.Rainbow));
    command->add_flag("--meters", args->Meters,
                      "Metres for --min-length and the CSV's elevations" + DefaultText(false));
    AddViewFlags(*command, args->View);
    AddQuietFlag(*command, args->Quiet);
    command->callback([args] { RunRose(*args); });
}

} // namespace lumora::cli
