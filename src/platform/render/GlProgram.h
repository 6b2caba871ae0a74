// Internal to the renderer: the GLSL programs of the scene and the background, and their uniform
// locations. Includes the GL headers, so only the renderer's own sources include it.
#pragma once

#include <epoxy/gl.h>

#include <string>

namespace lumora::render {

constexpr int kMaxLights = 8;

// The scene program: lit or unlit, flat, Gouraud or per-pixel shading, textures, fog, shadows.
struct SceneProgram {
    GLuint Id = 0;
    GLint Model = -1, ViewProj = -1, View = -1, NormalMat = -1;
    GLint Shade = -1, Lit = -1, Textured = -1, Texture = -1;
    GLint Ambient = -1, LightCount = -1, LightPos = -1, LightDir = -1, LightColor = -1;
    GLint CameraPos = -1, Power = -1, Specular = -1, Emissive = -1, HasSpecular = -1;
    GLint FogMode = -1, FogColor = -1, FogParams = -1;
    GLint Shadow = -1, ShadowPlane = -1, ShadowLight = -1, ShadowColor = -1;
};

// Draws a picture over the whole viewport.
struct BackgroundProgram {
    GLuint Id = 0;
    GLint Texture = -1;
};

// Compile and link; false with the compiler's or linker's log in error.
bool BuildSceneProgram(SceneProgram& program, std::string& error);
bool BuildBackgroundProgram(BackgroundProgram& program, std::string& error);
// The overlays' picture, alpha kept, in front of everything.
bool BuildOverlayProgram(BackgroundProgram& program, std::string& error);

} // namespace lumora::render
