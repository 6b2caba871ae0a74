// lumora export: writes a plot file in the exporter's formats (shapefile, kml, vrml, dxf) and,
// through the viewer's cave, glTF.
#include "CliUi.h"
#include "Commands.h"
#include "PassageFlags.h"

#include "exporter/DXFExport.h"
#include "exporter/ExpIni.h"
#include "exporter/KMLExport.h"
#include "exporter/ShapeExport.h"
#include "exporter/VRMLExport.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "survey/GeoRef.h"
#include "survey/PlotReader.h"
#include "survey/SuiteSettings.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumora::cli {

namespace {

using exporter::TShapeDataType;

// The arguments of every export command. The options start at the exporter window's defaults,
// then come from --settings FILE when given, then from the flags given on the command line.
struct TExportArgs {
    std::string FileName;
    std::string Output; // empty: the plot file's name with the format's extension, here
    std::string SettingsFile;
    bool Quiet = false;
    bool AssumeYes = false;
    exporter::TExportOptions Defaults = exporter::DefaultExportOptions();
    TWallFlags Walls;
    exporter::TExportOptions Given; // what the format's own flags write
    CLI::Option* DatumOption = nullptr;
    std::vector<std::function<void(exporter::TExportOptions&)>> Apply;
};

template <class T> using TField = T& (*)(exporter::TExportOptions&);

// A switch of the format, "--name,!--no-name"; its default is shown from the window's defaults.
CLI::Option* Flag(CLI::App& c, TExportArgs& a, const std::string& names, TField<bool> field,
                  const std::string& help) {
    CLI::Option* option = c.add_flag(names, field(a.Given), help + DefaultText(field(a.Defaults)));
    a.Apply.push_back([option, field, &a](exporter::TExportOptions& o) {
        if (option->count() > 0)
            field(o) = field(a.Given);
    });
    return option;
}

std::string DefaultString(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}
std::string DefaultString(std::int32_t value) {
    return std::to_string(value);
}
std::string DefaultString(const std::string& value) {
    return value;
}

// A value of the format; the help shows the window's default.
template <class T>
CLI::Option* Value(CLI::App& c, TExportArgs& a, const std::string& names, TField<T> field,
                   const std::string& help) {
    CLI::Option* option = c.add_option(
        names, field(a.Given), help + " (default: " + DefaultString(field(a.Defaults)) + ")");
    a.Apply.push_back([option, field, &a](exporter::TExportOptions& o) {
        if (option->count() > 0)
            field(o) = field(a.Given);
    });
    return option;
}

// One of a list of named items, held as the item's index.
CLI::Option* Choice(CLI::App& c, TExportArgs& a, const std::string& names,
                    TField<std::int32_t> field, const std::string& help,
                    const std::vector<std::string>& items) {
    const std::int32_t shown = field(a.Defaults);
    std::map<std::string, std::int32_t> indexes;
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i) {
        indexes[items[i]] = static_cast<std::int32_t>(i);
        list += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    }
    CLI::Option* option = c.add_option(
        names, field(a.Given),
        help + " (" + list + "; default: " +
            (shown >= 0 && shown < static_cast<std::int32_t>(items.size()) ? items[shown]
                                                                           : "none") +
            ")");
    option->transform(CLI::CheckedTransformer(indexes, CLI::ignore_case))->option_text("NAME");
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

std::string ColorText(exporter::TColorValue bgr) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", bgr & 0xFF, bgr >> 8 & 0xFF, bgr >> 16 & 0xFF);
    return text;
}

void Color(CLI::App& c, TExportArgs& a, const std::string& names,
           TField<exporter::TColorValue> field, const std::string& help) {
    auto text = std::make_shared<std::string>();
    CLI::Option* option = c.add_option(
        names, *text, help + " (RRGGBB; default: " + ColorText(field(a.Defaults)) + ")");
    option->option_text("RRGGBB");
    a.Apply.push_back([option, field, text](exporter::TExportOptions& o) {
        if (option->count() > 0)
            field(o) = ParseColor(*text);
    });
}

#define LUMORA_FIELD(type, path) +[](exporter::TExportOptions& o) -> type& { return o.path; }

// The arguments every export command takes: the plot file, the output, the settings file, the
// passage flags and -q.
void AddCommonFlags(CLI::App& c, TExportArgs& a, const std::string& outputHelp) {
    c.add_option("FILE", a.FileName, "Plot file (*.plt, *.plf)")
        ->required()
        ->check(CLI::ExistingFile);
    c.add_option("-o,--output", a.Output, outputHelp);
    c.add_option("--settings", a.SettingsFile,
                 "Take every option from this exporter settings file first (a path; relative "
                 "to the current folder)")
        ->check(CLI::ExistingFile);
    a.Walls.Add(c, ChoicesOf(a.Defaults));
    AddQuietFlag(c, a.Quiet);
}

void AddKmlFlags(CLI::App& c, TExportArgs& a) {
    Choice(c, a, "--overlay", LUMORA_FIELD(std::int32_t, Kml.OverlayType),
           "What the document shows: passage polygons or survey shot lines", {"polygons", "lines"});
    Choice(c, a, "--altitude-mode", LUMORA_FIELD(std::int32_t, Kml.AltitudeMode),
           "Heights clamped to the ground or relative to it", {"clamp", "relative"});
    Value(c, a, "--altitude", LUMORA_FIELD(double, Kml.Altitude), "Altitude above ground, metres");
    a.DatumOption = Value(c, a, "--datum", LUMORA_FIELD(std::int32_t, Kml.Datum),
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

void AddVrmlFlags(CLI::App& c, TExportArgs& a) {
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

void AddDxfFlags(CLI::App& c, TExportArgs& a) {
    Flag(c, a, "--profile,!--plan", LUMORA_FIELD(bool, Dxf.ProfileMode), "Profile mode");
    Value(c, a, "--rotation", LUMORA_FIELD(double, Dxf.Rotation), "Profile rotation, degrees")
        ->check(CLI::Range(0.0, 360.0));
    Choice(c, a, "--passage-as", LUMORA_FIELD(std::int32_t, Dxf.PassageType),
           "Show passages as 3D faces or as tick marks", {"faces", "ticks"});
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
    Choice(c, a, "--mark-with", LUMORA_FIELD(std::int32_t, Dxf.MarkWith), "Mark stations with",
           {"letters", "period", "star"});
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

void Say(const std::string& line) {
    std::cout << line << '\n';
}

// The export's gauge as lines on stderr, one per tenth it moves on, unless -q. (The window's
// gauge drops back to 0 when an export is done; a line would only confuse.)
std::function<void(int)> GaugeLines(const TExportArgs& args) {
    if (args.Quiet)
        return {};
    auto shown = std::make_shared<int>(-1);
    return [shown](int percent) {
        if (*shown >= 0 && percent / 10 <= *shown / 10)
            return;
        *shown = percent;
        std::cerr << "Exporting: " << percent << "%\n";
    };
}

// A path given on the command line means that path, relative to the current folder (a bare
// settings file name would otherwise name a file in the settings folder).
std::string CommandLinePath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// The options of one export: the defaults, then --settings, then the flags given.
exporter::TExportOptions ResolveOptions(const TExportArgs& args) {
    exporter::TExportOptions o = args.Defaults;
    if (!args.SettingsFile.empty()) {
        const std::string settings = CommandLinePath(args.SettingsFile);
        exporter::RestoreExportSettings(o, settings);
        Say("Settings: " + settings);
    }
    TWallChoices walls = ChoicesOf(o);
    args.Walls.ApplyGiven(walls);
    StoreChoices(walls, o);
    for (const auto& apply : args.Apply)
        apply(o);
    return o;
}

// Loads the plot file for an export; warnings then name the file.
survey::TPlotData& LoadForExport(const TExportArgs& args, CliUi& ui) {
    survey::TPlotData& data = survey::PlotData();
    survey::LoadPlotFile(data, args.FileName, {}, ui);
    ui.SetSubject(args.FileName);
    return data;
}

[[noreturn]] void NothingExported(const TExportArgs& args) {
    throw lumora::Error(args.FileName + ": nothing was exported");
}

enum class TFormat { Kml, Vrml, Dxf };

const char* ExtensionOf(TFormat format) {
    return format == TFormat::Kml ? ".kml" : format == TFormat::Vrml ? ".wrl" : ".dxf";
}

// The datum of a KML export: the plot file's own datum unless --datum names one.
void ChooseDatum(const TExportArgs& args, const survey::TPlotData& data,
                 exporter::TExportOptions& o) {
    const exporter::TExportDatum datum = exporter::ChooseExportDatum(
        o.Kml.Datum, !args.SettingsFile.empty(), args.DatumOption && args.DatumOption->count() > 0,
        data.DatumName);
    o.Kml.Datum = datum.Index;
    Say("Datum: " + exporter::DescribeExportDatum(datum));
}

void RunFormat(const TExportArgs& args, TFormat format) {
    survey::ReadUnitSettings();
    exporter::TExportOptions o = ResolveOptions(args);
    const std::string output = args.Output.empty() ? std::filesystem::path(args.FileName)
                                                         .filename()
                                                         .replace_extension(ExtensionOf(format))
                                                         .string()
                                                   : args.Output;
    if (const auto problem = platform::TargetProblem(output))
        throw WriteError(output + ": " + *problem);
    CliUi ui;
    survey::TPlotData& data = LoadForExport(args, ui);
    if (format == TFormat::Kml) {
        if (!survey::CheckGeoreference(data, ui, ""))
            NothingExported(args);
        ChooseDatum(args, data, o);
    }
    exporter::TExportIo io;
    io.Ui = &ui;
    io.ShowGauge = GaugeLines(args);
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
    Say("Wrote " + output);
}

void AddFormatCommand(CLI::App& exportCommand, const char* name, const char* help, TFormat format) {
    auto args = std::make_shared<TExportArgs>();
    CLI::App* command = exportCommand.add_subcommand(name, help);
    AddCommonFlags(*command, *args,
                   std::string("Output file (default: the plot file's name with ") +
                       ExtensionOf(format) + " in the current folder)");
    if (format == TFormat::Kml)
        AddKmlFlags(*command, *args);
    else if (format == TFormat::Vrml)
        AddVrmlFlags(*command, *args);
    else
        AddDxfFlags(*command, *args);
    command->callback([args, format] { RunFormat(*args, format); });
}

void RunShapefile(const TExportArgs& args) {
    survey::ReadUnitSettings();
    const exporter::TExportOptions o = ResolveOptions(args);
    if (!o.ThreeD && (o.DataTypes == TShapeDataType::PolygonPrism ||
                      o.DataTypes == TShapeDataType::MultipatchPrism))
        throw lumora::Error("The prism data types need a 3D Shapefile (leave out --2d)");
    CliUi ui(args.AssumeYes);
    survey::TPlotData& data = LoadForExport(args, ui);
    exporter::TShapeExportIo io;
    io.Ui = &ui;
    io.ChooseSetName = [&](const std::string& offered) {
        return std::optional<std::string>(args.Output.empty() ? offered : args.Output);
    };
    io.ShowFileName = [&](const std::string& name) { Say("File: " + name); };
    io.ShowGauge = GaugeLines(args);
    std::string status;
    io.ShowStatus = [&](const std::string& text) { status = text; };
    if (!exporter::ExportShapefile(data, args.FileName, o, io))
        NothingExported(args);
    Say("Status: " + status);
}

void AddShapefileCommand(CLI::App& exportCommand) {
    auto args = std::make_shared<TExportArgs>();
    args->Defaults.ZipShape = false; // a script asks for the archive
    CLI::App* command =
        exportCommand.add_subcommand("shapefile", "Write one Shapefile set of a plot file");
    AddCommonFlags(*command, *args,
                   "Set name: the set's files get the extensions .shp, .shx, .dbf and .prj "
                   "(default: the offered name in the current folder)");
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
    CLI::Option* type = command->add_option(
        "--type", args->Given.DataTypes,
        "Data type to convert: stations, surveys, shots, split, feature-points, feature-lines, "
        "passage, prism or mprism (default: the settings file's, else stations)");
    type->transform(CLI::CheckedTransformer(types, CLI::ignore_case))->option_text("TYPE");
    args->Apply.push_back([type, args = args.get()](exporter::TExportOptions& o) {
        if (type->count() > 0)
            o.DataTypes = args->Given.DataTypes;
    });
    Flag(*command, *args, "--3d,!--2d", LUMORA_FIELD(bool, ThreeD), "3D Shapefile (with heights)");
    Flag(*command, *args, "--zip,!--no-zip", LUMORA_FIELD(bool, ZipShape),
         "Also pack the set into a zip archive");
    command->add_flag("--yes", args->AssumeYes, "Replace existing files without asking");
    command->callback([args] { RunShapefile(*args); });
}

#undef LUMORA_FIELD

} // namespace

void AddExportCommand(CLI::App& app) {
    CLI::App* command = app.add_subcommand("export", "Write a plot file in an exporter format");
    command->require_subcommand(1);
    AddShapefileCommand(*command);
    AddFormatCommand(*command, "kml", "Write a KML document (passage polygons or shot lines)",
                     TFormat::Kml);
    AddFormatCommand(*command, "vrml", "Write a VRML 2.0 world of passages and shot lines",
                     TFormat::Vrml);
    AddFormatCommand(*command, "dxf", "Write a DXF drawing (plan or profile)", TFormat::Dxf);
    AddGltfCommand(*command);
}

} // namespace lumora::cli
