#include "platform/scene/Root.h"

namespace lumora::scene {

Result Root::CreateFrame(const FramePtr& parent, FramePtr& frame) {
    auto created = std::make_shared<Frame>();
    if (parent) {
        const Result result = parent->AddChild(created);
        if (!Succeeded(result))
            return result;
    }
    frame = std::move(created);
    return Result::Ok;
}

Result Root::CreateLightRGB(LightType type, float r, float g, float b, LightPtr& light) {
    if (int(type) < 0 || int(type) > 4)
        return Result::BadValue;
    light = std::make_shared<Light>(type, r, g, b);
    return Result::Ok;
}

Result Root::CreateMeshBuilder(MeshBuilderPtr& mesh) {
    mesh = std::make_shared<MeshBuilder>();
    return Result::Ok;
}

Result Root::CreateMaterial(float power, MaterialPtr& material) {
    material = std::make_shared<Material>(power);
    return Result::Ok;
}

Result Root::CreateDevice(int width, int height, DevicePtr& device) {
    if (width <= 0 || height <= 0)
        return Result::BadValue;
    device = std::make_shared<Device>(width, height);
    return Result::Ok;
}

Result Root::CreateViewport(const DevicePtr& device, const FramePtr& camera, int x, int y,
                            int width, int height, ViewportPtr& viewport) {
    if (!device || !camera)
        return Result::BadObject;
    if (width <= 0 || height <= 0)
        return Result::BadValue;
    viewport = std::make_shared<Viewport>(device, camera, x, y, width, height);
    return Result::Ok;
}

Result Root::CreateShadow(const VisualPtr& visual, const LightPtr& light, Vector point,
                          Vector normal, ShadowPtr& shadow) {
    if (!visual || !light)
        return Result::BadObject;
    if (Length(normal) == 0)
        return Result::BadValue;
    shadow = std::make_shared<Shadow>(visual, light, point, Normalize(normal));
    return Result::Ok;
}

Result Root::CreateWrap(const WrapParameters& parameters, const FramePtr& reference,
                        WrapPtr& wrap) {
    if (int(parameters.Type) < 0 || int(parameters.Type) > 3)
        return Result::BadValue;
    wrap = std::make_shared<Wrap>(parameters, reference);
    return Result::Ok;
}

Result Root::CreateProgressiveMesh(ProgressiveMeshPtr& mesh) {
    mesh = std::make_shared<ProgressiveMesh>();
    return Result::Ok;
}

Result Root::LoadTexture(const std::string& path, TexturePtr& texture, std::string* reason) {
    return Texture::Load(path, m_TextureColors, m_TextureShades, texture, reason);
}

Result Root::LoadTextureFromImage(const QImage& image, TexturePtr& texture) {
    if (image.isNull())
        return Result::BadImage;
    texture = std::make_shared<Texture>(image, m_TextureColors, m_TextureShades);
    return Result::Ok;
}

} // namespace lumora::scene
