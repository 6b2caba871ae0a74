// lumora render: builds a plot file's cave as the viewer does and writes one picture of it,
// drawn offscreen (no display needed).
#include "CaveBuildCli.h"

#include "platform/Error.h"
#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"

#include <QImage>

#include <cstdio>
#include <memory>

namespace lumora::cli {

namespace {

struct TRenderArgs {
    TCaveArgs Cave;
    std::string Output;
    std::string Size = "1024x768";
    double Yaw = 0, Pitch = 0;
    bool Shots = false, Stations = false, Bbox = false;
};

void ParseSize(const std::string& text, int& width, int& height) {
    char x = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &rest) != 3 ||
        (x != 'x' && x != 'X') || width <= 0 || height <= 0 || width > 16384 || height > 16384)
        throw Error("--size: \"" + text + "\" is not WIDTHxHEIGHT (1 to 16384 pixels each)");
}

// The device the viewer creates on a 32-bit screen.
void SetUpDevice(scene::Root& root, scene::Device& device) {
    device.SetRenderMode(3);
    device.SetShades(256);
    root.SetDefaultTextureColors(64);
    root.SetDefaultTextureShades(256);
    device.SetDither(false);
    device.SetQuality(device.GetQuality() | scene::kShadeGouraud);
}

void AddExtras(const TRenderArgs& args, passage::TCaveScene& cave, passage::TCaveProgress& progress,
               CliUi& ui) {
    passage::TCaveBuild build = ShotsBuild(cave, progress, ui);
    if (args.Shots)
        passage::BuildShotLines(build);
    if (args.Stations)
        passage::BuildStationMarkers(build);
    if (args.Bbox)
        cave.BuildBoundingBox();
}

// One step of the viewer's render loop: move the scene once, clear, draw, present.
void RenderOnce(passage::TCaveScene& cave, scene::Viewport& viewport, scene::Device& device,
                const render::GlRenderer& renderer) {
    cave.SceneFrame->Move(1.0f);
    viewport.Clear();
    if (viewport.Render(*cave.SceneFrame) != scene::Result::Ok)
        throw Error("The picture could not be drawn: " + renderer.LastError());
    device.Update();
}

void RunRender(const TRenderArgs& args) {
    int width = 0, height = 0;
    ParseSize(args.Size, width, height);
    render::HeadlessContext context(width, height);
    render::GlRenderer renderer;
    scene::Root root;
    scene::DevicePtr device;
    root.CreateDevice(width, height, device);
    renderer.Install(*device);
    SetUpDevice(root, *device);
    passage::TCaveScene cave(root);
    scene::ViewportPtr viewport;
    root.CreateViewport(device, cave.CameraFrame, 0, 0, width, height, viewport);
    viewport->SetBack(200000);

    StderrCaveProgress progress(args.Cave.Quiet);
    CliUi ui;
    BuildCave(args.Cave, cave, progress, ui);
    AddExtras(args, cave, progress, ui);
    if (args.Yaw != 0)
        cave.RotateLocal({0, 1, 0}, args.Yaw);
    if (args.Pitch != 0)
        cave.RotateAboutCamera({1, 0, 0}, args.Pitch);
    context.MakeCurrent();
    RenderOnce(cave, *viewport, *device, renderer);
    const QImage image = context.ReadImage();
    if (!image.save(QString::fromStdString(args.Output), "PNG"))
        throw WriteError(args.Output + ": the picture could not be written");
    std::cout << "Wrote " << args.Output << " (" << width << "x" << height << ", "
              << device->GetTrianglesDrawn() << " triangles, " << context.Info().Renderer << ")\n";
}

} // namespace

void AddRenderCommand(CLI::App& app) {
    auto args = std::make_shared<TRenderArgs>();
    CLI::App* command = app.add_subcommand(
        "render", "Build a plot file's cave as the viewer does and write a PNG picture of it");
    AddCaveFlags(*command, args->Cave);
    command->add_option("-o,--output", args->Output, "PNG file to write")->required();
    command->add_option("--size", args->Size, "Picture size WIDTHxHEIGHT (default 1024x768)");
    command->add_option("--yaw", args->Yaw, "Turn the model about its own vertical axis (degrees)");
    command->add_option("--pitch", args->Pitch,
                        "Tilt the model about the camera's horizontal axis (degrees)");
    command->add_flag("--shots", args->Shots, "Also draw the shot lines (blue)");
    command->add_flag("--stations", args->Stations, "Also draw the station markers (yellow)");
    command->add_flag("--bbox", args->Bbox, "Also draw the bounding box");
    command->callback([args] { RunRender(*args); });
}

} // namespace lumora::cli
