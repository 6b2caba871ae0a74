#include "ViewFlags.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdio>

namespace lumora::cli {

namespace {

// The device the viewer creates on a 32-bit screen.
void SetUpDevice(scene::Root& root, scene::Device& device) {
    device.SetRenderMode(3);
    device.SetShades(256);
    root.SetDefaultTextureColors(64);
    root.SetDefaultTextureShades(256);
    device.SetDither(false);
    device.SetQuality(device.GetQuality() | scene::kShadeGouraud);
}

// The model turned as the viewer's toolbar turns it: yaw about its own vertical axis, pitch
// about the camera's horizontal axis during one step of the scene. A positive pitch tips the
// model's top towards the camera, so that 90 looks straight down on the plan, north up and east
// right (the scene's turn about that axis runs the other way, hence the sign).
void TurnModel(const TViewArgs& args, viewer::TViewerScene& s) {
    if (args.Yaw != 0)
        viewer::RotateLocal(*s.CenterFrame, {0, 1, 0}, args.Yaw);
    if (args.Pitch != 0)
        viewer::RotateAboutCamera(s, *s.CenterFrame, {1, 0, 0}, -args.Pitch, [&s] {
            s.SceneFrame->Move(1.0f);
            return true;
        });
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

std::string Degrees(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

} // namespace

void AddViewFlags(CLI::App& command, TViewArgs& args) {
    command.add_option("--size", args.Size,
                       "Picture size WIDTHxHEIGHT (default " + args.Size + ")");
    command.add_option("--yaw", args.Yaw,
                       "Turn the model about its own vertical axis (degrees, default " +
                           Degrees(args.Yaw) + ")");
    command.add_option("--pitch", args.Pitch,
                       "Tilt the model about the camera's horizontal axis (degrees, default " +
                           Degrees(args.Pitch) +
                           "); positive brings its top into view: 90 looks down from above, "
                           "north up, east right");
}

void ParseSize(const std::string& text, int& width, int& height) {
    char x = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &rest) != 3 ||
        (x != 'x' && x != 'X') || width <= 0 || height <= 0 || width > 16384 || height > 16384)
        throw Error("--size: \"" + text + "\" is not WIDTHxHEIGHT (1 to 16384 pixels each)");
}

void CheckOutput(const std::string& fileName) {
    if (const auto problem = platform::TargetProblem(fileName))
        throw WriteError(fileName + ": " + *problem);
}

TOffscreenView::TSize TOffscreenView::SizeOf(const TViewArgs& args) {
    TSize size;
    ParseSize(args.Size, size.Width, size.Height);
    return size;
}

TOffscreenView::TOffscreenView(viewer::TViewerScene& scene, const TViewArgs& args)
    : m_Scene(scene), m_Args(args), m_Size(SizeOf(args)) {
    m_Making = std::async(std::launch::async, [size = m_Size] {
        auto made = std::make_unique<render::HeadlessContext>(size.Width, size.Height);
        made->Release(); // to be made current on the drawing thread
        return made;
    });
    if (!scene::Succeeded(viewer::InitScene(m_Scene, m_Size.Width, m_Size.Height)))
        throw Error("The viewer's scene could not be made");
    m_Renderer.Install(*m_Scene.Device);
    SetUpDevice(m_Scene.RMRoot, *m_Scene.Device);
}

TOffscreenView::~TOffscreenView() {
    if (m_Making.valid()) {
        try {
            m_Context = m_Making.get();
        } catch (...) {
            return; // no context was made: the renderer holds no GL objects
        }
    }
    if (m_Context)
        m_Context->MakeCurrent(); // the renderer frees its GL objects in it
}

void TOffscreenView::WritePicture(const std::string& fileName) {
    BeginFrames();
    DrawFrame();
    WritePng(m_Context->ReadImage(), fileName);
}

void TOffscreenView::BeginFrames() {
    TurnModel(m_Args, m_Scene);
    if (m_Making.valid())
        m_Context = m_Making.get();
    m_Context->MakeCurrent();
}

void TOffscreenView::DrawFrame() {
    // One step of the viewer's render loop: move the scene once, clear, draw, present.
    m_Scene.SceneFrame->Move(1.0f);
    m_Scene.Viewport->Clear();
    if (m_Scene.Viewport->Render(*m_Scene.SceneFrame) != scene::Result::Ok)
        throw Error("The picture could not be drawn: " + m_Renderer.LastError());
    m_Scene.Device->Update();
    m_Context->Finish(); // drawn to the end: reading it back then only copies
}

void TOffscreenView::ReadFrame(std::uint8_t* rgba) const {
    m_Context->ReadPixels(rgba);
}

std::string TOffscreenView::RendererName() const {
    return m_Context ? m_Context->Info().Renderer : std::string();
}

std::string TOffscreenView::WroteText(const std::string& fileName) const {
    return "Wrote " + fileName + " (" + std::to_string(m_Size.Width) + "x" +
           std::to_string(m_Size.Height) + ", " +
           std::to_string(m_Scene.Device->GetTrianglesDrawn()) + " triangles, " +
           (m_Context ? m_Context->Info().Renderer : std::string()) + ")";
}

} // namespace lumora::cli
