#include "platform/scene/Normals.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

namespace lumora::scene {

namespace {

struct PositionKey {
    std::uint32_t X, Y, Z;
    bool operator==(const PositionKey&) const = default;
};

struct PositionHash {
    std::size_t operator()(const PositionKey& k) const {
        return (std::size_t(k.X) * 73856093u) ^ (std::size_t(k.Y) * 19349663u) ^
               (std::size_t(k.Z) * 83492791u);
    }
};

std::uint32_t FloatBits(float value) {
    if (value == 0)
        value = 0; // -0 and +0 are the same position
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void MergeEqualVertices(std::vector<Vector>& vertices, std::vector<TextureCoord>& texCoords,
                        std::vector<FaceData>& faces) {
    std::unordered_map<PositionKey, std::uint32_t, PositionHash> firstAt;
    firstAt.reserve(vertices.size());
    std::vector<std::uint32_t> newIndex(vertices.size());
    std::vector<Vector> merged;
    std::vector<TextureCoord> mergedCoords;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Vector& v = vertices[i];
        const PositionKey key{FloatBits(v.X), FloatBits(v.Y), FloatBits(v.Z)};
        auto [it, added] = firstAt.try_emplace(key, std::uint32_t(merged.size()));
        if (added) {
            merged.push_back(v);
            mergedCoords.push_back(i < texCoords.size() ? texCoords[i] : TextureCoord{});
        }
        newIndex[i] = it->second;
    }
    for (FaceData& face : faces)
        for (FaceCorner& corner : face.Corners)
            corner.Vertex = newIndex[corner.Vertex];
    vertices = std::move(merged);
    texCoords = std::move(mergedCoords);
}

// For every vertex, the faces whose corners use it (compressed rows).
struct Incidence {
    std::vector<std::uint32_t> Start; // vertex count + 1 entries
    std::vector<std::uint32_t> Face;
};

Incidence BuildIncidence(std::size_t vertexCount, const std::vector<FaceData>& faces) {
    Incidence inc;
    inc.Start.assign(vertexCount + 1, 0);
    for (const FaceData& face : faces)
        for (const FaceCorner& corner : face.Corners)
            ++inc.Start[corner.Vertex + 1];
    for (std::size_t v = 0; v < vertexCount; ++v)
        inc.Start[v + 1] += inc.Start[v];
    inc.Face.resize(inc.Start.back());
    std::vector<std::uint32_t> fill(inc.Start.begin(), inc.Start.end() - 1);
    for (std::size_t f = 0; f < faces.size(); ++f)
        for (const FaceCorner& corner : faces[f].Corners)
            inc.Face[fill[corner.Vertex]++] = std::uint32_t(f);
    return inc;
}

void SmoothNormals(const Incidence& inc, const std::vector<Vector>& faceNormals,
                   std::vector<FaceData>& faces, std::vector<Vector>& normals) {
    const std::size_t vertexCount = inc.Start.size() - 1;
    normals.assign(vertexCount, Vector{});
    for (std::size_t v = 0; v < vertexCount; ++v) {
        Vector sum;
        for (std::uint32_t i = inc.Start[v]; i < inc.Start[v + 1]; ++i)
            sum = sum + faceNormals[inc.Face[i]];
        normals[v] = Length(sum) > 0                   ? Normalize(sum)
                     : inc.Start[v] < inc.Start[v + 1] ? faceNormals[inc.Face[inc.Start[v]]]
                                                       : Vector{};
    }
    for (FaceData& face : faces)
        for (FaceCorner& corner : face.Corners)
            corner.Normal = corner.Vertex;
}

Vector CreasedNormal(const Incidence& inc, const std::vector<Vector>& faceNormals,
                     std::uint32_t vertex, std::uint32_t face, float cosLimit) {
    const Vector& own = faceNormals[face];
    Vector sum;
    for (std::uint32_t i = inc.Start[vertex]; i < inc.Start[vertex + 1]; ++i) {
        const Vector& other = faceNormals[inc.Face[i]];
        if (Dot(own, other) >= cosLimit)
            sum = sum + other;
    }
    return Length(sum) > 0 ? Normalize(sum) : own;
}

void CreasedNormals(const Incidence& inc, const std::vector<Vector>& faceNormals, float crease,
                    std::vector<FaceData>& faces, std::vector<Vector>& normals) {
    const float cosLimit = std::cos(crease) - 1e-6f;
    const std::size_t vertexCount = inc.Start.size() - 1;
    normals.clear();
    // The normals made so far at each vertex, so corners that agree share one.
    std::vector<std::uint32_t> firstNormalAt(vertexCount, kNoNormal);
    std::vector<std::uint32_t> nextOfSameVertex;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        for (FaceCorner& corner : faces[f].Corners) {
            const Vector n =
                CreasedNormal(inc, faceNormals, corner.Vertex, std::uint32_t(f), cosLimit);
            std::uint32_t found = firstNormalAt[corner.Vertex];
            while (found != kNoNormal && !(normals[found] == n))
                found = nextOfSameVertex[found];
            if (found == kNoNormal) {
                found = std::uint32_t(normals.size());
                normals.push_back(n);
                nextOfSameVertex.push_back(firstNormalAt[corner.Vertex]);
                firstNormalAt[corner.Vertex] = found;
            }
            corner.Normal = found;
        }
    }
}

} // namespace

Vector PolygonNormal(const std::vector<Vector>& vertices, const std::vector<FaceCorner>& corners) {
    Vector sum;
    const std::size_t n = corners.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Vector& a = vertices[corners[i].Vertex];
        const Vector& b = vertices[corners[(i + 1) % n].Vertex];
        sum.X += (a.Y - b.Y) * (a.Z + b.Z);
        sum.Y += (a.Z - b.Z) * (a.X + b.X);
        sum.Z += (a.X - b.X) * (a.Y + b.Y);
    }
    // The sum above follows the right-hand rule; the scene's front faces wind clockwise in a
    // left-handed frame, which is the same direction.
    return Normalize(sum);
}

void GenerateMeshNormals(std::vector<Vector>& vertices, std::vector<TextureCoord>& texCoords,
                         std::vector<FaceData>& faces, std::vector<Vector>& normals, float crease,
                         unsigned flags) {
    if (flags & kNormalsCompact)
        MergeEqualVertices(vertices, texCoords, faces);
    std::vector<Vector> faceNormals(faces.size());
    for (std::size_t f = 0; f < faces.size(); ++f)
        faceNormals[f] = PolygonNormal(vertices, faces[f].Corners);
    const Incidence inc = BuildIncidence(vertices.size(), faces);
    if (flags & kNormalsUseCrease)
        CreasedNormals(inc, faceNormals, crease, faces, normals);
    else
        SmoothNormals(inc, faceNormals, faces, normals);
}

} // namespace lumora::scene
