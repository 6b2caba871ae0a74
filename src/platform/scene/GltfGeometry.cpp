#include "platform/scene/GltfGeometry.h"

#include <array>
#include <cmath>

namespace lumora::scene {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
// The alpha of the viewer's solid face colours (packed with 254).
constexpr unsigned kSolidAlpha = 254;

const std::array<std::uint16_t, 256>& LinearTable() {
    static const std::array<std::uint16_t, 256> table = [] {
        std::array<std::uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            t[i] = std::uint16_t(std::lround(linear * 65535));
        }
        return t;
    }();
    return table;
}

GltfMode ModeOf(unsigned quality) {
    switch (quality & kFillMask) {
    case kFillWireframe:
        return GltfMode::Lines;
    case kFillPoints:
        return GltfMode::Points;
    default:
        return GltfMode::Triangles;
    }
}

bool Usable(const Vector& v) {
    const float length2 = Dot(v, v);
    return length2 > 0 && std::isfinite(length2);
}

// glTF's axes: z turns from north to south.
Vector Mirrored(const Vector& v) {
    return {v.X, v.Y, -v.Z};
}

// One primitive being filled: a vertex is made once per (scene vertex, normal, colour) and
// reused by every corner that has the same three.
class PrimitiveBuilder {
public:
    PrimitiveBuilder(const MeshBuilder& mesh, GltfMode mode, const TexturePtr& texture, float scale)
        : m_Mesh(mesh), m_Scale(scale), m_Head(mesh.GetVertexCount(), kNone) {
        m_Out.Mode = mode;
        m_Out.Texture = texture;
    }

    // The vertex of scene vertex v with the normal of index normal (kNone for lines and points,
    // whose vertices carry none), shared with earlier corners of the same three.
    std::uint32_t Shared(std::uint32_t v, std::uint32_t normal, const Vector* unit, Color color) {
        for (std::uint32_t e = m_Head[v]; e != kNone; e = m_Entries[e].Next)
            if (m_Entries[e].Normal == normal && m_Entries[e].FaceColor == color)
                return m_Entries[e].Out;
        const std::uint32_t out = Append(v, unit, color);
        m_Entries.push_back({normal, color, out, m_Head[v]});
        m_Head[v] = std::uint32_t(m_Entries.size() - 1);
        return out;
    }

    // A vertex of its own, for a corner whose normal is its face's.
    std::uint32_t Own(std::uint32_t v, const Vector& unit, Color color) {
        return Append(v, &unit, color);
    }

    void Index(std::uint32_t index) { m_Out.Indices.push_back(index); }
    GltfPrimitive Finish() { return std::move(m_Out); }
    const TexturePtr& Texture() const { return m_Out.Texture; }

private:
    struct Entry {
        std::uint32_t Normal;
        Color FaceColor;
        std::uint32_t Out;
        std::uint32_t Next;
    };

    std::uint32_t Append(std::uint32_t v, const Vector* unit, Color color) {
        const Vector p = Mirrored(m_Mesh.Vertices()[v]) * m_Scale;
        m_Out.Positions.insert(m_Out.Positions.end(), {p.X, p.Y, p.Z});
        if (unit)
            m_Out.Normals.insert(m_Out.Normals.end(), {unit->X, unit->Y, unit->Z});
        const auto& linear = LinearTable();
        const unsigned alpha = ColorAlpha(color);
        m_Out.Colors.insert(m_Out.Colors.end(),
                            {linear[ColorRed(color)], linear[ColorGreen(color)],
                             linear[ColorBlue(color)], std::uint16_t(alpha * 257)});
        m_Out.Translucent = m_Out.Translucent || alpha < kSolidAlpha;
        if (m_Out.Texture) {
            const TextureCoord uv = m_Mesh.TextureCoordinate(v);
            m_Out.TexCoords.insert(m_Out.TexCoords.end(), {uv.U, uv.V});
        }
        return std::uint32_t(m_Out.VertexCount() - 1);
    }

    const MeshBuilder& m_Mesh;
    float m_Scale;
    GltfPrimitive m_Out;
    std::vector<std::uint32_t> m_Head; // per scene vertex: its first entry
    std::vector<Entry> m_Entries;
};

// Converts one mesh face by face into a primitive per face texture.
class MeshConverter {
public:
    MeshConverter(const MeshBuilder& mesh, float scale)
        : m_Mesh(mesh), m_Scale(scale), m_Mode(ModeOf(mesh.GetQuality())) {
        if (m_Mode == GltfMode::Triangles)
            for (const Vector& n : mesh.Normals())
                m_UnitNormals.push_back(Usable(n) ? Normalize(Mirrored(n)) : Vector{});
    }

    GltfMesh Convert() {
        for (std::size_t f = 0; f < m_Mesh.GetFaceCount(); ++f) {
            PrimitiveBuilder& out = Group(m_Mesh.FaceTexture(f));
            if (m_Mode == GltfMode::Triangles)
                AddTriangles(out, f);
            else if (m_Mode == GltfMode::Lines)
                AddLines(out, f);
            else
                AddPoints(out, f);
        }
        GltfMesh result;
        result.Unlit =
            (m_Mesh.GetQuality() & kLightMask) == kLightOff || m_Mode != GltfMode::Triangles;
        for (PrimitiveBuilder& group : m_Groups) {
            GltfPrimitive primitive = group.Finish();
            if (!primitive.Indices.empty())
                result.Primitives.push_back(std::move(primitive));
        }
        return result;
    }

private:
    PrimitiveBuilder& Group(const TexturePtr& texture) {
        for (PrimitiveBuilder& group : m_Groups)
            if (group.Texture() == texture)
                return group;
        return m_Groups.emplace_back(m_Mesh, m_Mode, texture, m_Scale);
    }

    bool UsableNormal(std::uint32_t normal) const {
        return normal < m_UnitNormals.size() && Usable(m_UnitNormals[normal]);
    }

    // The vertex of corner k of face f, made at most once per face.
    std::uint32_t CornerVertex(PrimitiveBuilder& out, std::size_t f,
                               std::span<const FaceCorner> corners, std::size_t k,
                               const Vector& triangleNormal) {
        if (m_Cache[k] != kNone)
            return m_Cache[k];
        const FaceCorner& c = corners[k];
        const Color color = m_Mesh.FaceColor(f);
        if (UsableNormal(c.Normal))
            m_Cache[k] = out.Shared(c.Vertex, c.Normal, &m_UnitNormals[c.Normal], color);
        else
            m_Cache[k] = out.Own(c.Vertex, FaceNormalFor(f, triangleNormal), color);
        return m_Cache[k];
    }

    // The face's own normal for corners without one (mirrored, unit); the triangle's when the
    // polygon as a whole has none.
    Vector FaceNormalFor(std::size_t f, const Vector& triangleNormal) {
        if (m_FaceNormalOf != f) {
            m_FaceNormalOf = f;
            const Vector n = m_Mesh.FaceNormal(f);
            m_FaceNormal = Usable(n) ? Normalize(Mirrored(n)) : Vector{};
        }
        return Usable(m_FaceNormal) ? m_FaceNormal : Normalize(Mirrored(triangleNormal));
    }

    void AddTriangles(PrimitiveBuilder& out, std::size_t f) {
        const auto corners = m_Mesh.FaceCorners(f);
        if (corners.size() < 3)
            return;
        m_Cache.assign(corners.size(), kNone);
        const std::vector<Vector>& v = m_Mesh.Vertices();
        const Vector& p0 = v[corners[0].Vertex];
        for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
            const Vector normal = Cross(v[corners[i].Vertex] - p0, v[corners[i + 1].Vertex] - p0);
            if (!Usable(normal))
                continue; // no area: nothing to draw, and no normal to give
            for (std::size_t k : {std::size_t(0), i + 1, i})
                out.Index(CornerVertex(out, f, corners, k, normal));
        }
    }

    void AddLines(PrimitiveBuilder& out, std::size_t f) {
        const auto corners = m_Mesh.FaceCorners(f);
        const std::vector<Vector>& v = m_Mesh.Vertices();
        m_Kept.clear();
        for (const FaceCorner& c : corners)
            if (m_Kept.empty() || !(v[c.Vertex] == v[m_Kept.back()]))
                m_Kept.push_back(c.Vertex);
        if (m_Kept.size() > 2 && v[m_Kept.front()] == v[m_Kept.back()])
            m_Kept.pop_back();
        if (m_Kept.size() < 2)
            return;
        const Color color = m_Mesh.FaceColor(f);
        const std::size_t edges = m_Kept.size() == 2 ? 1 : m_Kept.size();
        for (std::size_t e = 0; e < edges; ++e) {
            out.Index(out.Shared(m_Kept[e], kNone, nullptr, color));
            out.Index(out.Shared(m_Kept[(e + 1) % m_Kept.size()], kNone, nullptr, color));
        }
    }

    void AddPoints(PrimitiveBuilder& out, std::size_t f) {
        for (const FaceCorner& c : m_Mesh.FaceCorners(f))
            out.Index(out.Shared(c.Vertex, kNone, nullptr, m_Mesh.FaceColor(f)));
    }

    const MeshBuilder& m_Mesh;
    float m_Scale;
    GltfMode m_Mode;
    std::vector<Vector> m_UnitNormals; // the mesh's normals, mirrored; zero where unusable
    std::vector<PrimitiveBuilder> m_Groups;
    std::vector<std::uint32_t> m_Cache; // per corner of the face at hand: its vertex
    std::vector<std::uint32_t> m_Kept;  // corners of a face's outline
    std::size_t m_FaceNormalOf = std::size_t(-1);
    Vector m_FaceNormal;
};

} // namespace

std::size_t GltfPrimitive::ElementCount() const {
    switch (Mode) {
    case GltfMode::Triangles:
        return Indices.size() / 3;
    case GltfMode::Lines:
        return Indices.size() / 2;
    default:
        return Indices.size();
    }
}

GltfMesh ConvertToGltf(const MeshBuilder& mesh, float metresPerUnit) {
    return MeshConverter(mesh, metresPerUnit).Convert();
}

std::uint16_t LinearFromSrgb(unsigned byte) {
    return LinearTable()[byte & 0xFF];
}

} // namespace lumora::scene
