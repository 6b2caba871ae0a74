// A small scene drawn headless for the pixel tests: a root frame with a grey background, an
// ambient and a directional light, a model frame in front of a camera at the origin, and the
// renderer drawing into an offscreen framebuffer.
#pragma once

#include "platform/render/GlRenderer.h"
#include "platform/render/HeadlessContext.h"
#include "platform/scene/Root.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <string>

namespace lumora::test {

// Skips the test, saying why, when the machine has no EGL at all (fails it under CI); any other
// failure to get a context fails the test.
#define LUMORA_REQUIRE_EGL()                                                                       \
    do {                                                                                           \
        std::string reason;                                                                        \
        if (!lumora::render::HeadlessContext::EglAvailable(reason))                                \
            LUMORA_SKIP_OR_FAIL_IN_CI("No EGL on this machine, pixel test skipped: " + reason);    \
    } while (false)

class PixelScene {
public:
    // samples above 1 draw multisampled (anti-aliased).
    explicit PixelScene(int width = 160, int height = 120, int samples = 1);

    // Draws one frame and reads it back.
    QImage Draw();
    // A mesh of the given faces on the model frame; every face is a list of corners.
    scene::MeshBuilderPtr AddMesh(const std::vector<std::vector<scene::Vector>>& faces,
                                  scene::Color color, unsigned quality);
    // An axis-aligned cube of half side h around the model frame's origin, one colour per
    // face, wound clockwise seen from outside.
    scene::MeshBuilderPtr AddCube(float h, scene::Color color);

    render::HeadlessContext Context;
    render::GlRenderer Renderer;
    scene::Root Root;
    scene::DevicePtr Device;
    scene::ViewportPtr Viewport;
    scene::FramePtr Scene, Camera, Model, LightFrame;
    scene::LightPtr Ambient, Direct;
};

// Share of pixels of the image within tolerance of the colour, per channel.
double ShareOfColor(const QImage& image, QRgb color, int tolerance = 40);
// The image's pixel at the centre.
QRgb CentrePixel(const QImage& image);
// The picture "lumora render -q --samples 1 PLOT FLAGS" writes (into dir).
QImage RenderCommandPicture(const TempDir& dir, const std::string& plot, const std::string& flags);
// Writes the image into the test's build folder when it fails, so a person can look.
void KeepImage(const QImage& image, const std::string& name);

inline PixelScene::PixelScene(int width, int height, int samples)
    : Context(width, height, samples) {
    Root.CreateDevice(width, height, Device);
    Renderer.Install(*Device);
    Device->SetQuality(scene::kShadeGouraud | scene::kLightOn | scene::kFillSolid);
    Device->SetRenderMode(3);
    Root.CreateFrame(nullptr, Scene);
    Scene->SetSceneBackground(0xFF404040);
    Root.CreateFrame(Scene, Camera);
    Root.CreateFrame(Scene, Model);
    Model->SetPosition(Scene.get(), 0, 0, 10);
    Root.CreateFrame(Scene, LightFrame);
    LightFrame->SetOrientation(Scene.get(), 0, 0, 1, 0, 1, 0); // shines along +z, at the model
    Root.CreateLightRGB(scene::LightType::Ambient, 0.3f, 0.3f, 0.3f, Ambient);
    Root.CreateLightRGB(scene::LightType::Directional, 0.7f, 0.7f, 0.7f, Direct);
    Scene->AddLight(Ambient);
    LightFrame->AddLight(Direct);
    Root.CreateViewport(Device, Camera, 0, 0, width, height, Viewport);
    Viewport->SetBack(1000);
}

inline QImage PixelScene::Draw() {
    Context.MakeCurrent();
    const scene::Result result = Viewport->Render(*Scene);
    EXPECT_EQ(result, scene::Result::Ok) << Renderer.LastError();
    return Context.ReadImage();
}

inline scene::MeshBuilderPtr
PixelScene::AddMesh(const std::vector<std::vector<scene::Vector>>& faces, scene::Color color,
                    unsigned quality) {
    scene::MeshBuilderPtr mesh;
    Root.CreateMeshBuilder(mesh);
    for (const auto& face : faces)
        mesh->AddFace(face, color);
    mesh->SetQuality(quality);
    Model->AddVisual(mesh);
    return mesh;
}

inline scene::MeshBuilderPtr PixelScene::AddCube(float h, scene::Color color) {
    using V = scene::Vector;
    const std::vector<std::vector<V>> faces{
        {{-h, -h, -h}, {-h, h, -h}, {h, h, -h}, {h, -h, -h}}, // z-
        {{h, -h, h}, {h, h, h}, {-h, h, h}, {-h, -h, h}},     // z+
        {{h, -h, -h}, {h, h, -h}, {h, h, h}, {h, -h, h}},     // x+
        {{-h, h, h}, {-h, h, -h}, {-h, -h, -h}, {-h, -h, h}}, // x-
        {{-h, h, h}, {h, h, h}, {h, h, -h}, {-h, h, -h}},     // y+
        {{-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}}, // y-
    };
    return AddMesh(faces, color, scene::kShadeFlat | scene::kLightOn | scene::kFillSolid);
}

inline double ShareOfColor(const QImage& image, QRgb color, int tolerance) {
    long long hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(color)) <= tolerance &&
                std::abs(qGreen(p) - qGreen(color)) <= tolerance &&
                std::abs(qBlue(p) - qBlue(color)) <= tolerance)
                ++hits;
        }
    return double(hits) / (double(image.width()) * image.height());
}

inline QImage RenderCommandPicture(const TempDir& dir, const std::string& plot,
                                   const std::string& flags) {
    const std::string png = dir.File("view.png");
    const CommandResult run = RunCommand(LumoraCli() + " render -q --samples 1 " +
                                         ShellQuote(plot) + " -o " + ShellQuote(png) + " " + flags);
    EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    return QImage(QString::fromStdString(png));
}

inline QRgb CentrePixel(const QImage& image) {
    return image.pixel(image.width() / 2, image.height() / 2);
}

inline void KeepImage(const QImage& image, const std::string& name) {
    image.save(QString::fromStdString(name + ".png"));
}

} // namespace lumora::test
