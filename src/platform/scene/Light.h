// Lights, materials and shadows of the scene: plain settings the renderer reads.
#pragma once

#include "platform/scene/SceneObject.h"

namespace lumora::scene {

enum class LightType { Ambient = 0, Point = 1, Spot = 2, Directional = 3, ParallelPoint = 4 };

class Light : public SceneObject {
public:
    Light(LightType type, float r, float g, float b) : m_Type(type), m_Color{r, g, b} {}
    std::string ClassName() const override { return "Light"; }
    LightType GetType() const { return m_Type; }
    void SetType(LightType type) { m_Type = type; }
    // Colour as red, green, blue in 0..1.
    void SetColorRGB(float r, float g, float b) { m_Color = {r, g, b}; }
    Vector GetColorRGB() const { return m_Color; }

private:
    LightType m_Type;
    Vector m_Color;
};

// Surface reflection of a mesh: specular power and colour, emissive colour (red, green, blue 0..1).
class Material : public SceneObject {
public:
    explicit Material(float power) : m_Power(power) {}
    std::string ClassName() const override { return "Material"; }
    void SetPower(float power) { m_Power = power; }
    float GetPower() const { return m_Power; }
    void SetSpecular(float r, float g, float b) { m_Specular = {r, g, b}; }
    Vector GetSpecular() const { return m_Specular; }
    void SetEmissive(float r, float g, float b) { m_Emissive = {r, g, b}; }
    Vector GetEmissive() const { return m_Emissive; }

private:
    float m_Power;
    Vector m_Specular{1, 1, 1};
    Vector m_Emissive{0, 0, 0};
};

// The shadow of a visual cast by a light onto the plane through Point with normal Normal.
class Shadow : public Visual {
public:
    Shadow(VisualPtr caster, std::shared_ptr<Light> light, Vector point, Vector normal)
        : m_Caster(std::move(caster)), m_Light(std::move(light)), m_Point(point), m_Normal(normal) {
    }
    std::string ClassName() const override { return "Shadow"; }
    bool GetBox(Box&) const override { return false; }
    const VisualPtr& Caster() const { return m_Caster; }
    const std::shared_ptr<Light>& CastingLight() const { return m_Light; }
    Vector PlanePoint() const { return m_Point; }
    Vector PlaneNormal() const { return m_Normal; }

private:
    VisualPtr m_Caster;
    std::shared_ptr<Light> m_Light;
    Vector m_Point, m_Normal;
};

using LightPtr = std::shared_ptr<Light>;
using MaterialPtr = std::shared_ptr<Material>;
using ShadowPtr = std::shared_ptr<Shadow>;

} // namespace lumora::scene
