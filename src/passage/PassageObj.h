// Gathers passage polygons into a Wavefront OBJ mesh (shared vertices) and writes it.
#pragma once

#include "survey/VectorMath.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace lumora::passage {

// Faces in the order they are added; a vertex is shared by every face that uses exactly the same
// point. Coordinates are written as given (plot coordinates), in shortest round-trip form.
class TObjMesh {
public:
    void AddQuad(const survey::T3DVector& p0, const survey::T3DVector& p1,
                 const survey::T3DVector& p2, const survey::T3DVector& p3);
    void AddTriangle(const survey::T3DVector& a, const survey::T3DVector& b,
                     const survey::T3DVector& c);

    std::int64_t VertexCount() const { return static_cast<std::int64_t>(m_Vertices.size()); }
    std::int64_t FaceCount() const { return static_cast<std::int64_t>(m_FaceSizes.size()); }
    const std::vector<survey::T3DVector>& Vertices() const { return m_Vertices; }

    // Writes the mesh to fileName through a temporary file beside it, which replaces the old
    // file only when complete. Throws WriteError naming the file and the reason; the old file is
    // untouched then.
    void Write(const std::string& fileName) const;

private:
    struct TKey {
        std::uint64_t X, Y, Z;
        friend bool operator==(const TKey&, const TKey&) = default;
    };
    struct TKeyHash {
        std::size_t operator()(const TKey& key) const;
    };
    std::uint32_t VertexIndex(const survey::T3DVector& point);

    std::vector<survey::T3DVector> m_Vertices;
    std::unordered_map<TKey, std::uint32_t, TKeyHash> m_Index;
    std::vector<std::uint32_t> m_FaceVertices; // 0-based, face after face
    std::vector<std::uint8_t> m_FaceSizes;
};

} // namespace lumora::passage
