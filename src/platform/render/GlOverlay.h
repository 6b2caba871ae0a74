// A picture laid over the drawn scene: the overlays of the view (compass, scale bar, legend,
// names, marks), painted elsewhere into premultiplied RGBA pixels and blended over the bound
// framebuffer after the scene.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace lumora::render {

// Build, draw and destroy with the GL context current that it was first used with, as the
// renderer.
class GlOverlay {
public:
    GlOverlay();
    ~GlOverlay();
    GlOverlay(const GlOverlay&) = delete;
    GlOverlay& operator=(const GlOverlay&) = delete;

    // Blends width x height premultiplied RGBA pixels (top row first) over the framebuffer's
    // rectangle (0, 0, width, height). False, with the reason in LastError(), when the GL
    // program cannot be built.
    bool Draw(const std::uint8_t* pixels, int width, int height);
    const std::string& LastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_Impl;
};

} // namespace lumora::render
