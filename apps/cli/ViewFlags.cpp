#include "ViewFlags.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "viewer/ViewPresets.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "viewer/lvdevice.h"

#include <cstdio>
#include <iostream>
#include <map>

namespace lumora::cli {

namespace {

template <typename T>
T Choice(const char* flag, const std::string& text, const std::map<std::string, T>& choices) {
    const auto it = choices.find(text);
    if (it == choices.end())
        throw Error(std::string(flag) + ": \"" + text + "\" is not one of the choices");
    return it->second;
}

void AddLookFlags(CLI::App& command, TLookArgs& look) {
    command.add_option("--fill", look.Fill,
                       "Display mesh as points, wire or solid (default solid)");
    command.add_option("--shading", look.Shading,
                       "Shading flat, gouraud or phong (default gouraud)");
    command.add_option("--show", look.Show,
                       "Sides of the faces shown: outside, inside or both (default outside)");
    command.add_flag("--dither", look.Dither, "Dithering on");
    command.add_flag("--filter", look.Filter, "Texture filtering (linear) on");
    command.add_option("--ambient", look.Scene.Ambient, "Ambient light level 0 to 1 (default 0.1)")
        ->check(CLI::Range(0.0, 1.0));
    command.add_option("--background", look.Background,
                       "Background colour RRGGBB (default 404040)");
    command.add_option("--background-image", look.BackgroundImage,
                       "Picture file (BMP, PPM, PNG, JPEG) behind the model");
    command.add_option("--fog", look.Fog, "Fog: linear, exp or exp2 (default none)");
    command.add_option("--fog-start", look.Scene.FogStart, "Linear fog start (default 1)");
    command.add_option("--fog-end", look.Scene.FogEnd, "Linear fog end (default 10)");
    command.add_option("--fog-density", look.Scene.FogDensity,
                       "Exponential fog density (default 1)");
    command.add_option("--fog-color", look.FogColor, "Fog colour RRGGBB (default 000000)");
    command.add_option("--light", look.Light,
                       "Type of the direct light: ambient, point, spot, directional or parallel "
                       "(default directional)");
}

// The display modes of the flags on the device.
void ApplyDisplayFlags(const TLookArgs& look, scene::Device& device) {
    using namespace viewer;
    TDisplayModes modes = ReadDisplayModes(device);
    if (!look.Fill.empty())
        modes.Fill = Choice<TFillMode>("--fill", look.Fill,
                                       {{"points", TFillMode::Points},
                                        {"wire", TFillMode::WireFrame},
                                        {"solid", TFillMode::Solid}});
    if (!look.Shading.empty())
        modes.Shading = Choice<TShadeMode>("--shading", look.Shading,
                                           {{"flat", TShadeMode::Flat},
                                            {"gouraud", TShadeMode::Gouraud},
                                            {"phong", TShadeMode::Phong}});
    if (!look.Show.empty())
        modes.Show = Choice<TShowSides>("--show", look.Show,
                                        {{"outside", TShowSides::Outside},
                                         {"inside", TShowSides::Inside},
                                         {"both", TShowSides::Both}});
    modes.Dithering = look.Dither;
    modes.TextureFiltering = look.Filter;
    ApplyDisplayModes(device, modes);
}

const std::map<std::string, viewer::TViewPreset> kViewNames = {
    {"plan", viewer::TViewPreset::Plan},
    {"north", viewer::TViewPreset::North},
    {"east", viewer::TViewPreset::East},
    {"south", viewer::TViewPreset::South},
    {"west", viewer::TViewPreset::West}};

viewer::TViewPreset ViewPresetOf(const std::string& name) {
    return kViewNames.at(name);
}

// The model turned as the viewer's toolbar turns it: yaw about its own vertical axis, pitch
// about the camera's horizontal axis during one step of the scene. A positive pitch tips the
// model's top towards the camera, so that 90 looks straight down on the plan, north up and east
// right (the scene's turn about that axis runs the other way, hence the sign).
void TurnModel(const TViewArgs& args, viewer::TViewerScene& s) {
    if (!args.View.empty() || args.Fit)
        viewer::StopRotations(s); // as the viewer's view commands stop the spin
    if (!args.View.empty())
        s.CenterFrame->AddTransform(scene::Combine::Replace, viewer::PoseMatrix(viewer::PresetPose(
                                                                 s, viewer::PoseOf(*s.CenterFrame),
                                                                 ViewPresetOf(args.View))));
    if (args.Yaw != 0)
        viewer::RotateLocal(*s.CenterFrame, {0, 1, 0}, args.Yaw);
    if (args.Pitch != 0)
        viewer::RotateAboutCamera(s, *s.CenterFrame, {1, 0, 0}, -args.Pitch, [&s] {
            s.SceneFrame->Move(1.0f);
            return true;
        });
    if (args.Fit)
        s.CenterFrame->AddTransform(
            scene::Combine::Replace,
            viewer::PoseMatrix(viewer::FitPose(s, viewer::PoseOf(*s.CenterFrame))));
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
    command
        .add_option("--view", args.View,
                    "Start from a preset view: plan (from above, north up) or a profile "
                    "facing north, east, south or west; --yaw and --pitch turn from there")
        ->check(CLI::IsMember({"plan", "north", "east", "south", "west"}));
    command.add_flag("--fit", args.Fit,
                     "Scale and centre the model so that its box fills about 90 % of the picture");
    command
        .add_option("--samples", args.Samples,
                    "Samples per pixel for anti-aliasing (default " + std::to_string(args.Samples) +
                        "; 1 draws without)")
        ->check(CLI::Range(1, 64));
    AddLookFlags(command, args.Look);
}

std::uint32_t ParseColor(const std::string& flag, const std::string& text) {
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    unsigned value = 0;
    char rest = 0;
    if (digits.size() != 6 || std::sscanf(digits.c_str(), "%6x%c", &value, &rest) != 1)
        throw Error(flag + ": \"" + text + "\" is not a colour RRGGBB");
    const unsigned r = value >> 16, g = (value >> 8) & 0xFF, b = value & 0xFF;
    return r | g << 8 | b << 16;
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
    m_Making = std::async(std::launch::async, [size = m_Size, samples = args.Samples] {
        auto made = std::make_unique<render::HeadlessContext>(size.Width, size.Height, samples);
        made->Release(); // to be made current on the drawing thread
        return made;
    });
    if (!scene::Succeeded(viewer::InitScene(m_Scene, m_Size.Width, m_Size.Height)))
        throw Error("The viewer's scene could not be made");
    m_Renderer.Install(*m_Scene.Device);
    viewer::ApplyDepthSettings(m_Scene, 32);
    ApplyLook();
}

void TOffscreenView::ApplyLook() {
    using namespace viewer;
    const TLookArgs& look = m_Args.Look;
    ApplyDisplayFlags(look, *m_Scene.Device);
    TSceneSettings settings = look.Scene;
    settings.FogEnable = !look.Fog.empty();
    if (settings.FogEnable)
        settings.FogMode = Choice<scene::FogMode>("--fog", look.Fog,
                                                  {{"linear", scene::FogMode::Linear},
                                                   {"exp", scene::FogMode::Exponential},
                                                   {"exp2", scene::FogMode::ExponentialSquared}});
    ApplySceneSettings(m_Scene, settings);
    if (!look.FogColor.empty())
        SetFogColor(m_Scene, ParseColor("--fog-color", look.FogColor));
    if (!look.Background.empty())
        m_Scene.BackgroundColor = ParseColor("--background", look.Background);
    SetBackgroundColor(m_Scene, m_Scene.BackgroundColor);
    if (!look.BackgroundImage.empty()) {
        scene::TexturePtr picture;
        std::string reason;
        const scene::Result loaded =
            m_Scene.RMRoot.LoadTexture(look.BackgroundImage, picture, &reason);
        if (!scene::Succeeded(loaded))
            throw Error(FileFailureText(look.BackgroundImage, loaded, reason));
        m_Scene.SceneFrame->SetSceneBackgroundImage(picture);
    }
    if (!look.Light.empty())
        SetLightType(
            *m_Scene.DirectLight,
            Choice<int>(
                "--light", look.Light,
                {{"ambient", 0}, {"point", 1}, {"spot", 2}, {"directional", 3}, {"parallel", 4}}));
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
    if (PlaceModel)
        PlaceModel();
    if (m_Making.valid()) {
        m_Context = m_Making.get();
        if (m_Context->Samples() < m_Args.Samples)
            std::cerr << "lumora: this OpenGL driver cannot draw " << m_Args.Samples
                      << " samples per pixel; drawn with " << m_Context->Samples() << "\n";
    }
    m_Context->MakeCurrent();
}

void TOffscreenView::DrawFrame() {
    // One step of the viewer's render loop: move the scene once, clear, draw, present.
    m_Scene.SceneFrame->Move(1.0f);
    m_Scene.Viewport->Clear();
    if (m_Scene.Viewport->Render(*m_Scene.SceneFrame) != scene::Result::Ok)
        throw Error("The picture could not be drawn: " + m_Renderer.LastError());
    m_Scene.Device->Update();
    if (OverlayPicture) {
        const QImage overlay = OverlayPicture();
        if (!overlay.isNull() &&
            !m_Overlay.Draw(overlay.constBits(), overlay.width(), overlay.height()))
            throw Error("The overlays could not be drawn: " + m_Overlay.LastError());
    }
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
