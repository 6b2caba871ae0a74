// The view flags of the commands that draw the viewer's scene offscreen (render, rose, video):
// --size, --yaw and --pitch, and the offscreen drawing itself.
#pragma once

#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"
#include "viewer/Navigation.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <future>
#include <memory>
#include <string>

namespace lumora::cli {

struct TViewArgs {
    std::string Size = "1024x768";
    double Yaw = 0, Pitch = 0; // degrees
};

// Adds --size, --yaw and --pitch; the help shows the values args holds as the defaults.
void AddViewFlags(CLI::App& command, TViewArgs& args);
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

    // Turns the model as --yaw and --pitch say, draws one frame as the viewer's render loop does
    // and writes it as a PNG file, whole or not at all. Throws WriteError "FILE: reason".
    void WritePicture(const std::string& fileName);
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

    viewer::TViewerScene& m_Scene;
    TViewArgs m_Args;
    TSize m_Size;
    std::future<std::unique_ptr<render::HeadlessContext>> m_Making;
    std::unique_ptr<render::HeadlessContext> m_Context; // once made; outlives the renderer
    render::GlRenderer m_Renderer;
};

} // namespace lumora::cli
