// The OpenGL 3.3 renderer of the retained-mode scene: draws a frame tree through a viewport into
// the framebuffer that is bound, with the device's fill, shading, lighting, culling and
// transparency settings, and keeps the device's triangle count.
#pragma once

#include "platform/scene/Device.h"

#include <memory>
#include <string>

namespace lumora::render {

// What the current GL context says about itself.
struct ContextInfo {
    std::string Vendor;
    std::string Renderer;
    std::string Version;
};

// Reads the strings of the GL context current on this thread.
ContextInfo CurrentContextInfo();

// Every GL call of the renderer needs the context it was first used with to be current: build,
// draw and destroy it with that context current. Meshes are uploaded on first sight and again
// only when their faces, colours, textures, materials, vertices or texture coordinates change;
// resources of meshes that left the scene are freed after the frame that no longer drew them.
class GlRenderer {
public:
    GlRenderer();
    ~GlRenderer();
    GlRenderer(const GlRenderer&) = delete;
    GlRenderer& operator=(const GlRenderer&) = delete;

    // Makes device.Render draw through this renderer. The renderer must outlive the device's
    // use of the hook (or the hook must be replaced first).
    void Install(scene::Device& device);

    // Draws scene (the root frame: background and fog come from it) as the viewport's camera
    // sees it, into the viewport's rectangle of the bound framebuffer, whose height is the
    // device's height. Adds the triangles drawn to the device's count. BadObject without a
    // device or camera; BadValue when the GL program cannot be built (the reason is kept in
    // LastError()).
    scene::Result Draw(scene::Viewport& viewport, scene::Frame& scene);

    // With on, a big mesh's chunks far from the camera are drawn from a coarse copy wherever no
    // surface moves by more than a pixel: a turning view of a big cave keeps its pace. Off (the
    // default) draws every triangle, for pictures that must be exact.
    void SetCoarseFar(bool on);
    // Coarse copies are made after the first picture, within a small time budget of every
    // frame drawn: true while some are still to come.
    bool CoarseCopiesPending() const;

    // Forgets every uploaded mesh and texture, so the next frame uploads them again.
    void InvalidateAll();
    // Number of mesh uploads since the renderer was built (first uploads and re-uploads), and of
    // meshes whose colours alone were sent again (recoloured, nothing else changed).
    std::size_t UploadCount() const;
    std::size_t ColorUploadCount() const;
    const std::string& LastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_Impl;
};

} // namespace lumora::render
