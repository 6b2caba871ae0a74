// The cave build of the command line, shared by `lumora render` and `lumora mesh`: the passage
// option flags (those of `lumora passages`), progress on stderr, and the build itself into the
// viewer's scene.
#pragma once

#include "CliUi.h"

#include "platform/Error.h"
#include "survey/PlotReader.h"
#include "survey/SuiteSettings.h"
#include "viewer/ViewerCave.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <map>
#include <string>

namespace lumora::cli {

struct TCaveArgs {
    std::string FileName;
    passage::TPassageOptions Options; // starts from the initial values of the passage options
    bool NoExpand = false;
    bool NoMerge = false;
    bool NoVertical = false;
    bool Quiet = false;
};

// The build's action lines on stderr ("Compressing Data: 2/3").
class StderrCaveProgress : public passage::TCaveProgress {
public:
    explicit StderrCaveProgress(bool quiet) : m_Quiet(quiet) {}
    void SetAction(const std::string& text) override {
        if (!m_Quiet)
            std::cerr << text << '\n';
    }

private:
    bool m_Quiet;
};

// The viewer's scene and navigation, and the cave builder's view of them: the command line draws
// and saves caves exactly as the viewer places them.
struct TCliCave {
    // Creates the frames and lights (no device); ui must outlive the object.
    explicit TCliCave(UiServices& ui) : Cave(Scene, Navigation, ui) {}

    viewer::TViewerScene Scene;
    viewer::TNavigation Navigation;
    viewer::TViewerCave Cave;
};

inline void AddCaveFlags(CLI::App& command, TCaveArgs& args) {
    passage::TPassageOptions& o = args.Options;
    command.add_option("FILE", args.FileName, "Plot file (*.plt, *.plf)")
        ->required()
        ->check(CLI::ExistingFile);
    const std::map<std::string, passage::TPassShape> shapes{
        {"square", passage::TPassShape::Square},
        {"diamond", passage::TPassShape::Diamond},
        {"octagon", passage::TPassShape::Octagon}};
    command.add_option("--shape", o.PassShape, "Cross-section shape (default octagon)")
        ->transform(CLI::CheckedTransformer(shapes, CLI::ignore_case));
    command.add_option("--round", o.RoundDepth, "Rounding passes (default 1)")
        ->check(CLI::IsMember({0, 1, 2}));
    command
        .add_option("--corner", o.CornerThreshold,
                    "Round stations turning by more than DEG degrees (default 20)")
        ->check(CLI::Range(0.0, 180.0));
    command
        .add_option("--substitute", o.SubstituteDiam,
                    "Dimension in feet for stations without any; 0 none (default 2)")
        ->check(CLI::NonNegativeNumber);
    command.add_flag("--no-expand", args.NoExpand,
                     "Do not fill missing dimensions from neighbours");
    command.add_flag("--seal", o.SealEnds, "Close the ends of every traverse");
    command.add_flag("--no-merge", args.NoMerge, "Do not average the rings meeting at a station");
    command.add_flag("--no-vertical", args.NoVertical, "No horizontal rings on steep shots");
    command
        .add_option("--vertical", o.VerticalThreshold,
                    "Inclination in degrees from which a shot is steep (default 50)")
        ->check(CLI::Range(0.0, 90.0));
    command.add_flag("--hidden", o.IncludeHiddenShots, "Also use hidden shots");
    command.add_flag("--metric", o.MetricUnits, "Positions and dimensions in metres");
    command.add_flag("-q,--quiet", args.Quiet, "No progress lines on stderr");
}

// Builds the file's cave into the scene's model frame exactly as the viewer's "Process File"
// does, with the process's survey model, passage options and run state.
inline void BuildCave(const TCaveArgs& args, viewer::TViewerCave& scene,
                      passage::TCaveProgress& progress, CliUi& ui) {
    passage::TPassageOptions& options = passage::PassageOptions();
    options = args.Options;
    options.ExpandWalls = !args.NoExpand;
    options.MergePass = !args.NoMerge;
    options.VerticalPrisms = !args.NoVertical;
    if (options.MetricUnits)
        survey::ReadUnitSettings();
    passage::TCaveBuild build{
        scene, progress, ui, survey::PlotData(), options, passage::PassageRunState()};
    if (!passage::ProcessCaveFile(build, args.FileName))
        throw Error(args.FileName + ": the build was aborted");
}

// The build of the shot lines and station markers on the loaded file.
inline passage::TCaveBuild ShotsBuild(viewer::TViewerCave& scene, passage::TCaveProgress& progress,
                                      CliUi& ui) {
    return {scene,
            progress,
            ui,
            survey::PlotData(),
            passage::PassageOptions(),
            passage::PassageRunState()};
}

} // namespace lumora::cli
