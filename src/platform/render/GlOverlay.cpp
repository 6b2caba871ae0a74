#include "platform/render/GlOverlay.h"

#include "platform/render/GlProgram.h"

#include <epoxy/gl.h>

namespace lumora::render {

struct GlOverlay::Impl {
    GLuint Program = 0, Texture = 0, Vao = 0;
    GLint TextureUniform = -1;
    int Width = 0, Height = 0;
    std::string Error;

    ~Impl() {
        if (Program)
            glDeleteProgram(Program);
        if (Texture)
            glDeleteTextures(1, &Texture);
        if (Vao)
            glDeleteVertexArrays(1, &Vao);
    }

    bool Prepare() {
        if (Program)
            return true;
        if (!Error.empty())
            return false;
        BackgroundProgram overlay;
        if (!BuildOverlayProgram(overlay, Error))
            return false;
        Program = overlay.Id;
        TextureUniform = overlay.Texture;
        glGenTextures(1, &Texture);
        glGenVertexArrays(1, &Vao);
        return true;
    }

    void Upload(const std::uint8_t* pixels, int width, int height) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, Texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        if (width != Width || height != Height) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         pixels);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            Width = width;
            Height = height;
        } else {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                            pixels);
        }
    }
};

GlOverlay::GlOverlay() : m_Impl(std::make_unique<Impl>()) {}

GlOverlay::~GlOverlay() = default;

bool GlOverlay::Draw(const std::uint8_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0)
        return true;
    if (!m_Impl->Prepare())
        return false;
    m_Impl->Upload(pixels, width, height);
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA); // the pixels carry premultiplied alpha
    glUseProgram(m_Impl->Program);
    glUniform1i(m_Impl->TextureUniform, 0);
    glBindVertexArray(m_Impl->Vao);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glUseProgram(0);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    return true;
}

const std::string& GlOverlay::LastError() const {
    return m_Impl->Error;
}

} // namespace lumora::render
