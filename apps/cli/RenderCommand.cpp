// lumora render: builds a plot file's cave as the viewer does and writes one picture of it,
// drawn offscreen (no display needed).
#include "CaveBuildCli.h"
#include "ViewFlags.h"

#include "platform/Error.h"

#include <iostream>
#include <memory>

namespace lumora::cli {

namespace {

struct TRenderArgs {
    TCaveArgs Cave;
    std::string Output;
    TViewArgs View;
    bool Shots = false, Stations = false, Bbox = false;
};

void AddExtras(const TRenderArgs& args, TCliCave& cave, passage::TCaveProgress& progress,
               CliUi& ui) {
    passage::TCaveBuild build = ShotsBuild(cave.Cave, progress, ui);
    if (args.Shots)
        passage::BuildShotLines(build);
    if (args.Stations)
        passage::BuildStationMarkers(build);
    if (args.Bbox && !scene::Succeeded(viewer::BuildBoundingBox(cave.Scene)))
        throw Error("The bounding box could not be made");
}

void RunRender(const TRenderArgs& args) {
    CheckOutput(args.Output);
    CliUi ui;
    TCliCave cave(ui);
    TOffscreenView view(cave.Scene, args.View);
    StderrCaveProgress progress(args.Cave.Quiet);
    BuildCave(args.Cave, cave.Cave, progress, ui);
    AddExtras(args, cave, progress, ui);
    view.WritePicture(args.Output);
    std::cout << view.WroteText(args.Output) << '\n';
}

} // namespace

void AddRenderCommand(CLI::App& app) {
    auto args = std::make_shared<TRenderArgs>();
    CLI::App* command = app.add_subcommand(
        "render", "Build a plot file's cave as the viewer does and write a PNG picture of it");
    AddCaveFlags(*command, args->Cave);
    command->add_option("-o,--output", args->Output, "PNG file to write")->required();
    AddViewFlags(*command, args->View);
    command->add_flag("--shots", args->Shots, "Also draw the shot lines (blue)");
    command->add_flag("--stations", args->Stations, "Also draw the station markers (yellow)");
    command->add_flag("--bbox", args->Bbox, "Also draw the bounding box");
    command->callback([args] { RunRender(*args); });
}

} // namespace lumora::cli
