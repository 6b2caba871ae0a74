// The drawing device and the viewport: the settings the renderer draws with, its triangle
// counter, and the perspective projection between the scene and the screen.
#pragma once

#include "platform/scene/Frame.h"
#include "platform/scene/MeshBuilder.h"

#include <functional>

namespace lumora::scene {

enum class CullState { None = 1, Clockwise = 2, CounterClockwise = 3 };

class Viewport;

class Device : public SceneObject {
public:
    // Draws a frame tree through a viewport; installed by the renderer. Without one, Render
    // draws nothing and succeeds.
    using RenderHook = std::function<Result(Viewport&, Frame&)>;

    Device(int width, int height) : m_Width(width), m_Height(height) {}
    std::string ClassName() const override { return "Device"; }

    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }
    // Quality word: kShade..., kLight..., kFill... bits.
    void SetQuality(unsigned quality) { m_Quality = quality; }
    unsigned GetQuality() const { return m_Quality; }
    void SetDither(bool dither) { m_Dither = dither; }
    bool GetDither() const { return m_Dither; }
    void SetShades(unsigned shades) { m_Shades = shades; }
    unsigned GetShades() const { return m_Shades; }
    // 0 nearest, 1 linear filtering.
    void SetTextureQuality(unsigned quality) { m_TextureQuality = quality; }
    unsigned GetTextureQuality() const { return m_TextureQuality; }
    // 3 = blended and sorted transparency.
    void SetRenderMode(unsigned mode) { m_RenderMode = mode; }
    unsigned GetRenderMode() const { return m_RenderMode; }
    void SetCullState(CullState state) { m_Cull = state; }
    CullState GetCullState() const { return m_Cull; }

    // Cumulative count of triangles drawn; the renderer adds to it (wraps at 2^32).
    std::uint32_t GetTrianglesDrawn() const { return m_Triangles; }
    void AddTrianglesDrawn(std::uint32_t count) { m_Triangles += count; }
    // Presents what was drawn; counts the updates.
    Result Update() {
        ++m_Updates;
        return Result::Ok;
    }
    unsigned GetUpdateCount() const { return m_Updates; }

    void SetRenderHook(RenderHook hook) { m_Hook = std::move(hook); }
    const RenderHook& GetRenderHook() const { return m_Hook; }

private:
    int m_Width, m_Height;
    unsigned m_Quality = kShadeFlat | kLightOn | kFillSolid;
    bool m_Dither = true;
    unsigned m_Shades = 32;
    unsigned m_TextureQuality = 0;
    unsigned m_RenderMode = 0;
    CullState m_Cull = CullState::CounterClockwise;
    std::uint32_t m_Triangles = 0;
    unsigned m_Updates = 0;
    RenderHook m_Hook;
};

// Looks from a camera frame onto a rectangle of a device. The projection is a perspective one:
// a point at camera distance z (along the camera's z axis) and sideways x lands Field * z
// sideways at the rectangle's half width.
class Viewport : public SceneObject {
public:
    Viewport(std::shared_ptr<Device> device, FramePtr camera, int x, int y, int width, int height)
        : m_Device(std::move(device)), m_Camera(std::move(camera)), m_X(x), m_Y(y), m_Width(width),
          m_Height(height) {}
    std::string ClassName() const override { return "Viewport"; }

    Result Clear() { return Result::Ok; }
    Result Render(Frame& scene);
    void SetBack(float back) { m_Back = back; }
    float GetBack() const { return m_Back; }
    void SetFront(float front) { m_Front = front; }
    float GetFront() const { return m_Front; }
    void SetField(float field) { m_Field = field; }
    float GetField() const { return m_Field; }
    const FramePtr& GetCamera() const { return m_Camera; }
    const std::shared_ptr<Device>& GetDevice() const { return m_Device; }
    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }

    // World point to homogeneous screen coordinates: the pixel is (X / W, Y / W), y down.
    Result Transform(Vector4& screen, const Vector& world) const;
    // Back from homogeneous screen coordinates to a world point; BadValue when W is 0.
    Result InverseTransform(Vector& world, const Vector4& screen) const;

private:
    float PixelsPerUnit() const;
    std::shared_ptr<Device> m_Device;
    FramePtr m_Camera;
    int m_X, m_Y, m_Width, m_Height;
    float m_Front = 1, m_Back = 100, m_Field = 0.5f;
};

using DevicePtr = std::shared_ptr<Device>;
using ViewportPtr = std::shared_ptr<Viewport>;

} // namespace lumora::scene
