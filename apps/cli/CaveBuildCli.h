// The cave build of the command line, shared by `lumora render` and `lumora mesh`: the passage
// option flags (those of `lumora passages`), progress on stderr, and the build itself into the
// viewer's scene.
#pragma once

#include "CliUi.h"
#include "PassageFlags.h"

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
    TWallFlags Walls; // over the initial values of the passage options
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
    command.add_option("FILE", args.FileName, "Plot file (*.plt, *.plf)")
        ->required()
        ->check(CLI::ExistingFile);
    args.Walls.Add(command, ChoicesOf(passage::TPassageOptions{}));
    AddQuietFlag(command, args.Quiet);
}

// Builds the file's cave into the scene's model frame exactly as the viewer's "Process File"
// does, with the process's survey model, passage options and run state.
inline void BuildCave(const TCaveArgs& args, viewer::TViewerCave& scene,
                      passage::TCaveProgress& progress, CliUi& ui) {
    passage::TPassageOptions& options = passage::PassageOptions();
    options = passage::TPassageOptions{};
    TWallChoices choices = ChoicesOf(options);
    args.Walls.ApplyGiven(choices);
    StoreChoices(choices, options);
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
