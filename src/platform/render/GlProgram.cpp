#include "platform/render/GlProgram.h"

namespace lumora::render {

namespace {

// Matrices hold the scene's row-vector transforms as they are (rows first); GLSL reads them as
// columns, so "M * v" applies the scene transform to a row vector.
constexpr const char* kCommon = R"(#version 330 core
#define MAX_LIGHTS 8
uniform vec3 u_Ambient;
uniform int u_LightCount;
uniform vec4 u_LightPos[MAX_LIGHTS];   // xyz position, w light type (1 point, 2 spot, 3 parallel)
uniform vec4 u_LightDir[MAX_LIGHTS];   // xyz unit direction the light shines along
uniform vec3 u_LightColor[MAX_LIGHTS];
uniform vec3 u_CameraPos;
uniform float u_Power;
uniform bool u_HasSpecular;

// Diffuse and specular light reaching a surface point p with unit normal n (world axes).
void Light(vec3 p, vec3 n, out vec3 diffuse, out vec3 specular) {
    diffuse = u_Ambient;
    specular = vec3(0.0);
    vec3 toEye = normalize(u_CameraPos - p);
    for (int i = 0; i < u_LightCount; ++i) {
        int type = int(u_LightPos[i].w + 0.5);
        vec3 l;
        float strength = 1.0;
        if (type == 3) {
            l = -u_LightDir[i].xyz;
        } else {
            l = normalize(u_LightPos[i].xyz - p);
            if (type == 2)
                strength = smoothstep(cos(0.5), cos(0.4), dot(-l, u_LightDir[i].xyz));
        }
        float d = max(dot(n, l), 0.0) * strength;
        diffuse += u_LightColor[i] * d;
        if (u_HasSpecular && d > 0.0) {
            vec3 h = normalize(l + toEye);
            specular += u_LightColor[i] * pow(max(dot(n, h), 0.0), u_Power) * strength;
        }
    }
}
)";

constexpr const char* kSceneVertex = R"(
layout(location = 0) in vec3 a_Position;
layout(location = 1) in vec4 a_Normal;
layout(location = 2) in vec4 a_Color;
layout(location = 3) in vec2 a_TexCoord;
uniform mat4 u_Model;
uniform mat4 u_ViewProj;
uniform mat4 u_View;
uniform mat3 u_NormalMat;
uniform int u_Shade;   // 0 flat, 1 Gouraud, 2 per pixel
uniform bool u_Lit;
uniform bool u_Shadow;
uniform vec4 u_ShadowPlane;
uniform vec4 u_ShadowLight;
out vec3 v_World;
out vec3 v_Normal;
// A face's colour is its own: taken from the last corner of each triangle, not blended.
flat out vec4 v_Color;
out vec2 v_TexCoord;
out vec3 v_Diffuse;
out vec3 v_Specular;
out float v_Depth;
void main() {
    vec4 world = u_Model * vec4(a_Position, 1.0);
    if (u_Shadow) {
        // Flattens the point onto the plane along the ray from the light (w 0: a direction).
        world = dot(u_ShadowPlane, u_ShadowLight) * world - dot(u_ShadowPlane, world) * u_ShadowLight;
        world /= world.w;
    }
    v_World = world.xyz;
    v_Normal = normalize(u_NormalMat * a_Normal.xyz);
    v_Color = a_Color;
    v_TexCoord = a_TexCoord;
    v_Diffuse = vec3(1.0);
    v_Specular = vec3(0.0);
    if (u_Lit && u_Shade == 1)
        Light(v_World, v_Normal, v_Diffuse, v_Specular);
    v_Depth = (u_View * world).z;
    gl_Position = u_ViewProj * world;
}
)";

constexpr const char* kSceneFragment = R"(
in vec3 v_World;
in vec3 v_Normal;
flat in vec4 v_Color;
in vec2 v_TexCoord;
in vec3 v_Diffuse;
in vec3 v_Specular;
in float v_Depth;
uniform int u_Shade;
uniform bool u_Lit;
uniform bool u_Textured;
uniform sampler2D u_Texture;
uniform vec3 u_Specular;
uniform vec3 u_Emissive;
uniform int u_FogMode;     // -1 off, 0 linear, 1 exponential, 2 exponential squared
uniform vec3 u_FogColor;
uniform vec3 u_FogParams;  // start, end, density
uniform bool u_Shadow;
uniform vec4 u_ShadowColor;
out vec4 o_Color;

float FogFactor(float z) {
    if (u_FogMode == 0) {
        float range = u_FogParams.y - u_FogParams.x;
        return range != 0.0 ? clamp((u_FogParams.y - z) / range, 0.0, 1.0) : (z < u_FogParams.x ? 1.0 : 0.0);
    }
    float dz = u_FogParams.z * max(z, 0.0);
    return u_FogMode == 1 ? exp(-dz) : exp(-dz * dz);
}

void main() {
    vec4 base = v_Color;
    if (u_Textured) {
        vec4 texel = texture(u_Texture, v_TexCoord);
        // The picture is tinted by the face colour, as a white face shows it as it is.
        base = vec4(texel.rgb * base.rgb, texel.a * base.a);
    }
    vec3 color = base.rgb;
    if (u_Shadow) {
        o_Color = u_ShadowColor;
        return;
    }
    if (u_Lit) {
        vec3 diffuse = v_Diffuse, specular = v_Specular;
        if (u_Shade != 1) {
            vec3 n;
            if (u_Shade == 0) {
                // The face's own normal: towards the eye on front faces, away on back faces.
                n = normalize(cross(dFdx(v_World), dFdy(v_World)));
                if (dot(n, u_CameraPos - v_World) < 0.0)
                    n = -n;
                if (!gl_FrontFacing)
                    n = -n;
            } else {
                n = normalize(v_Normal);
            }
            Light(v_World, n, diffuse, specular);
        }
        color = base.rgb * diffuse + specular * u_Specular + u_Emissive;
    }
    if (u_FogMode >= 0)
        color = mix(u_FogColor, color, FogFactor(v_Depth));
    o_Color = vec4(clamp(color, 0.0, 1.0), base.a);
}
)";

constexpr const char* kBackgroundVertex = R"(#version 330 core
out vec2 v_TexCoord;
void main() {
    vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    v_TexCoord = vec2(corner.x, 1.0 - corner.y);
    gl_Position = vec4(corner * 2.0 - 1.0, 1.0, 1.0);
}
)";

constexpr const char* kBackgroundFragment = R"(#version 330 core
in vec2 v_TexCoord;
uniform sampler2D u_Texture;
out vec4 o_Color;
void main() {
    o_Color = vec4(texture(u_Texture, v_TexCoord).rgb, 1.0);
}
)";

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

GLuint Compile(GLenum type, const std::string& source, std::string& error) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok)
        return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = std::string("shader compilation failed: ") + log;
    glDeleteShader(shader);
    return 0;
}

GLuint Link(const std::string& vertex, const std::string& fragment, std::string& error) {
    const GLuint vs = Compile(GL_VERTEX_SHADER, vertex, error);
    const GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragment, error) : 0;
    if (!fs) {
        glDeleteShader(vs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok)
        return program;
    char log[2048] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    error = std::string("shader linking failed: ") + log;
    glDeleteProgram(program);
    return 0;
}

} // namespace

bool BuildSceneProgram(SceneProgram& p, std::string& error) {
    p.Id = Link(std::string(kCommon) + kSceneVertex, std::string(kCommon) + kSceneFragment, error);
    if (!p.Id)
        return false;
    auto at = [&](const char* name) { return glGetUniformLocation(p.Id, name); };
    p.Model = at("u_Model"), p.ViewProj = at("u_ViewProj"), p.View = at("u_View");
    p.NormalMat = at("u_NormalMat"), p.Shade = at("u_Shade"), p.Lit = at("u_Lit");
    p.Textured = at("u_Textured"), p.Texture = at("u_Texture"), p.Ambient = at("u_Ambient");
    p.LightCount = at("u_LightCount"), p.LightPos = at("u_LightPos");
    p.LightDir = at("u_LightDir"), p.LightColor = at("u_LightColor");
    p.CameraPos = at("u_CameraPos"), p.Power = at("u_Power"), p.Specular = at("u_Specular");
    p.Emissive = at("u_Emissive"), p.HasSpecular = at("u_HasSpecular");
    p.FogMode = at("u_FogMode"), p.FogColor = at("u_FogColor"), p.FogParams = at("u_FogParams");
    p.Shadow = at("u_Shadow"), p.ShadowPlane = at("u_ShadowPlane");
    p.ShadowLight = at("u_ShadowLight"), p.ShadowColor = at("u_ShadowColor");
    return true;
}

bool BuildBackgroundProgram(BackgroundProgram& p, std::string& error) {
    p.Id = Link(kBackgroundVertex, kBackgroundFragment, error);
    if (!p.Id)
        return false;
    p.Texture = glGetUniformLocation(p.Id, "u_Texture");
    return true;
}

bool BuildOverlayProgram(BackgroundProgram& p, std::string& error) {
    p.Id = Link(kOverlayVertex, kOverlayFragment, error);
    if (!p.Id)
        return false;
    p.Texture = glGetUniformLocation(p.Id, "u_Texture");
    return true;
}

} // namespace lumora::render
