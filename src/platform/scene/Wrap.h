// Texture wraps: compute texture coordinates for a mesh's vertices by projecting them flat, onto
// a cylinder or a sphere, or by their normals (chrome), in the wrap's own axes.
#pragma once

#include "platform/scene/Frame.h"
#include "platform/scene/MeshBuilder.h"

namespace lumora::scene {

enum class WrapType { Flat = 0, Cylinder = 1, Sphere = 2, Chrome = 3 };

struct WrapParameters {
    WrapType Type = WrapType::Flat;
    Vector Origin;
    Vector Direction{0, 0, 1};
    Vector Up{0, 1, 0};
    float OriginU = 0, OriginV = 0;
    float ScaleU = 1, ScaleV = 1;
};

// The wrap's axes: z along the direction, y the up vector made square to it, x = y x z. A zero
// direction stands for +z, an up vector that is zero or along the direction for any square one.
class Wrap : public SceneObject {
public:
    Wrap(const WrapParameters& parameters, FramePtr reference);
    std::string ClassName() const override { return "Wrap"; }

    // Texture coordinates for every vertex, from its position in the mesh's own coordinates.
    Result Apply(MeshBuilder& mesh) const;
    // The same with the mesh seen from frame: its vertices are taken through frame to the world
    // and from there into the reference frame's coordinates.
    Result ApplyRelative(const Frame& frame, MeshBuilder& mesh) const;
    // Texture coordinates of one point with its unit normal (zero when unknown).
    TextureCoord Map(const Vector& point, const Vector& normal) const;
    const WrapParameters& Parameters() const { return m_Parameters; }
    const FramePtr& Reference() const { return m_Reference; }

private:
    Result ApplyThrough(const Matrix& toWrap, MeshBuilder& mesh) const;
    WrapParameters m_Parameters;
    FramePtr m_Reference;
    Vector m_X, m_Y, m_Z;
};

using WrapPtr = std::shared_ptr<Wrap>;

} // namespace lumora::scene
