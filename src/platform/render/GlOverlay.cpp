#include "platform/render/GlOverlay.h"

#include <epoxy/gl.h>

namespace lumora::render {

namespace {

constexpr const char* kOverlayVertex = R"(#version 330 core
out vec2 v_TexCoord;
void main() {
    vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    v_TexCoord = vec2(corner.x, 1.0 - corner.y);
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

constexpr const char* kOverlayFragment = R"(#version 330 core
in vec2 v_TexCoord;
uniform sampler2D u_Texture;
out vec4 o_Color;
void main() {
    o_Color = texture(u_Texture, v_TexCoord);
}
)";

GLuint CompileShader(GLenum type, const char* source, std::string& error) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok)
        return shader;
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = std::string("overlay shader compilation failed: ") + log;
    glDeleteShader(shader);
    return 0;
}

} // namespace

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
        const GLuint vs = CompileShader(GL_VERTEX_SHADER, kOverlayVertex, Error);
        const GLuint fs = vs ? CompileShader(GL_FRAGMENT_SHADER, kOverlayFragment, Error) : 0;
        if (!fs) {
            glDeleteShader(vs);
            return false;
        }
        const GLuint program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        glDeleteShader(vs);
        glDeleteShader(fs);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            Error = "overlay program link failed";
            glDeleteProgram(program);
            return false;
        }
        Program = program;
        TextureUniform = glGetUniformLocation(Program, "u_Texture");
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
