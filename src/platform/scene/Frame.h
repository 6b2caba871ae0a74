// Frames: the scene's tree of coordinate systems, each with a transform relative to its parent,
// children, visuals, lights, a rotation velocity applied by Move, and (on the root frame) the
// background and fog.
#pragma once

#include "platform/scene/Light.h"
#include "platform/scene/Result.h"
#include "platform/scene/Texture.h"

#include <vector>

namespace lumora::scene {

// How a new transform combines with the frame's own: replace it, or multiply it before
// (p * new * old, in the frame's own axes) or after (p * old * new, in the parent's axes).
enum class Combine { Replace, Before, After };

enum class FogMode { Linear = 0, Exponential = 1, ExponentialSquared = 2 };

class Frame;
using FramePtr = std::shared_ptr<Frame>;

class Frame : public Visual {
public:
    std::string ClassName() const override { return "Frame"; }
    bool GetBox(Box& box) const override { return GetHierarchyBox(box); }

    // Tree. AddChild moves the child from any previous parent; it keeps its own transform.
    Result AddChild(const FramePtr& child);
    Result DeleteChild(const FramePtr& child);
    Result AddVisual(const VisualPtr& visual);
    // Removes the first occurrence of the visual.
    Result DeleteVisual(const VisualPtr& visual);
    Result AddLight(const LightPtr& light);
    Result DeleteLight(const LightPtr& light);
    const std::vector<FramePtr>& GetChildren() const { return m_Children; }
    const std::vector<VisualPtr>& GetVisuals() const { return m_Visuals; }
    const std::vector<LightPtr>& GetLights() const { return m_Lights; }
    // The parent frame; empty for a root frame.
    FramePtr GetParent() const;
    void SetTexture(TexturePtr texture) { m_Texture = std::move(texture); }
    const TexturePtr& GetTexture() const { return m_Texture; }

    // Positions and orientations relative to reference (empty: the scene root, that is world
    // coordinates).
    Result GetPosition(const Frame* reference, Vector& position) const;
    Result SetPosition(const Frame* reference, float x, float y, float z);
    // Direction is the frame's z axis, up its y axis, both in reference's axes.
    Result GetOrientation(const Frame* reference, Vector& direction, Vector& up) const;
    Result SetOrientation(const Frame* reference, float dx, float dy, float dz, float ux, float uy,
                          float uz);
    // Rotation velocity: angle radians about an axis of reference's axes, applied by each Move.
    Result SetRotation(const FramePtr& reference, float x, float y, float z, float angle);
    void GetRotation(Vector& axis, float& angle) const;
    // Advances this frame and all below it by their rotation velocities for delta steps.
    Result Move(float delta);

    Result AddRotation(Combine combine, float x, float y, float z, float angle);
    Result AddTranslation(Combine combine, float x, float y, float z);
    Result AddScale(Combine combine, float sx, float sy, float sz);
    Result AddTransform(Combine combine, const Matrix& matrix);
    // The transform relative to the parent.
    const Matrix& GetTransform() const { return m_Transform; }
    // Own coordinates to world coordinates.
    Matrix WorldTransform() const;

    // Box of all visuals of this frame and its descendants in this frame's coordinates; false
    // (and a zero box) when there are none.
    bool GetHierarchyBox(Box& box) const;

    // Scene settings, read by the renderer from the root frame.
    void SetSceneBackground(Color color) { m_Background = color; }
    Color GetSceneBackground() const { return m_Background; }
    void SetSceneBackgroundImage(TexturePtr image) { m_BackgroundImage = std::move(image); }
    const TexturePtr& GetSceneBackgroundImage() const { return m_BackgroundImage; }
    void SetSceneFogEnable(bool enable) { m_FogEnabled = enable; }
    bool GetSceneFogEnable() const { return m_FogEnabled; }
    void SetSceneFogMode(FogMode mode) { m_FogMode = mode; }
    FogMode GetSceneFogMode() const { return m_FogMode; }
    void SetSceneFogParams(float start, float end, float density);
    void GetSceneFogParams(float& start, float& end, float& density) const;
    void SetSceneFogColor(Color color) { m_FogColor = color; }
    Color GetSceneFogColor() const { return m_FogColor; }

private:
    void ExtendBox(Box& box, bool& empty, const Matrix& toTarget) const;
    Matrix ParentWorld() const;
    Matrix ReferenceWorld(const Frame* reference) const;
    void ApplyVelocity(float delta);

    std::weak_ptr<Frame> m_Parent;
    std::vector<FramePtr> m_Children;
    std::vector<VisualPtr> m_Visuals;
    std::vector<LightPtr> m_Lights;
    TexturePtr m_Texture;
    Matrix m_Transform = Matrix::Identity();
    std::weak_ptr<Frame> m_RotationReference;
    bool m_RotationRelative = false; // false: the axis is in world coordinates
    Vector m_RotationAxis;
    float m_RotationAngle = 0;
    Color m_Background = 0xFF000000;
    TexturePtr m_BackgroundImage;
    bool m_FogEnabled = false;
    FogMode m_FogMode = FogMode::Linear;
    float m_FogStart = 1, m_FogEnd = 100, m_FogDensity = 1;
    Color m_FogColor = 0xFF000000;
};

} // namespace lumora::scene
