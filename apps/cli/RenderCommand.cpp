// lumora render: builds a plot file's cave as the viewer does and writes one picture of it,
// drawn offscreen (no display needed).
#include "CaveBuildCli.h"

#include "platform/Error.h"
#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"

#include "platform/SafeFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdio>
#include <future>
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

// The model turned as the viewer's toolbar turns it: yaw about its own vertical axis, pitch
// about the camera's horizontal axis during one step of the scene. A positive pitch tips the
// cave's top towards the camera, so that 90 looks straight down on the plan, north up and east
// right (the scene's turn about that axis runs the other way, hence the sign).
void TurnModel(const TRenderArgs& args, viewer::TViewerScene& s) {
    if (args.Yaw != 0)
        viewer::RotateLocal(*s.CenterFrame, {0, 1, 0}, args.Yaw);
    if (args.Pitch != 0)
        viewer::RotateAboutCamera(s, *s.CenterFrame, {1, 0, 0}, -args.Pitch, [&s] {
            s.SceneFrame->Move(1.0f);
            return true;
        });
}

// One step of the viewer's render loop: move the scene once, clear, draw, present.
void RenderOnce(viewer::TViewerScene& s, const render::GlRenderer& renderer) {
    s.SceneFrame->Move(1.0f);
    s.Viewport->Clear();
    if (s.Viewport->Render(*s.SceneFrame) != scene::Result::Ok)
        throw Error("The picture could not be drawn: " + renderer.LastError());
    s.Device->Update();
}

// Encodes the picture in memory and writes it whole, so a full disk never leaves a truncated
// picture nor destroys the old one.
void WritePng(const QImage& image, const std::string& fileName) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        throw WriteError(fileName + ": the picture could not be encoded");
    platform::WriteFileContents(fileName, std::string_view(bytes.constData(), bytes.size()));
}

void RunRender(const TRenderArgs& args) {
    if (const auto problem = platform::TargetProblem(args.Output))
        throw WriteError(args.Output + ": " + *problem);
    int width = 0, height = 0;
    ParseSize(args.Size, width, height);
    // The GL context is made on a second thread while the cave is built here (both take a while);
    // the renderer needs it only once it draws.
    std::future<std::unique_ptr<render::HeadlessContext>> making =
        std::async(std::launch::async, [width, height] {
            auto made = std::make_unique<render::HeadlessContext>(width, height);
            made->Release();
            return made;
        });
    std::unique_ptr<render::HeadlessContext> context;
    render::GlRenderer renderer;
    CliUi ui;
    TCliCave cave(ui);
    viewer::TViewerScene& s = cave.Scene;
    if (!scene::Succeeded(viewer::InitScene(s, width, height)))
        throw Error("The viewer's scene could not be made");
    renderer.Install(*s.Device);
    SetUpDevice(s.RMRoot, *s.Device);

    StderrCaveProgress progress(args.Cave.Quiet);
    BuildCave(args.Cave, cave.Cave, progress, ui);
    AddExtras(args, cave, progress, ui);
    TurnModel(args, s);
    context = making.get();
    context->MakeCurrent();
    RenderOnce(s, renderer);
    WritePng(context->ReadImage(), args.Output);
    std::cout << "Wrote " << args.Output << " (" << width << "x" << height << ", "
              << s.Device->GetTrianglesDrawn() << " triangles, " << context->Info().Renderer
              << ")\n";
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
                        "Tilt the model about the camera's horizontal axis (degrees); positive "
                        "brings its top into view: 90 looks down from above, north up, east right");
    command->add_flag("--shots", args->Shots, "Also draw the shot lines (blue)");
    command->add_flag("--stations", args->Stations, "Also draw the station markers (yellow)");
    command->add_flag("--bbox", args->Bbox, "Also draw the bounding box");
    command->callback([args] { RunRender(*args); });
}

} // namespace lumora::cli
