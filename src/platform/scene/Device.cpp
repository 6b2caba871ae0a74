#include "platform/scene/Device.h"

#include <algorithm>

namespace lumora::scene {

Result Viewport::Render(Frame& scene) {
    if (!m_Device)
        return Result::BadObject;
    const auto& hook = m_Device->GetRenderHook();
    return hook ? hook(*this, scene) : Result::Ok;
}

float Viewport::PixelsPerUnit() const {
    const float field = m_Field > 0 ? m_Field : 0.5f;
    return std::max(m_Width, m_Height) / 2.0f / field;
}

Result Viewport::Transform(Vector4& screen, const Vector& world) const {
    Matrix toCamera = Matrix::Identity();
    if (m_Camera)
        Inverse(m_Camera->WorldTransform(), toCamera);
    const Vector c = TransformPoint(world, toCamera);
    const float s = PixelsPerUnit();
    const float depth = m_Back > m_Front ? m_Back / (m_Back - m_Front) : 1;
    screen.X = (m_X + m_Width / 2.0f) * c.Z + s * c.X;
    screen.Y = (m_Y + m_Height / 2.0f) * c.Z - s * c.Y;
    screen.Z = (c.Z - m_Front) * depth;
    screen.W = c.Z;
    return Result::Ok;
}

Result Viewport::InverseTransform(Vector& world, const Vector4& screen) const {
    if (screen.W == 0)
        return Result::BadValue;
    const float s = PixelsPerUnit();
    const float w = screen.W;
    const Vector c{(screen.X - (m_X + m_Width / 2.0f) * w) / s,
                   ((m_Y + m_Height / 2.0f) * w - screen.Y) / s, w};
    world = m_Camera ? TransformPoint(c, m_Camera->WorldTransform()) : c;
    return Result::Ok;
}

} // namespace lumora::scene
