// Progressive meshes: a triangle mesh kept as a chain of ever simpler levels of detail, of
// which one is shown, chosen by a detail value from 0 (simplest) to 1 (full).
#pragma once

#include "platform/scene/MeshBuilder.h"

#include <vector>

namespace lumora::scene {

class ProgressiveMesh : public Visual {
public:
    std::string ClassName() const override { return "ProgressiveMesh"; }

    // Reads a mesh file (any format the importer knows) and builds the levels; the mesh is
    // unchanged when the file cannot be read. The detail starts at 1.
    Result Load(const std::string& path);
    // Builds the levels from triangles (three vertex indices each); BadValue for an index out of
    // range or a count that is not a multiple of 3.
    Result Build(std::vector<Vector> positions, std::vector<std::uint32_t> triangles);

    float GetDetail() const { return m_Detail; }
    // Shows the level with the fewest faces not below min + detail * (max - min) faces;
    // BadValue outside 0..1.
    Result SetDetail(float detail);
    std::size_t GetFaceDetail() const;
    std::size_t GetVertexDetail() const;
    void GetFaceDetailRange(std::size_t& minimum, std::size_t& maximum) const;
    void GetVertexDetailRange(std::size_t& minimum, std::size_t& maximum) const;
    std::size_t GetLevelCount() const { return m_Levels.size(); }

    bool GetBox(Box& box) const override;
    const std::vector<Vector>& Positions() const { return m_Positions; }
    // Triangles of the level shown.
    const std::vector<std::uint32_t>& CurrentTriangles() const;
    void SetColor(Color color) { m_Color = color; }
    Color GetColor() const { return m_Color; }
    void SetQuality(unsigned quality) { m_Quality = quality; }
    unsigned GetQuality() const { return m_Quality; }

private:
    struct Level {
        std::vector<std::uint32_t> Triangles;
        std::size_t Vertices = 0;
    };
    std::vector<Vector> m_Positions;
    std::vector<Level> m_Levels; // full detail first, fewer faces after
    std::size_t m_Current = 0;
    float m_Detail = 1;
    Color m_Color = 0xFFFFFFFF;
    unsigned m_Quality = kShadeGouraud | kLightOn | kFillSolid;
};

using ProgressiveMeshPtr = std::shared_ptr<ProgressiveMesh>;

} // namespace lumora::scene
