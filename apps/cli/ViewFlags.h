// The view flags of the commands that draw the viewer's scene offscreen (render, rose, video):
// --size, --yaw, --pitch, --view and --fit, anti-aliasing, the display modes, lights, fog and
// background, and the offscreen drawing itself.
#pragma once

#include "platform/render/GlOverlay.h"
#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"
#include "viewer/Navigation.h"
#include "viewer/lvrender.h"
#include "viewer/lvsset.h"

#include <CLI/CLI.hpp>

#include <QImage>

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>

namespace lumora::cli {

// How the scene looks: the "Display Modes" and "Scene Settings" of the viewer and the type of the
// direct light. Empty texts keep what the viewer starts with.
struct TLookArgs {
    std::string Fill, Shading, Show; // "points", "wire", "solid"; "flat", ...; "outside", ...
    bool Dither = false, Filter = false;
    viewer::TSceneSettings Scene;
    std::string Fog; // "linear", "exp", "exp2"; empty: no fog
    std::string FogColor, Background, BackgroundImage, Light;
};

struct TViewArgs {
    std::string Size = "1024x768";
    double Yaw = 0, Pitch = 0; // degrees
    std::string View;          // "plan", "north", "east", "south", "west" or empty
    bool Fit = false;          // the model's box fills about 90 % of the picture
    int Samples = 4;           // per pixel; 1 draws without anti-aliasing
    TLookArgs Look;
};

// Adds --size, --yaw, --pitch, --view, --fit, --samples and the look flags (--fill, --shading,
// --show, --dither, --filter, --ambient, --background, --background-image, --fog, --fog-start,
// --fog-end, --fog-density, --fog-color, --light); the help shows the defaults.
void AddViewFlags(CLI::App& command, TViewArgs& args);
// A colour given as RRGGBB or #RRGGBB (hexadecimal) as a framework colour 0x00BBGGRR. Throws
// Error naming the flag and the text otherwise.
std::uint32_t ParseColor(const std::string& flag, const std::string& text);
// "WIDTHxHEIGHT", 1 to 16384 pixels each. Throws Error naming the text otherwise.
void ParseSize(const std::string& text, int& width, int& height);
// Throws WriteError "FILE: reason" when fileName cannot be written (before any work is done).
void CheckOutput(const std::string& fileName);

// A headless drawing context of the flags' size and the viewer's scene on a device of that size,
// set up as the viewer sets up a 32-bit screen. The context is made on a second thread while
// the caller builds the model (both take a while); WritePicture waits for it. Throws Error when
// the scene cannot be made, and from WritePicture when there is no EGL context.
class TOffscreenView {
public:
    TOffscreenView(viewer::TViewerScene& scene, const TViewArgs& args);
    ~TOffscreenView();

    // Turns the model as --view, --yaw and --pitch say and fits it with --fit, draws one frame
    // as the viewer's render loop does (with OverlayPicture over it when set) and writes it as a
    // PNG file, whole or not at all. Throws WriteError "FILE: reason".
    void WritePicture(const std::string& fileName);
    // Moves the model once it is turned and fitted, before it is drawn (centring on a station).
    std::function<void()> PlaceModel;
    // The overlays painted over the scene after it is drawn (a null picture: none).
    std::function<QImage()> OverlayPicture;
    // "Wrote FILE (WxH, N triangles, RENDERER)".
    std::string WroteText(const std::string& fileName) const;

    // For frames one after another (video): turns the model as --yaw and --pitch say and makes
    // the context current on this thread. Throws Error when there is no EGL context.
    void BeginFrames();
    // One step of the viewer's render loop: the scene moves once (spins apply), then the frame
    // is drawn. Throws Error when it cannot be drawn.
    void DrawFrame();
    // The frame drawn last, as OpenGL reads it (see HeadlessContext::ReadPixels), into rgba.
    void ReadFrame(std::uint8_t* rgba) const;
    int Width() const { return m_Size.Width; }
    int Height() const { return m_Size.Height; }
    std::string RendererName() const;

private:
    struct TSize {
        int Width = 0, Height = 0;
    };
    static TSize SizeOf(const TViewArgs& args);
    void ApplyLook();

    viewer::TViewerScene& m_Scene;
    TViewArgs m_Args;
    TSize m_Size;
    std::future<std::unique_ptr<render::HeadlessContext>> m_Making;
    std::unique_ptr<render::HeadlessContext> m_Context; // once made; outlives the renderer
    render::GlRenderer m_Renderer;
    render::GlOverlay m_Overlay;
};

} // namespace lumora::cli
