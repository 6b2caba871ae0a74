// lumora render: builds a plot file's cave as the viewer does and writes one picture of it,
// drawn offscreen (no display needed).
#include "CaveBuildCli.h"
#include "DepthFlags.h"
#include "OverlayFlags.h"
#include "ViewFlags.h"

#include "platform/Error.h"
#include "viewer/lvmaterl.h"
#include "viewer/lvsset.h"

#include <cstdio>

#include <iostream>
#include <memory>
#include <optional>

namespace lumora::cli {

namespace {

struct TRenderArgs {
    TCaveArgs Cave;
    std::string Output;
    TViewArgs View;
    bool Shots = false, Stations = false, Bbox = false;
    TOverlayArgs Overlays;
    TDepthArgs Depth;
    // "Materials Settings" for every mesh of the model, when any of its flags is given.
    viewer::TMaterialSettings Material;
    std::string Emissive, Specular;
    bool MaterialGiven = false;
    int Shadows = 0;
};

// "R,G,B" with each part 0 to 1 into rgb.
void ParseRgb(const char* flag, const std::string& text, double rgb[3]) {
    char rest = 0;
    double r, g, b;
    if (std::sscanf(text.c_str(), "%lf,%lf,%lf%c", &r, &g, &b, &rest) != 3 || r < 0 || r > 1 ||
        g < 0 || g > 1 || b < 0 || b > 1)
        throw Error(std::string(flag) + ": \"" + text + "\" is not R,G,B with each 0 to 1");
    rgb[0] = r, rgb[1] = g, rgb[2] = b;
}

// The materials on every mesh builder of the model, then the shadows: what "Set Materials" on
// each mesh and "S&hadow" pressed that many times would do.
void DressModel(TRenderArgs& args, viewer::TViewerScene& s, CliUi& ui) {
    if (!args.Emissive.empty())
        ParseRgb("--emissive", args.Emissive, args.Material.Emissive);
    if (!args.Specular.empty())
        ParseRgb("--specular", args.Specular, args.Material.Specular);
    if (args.MaterialGiven || !args.Emissive.empty() || !args.Specular.empty())
        for (const scene::VisualPtr& visual : s.CenterFrame->GetVisuals())
            if (auto* mesh = dynamic_cast<scene::MeshBuilder*>(visual.get()))
                if (!viewer::SetMaterials(s, ui, *mesh, args.Material))
                    throw Error("The material could not be set");
    for (int i = 0; i < args.Shadows; ++i)
        if (!scene::Succeeded(viewer::AddShadow(s)))
            throw Error("The shadow could not be made");
}

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

void RunRender(TRenderArgs& args) {
    CheckOutput(args.Output);
    CliUi ui;
    TCliCave cave(ui);
    TOffscreenView view(cave.Scene, args.View);
    StderrCaveProgress progress(args.Cave.Quiet);
    BuildCave(args.Cave, cave.Cave, progress, ui);
    AddExtras(args, cave, progress, ui);
    const std::optional<analysis::TColorBar> bar = ApplyDepthFlags(args.Depth, cave.Scene, ui);
    std::unique_ptr<TCliOverlays> overlays;
    if (TCliOverlays::Wanted(args.Overlays))
        overlays = std::make_unique<TCliOverlays>(args.Overlays, cave.Scene, view, std::cout);
    if (overlays && bar)
        overlays->ShowDepthBar(*bar);
    DressModel(args, cave.Scene, ui);
    view.WritePicture(args.Output);
    std::cout << view.WroteText(args.Output) << '\n';
}

void AddMaterialFlags(CLI::App& command, TRenderArgs& args) {
    auto given = [&args](auto) { args.MaterialGiven = true; };
    command
        .add_option("--transparency", args.Material.Transparency,
                    "Transparency of every face in percent, 0 to 100 (default 0); drawn "
                    "blended and sorted")
        ->check(CLI::Range(0, 100))
        ->each(given);
    command.add_option("--emissive", args.Emissive,
                       "Emissive colour R,G,B, each 0 to 1 (default 0,0,0)");
    command.add_option("--specular", args.Specular,
                       "Specular (reflection) colour R,G,B, each 0 to 1 (default 1,1,1)");
    command
        .add_option("--power", args.Material.Power,
                    "Specular power 0 to 1000000 (default 0: no highlight)")
        ->check(CLI::Range(0.0, viewer::TMaterialSettings::kMaxPower))
        ->each(given);
    command
        .add_option("--shadow", args.Shadows,
                    "Shadows of the model cast by the direct light onto the plane below it "
                    "(default 0)")
        ->check(CLI::Range(0, 100));
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
    AddOverlayFlags(*command, args->Overlays);
    AddDepthFlags(*command, args->Depth, /*rock=*/true);
    AddMaterialFlags(*command, *args);
    command->callback([args] { RunRender(*args); });
}

} // namespace lumora::cli
