// An offscreen multisampled framebuffer the scene is drawn into, resolved afterwards into the
// framebuffer that shows it: anti-aliased edges where the driver can draw them.
#pragma once

#include <memory>

namespace lumora::render {

class MultisampleTarget {
public:
    MultisampleTarget();
    // Frees the GL objects: the context it was used with must be current.
    ~MultisampleTarget();
    MultisampleTarget(const MultisampleTarget&) = delete;
    MultisampleTarget& operator=(const MultisampleTarget&) = delete;

    // The most samples the current context can draw with (1 when it cannot multisample).
    static int MaxSamples();
    // Binds a width x height framebuffer of samples samples (at most MaxSamples), made again only
    // when the size or the count changes. False, binding nothing, when samples is 1 or less or
    // the driver cannot make it: the caller then draws into its own framebuffer.
    bool Bind(int width, int height, int samples);
    // Copies the picture, each pixel the average of its samples, into the framebuffer target
    // (GL name; 0 is the window's) and binds target for drawing.
    void Resolve(unsigned target);
    // Samples of the bound framebuffer; 0 before a successful Bind.
    int Samples() const;

private:
    struct Objects;
    std::unique_ptr<Objects> m_Objects;
};

} // namespace lumora::render
