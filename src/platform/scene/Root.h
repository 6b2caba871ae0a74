// The scene root: creates every kind of scene object and holds the default texture settings.
#pragma once

#include "platform/scene/Device.h"
#include "platform/scene/Frame.h"
#include "platform/scene/Light.h"
#include "platform/scene/MeshBuilder.h"
#include "platform/scene/ProgressiveMesh.h"
#include "platform/scene/Texture.h"
#include "platform/scene/Wrap.h"

namespace lumora::scene {

class Root {
public:
    // A frame under parent, or a root frame when parent is empty.
    Result CreateFrame(const FramePtr& parent, FramePtr& frame);
    Result CreateLightRGB(LightType type, float r, float g, float b, LightPtr& light);
    Result CreateMeshBuilder(MeshBuilderPtr& mesh);
    Result CreateMaterial(float power, MaterialPtr& material);
    // A device of width x height pixels; BadValue unless both are positive.
    Result CreateDevice(int width, int height, DevicePtr& device);
    Result CreateViewport(const DevicePtr& device, const FramePtr& camera, int x, int y, int width,
                          int height, ViewportPtr& viewport);
    // The shadow of visual cast by light onto the plane through point with normal normal;
    // BadValue for a zero normal.
    Result CreateShadow(const VisualPtr& visual, const LightPtr& light, Vector point, Vector normal,
                        ShadowPtr& shadow);
    Result CreateWrap(const WrapParameters& parameters, const FramePtr& reference, WrapPtr& wrap);
    Result CreateProgressiveMesh(ProgressiveMeshPtr& mesh);
    // A texture from a picture file, with the default colours and shades.
    // A picture file as a texture; reason (when given) says why it was refused.
    Result LoadTexture(const std::string& path, TexturePtr& texture, std::string* reason = nullptr);
    // A texture from a picture held by the program.
    Result LoadTextureFromImage(const QImage& image, TexturePtr& texture);
    void SetDefaultTextureColors(std::uint32_t colors) { m_TextureColors = colors; }
    void SetDefaultTextureShades(std::uint32_t shades) { m_TextureShades = shades; }
    std::uint32_t GetDefaultTextureColors() const { return m_TextureColors; }
    std::uint32_t GetDefaultTextureShades() const { return m_TextureShades; }

private:
    std::uint32_t m_TextureColors = 256;
    std::uint32_t m_TextureShades = 16;
};

} // namespace lumora::scene
