// lumora export: writes the loaded plot file in the exporter's formats (shapefile).
#include "CliUi.h"
#include "Commands.h"

#include "exporter/ShapeExport.h"
#include "platform/Error.h"
#include "survey/PlotReader.h"
#include "survey/SuiteSettings.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace lumora::cli {

namespace {

using exporter::TShapeDataType;

struct TShapefileArgs {
    std::string FileName;
    std::string SetName; // -o; empty: the offered name in the current folder
    exporter::TExportOptions Options;
    bool TwoD = false;
    bool Zip = false;
    bool AssumeYes = false;
    bool NoExpand = false;
    bool NoMerge = false;
    bool NoVertical = false;
};

void AddWallFlags(CLI::App& command, TShapefileArgs& args) {
    exporter::TWallSettings& w = args.Options.Walls;
    const std::map<std::string, int> shapes{{"square", 0}, {"diamond", 1}, {"octagon", 2}};
    command.add_option("--shape", w.PassShape, "Cross-section shape (default octagon)")
        ->transform(CLI::CheckedTransformer(shapes, CLI::ignore_case));
    command.add_option("--round", w.RoundDepth, "Rounding passes (default 1)")
        ->check(CLI::IsMember({0, 1, 2}));
    command
        .add_option("--corner", w.CornerThreshold,
                    "Round stations turning by more than DEG degrees (default 20)")
        ->check(CLI::Range(0.0, 180.0));
    command
        .add_option("--substitute", w.SubstituteDiam,
                    "Dimension in feet for stations without any; 0 none (default 2)")
        ->check(CLI::Range(0.0, 90.0));
    command.add_flag("--no-expand", args.NoExpand,
                     "Do not fill missing dimensions from neighbours");
    command.add_flag("--no-merge", args.NoMerge, "Do not merge neighbouring passages");
    command.add_flag("--no-vertical", args.NoVertical, "No horizontal rings on steep shots");
    command
        .add_option("--vertical", w.VerticalThreshold,
                    "Inclination in degrees from which a shot is steep (default 50)")
        ->check(CLI::Range(0.0, 90.0));
}

void RunShapefile(TShapefileArgs args) {
    survey::ReadUnitSettings();
    exporter::TExportOptions& o = args.Options;
    o.ThreeD = !args.TwoD;
    o.ZipShape = args.Zip;
    o.Walls.DoSubstitute = o.Walls.SubstituteDiam != 0.0;
    o.Walls.ExpandWalls = !args.NoExpand;
    o.Walls.MergePass = !args.NoMerge;
    o.Walls.VerticalPrisms = !args.NoVertical;
    if (!o.ThreeD && (o.DataTypes == TShapeDataType::PolygonPrism ||
                      o.DataTypes == TShapeDataType::MultipatchPrism))
        throw lumora::Error("The prism data types need a 3D Shapefile (leave out --2d)");
    CliUi ui(args.AssumeYes);
    survey::TPlotData& data = survey::PlotData();
    survey::LoadPlotFile(data, args.FileName, {}, ui);
    exporter::TShapeExportIo io;
    io.Ui = &ui;
    io.ChooseSetName = [&](const std::string& offered) {
        return std::optional<std::string>(args.SetName.empty() ? offered : args.SetName);
    };
    io.ShowFileName = [](const std::string& name) { std::cout << "File: " << name << '\n'; };
    std::string status;
    io.ShowStatus = [&](const std::string& text) { status = text; };
    if (!exporter::ExportShapefile(data, args.FileName, o, io))
        throw lumora::Error("Nothing was exported");
    std::cout << "Status: " << status << '\n';
}

void AddShapefileCommand(CLI::App& exportCommand) {
    auto args = std::make_shared<TShapefileArgs>();
    CLI::App* command =
        exportCommand.add_subcommand("shapefile", "Write one Shapefile set of a plot file");
    command->add_option("FILE", args->FileName, "Plot file (*.plt, *.plf)")
        ->required()
        ->check(CLI::ExistingFile);
    const std::map<std::string, TShapeDataType> types{
        {"stations", TShapeDataType::Stations},
        {"surveys", TShapeDataType::Surveys},
        {"shots", TShapeDataType::SurveyShots},
        {"split", TShapeDataType::SplitShots},
        {"feature-points", TShapeDataType::FeatureLocations},
        {"feature-lines", TShapeDataType::FeatureLines},
        {"passage", TShapeDataType::Passage},
        {"prism", TShapeDataType::PolygonPrism},
        {"mprism", TShapeDataType::MultipatchPrism}};
    command->add_option("--type", args->Options.DataTypes, "Data type to convert")
        ->required()
        ->transform(CLI::CheckedTransformer(types, CLI::ignore_case));
    command->add_flag("--2d", args->TwoD, "2D Shapefile (default 3D)");
    command->add_flag("--meters", args->Options.Meters, "Write metres (default feet)");
    command->add_flag("--hidden", args->Options.ShowHidden, "Export hidden shots (P-flag)");
    command->add_flag("--zip", args->Zip, "Also pack the set into a zip archive");
    command->add_option("-o,--output", args->SetName,
                        "Set name (default: the offered name in the current folder)");
    command->add_flag("--yes", args->AssumeYes, "Replace existing files without asking");
    AddWallFlags(*command, *args);
    command->callback([args] { RunShapefile(*args); });
}

} // namespace

void AddExportCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand("export", "Write a plot file in an exporter format");
    command->require_subcommand(1);
    AddShapefileCommand(*command);
}

} // namespace lumora::cli
