// lumora mesh: builds a plot file's cave as the viewer does and saves the model as a .x mesh
// file, as the viewer's "Save As X File..." writes it.
#include "CaveBuildCli.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/scene/MeshFileWriter.h"

#include <memory>

namespace lumora::cli {

namespace {

struct TMeshArgs {
    TCaveArgs Cave;
    std::string Output;
    bool Binary = false;
};

void RunMesh(const TMeshArgs& args) {
    if (const auto problem = platform::TargetProblem(args.Output))
        throw WriteError(args.Output + ": " + *problem);
    CliUi ui;
    TCliCave cave(ui);
    if (!scene::Succeeded(viewer::CreateScene(cave.Scene)))
        throw Error("The viewer's scene could not be made");
    StderrCaveProgress progress(args.Cave.Quiet);
    BuildCave(args.Cave, cave.Cave, progress, ui);
    const scene::Frame& model = *cave.Scene.CenterFrame;
    std::string reason;
    const scene::Result result =
        scene::WriteMeshFile(model, args.Output, !args.Binary, {}, &reason);
    if (result != scene::Result::Ok)
        throw WriteError(
            !reason.empty() ? reason : args.Output + ": " + std::string(scene::ResultText(result)));
    std::size_t faces = 0, vertices = 0;
    passage::CountFacesAndVertices(model, faces, vertices);
    std::cout << "Wrote " << args.Output << " (" << (args.Binary ? "binary" : "text") << ", "
              << model.GetVisuals().size() << " meshes, " << faces << " faces, " << vertices
              << " vertices)\n";
}

} // namespace

void AddMeshCommand(CLI::App& app) {
    auto args = std::make_shared<TMeshArgs>();
    CLI::App* command = app.add_subcommand(
        "mesh", "Build a plot file's cave as the viewer does and save it as a .x mesh file");
    AddCaveFlags(*command, args->Cave);
    command->add_option("-o,--output", args->Output, ".x file to write")->required();
    command->add_flag("--binary", args->Binary, "Write the binary form (default text)");
    command->callback([args] { RunMesh(*args); });
}

} // namespace lumora::cli
