#include "platform/render/HeadlessContext.h"

#include "platform/Error.h"
#include "platform/render/MultisampleTarget.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace lumora::render {

namespace {

// The surfaceless display is opened once per process and kept: terminating it would pull the
// ground from under other contexts of the process.
struct DisplayState {
    EGLDisplay Display = EGL_NO_DISPLAY;
    std::string Failure;
};

std::string Hex(EGLint code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(code));
    return text;
}

DisplayState OpenDisplay() {
    DisplayState state;
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        state.Failure = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
        return state;
    }
    EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        state.Failure = "the surfaceless EGL display cannot be initialised (EGL error " +
                        Hex(eglGetError()) + ")";
        return state;
    }
    state.Display = display;
    return state;
}

const DisplayState& Display() {
    static std::once_flag once;
    static DisplayState state;
    std::call_once(once, [] {
        // libepoxy aborts the process when libEGL itself is missing; look for it first.
        if (!epoxy_has_egl()) {
            state.Failure = "no EGL library on this machine";
            return;
        }
        state = OpenDisplay();
    });
    return state;
}

} // namespace

struct HeadlessContext::Handles {
    EGLDisplay Display = EGL_NO_DISPLAY;
    EGLContext Context = EGL_NO_CONTEXT;
    GLuint Framebuffer = 0, Color = 0, Depth = 0;
    std::unique_ptr<MultisampleTarget> Sampled; // drawn into first when multisampled
};

bool HeadlessContext::EglAvailable(std::string& reason) {
    reason = Display().Failure;
    return reason.empty();
}

HeadlessContext::HeadlessContext(int width, int height, int samples)
    : m_Handles(std::make_unique<Handles>()), m_Width(width), m_Height(height) {
    if (width <= 0 || height <= 0)
        throw Error("Offscreen picture size must be positive, not " + std::to_string(width) + "x" +
                    std::to_string(height));
    const DisplayState& display = Display();
    if (!display.Failure.empty())
        throw Error("No headless GL context: " + display.Failure);
    Handles& h = *m_Handles;
    h.Display = display.Display;
    if (!eglBindAPI(EGL_OPENGL_API))
        throw Error("No headless GL context: EGL offers no desktop OpenGL");
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 3,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    h.Context = eglCreateContext(h.Display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (h.Context == EGL_NO_CONTEXT)
        throw Error("No headless GL context: OpenGL 3.3 core cannot be created (EGL error " +
                    Hex(eglGetError()) + ")");
    if (!eglMakeCurrent(h.Display, EGL_NO_SURFACE, EGL_NO_SURFACE, h.Context)) {
        eglDestroyContext(h.Display, h.Context);
        throw Error("No headless GL context: it cannot be made current (EGL error " +
                    Hex(eglGetError()) + ")");
    }
    glGenFramebuffers(1, &h.Framebuffer);
    glGenRenderbuffers(1, &h.Color);
    glGenRenderbuffers(1, &h.Depth);
    glBindRenderbuffer(GL_RENDERBUFFER, h.Color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, h.Depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, h.Framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, h.Color);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              h.Depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        eglMakeCurrent(h.Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(h.Display, h.Context);
        throw Error("No headless GL context: the offscreen framebuffer of " +
                    std::to_string(width) + "x" + std::to_string(height) + " is incomplete");
    }
    m_Info = CurrentContextInfo();
    if (samples > 1) {
        h.Sampled = std::make_unique<MultisampleTarget>();
        if (h.Sampled->Bind(width, height, samples))
            m_Samples = h.Sampled->Samples();
        else
            h.Sampled.reset();
    }
    MakeCurrent();
}

HeadlessContext::~HeadlessContext() {
    Handles& h = *m_Handles;
    if (eglGetCurrentContext() != h.Context)
        eglMakeCurrent(h.Display, EGL_NO_SURFACE, EGL_NO_SURFACE, h.Context);
    h.Sampled.reset();
    glDeleteFramebuffers(1, &h.Framebuffer);
    const GLuint buffers[] = {h.Color, h.Depth};
    glDeleteRenderbuffers(2, buffers);
    eglMakeCurrent(h.Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(h.Display, h.Context);
}

void HeadlessContext::Release() {
    eglMakeCurrent(m_Handles->Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void HeadlessContext::MakeCurrent() {
    Handles& h = *m_Handles;
    eglMakeCurrent(h.Display, EGL_NO_SURFACE, EGL_NO_SURFACE, h.Context);
    if (!h.Sampled || !h.Sampled->Bind(m_Width, m_Height, m_Samples))
        glBindFramebuffer(GL_FRAMEBUFFER, h.Framebuffer);
}

void HeadlessContext::Finish() const {
    glFinish();
}

QImage HeadlessContext::ReadImage() const {
    if (m_Handles->Sampled)
        m_Handles->Sampled->Resolve(m_Handles->Framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Handles->Framebuffer);
    std::vector<unsigned char> pixels(std::size_t(m_Width) * m_Height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, m_Width, m_Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    QImage image(m_Width, m_Height, QImage::Format_RGBA8888);
    const std::size_t row = std::size_t(m_Width) * 4;
    for (int y = 0; y < m_Height; ++y) // GL's first row is the bottom one
        std::memcpy(image.scanLine(y), pixels.data() + row * std::size_t(m_Height - 1 - y), row);
    if (m_Handles->Sampled) // further drawing goes to the multisampled buffer again
        m_Handles->Sampled->Bind(m_Width, m_Height, m_Samples);
    return image.convertToFormat(QImage::Format_RGB32);
}

void HeadlessContext::ReadPixels(std::uint8_t* rgba) const {
    if (m_Handles->Sampled)
        m_Handles->Sampled->Resolve(m_Handles->Framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Handles->Framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, m_Width, m_Height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    // The next frame of a sequence is drawn multisampled again.
    if (m_Handles->Sampled)
        m_Handles->Sampled->Bind(m_Width, m_Height, m_Samples);
}

} // namespace lumora::render
