#include "platform/render/MultisampleTarget.h"

#include <epoxy/gl.h>

#include <algorithm>

namespace lumora::render {

struct MultisampleTarget::Objects {
    GLuint Framebuffer = 0, Color = 0, Depth = 0;
    int Width = 0, Height = 0, Samples = 0;

    void Release() {
        if (Framebuffer)
            glDeleteFramebuffers(1, &Framebuffer);
        const GLuint buffers[] = {Color, Depth};
        if (Color || Depth)
            glDeleteRenderbuffers(2, buffers);
        *this = Objects{};
    }

    bool Make(int width, int height, int samples) {
        glGenFramebuffers(1, &Framebuffer);
        glGenRenderbuffers(1, &Color);
        glGenRenderbuffers(1, &Depth);
        glBindRenderbuffer(GL_RENDERBUFFER, Color);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, Depth);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width,
                                         height);
        glBindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, Color);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  Depth);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            Release();
            return false;
        }
        Width = width, Height = height, Samples = samples;
        return true;
    }
};

MultisampleTarget::MultisampleTarget() : m_Objects(std::make_unique<Objects>()) {}

MultisampleTarget::~MultisampleTarget() {
    m_Objects->Release();
}

int MultisampleTarget::MaxSamples() {
    GLint most = 1;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    return std::max(1, int(most));
}

bool MultisampleTarget::Bind(int width, int height, int samples) {
    samples = std::min(samples, MaxSamples());
    if (samples <= 1)
        return false;
    Objects& o = *m_Objects;
    if (o.Framebuffer && (o.Width != width || o.Height != height || o.Samples != samples))
        o.Release();
    if (!o.Framebuffer && !o.Make(width, height, samples)) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, o.Framebuffer);
    return true;
}

void MultisampleTarget::Resolve(unsigned target) {
    const Objects& o = *m_Objects;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, o.Framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    glBlitFramebuffer(0, 0, o.Width, o.Height, 0, 0, o.Width, o.Height, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
}

int MultisampleTarget::Samples() const {
    return m_Objects->Samples;
}

} // namespace lumora::render
