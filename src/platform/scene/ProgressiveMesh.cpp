#include "platform/scene/ProgressiveMesh.h"

#include "platform/scene/MeshImport.h"

#include <meshoptimizer.h>

namespace lumora::scene {

namespace {

// Shares of the full face count the simpler levels aim at.
constexpr float kLevelShares[] = {0.75f, 0.5f, 0.35f, 0.25f, 0.15f, 0.1f, 0.05f, 0.02f};

std::size_t UsedVertices(const std::vector<std::uint32_t>& triangles, std::size_t vertexCount) {
    std::vector<bool> used(vertexCount);
    std::size_t count = 0;
    for (std::uint32_t index : triangles)
        if (!used[index]) {
            used[index] = true;
            ++count;
        }
    return count;
}

} // namespace

Result ProgressiveMesh::Load(const std::string& path) {
    ImportedMesh imported;
    const Result result = ImportMeshFile(path, true, imported);
    if (!Succeeded(result))
        return result;
    std::vector<std::uint32_t> triangles;
    for (const ImportedFace& face : imported.Faces)
        for (std::size_t c = 1; c + 1 < face.Indices.size(); ++c)
            triangles.insert(triangles.end(),
                             {face.Indices[0], face.Indices[c], face.Indices[c + 1]});
    if (!imported.Materials.empty() && imported.Materials.front().HasColor)
        m_Color = imported.Materials.front().Diffuse;
    return Build(std::move(imported.Positions), std::move(triangles));
}

Result ProgressiveMesh::Build(std::vector<Vector> positions, std::vector<std::uint32_t> triangles) {
    if (triangles.size() % 3 != 0)
        return Result::BadValue;
    for (std::uint32_t index : triangles)
        if (index >= positions.size())
            return Result::BadValue;
    std::vector<Level> levels;
    levels.push_back({triangles, UsedVertices(triangles, positions.size())});
    for (float share : kLevelShares) {
        if (triangles.empty())
            break;
        const std::size_t target = std::size_t(triangles.size() / 3 * share) * 3;
        std::vector<std::uint32_t> simpler(triangles.size());
        simpler.resize(meshopt_simplify(simpler.data(), triangles.data(), triangles.size(),
                                        &positions[0].X, positions.size(), sizeof(Vector), target,
                                        1.0f, 0, nullptr));
        if (simpler.empty() || simpler.size() >= levels.back().Triangles.size())
            continue;
        const std::size_t vertices = UsedVertices(simpler, positions.size());
        levels.push_back({std::move(simpler), vertices});
    }
    m_Positions = std::move(positions);
    m_Levels = std::move(levels);
    m_Current = 0;
    m_Detail = 1;
    return Result::Ok;
}

Result ProgressiveMesh::SetDetail(float detail) {
    if (!(detail >= 0 && detail <= 1))
        return Result::BadValue;
    m_Detail = detail;
    if (m_Levels.empty())
        return Result::Ok;
    std::size_t minimum, maximum;
    GetFaceDetailRange(minimum, maximum);
    const double target = minimum + double(detail) * double(maximum - minimum);
    m_Current = 0;
    for (std::size_t i = 0; i < m_Levels.size(); ++i)
        if (m_Levels[i].Triangles.size() / 3 >= target)
            m_Current = i;
    return Result::Ok;
}

std::size_t ProgressiveMesh::GetFaceDetail() const {
    return m_Levels.empty() ? 0 : m_Levels[m_Current].Triangles.size() / 3;
}

std::size_t ProgressiveMesh::GetVertexDetail() const {
    return m_Levels.empty() ? 0 : m_Levels[m_Current].Vertices;
}

void ProgressiveMesh::GetFaceDetailRange(std::size_t& minimum, std::size_t& maximum) const {
    minimum = m_Levels.empty() ? 0 : m_Levels.back().Triangles.size() / 3;
    maximum = m_Levels.empty() ? 0 : m_Levels.front().Triangles.size() / 3;
}

void ProgressiveMesh::GetVertexDetailRange(std::size_t& minimum, std::size_t& maximum) const {
    minimum = m_Levels.empty() ? 0 : m_Levels.back().Vertices;
    maximum = m_Levels.empty() ? 0 : m_Levels.front().Vertices;
}

bool ProgressiveMesh::GetBox(Box& box) const {
    box = {};
    bool empty = true;
    for (const Vector& p : m_Positions)
        Extend(box, empty, p);
    return !empty;
}

const std::vector<std::uint32_t>& ProgressiveMesh::CurrentTriangles() const {
    static const std::vector<std::uint32_t> none;
    return m_Levels.empty() ? none : m_Levels[m_Current].Triangles;
}

} // namespace lumora::scene
