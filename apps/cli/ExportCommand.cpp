// lumora export: writes the loaded plot file in the exporter's formats (shapefile, kml, vrml,
// dxf).
#include "CliUi.h"
#include "Commands.h"

#include "exporter/DXFExport.h"
#include "exporter/ExpIni.h"
#include "exporter/KMLExport.h"
#include "exporter/ShapeExport.h"
#include "exporter/VRMLExport.h"
#include "platform/Error.h"
#include "survey/GeoRef.h"
#include "survey/PlotReader.h"
#include "survey/SuiteSettings.h"

#include <charconv>
#include <functional>
#include <vector>

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

// The KML, VRML and DXF commands: options start at the window's defaults, then come from
// --settings FILE when given, then from the flags given on the command line.
struct TFormatArgs {
    std::string FileName;
    std::string Output;
    std::string SettingsFile;
    exporter::TExportOptions Given; // what the flags write
    std::vector<std::function<void(exporter::TExportOptions&)>> Apply;
};

template <class T> using TField = T& (*)(exporter::TExportOptions&);

template <class T>
CLI::Option* Flag(CLI::App& c, TFormatArgs& a, const std::string& names, TField<T> field,
                  const std::string& help) {
    CLI::Option* option = c.add_flag(names, field(a.Given), help);
    a.Apply.push_back([option, field, &a](exporter::TExportOptions& o) {
        if (option->count() > 0)
            field(o) = field(a.Given);
    });
    return option;
}

template <class T>
CLI::Option* Value(CLI::App& c, TFormatArgs& a, const std::string& names, TField<T> field,
                   const std::string& help) {
    CLI::Option* option = c.add_option(names, field(a.Given), help);
    a.Apply.push_back([option, field, &a](exporter::TExportOptions& o) {
        if (option->count() > 0)
            field(o) = field(a.Given);
    });
    return option;
}

// A colour given as RRGGBB (hexadecimal, red first), held with red in the lowest byte.
exporter::TColorValue ParseColor(const std::string& text) {
    std::uint32_t rgb = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
    if (text.size() != 6 || result.ec != std::errc() || result.ptr != text.data() + text.size())
        throw lumora::Error("Not a colour (RRGGBB): " + text);
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

void Color(CLI::App& c, TFormatArgs& a, const std::string& names,
           TField<exporter::TColorValue> field, const std::string& help) {
    auto text = std::make_shared<std::string>();
    CLI::Option* option = c.add_option(names, *text, help + " (RRGGBB)");
    a.Apply.push_back([option, field, text](exporter::TExportOptions& o) {
        if (option->count() > 0)
            field(o) = ParseColor(*text);
    });
}

#define LUMORA_FIELD(type, path) +[](exporter::TExportOptions& o) -> type& { return o.path; }

void AddCommonFlags(CLI::App& c, TFormatArgs& a, const char* extension) {
    c.add_option("FILE", a.FileName, "Plot file (*.plt, *.plf)")
        ->required()
        ->check(CLI::ExistingFile);
    c.add_option("-o,--output", a.Output,
                 std::string("Output file (default: the plot file's name with ") + extension +
                     " in the current folder)");
    c.add_option("--settings", a.SettingsFile,
                 "Take every option from this exporter settings file first")
        ->check(CLI::ExistingFile);
    Flag(c, a, "--meters,!--feet", LUMORA_FIELD(bool, Meters), "Units: metres or feet");
    Flag(c, a, "--hidden,!--no-hidden", LUMORA_FIELD(bool, ShowHidden),
         "Export hidden shots (P-flag)");
    Value(c, a, "--shape", LUMORA_FIELD(std::int32_t, Walls.PassShape),
          "Passage shape: square, diamond, octagon")
        ->transform(CLI::CheckedTransformer(
            std::map<std::string, int>{{"square", 0}, {"diamond", 1}, {"octagon", 2}},
            CLI::ignore_case));
    Value(c, a, "--round", LUMORA_FIELD(std::int32_t, Walls.RoundDepth), "Rounding passes 0-2")
        ->check(CLI::IsMember({0, 1, 2}));
    Value(c, a, "--corner", LUMORA_FIELD(double, Walls.CornerThreshold),
          "Corner threshold, degrees")
        ->check(CLI::Range(0.0, 180.0));
    Value(c, a, "--substitute", LUMORA_FIELD(double, Walls.SubstituteDiam),
          "Substitute diameter for missing dimensions, feet")
        ->check(CLI::Range(0.0, 90.0));
    Flag(c, a, "--sub-missing,!--no-sub-missing", LUMORA_FIELD(bool, Walls.DoSubstitute),
         "Substitute missing dimensions");
    Flag(c, a, "--expand,!--no-expand", LUMORA_FIELD(bool, Walls.ExpandWalls),
         "Fill missing dimensions from neighbours");
    Flag(c, a, "--merge,!--no-merge", LUMORA_FIELD(bool, Walls.MergePass),
         "Merge neighbouring passages");
    Flag(c, a, "--seal,!--no-seal", LUMORA_FIELD(bool, Walls.SealEnds), "Seal passage ends");
    Flag(c, a, "--vertical,!--no-vertical", LUMORA_FIELD(bool, Walls.VerticalPrisms),
         "Vertical prisms on steep shots");
    Value(c, a, "--vertical-threshold", LUMORA_FIELD(double, Walls.VerticalThreshold),
          "Inclination from which a shot is steep, degrees")
        ->check(CLI::Range(0.0, 90.0));
}

void AddKmlFlags(CLI::App& c, TFormatArgs& a) {
    Value(c, a, "--overlay", LUMORA_FIELD(std::int32_t, Kml.OverlayType),
          "Overlay type: polygons or lines")
        ->transform(CLI::CheckedTransformer(
            std::map<std::string, int>{{"polygons", 0}, {"lines", 1}}, CLI::ignore_case));
    Value(c, a, "--altitude-mode", LUMORA_FIELD(std::int32_t, Kml.AltitudeMode),
          "clamp (to ground) or relative (to ground)")
        ->transform(CLI::CheckedTransformer(
            std::map<std::string, int>{{"clamp", 0}, {"relative", 1}}, CLI::ignore_case));
    Value(c, a, "--altitude", LUMORA_FIELD(double, Kml.Altitude), "Altitude above ground, metres");
    Value(c, a, "--datum", LUMORA_FIELD(std::int32_t, Kml.Datum),
          "Datum list index 0-22 (13 North American 1927, 22 WGS 1984)")
        ->check(CLI::Range(0, 22));
    Color(c, a, "--fill-color", LUMORA_FIELD(exporter::TColorValue, Kml.FillColor),
          "Polygon fill colour");
    Color(c, a, "--line-color", LUMORA_FIELD(exporter::TColorValue, Kml.LineColor), "Line colour");
    Value(c, a, "--transparency", LUMORA_FIELD(std::int32_t, Kml.FillTransparency),
          "Fill transparency 0-255")
        ->check(CLI::Range(0, 255));
    Value(c, a, "--width", LUMORA_FIELD(std::int32_t, Kml.LineWidth), "Line width, pixels")
        ->check(CLI::Range(1, 100));
}

void AddVrmlFlags(CLI::App& c, TFormatArgs& a) {
    Flag(c, a, "--passages,!--no-passages", LUMORA_FIELD(bool, Vrml.Passages3D),
         "Show 3D passages");
    Flag(c, a, "--depth-colors,!--no-depth-colors", LUMORA_FIELD(bool, Vrml.ColorByDepth),
         "Colour passages by depth");
    Flag(c, a, "--vertex-colors,!--no-vertex-colors", LUMORA_FIELD(bool, Vrml.VertexColors),
         "Depth colours per vertex");
    Flag(c, a, "--spline,!--no-spline", LUMORA_FIELD(bool, Vrml.SplineSurface), "Spline surface");
    Color(c, a, "--passage-color", LUMORA_FIELD(exporter::TColorValue, Vrml.PassageColor),
          "Passage colour");
    Flag(c, a, "--transparent,!--no-transparent", LUMORA_FIELD(bool, Vrml.DoTransparency),
         "Transparent passages");
    Value(c, a, "--transparency", LUMORA_FIELD(double, Vrml.Transparency), "Transparency, percent")
        ->check(CLI::Range(0.0, 100.0));
    Flag(c, a, "--use-texture,!--no-texture", LUMORA_FIELD(bool, Vrml.UseTexture),
         "Use the texture file");
    Value(c, a, "--texture", LUMORA_FIELD(std::string, Vrml.TextureFile), "Texture file name");
    Flag(c, a, "--shot-lines,!--no-shot-lines", LUMORA_FIELD(bool, Vrml.DoShotLine),
         "Show shot lines");
    Flag(c, a, "--line-depth-colors,!--no-line-depth-colors",
         LUMORA_FIELD(bool, Vrml.LineColorByDepth), "Colour shot lines by depth");
    Color(c, a, "--line-color", LUMORA_FIELD(exporter::TColorValue, Vrml.LineColor),
          "Shot line colour");
    Color(c, a, "--background", LUMORA_FIELD(exporter::TColorValue, Vrml.BackgroundColor),
          "Background colour");
    Flag(c, a, "--spin,!--no-spin", LUMORA_FIELD(bool, Vrml.YawRotation), "Yaw rotations");
}

void AddDxfFlags(CLI::App& c, TFormatArgs& a) {
    Flag(c, a, "--profile,!--plan", LUMORA_FIELD(bool, Dxf.ProfileMode), "Profile mode");
    Value(c, a, "--rotation", LUMORA_FIELD(double, Dxf.Rotation), "Profile rotation, degrees")
        ->check(CLI::Range(0.0, 360.0));
    Value(c, a, "--passage-as", LUMORA_FIELD(std::int32_t, Dxf.PassageType),
          "Show passage as: faces or ticks")
        ->transform(CLI::CheckedTransformer(std::map<std::string, int>{{"faces", 0}, {"ticks", 1}},
                                            CLI::ignore_case));
    Flag(c, a, "--survey-layers,!--no-survey-layers", LUMORA_FIELD(bool, Dxf.SeparateLayers),
         "Surveys on separate layers");
    Flag(c, a, "--assoc-passages,!--no-assoc-passages", LUMORA_FIELD(bool, Dxf.AssociatePassages),
         "Associate passages with surveys");
    Flag(c, a, "--assoc-labels,!--no-assoc-labels", LUMORA_FIELD(bool, Dxf.AssociateLabels),
         "Associate labels with surveys");
    Flag(c, a, "--assoc-separate,!--no-assoc-separate", LUMORA_FIELD(bool, Dxf.AssociateSeparate),
         "Associate separately");
    Flag(c, a, "--left-right,!--no-left-right", LUMORA_FIELD(bool, Dxf.LeftRight),
         "Mark left-right");
    Flag(c, a, "--up-down,!--no-up-down", LUMORA_FIELD(bool, Dxf.UpDown), "Mark up-down");
    Flag(c, a, "--tick-lines,!--no-tick-lines", LUMORA_FIELD(bool, Dxf.AddLine),
         "Add line to mark");
    Flag(c, a, "--mark-from,!--no-mark-from", LUMORA_FIELD(bool, Dxf.MarkFrom), "Mark from");
    Flag(c, a, "--mark-to,!--no-mark-to", LUMORA_FIELD(bool, Dxf.MarkTo), "Mark to");
    Value(c, a, "--mark-with", LUMORA_FIELD(std::int32_t, Dxf.MarkWith),
          "Mark with: letters, period, star")
        ->transform(CLI::CheckedTransformer(
            std::map<std::string, int>{{"letters", 0}, {"period", 1}, {"star", 2}},
            CLI::ignore_case));
    Flag(c, a, "--expand-marks,!--no-expand-marks", LUMORA_FIELD(bool, Dxf.ExpandMark),
         "Expand mark dimensions");
    Flag(c, a, "--shot-line,!--no-shot-line", LUMORA_FIELD(bool, Dxf.IncludeShotLine),
         "Include shot line (kept in settings; lines are always drawn)");
    Flag(c, a, "--labels,!--no-labels", LUMORA_FIELD(bool, Dxf.IncludeLabels),
         "Include station labels");
    Flag(c, a, "--marks,!--no-marks", LUMORA_FIELD(bool, Dxf.IncludeStationMark),
         "Include station marks");
    Flag(c, a, "--walls,!--no-walls", LUMORA_FIELD(bool, Dxf.IncludeWalls),
         "Include passage walls");
    Flag(c, a, "--north-arrow,!--no-north-arrow", LUMORA_FIELD(bool, Dxf.IncludeNorthArrow),
         "Include north arrow");
    Flag(c, a, "--scale-bar,!--no-scale-bar", LUMORA_FIELD(bool, Dxf.IncludeScaleBar),
         "Include scale bar");
    Flag(c, a, "--depth,!--no-depth", LUMORA_FIELD(bool, Dxf.IncludeDepth), "Include depth labels");
    Flag(c, a, "--clip-lines,!--no-clip-lines", LUMORA_FIELD(bool, Dxf.ClipLines),
         "Station mark clips lines");
    for (auto [name, field] :
         {std::pair{"--survey-color", LUMORA_FIELD(std::int32_t, Dxf.SurveyColor)},
          std::pair{"--label-color", LUMORA_FIELD(std::int32_t, Dxf.LabelColor)},
          std::pair{"--depth-color", LUMORA_FIELD(std::int32_t, Dxf.DepthColor)},
          std::pair{"--wall-color", LUMORA_FIELD(std::int32_t, Dxf.WallColor)}})
        Value(c, a, name, field, "Layer colour index 0-255")->check(CLI::Range(0, 255));
    Value(c, a, "--scale-bar-size", LUMORA_FIELD(double, Dxf.ScaleBar),
          "Scale bar length, feet or metres");
    Value(c, a, "--mark-size", LUMORA_FIELD(double, Dxf.MarkSize),
          "Station mark radius, feet or metres");
    Flag(c, a, "--scale,!--no-scale", LUMORA_FIELD(bool, Dxf.DoScale), "Scale export");
    Value(c, a, "--scale-factor", LUMORA_FIELD(double, Dxf.ScaleFactor), "Scale factor, percent")
        ->check(CLI::Range(0.000001, 1000000.0));
}

#undef LUMORA_FIELD

enum class TFormat { Kml, Vrml, Dxf };

void RunFormat(const TFormatArgs& args, TFormat format) {
    survey::ReadUnitSettings();
    exporter::TExportOptions o = exporter::DefaultExportOptions();
    if (!args.SettingsFile.empty())
        exporter::RestoreExportSettings(o, args.SettingsFile);
    for (const auto& apply : args.Apply)
        apply(o);
    CliUi ui;
    survey::TPlotData& data = survey::PlotData();
    survey::LoadPlotFile(data, args.FileName, {}, ui);
    if (!data.Loaded) {
        ui.Warning("No Plot File Load.");
        throw lumora::Error("Nothing was exported");
    }
    if (format == TFormat::Kml && !survey::CheckGeoreference(data, ui, ""))
        throw lumora::Error("Nothing was exported");
    const char* extension = format == TFormat::Kml    ? ".kml"
                            : format == TFormat::Vrml ? ".wrl"
                                                      : ".dxf";
    const std::string output =
        args.Output.empty()
            ? std::filesystem::path(args.FileName).filename().replace_extension(extension).string()
            : args.Output;
    std::string status;
    exporter::TExportIo io;
    io.Ui = &ui;
    io.ShowStatus = [&](const std::string& text) { status = text; };
    switch (format) {
    case TFormat::Kml:
        if (o.Kml.OverlayType == 1)
            exporter::ExportKmlLines(data, output, o, io);
        else
            exporter::ExportKmlPolygons(data, output, o, io);
        break;
    case TFormat::Vrml:
        exporter::ExportVRML(data, output, o, io);
        break;
    case TFormat::Dxf:
        exporter::WriteDXFFile(data, output, o, io);
        break;
    }
    std::cout << "Wrote " << output << '\n';
}

void AddFormatCommand(CLI::App& exportCommand, const char* name, const char* help, TFormat format) {
    auto args = std::make_shared<TFormatArgs>();
    CLI::App* command = exportCommand.add_subcommand(name, help);
    const char* extension = format == TFormat::Kml    ? ".kml"
                            : format == TFormat::Vrml ? ".wrl"
                                                      : ".dxf";
    AddCommonFlags(*command, *args, extension);
    if (format == TFormat::Kml)
        AddKmlFlags(*command, *args);
    else if (format == TFormat::Vrml)
        AddVrmlFlags(*command, *args);
    else
        AddDxfFlags(*command, *args);
    command->callback([args, format] { RunFormat(*args, format); });
}

} // namespace

void AddExportFormats(CLI::App& exportCommand) {
    AddFormatCommand(exportCommand, "kml", "Write a KML document (passage polygons or shot lines)",
                     TFormat::Kml);
    AddFormatCommand(exportCommand, "vrml", "Write a VRML 2.0 world of passages and shot lines",
                     TFormat::Vrml);
    AddFormatCommand(exportCommand, "dxf", "Write a DXF drawing (plan or profile)", TFormat::Dxf);
}

void AddExportCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand("export", "Write a plot file in an exporter format");
    command->require_subcommand(1);
    AddShapefileCommand(*command);
    AddExportFormats(*command);
}

} // namespace lumora::cli
