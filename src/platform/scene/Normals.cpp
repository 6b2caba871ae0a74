#include "platform/scene/Normals.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumora::scene {

namespace {

std::uint32_t PositionBits(float value) {
    if (value == 0)
        value = 0; // -0 and +0 are the same position
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::uint32_t PositionHash(const Vector& v) {
    std::uint64_t h = PositionBits(v.X) * 0x9E3779B97F4A7C15ull;
    h ^= PositionBits(v.Y) * 0xC2B2AE3D27D4EB4Full;
    h ^= PositionBits(v.Z) * 0x165667B19E3779F9ull;
    return std::uint32_t(h >> 32);
}

bool SamePosition(const Vector& a, const Vector& b) {
    return PositionBits(a.X) == PositionBits(b.X) && PositionBits(a.Y) == PositionBits(b.Y) &&
           PositionBits(a.Z) == PositionBits(b.Z);
}

// Sorts keys (hash in the upper half, vertex index in the lower) by hash, keeping the index
// order within equal hashes: two stable counting passes of 16 bits each on big inputs.
void SortByHash(std::vector<std::uint64_t>& keys) {
    if (keys.size() < (1u << 16)) {
        std::sort(keys.begin(), keys.end()); // the index breaks ties: the same order
        return;
    }
    std::vector<std::uint64_t> spare(keys.size());
    std::vector<std::uint32_t> count(1u << 16);
    for (int shift : {32, 48}) {
        std::fill(count.begin(), count.end(), 0);
        for (std::uint64_t k : keys)
            ++count[(k >> shift) & 0xFFFF];
        std::uint32_t sum = 0;
        for (std::uint32_t& c : count)
            sum += std::exchange(c, sum);
        for (std::uint64_t k : keys)
            spare[count[(k >> shift) & 0xFFFF]++] = k;
        keys.swap(spare);
    }
}

void MergeEqualVertices(std::vector<Vector>& vertices, std::vector<TextureCoord>& texCoords,
                        std::vector<FaceCorner>& corners) {
    std::vector<std::uint32_t> newIndex;
    const std::size_t distinct = MergedIndexes(vertices, newIndex);
    if (distinct == vertices.size())
        return; // nothing to merge: every index stays
    // The first of each position moves down to its new place, which is never after its old.
    std::size_t next = 0;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (newIndex[i] != next)
            continue; // a repeat of an earlier position
        vertices[next] = vertices[i];
        if (!texCoords.empty())
            texCoords[next] = texCoords[i];
        ++next;
    }
    vertices.resize(distinct);
    vertices.shrink_to_fit();
    if (!texCoords.empty()) {
        texCoords.resize(distinct);
        texCoords.shrink_to_fit();
    }
    for (FaceCorner& corner : corners)
        corner.Vertex = newIndex[corner.Vertex];
}

// For every vertex, the faces whose corners use it (compressed rows).
struct Incidence {
    std::vector<std::uint32_t> Start; // vertex count + 1 entries
    std::vector<std::uint32_t> Face;
};

Incidence BuildIncidence(std::size_t vertexCount, const std::vector<FaceCorner>& corners,
                         const std::vector<std::uint32_t>& faceStarts) {
    Incidence inc;
    inc.Start.assign(vertexCount + 1, 0);
    for (const FaceCorner& corner : corners)
        ++inc.Start[corner.Vertex + 1];
    for (std::size_t v = 0; v < vertexCount; ++v)
        inc.Start[v + 1] += inc.Start[v];
    inc.Face.resize(inc.Start.back());
    std::vector<std::uint32_t> fill(inc.Start.begin(), inc.Start.end() - 1);
    const std::size_t faceCount = faceStarts.size() - 1;
    for (std::size_t f = 0; f < faceCount; ++f)
        for (std::uint32_t c = faceStarts[f]; c < faceStarts[f + 1]; ++c)
            inc.Face[fill[corners[c].Vertex]++] = std::uint32_t(f);
    return inc;
}

void SmoothNormals(const Incidence& inc, const std::vector<Vector>& faceNormals,
                   std::vector<FaceCorner>& corners, std::vector<Vector>& normals) {
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
    for (FaceCorner& corner : corners)
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

bool SameVector(const Vector& a, const Vector& b) {
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z;
}

void CreasedNormals(const Incidence& inc, const std::vector<Vector>& faceNormals, float crease,
                    std::vector<FaceCorner>& corners, const std::vector<std::uint32_t>& faceStarts,
                    std::vector<Vector>& normals) {
    const float cosLimit = std::cos(crease) - 1e-6f;
    const std::size_t vertexCount = inc.Start.size() - 1;
    normals.clear();
    normals.reserve(vertexCount + vertexCount / 4);
    // The normals made so far at each vertex, so corners that agree share one.
    std::vector<std::uint32_t> firstNormalAt(vertexCount, kNoNormal);
    std::vector<std::uint32_t> nextOfSameVertex;
    nextOfSameVertex.reserve(normals.capacity());
    const std::size_t faceCount = faceStarts.size() - 1;
    for (std::size_t f = 0; f < faceCount; ++f) {
        for (std::uint32_t c = faceStarts[f]; c < faceStarts[f + 1]; ++c) {
            FaceCorner& corner = corners[c];
            const Vector n =
                CreasedNormal(inc, faceNormals, corner.Vertex, std::uint32_t(f), cosLimit);
            std::uint32_t found = firstNormalAt[corner.Vertex];
            while (found != kNoNormal && !SameVector(normals[found], n))
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

std::size_t MergedIndexes(const std::vector<Vector>& vertices, std::vector<std::uint32_t>& index) {
    const std::size_t n = vertices.size();
    std::vector<std::uint64_t> keys(n);
    for (std::size_t i = 0; i < n; ++i)
        keys[i] = (std::uint64_t(PositionHash(vertices[i])) << 32) | i;
    SortByHash(keys);
    // Within a run of equal hashes (indexes ascending), a vertex equal to an earlier one of the
    // run takes that one's index; the rest point to themselves.
    index.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        index[i] = std::uint32_t(i);
    for (std::size_t run = 0; run < n;) {
        std::size_t end = run + 1;
        while (end < n && (keys[end] >> 32) == (keys[run] >> 32))
            ++end;
        for (std::size_t a = run + 1; a < end; ++a) {
            const auto ia = std::uint32_t(keys[a]);
            for (std::size_t b = run; b < a; ++b) {
                const auto ib = std::uint32_t(keys[b]);
                if (index[ib] == ib && SamePosition(vertices[ia], vertices[ib])) {
                    index[ia] = ib;
                    break;
                }
            }
        }
        run = end;
    }
    // In vertex order the first of each position takes the next place; a repeat takes the place
    // its first got, which lies before it and is final already.
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < n; ++i)
        index[i] = index[i] == i ? next++ : index[index[i]];
    return next;
}

Vector PolygonNormal(const std::vector<Vector>& vertices, std::span<const FaceCorner> corners) {
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
                         std::vector<FaceCorner>& corners,
                         const std::vector<std::uint32_t>& faceStarts, std::vector<Vector>& normals,
                         float crease, unsigned flags) {
    if (flags & kNormalsCompact)
        MergeEqualVertices(vertices, texCoords, corners);
    const std::size_t faceCount = faceStarts.size() - 1;
    std::vector<Vector> faceNormals(faceCount);
    for (std::size_t f = 0; f < faceCount; ++f)
        faceNormals[f] = PolygonNormal(
            vertices, {corners.data() + faceStarts[f], corners.data() + faceStarts[f + 1]});
    const Incidence inc = BuildIncidence(vertices.size(), corners, faceStarts);
    if (flags & kNormalsUseCrease)
        CreasedNormals(inc, faceNormals, crease, corners, faceStarts, normals);
    else
        SmoothNormals(inc, faceNormals, corners, normals);
}

} // namespace lumora::scene
