// lumora export gltf: builds a plot file's cave as the viewer does and writes it as a glTF 2.0
// file (binary .glb, or .gltf with its buffer embedded), with the shot lines and station markers
// when asked: what the viewer's "Save As glTF..." writes.
#include "CaveBuildCli.h"
#include "Commands.h"
#include "DepthFlags.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/scene/GltfWriter.h"
#include "viewer/GltfSave.h"

#include <filesystem>
#include <memory>

namespace lumora::cli {

namespace {

struct TGltfArgs {
    TCaveArgs Cave;
    std::string Output; // empty: the plot file's name with .glb, here
    bool Shots = false, Stations = false;
    TDepthArgs Depth;
};

void RunGltf(const TGltfArgs& args) {
    const std::string output = args.Output.empty() ? std::filesystem::path(args.Cave.FileName)
                                                         .filename()
                                                         .replace_extension(".glb")
                                                         .string()
                                                   : args.Output;
    if (const auto problem = platform::TargetProblem(output))
        throw WriteError(output + ": " + *problem);
    CliUi ui;
    TCliCave cave(ui);
    if (!scene::Succeeded(viewer::CreateScene(cave.Scene)))
        throw Error("The viewer's scene could not be made");
    StderrCaveProgress progress(args.Cave.Quiet);
    BuildCave(args.Cave, cave.Cave, progress, ui);
    passage::TCaveBuild extras = ShotsBuild(cave.Cave, progress, ui);
    if (args.Shots)
        passage::BuildShotLines(extras);
    if (args.Stations)
        passage::BuildStationMarkers(extras);
    ApplyDepthFlags(args.Depth, cave.Scene, ui);
    const scene::Frame& model = *cave.Scene.CenterFrame;
    const bool binary = !scene::IsGltfTextPath(output);
    const scene::GltfOptions options =
        viewer::ModelGltfOptions(model, survey::PlotData(), passage::PassageOptions(), binary);
    std::string reason;
    scene::GltfCounts counts;
    if (!scene::Succeeded(scene::WriteGltfFile(model, output, options, &reason, &counts)))
        throw WriteError(!reason.empty() ? reason : output + ": the file could not be written");
    std::cout << "Wrote " << output << " (" << (binary ? "binary" : "text") << ", " << counts.Nodes
              << " meshes, " << counts.Triangles << " triangles, " << counts.Lines << " lines, "
              << counts.Vertices << " vertices, metres, centre in the asset's extras)\n";
}

} // namespace

void AddGltfCommand(CLI::App& exportCommand) {
    auto args = std::make_shared<TGltfArgs>();
    CLI::App* command = exportCommand.add_subcommand(
        "gltf", "Write the cave as a glTF 2.0 file (.glb, or .gltf with its buffer embedded), as "
                "the viewer builds it");
    AddCaveFlags(*command, args->Cave);
    command->add_option("-o,--output", args->Output,
                        "Output file: .glb (binary) or .gltf (JSON) (default: the plot file's "
                        "name with .glb in the current folder)");
    command->add_flag("--shots", args->Shots, "Also write the shot lines (as lines)");
    command->add_flag("--stations", args->Stations, "Also write the station markers");
    AddDepthFlags(*command, args->Depth, /*rock=*/false);
    command->callback([args] { RunGltf(*args); });
}

} // namespace lumora::cli
