#include "platform/render/GlMeshCache.h"

#include "platform/scene/Normals.h"
#include "platform/scene/Texture.h"

#include <QImage>
#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <future>
#include <thread>

namespace lumora::render {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;

// One corner as the GPU reads it: position, packed normal, half-float texture coordinates. The
// colours are in a buffer of their own (RGBA bytes per corner), so recolouring a mesh rewrites
// only them.
struct GpuVertex {
    float X, Y, Z;
    std::uint32_t Normal;
    std::uint16_t U, V;
};
static_assert(sizeof(GpuVertex) == 20);

using GpuColor = std::uint32_t; // R, G, B, A bytes in memory order

GpuColor MakeColor(scene::Color color) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(scene::ColorRed(color)),
                                   static_cast<std::uint8_t>(scene::ColorGreen(color)),
                                   static_cast<std::uint8_t>(scene::ColorBlue(color)),
                                   static_cast<std::uint8_t>(scene::ColorAlpha(color))};
    GpuColor packed;
    std::memcpy(&packed, bytes, 4);
    return packed;
}

std::uint32_t PackNormal(const scene::Vector& n) {
    auto part = [](float v) {
        const float c = std::clamp(v, -1.0f, 1.0f);
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(c * 511.0f))) &
               0x3FF;
    };
    return part(n.X) | (part(n.Y) << 10) | (part(n.Z) << 20);
}

std::uint16_t HalfFloat(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const std::uint32_t sign = (bits >> 16) & 0x8000;
    const int exponent = int((bits >> 23) & 0xFF) - 127 + 15;
    const std::uint32_t mantissa = bits & 0x7FFFFF;
    if (exponent <= 0)
        return static_cast<std::uint16_t>(sign); // too small: zero
    if (exponent >= 31)
        return static_cast<std::uint16_t>(sign | 0x7BFF); // too large: the largest half
    return static_cast<std::uint16_t>(sign | (exponent << 10) | (mantissa >> 13));
}

GpuVertex MakeVertex(const scene::Vector& p, const scene::Vector& n, scene::TextureCoord uv) {
    return {p.X, p.Y, p.Z, PackNormal(n), HalfFloat(uv.U), HalfFloat(uv.V)};
}

struct Hasher {
    std::uint64_t Value = 1469598103934665603ull;
    void Add(std::uint64_t v) { Value = (Value ^ v) * 1099511628211ull; }
    void Add(const void* p) { Add(reinterpret_cast<std::uintptr_t>(p)); }
};

std::uint64_t Signature(const scene::MeshBuilder& mesh, bool withLines, bool coarse) {
    Hasher h;
    h.Add(withLines ? 1 : 2);
    h.Add(coarse ? 5 : 6);
    h.Add(mesh.GeometryVersion());
    h.Add(mesh.AppearanceVersion());
    return h.Value;
}

std::uint64_t Signature(const scene::ProgressiveMesh& mesh, bool withLines) {
    Hasher h;
    h.Add(withLines ? 3 : 4);
    h.Add(mesh.CurrentTriangles().data());
    h.Add(mesh.CurrentTriangles().size());
    h.Add(mesh.Positions().data());
    h.Add(mesh.Positions().size());
    h.Add(mesh.GetColor());
    return h.Value;
}

// The GL buffers of a chunk from its corners, their colours, triangle indices and edge indices.
void Upload(GpuChunk& gpu, const std::vector<GpuVertex>& corners,
            const std::vector<GpuColor>& colors, const std::vector<std::uint32_t>& triangles,
            const std::vector<std::uint32_t>& lines) {
    if (!gpu.Vao) {
        glGenVertexArrays(1, &gpu.Vao);
        glGenBuffers(1, &gpu.Vertices);
        glGenBuffers(1, &gpu.Colors);
        glGenBuffers(1, &gpu.Triangles);
        glGenBuffers(1, &gpu.Lines);
    }
    glBindVertexArray(gpu.Vao);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.Vertices);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(corners.size() * sizeof(GpuVertex)), corners.data(),
                 GL_STATIC_DRAW);
    const GLsizei stride = sizeof(GpuVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_INT_2_10_10_10_REV, GL_TRUE, stride,
                          reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_HALF_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(16));
    glBindBuffer(GL_ARRAY_BUFFER, gpu.Colors);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(colors.size() * sizeof(GpuColor)), colors.data(),
                 GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(GpuColor), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu.Triangles);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(triangles.size() * 4), triangles.data(),
                 GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu.Lines);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(lines.size() * 4), lines.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gpu.CornerCount = static_cast<std::uint32_t>(corners.size());
    gpu.LineIndexCount = static_cast<std::uint32_t>(lines.size());
}

// The packed colours of the scene carry alpha 254 for an opaque face: only less is see-through.
bool IsTransparent(scene::Color color) {
    return scene::ColorAlpha(color) < 254;
}

struct GroupKey {
    const scene::Texture* GroupTexture;
    const scene::Material* GroupMaterial;
    bool Transparent;
};

// Assigns every face of [first, last) to a draw group and counts each group's triangle indices.
std::vector<std::uint16_t> GroupFaces(const scene::MeshBuilder& mesh, std::size_t first,
                                      std::size_t last, std::vector<DrawGroup>& groups) {
    std::vector<std::uint16_t> faceGroup(last - first);
    std::size_t current = 0;
    for (std::size_t f = first; f < last; ++f) {
        const GroupKey key{mesh.FaceTexture(f).get(), mesh.FaceMaterial(f).get(),
                           IsTransparent(mesh.FaceColor(f))};
        auto same = [&](const DrawGroup& g) {
            return g.GroupTexture == key.GroupTexture && g.GroupMaterial == key.GroupMaterial &&
                   g.Transparent == key.Transparent;
        };
        if (groups.empty() || !same(groups[current])) {
            const auto it = std::find_if(groups.begin(), groups.end(), same);
            if (it == groups.end() && groups.size() < 0xFFFF) {
                groups.push_back({const_cast<scene::Texture*>(key.GroupTexture),
                                  const_cast<scene::Material*>(key.GroupMaterial), key.Transparent,
                                  0, 0});
                current = groups.size() - 1;
            } else {
                current = it == groups.end() ? 0 : std::size_t(it - groups.begin());
            }
        }
        faceGroup[f - first] = static_cast<std::uint16_t>(current);
        const std::size_t n = mesh.FaceCorners(f).size();
        if (n >= 3)
            groups[current].IndexCount += static_cast<std::uint32_t>(3 * (n - 2));
    }
    std::uint32_t start = 0;
    for (DrawGroup& g : groups) {
        g.FirstIndex = start;
        start += g.IndexCount;
    }
    return faceGroup;
}

// Corners of a chunk shared by faces that meet at a vertex with the same normal. The first
// corner of each mesh vertex is found through a small open hash of the chunk's vertices, so a
// chunk of a huge mesh costs only what the chunk holds.
//
// A face's colour reaches the GPU through the last corner of each of its triangles (flat
// shading of the colour): every face owns the corner its triangles end on, which no other face
// may end on. So the colours can be rewritten without touching the corners: each corner takes
// the colour of the face that owns it (or, when none does, of the first face that used it).
class CornerTable {
public:
    CornerTable(const scene::MeshBuilder& mesh, std::size_t cornerCount) : m_Mesh(mesh) {
        std::size_t slotCount = 64;
        while (slotCount < 2 * cornerCount)
            slotCount *= 2;
        m_Slots.assign(slotCount, {kNone, kNone});
        m_Corners.reserve(cornerCount);
        m_Next.reserve(cornerCount);
        m_NormalOf.reserve(cornerCount);
        m_FaceOf.reserve(cornerCount);
    }
    // The corner of face (chunk-relative) at c.
    std::uint32_t Corner(const scene::FaceCorner& c, std::uint32_t face,
                         const scene::Vector& faceNormal) {
        if (c.Normal == scene::kNoNormal || c.Normal >= m_Mesh.Normals().size())
            return Add(c.Vertex, faceNormal, face, kNone, kNone);
        Slot& head = Find(c.Vertex);
        for (std::uint32_t i = head.First; i != kNone; i = m_Next[i])
            if (m_NormalOf[i] == c.Normal)
                return i;
        const std::uint32_t index =
            Add(c.Vertex, m_Mesh.Normals()[c.Normal], face, c.Normal, head.First);
        head.First = index;
        return index;
    }
    // Writes triangle (a, b, c) of face into out, turned so that it ends on a corner the face
    // owns; claims a free corner, or copies one when all three belong to other faces.
    void Triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t face,
                  std::uint32_t* out) {
        const std::uint32_t mine = face | kOwned;
        const std::uint32_t order[3][3] = {{b, c, a}, {c, a, b}, {a, b, c}};
        for (const auto& t : order)
            if (Claim(t[2], mine)) {
                std::copy(t, t + 3, out);
                return;
            }
        const auto copy = static_cast<std::uint32_t>(m_Corners.size());
        m_Corners.push_back(m_Corners[a]);
        m_NormalOf.push_back(kNone);
        m_Next.push_back(kNone);
        m_FaceOf.push_back(mine);
        out[0] = b;
        out[1] = c;
        out[2] = copy;
    }
    std::vector<GpuVertex>& Corners() { return m_Corners; }
    // Per corner, the chunk-relative face whose colour it carries.
    std::vector<std::uint32_t> ColorFaces() const {
        std::vector<std::uint32_t> faces(m_FaceOf.size());
        std::transform(m_FaceOf.begin(), m_FaceOf.end(), faces.begin(),
                       [](std::uint32_t f) { return f & ~kOwned; });
        return faces;
    }

private:
    static constexpr std::uint32_t kOwned = 0x80000000u;
    struct Slot {
        std::uint32_t Vertex, First;
    };
    bool Claim(std::uint32_t corner, std::uint32_t mine) {
        std::uint32_t& owner = m_FaceOf[corner];
        if (owner == mine)
            return true;
        if (owner & kOwned)
            return false;
        owner = mine;
        return true;
    }
    Slot& Find(std::uint32_t vertex) {
        const std::size_t mask = m_Slots.size() - 1;
        for (std::size_t i = (vertex * 2654435761u) & mask;; i = (i + 1) & mask) {
            Slot& slot = m_Slots[i];
            if (slot.Vertex == vertex)
                return slot;
            if (slot.Vertex == kNone) {
                slot.Vertex = vertex;
                return slot;
            }
        }
    }
    std::uint32_t Add(std::uint32_t v, const scene::Vector& n, std::uint32_t face,
                      std::uint32_t normal, std::uint32_t next) {
        const auto index = static_cast<std::uint32_t>(m_Corners.size());
        m_Corners.push_back(MakeVertex(m_Mesh.Vertices()[v], n, m_Mesh.TextureCoordinate(v)));
        m_NormalOf.push_back(normal);
        m_FaceOf.push_back(face);
        m_Next.push_back(next);
        return index;
    }
    const scene::MeshBuilder& m_Mesh;
    std::vector<Slot> m_Slots;
    std::vector<std::uint32_t> m_Next, m_NormalOf, m_FaceOf;
    std::vector<GpuVertex> m_Corners;
};

// The colour of every corner from the faces of the chunk starting at face first.
std::vector<GpuColor> CornerColors(const scene::MeshBuilder& mesh, std::size_t first,
                                   const std::vector<std::uint32_t>& colorFaces) {
    std::vector<GpuColor> colors(colorFaces.size());
    const auto& faceColors = mesh.FaceColors();
    for (std::size_t i = 0; i < colors.size(); ++i)
        colors[i] = MakeColor(faceColors[first + colorFaces[i]]);
    return colors;
}

bool CornersValid(std::span<const scene::FaceCorner> corners, std::size_t vertexCount) {
    return std::all_of(corners.begin(), corners.end(),
                       [&](const scene::FaceCorner& c) { return c.Vertex < vertexCount; });
}

void AddEdges(const std::vector<std::uint32_t>& ids, std::vector<std::uint32_t>& lines) {
    const std::size_t n = ids.size();
    if (n < 2)
        return;
    for (std::size_t i = 0; i < (n == 2 ? 1 : n); ++i) {
        lines.push_back(ids[i]);
        lines.push_back(ids[(i + 1) % n]);
    }
}

void KeepTransparent(GpuChunk& gpu, const std::vector<std::uint32_t>& triangles,
                     const std::vector<GpuVertex>& corners) {
    gpu.TransparentIndices.clear();
    gpu.TransparentCentres.clear();
    for (const DrawGroup& g : gpu.Groups) {
        if (!g.Transparent)
            continue;
        for (std::uint32_t i = g.FirstIndex; i < g.FirstIndex + g.IndexCount; i += 3) {
            scene::Vector c;
            for (int k = 0; k < 3; ++k) {
                const GpuVertex& v = corners[triangles[i + k]];
                c = c + scene::Vector{v.X, v.Y, v.Z} * (1.0f / 3);
            }
            gpu.TransparentCentres.push_back(c);
        }
        gpu.TransparentIndices.insert(gpu.TransparentIndices.end(),
                                      triangles.begin() + g.FirstIndex,
                                      triangles.begin() + g.FirstIndex + g.IndexCount);
    }
}

scene::Box CornerBounds(const std::vector<GpuVertex>& corners) {
    scene::Box box;
    bool empty = true;
    for (const GpuVertex& v : corners)
        scene::Extend(box, empty, {v.X, v.Y, v.Z});
    return box;
}

// Chunks smaller than this are drawn in full at any distance; a coarse copy that keeps more than
// kCoarseMostKept of the triangles is not worth its indices.
constexpr std::uint32_t kCoarseLeastTriangles = 2000;
constexpr double kCoarseMostKept = 0.5;

// Appends a coarse copy of a chunk holding one opaque run (the usual cave passage) to its
// triangle indices: about an eighth of the triangles, vertices merged on a grid over the
// chunk, with the largest distance a surface moved.
void AddCoarseCopy(GpuChunk& gpu, std::vector<std::uint32_t>& triangles,
                   const std::vector<GpuVertex>& corners) {
    if (gpu.Groups.size() != 1 || gpu.Groups.front().Transparent ||
        gpu.TriangleCount < kCoarseLeastTriangles)
        return;
    const std::size_t count = triangles.size();
    std::vector<std::uint32_t> coarse(count);
    float relativeError = 0;
    coarse.resize(meshopt_simplify(coarse.data(), triangles.data(), count, &corners[0].X,
                                   corners.size(), sizeof(GpuVertex), count / 12 * 3, 0.02f, 0,
                                   &relativeError));
    if (coarse.empty() || double(coarse.size()) > kCoarseMostKept * double(count))
        return;
    gpu.CoarseFirstIndex = static_cast<std::uint32_t>(count);
    gpu.CoarseIndexCount = static_cast<std::uint32_t>(coarse.size());
    gpu.CoarseError =
        relativeError * meshopt_simplifyScale(&corners[0].X, corners.size(), sizeof(GpuVertex));
    triangles.insert(triangles.end(), coarse.begin(), coarse.end());
}

// What a chunk's buffers are made of, built away from the GL thread.
struct ChunkArrays {
    GpuChunk Chunk; // without GL objects: groups, counts, transparent runs, bounds
    std::vector<GpuVertex> Corners;
    std::vector<GpuColor> Colors;
    std::vector<std::uint32_t> Triangles, Lines;
};

// The faces [first, last) of a mesh as the arrays of one chunk.
ChunkArrays BuildChunk(const scene::MeshBuilder& mesh, std::size_t first, std::size_t last,
                       bool withLines, bool coarse) {
    ChunkArrays arrays;
    GpuChunk& gpu = arrays.Chunk;
    const std::vector<std::uint16_t> faceGroup = GroupFaces(mesh, first, last, gpu.Groups);
    std::vector<std::uint32_t> next(gpu.Groups.size());
    for (std::size_t g = 0; g < gpu.Groups.size(); ++g)
        next[g] = gpu.Groups[g].FirstIndex;
    std::vector<std::uint32_t> triangles(
        gpu.Groups.empty() ? 0 : gpu.Groups.back().FirstIndex + gpu.Groups.back().IndexCount);
    std::vector<std::uint32_t> lines, ids;
    const auto& starts = mesh.FaceStarts();
    CornerTable table(mesh, starts[last] - starts[first]);
    gpu.TransparentFaces.assign(last - first, false);
    for (std::size_t f = first; f < last; ++f) {
        const auto face = static_cast<std::uint32_t>(f - first);
        const auto corners = mesh.FaceCorners(f);
        const std::size_t n = corners.size();
        ids.clear();
        if (CornersValid(corners, mesh.Vertices().size())) {
            const scene::Vector normal = scene::PolygonNormal(mesh.Vertices(), corners);
            for (const scene::FaceCorner& c : corners)
                ids.push_back(table.Corner(c, face, normal));
        }
        gpu.TransparentFaces[face] = IsTransparent(mesh.FaceColor(f));
        std::uint32_t& out = next[faceGroup[face]];
        for (std::size_t k = 2; k < n; ++k, out += 3) {
            if (ids.size() == n)
                table.Triangle(ids[0], ids[k - 1], ids[k], face, &triangles[out]);
            else
                std::fill_n(&triangles[out], 3, 0u);
        }
        if (withLines)
            AddEdges(ids, lines);
    }
    gpu.TriangleCount = static_cast<std::uint32_t>(triangles.size() / 3);
    gpu.Bounds = CornerBounds(table.Corners());
    KeepTransparent(gpu, triangles, table.Corners());
    if (coarse)
        AddCoarseCopy(gpu, triangles, table.Corners());
    gpu.ColorFaces = table.ColorFaces();
    arrays.Colors = CornerColors(mesh, first, gpu.ColorFaces);
    arrays.Corners = std::move(table.Corners());
    arrays.Triangles = std::move(triangles);
    arrays.Lines = std::move(lines);
    return arrays;
}

// Moves the arrays into the chunk's GL buffers, keeping its GL objects.
void UploadChunk(GpuChunk& chunk, ChunkArrays& arrays) {
    const GpuChunk objects = chunk;
    chunk = std::move(arrays.Chunk);
    chunk.Vao = objects.Vao;
    chunk.Vertices = objects.Vertices;
    chunk.Colors = objects.Colors;
    chunk.Triangles = objects.Triangles;
    chunk.Lines = objects.Lines;
    Upload(chunk, arrays.Corners, arrays.Colors, arrays.Triangles, arrays.Lines);
}

void ReleaseChunk(GpuChunk& chunk) {
    if (chunk.Vao) {
        glDeleteVertexArrays(1, &chunk.Vao);
        const GLuint buffers[] = {chunk.Vertices, chunk.Colors, chunk.Triangles, chunk.Lines};
        glDeleteBuffers(4, buffers);
    }
    chunk = GpuChunk{};
}

// Chunks of kChunkFaces faces each (one for a small mesh), keeping the GL objects of chunks that
// are built again.
void Resize(GpuMesh& gpu, std::size_t chunks) {
    for (std::size_t i = chunks; i < gpu.Chunks.size(); ++i)
        ReleaseChunk(gpu.Chunks[i]);
    gpu.Chunks.resize(chunks);
}

void Summarise(GpuMesh& gpu, bool withLines) {
    gpu.TriangleCount = 0;
    gpu.AnyTransparent = false;
    for (const GpuChunk& chunk : gpu.Chunks) {
        gpu.TriangleCount += chunk.TriangleCount;
        gpu.AnyTransparent = gpu.AnyTransparent || !chunk.TransparentIndices.empty();
    }
    gpu.HasLines = withLines;
}

std::size_t Cores() {
    return std::max(2u, std::thread::hardware_concurrency());
}

// The faces of chunk c of a mesh.
std::pair<std::size_t, std::size_t> ChunkFaces(const scene::MeshBuilder& mesh, std::size_t c) {
    return {c * GpuMesh::kChunkFaces,
            std::min(mesh.GetFaceCount(), (c + 1) * GpuMesh::kChunkFaces)};
}

// The coarse copies are made later (BuildCoarseCopies): the chunks are built without them.
void BuildMesh(GpuMesh& gpu, const scene::MeshBuilder& mesh, bool withLines) {
    const std::size_t faces = mesh.GetFaceCount();
    const std::size_t chunks =
        std::max<std::size_t>(1, (faces + GpuMesh::kChunkFaces - 1) / GpuMesh::kChunkFaces);
    Resize(gpu, chunks);
    auto build = [&](std::size_t c) {
        const auto [first, last] = ChunkFaces(mesh, c);
        return BuildChunk(mesh, first, last, withLines, false);
    };
    // The arrays of the next chunks are made on other threads, one per core, while this one's
    // go to the GPU.
    const std::size_t ahead = Cores();
    std::deque<std::future<ChunkArrays>> pending;
    std::size_t started = 0;
    for (std::size_t c = 0; c < chunks; ++c) {
        for (; started < chunks && started < c + ahead; ++started)
            pending.push_back(std::async(std::launch::async, build, started));
        ChunkArrays current = pending.front().get();
        pending.pop_front();
        UploadChunk(gpu.Chunks[c], current);
    }
    Summarise(gpu, withLines);
}

void BuildMesh(GpuMesh& gpu, const scene::ProgressiveMesh& mesh, bool withLines) {
    const auto& positions = mesh.Positions();
    const auto& triangles = mesh.CurrentTriangles();
    std::vector<scene::Vector> normals(positions.size());
    for (std::size_t i = 0; i + 2 < triangles.size(); i += 3) {
        const scene::Vector& a = positions[triangles[i]];
        const scene::Vector n =
            scene::Cross(positions[triangles[i + 1]] - a, positions[triangles[i + 2]] - a);
        for (int k = 0; k < 3; ++k)
            normals[triangles[i + k]] = normals[triangles[i + k]] + n;
    }
    std::vector<GpuVertex> corners;
    corners.reserve(positions.size());
    for (std::size_t v = 0; v < positions.size(); ++v)
        corners.push_back(MakeVertex(positions[v], scene::Normalize(normals[v]), {}));
    const std::vector<GpuColor> colors(corners.size(), MakeColor(mesh.GetColor()));
    std::vector<std::uint32_t> lines;
    if (withLines)
        for (std::size_t i = 0; i + 2 < triangles.size(); i += 3)
            AddEdges({triangles[i], triangles[i + 1], triangles[i + 2]}, lines);
    Resize(gpu, 1);
    GpuChunk& chunk = gpu.Chunks.front();
    const bool transparent = IsTransparent(mesh.GetColor());
    chunk.Groups = {{nullptr, nullptr, transparent, 0, std::uint32_t(triangles.size())}};
    chunk.TriangleCount = static_cast<std::uint32_t>(triangles.size() / 3);
    chunk.Bounds = CornerBounds(corners);
    KeepTransparent(chunk, triangles, corners);
    Upload(chunk, corners, colors, triangles, lines);
    Summarise(gpu, withLines);
}

// New face colours into the chunks' colour buffers, the corners untouched; false (nothing
// written) when a face became see-through or opaque, which moves it to another draw group.
bool UpdateColors(GpuMesh& gpu, const scene::MeshBuilder& mesh) {
    const auto& faceColors = mesh.FaceColors();
    for (std::size_t c = 0; c < gpu.Chunks.size(); ++c) {
        const GpuChunk& chunk = gpu.Chunks[c];
        const std::size_t first = c * GpuMesh::kChunkFaces;
        if (first + chunk.TransparentFaces.size() > faceColors.size())
            return false;
        for (std::size_t f = 0; f < chunk.TransparentFaces.size(); ++f)
            if (IsTransparent(faceColors[first + f]) != chunk.TransparentFaces[f])
                return false;
    }
    for (std::size_t c = 0; c < gpu.Chunks.size(); ++c) {
        const GpuChunk& chunk = gpu.Chunks[c];
        const std::vector<GpuColor> colors =
            CornerColors(mesh, c * GpuMesh::kChunkFaces, chunk.ColorFaces);
        glBindBuffer(GL_ARRAY_BUFFER, chunk.Colors);
        glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(colors.size() * sizeof(GpuColor)),
                        colors.data());
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}

} // namespace

GlMeshCache::~GlMeshCache() {
    Clear();
}

GpuMesh& GlMeshCache::Slot(const scene::SceneObject& owner) {
    auto& known = m_Owners[&owner];
    GpuMesh& gpu = m_Meshes[&owner];
    if (known.expired() || known.lock().get() != &owner) {
        gpu.Signature = 0; // a new object, perhaps where a freed one lived
        known = owner.weak_from_this();
    }
    gpu.Seen = true;
    return gpu;
}

GpuMesh& GlMeshCache::Get(const scene::MeshBuilder& mesh, bool withLines) {
    GpuMesh& gpu = Slot(mesh);
    const std::uint64_t signature = Signature(mesh, withLines || gpu.HasLines, m_Coarse);
    if (signature == gpu.Signature && mesh.ColorVersion() == gpu.ColorVersion)
        return gpu;
    if (signature == gpu.Signature && UpdateColors(gpu, mesh)) {
        ++m_ColorUploads;
    } else {
        BuildMesh(gpu, mesh, withLines || gpu.HasLines);
        gpu.Signature = signature;
        gpu.CoarseNext = m_Coarse ? 0 : gpu.Chunks.size();
        ++m_Uploads;
    }
    gpu.ColorVersion = mesh.ColorVersion();
    return gpu;
}

GpuMesh& GlMeshCache::Get(const scene::ProgressiveMesh& mesh, bool withLines) {
    GpuMesh& gpu = Slot(mesh);
    const std::uint64_t signature = Signature(mesh, withLines || gpu.HasLines);
    if (signature != gpu.Signature) {
        BuildMesh(gpu, mesh, withLines || gpu.HasLines);
        gpu.Signature = signature;
        gpu.CoarseNext = gpu.Chunks.size();
        ++m_Uploads;
    }
    return gpu;
}

bool GlMeshCache::CoarseCopiesPending() const {
    return std::any_of(m_Meshes.begin(), m_Meshes.end(),
                       [](const auto& m) { return m.second.CoarseNext < m.second.Chunks.size(); });
}

bool GlMeshCache::BuildCoarseCopies(std::chrono::milliseconds budget) {
    const auto start = std::chrono::steady_clock::now();
    for (auto& [owner, gpu] : m_Meshes) {
        if (gpu.CoarseNext >= gpu.Chunks.size())
            continue;
        const auto object = m_Owners[owner].lock();
        const auto* mesh = dynamic_cast<const scene::MeshBuilder*>(object.get());
        // A mesh changed since its upload is built again, coarse copies and all, when drawn.
        if (!mesh || Signature(*mesh, gpu.HasLines, m_Coarse) != gpu.Signature)
            continue;
        while (gpu.CoarseNext < gpu.Chunks.size()) {
            if (std::chrono::steady_clock::now() - start >= budget)
                return true;
            // The chunk is built again exactly as it was uploaded (its corners do not depend on
            // colours), so only its triangle indices, coarse copy appended, go to the GPU.
            std::vector<std::future<ChunkArrays>> batch;
            for (std::size_t c = gpu.CoarseNext; c < gpu.Chunks.size() && batch.size() < Cores();
                 ++c)
                batch.push_back(std::async(std::launch::async, [&, c] {
                    const auto [first, last] = ChunkFaces(*mesh, c);
                    return BuildChunk(*mesh, first, last, false, true);
                }));
            for (auto& pending : batch) {
                ChunkArrays arrays = pending.get();
                GpuChunk& chunk = gpu.Chunks[gpu.CoarseNext++];
                if (!arrays.Chunk.CoarseIndexCount)
                    continue;
                glBindVertexArray(chunk.Vao);
                glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(arrays.Triangles.size() * 4),
                             arrays.Triangles.data(), GL_DYNAMIC_DRAW);
                glBindVertexArray(0);
                chunk.CoarseFirstIndex = arrays.Chunk.CoarseFirstIndex;
                chunk.CoarseIndexCount = arrays.Chunk.CoarseIndexCount;
                chunk.CoarseError = arrays.Chunk.CoarseError;
            }
        }
    }
    return false;
}

GLuint GlMeshCache::Texture(const scene::Texture& texture) {
    const QImage& image = texture.Image();
    if (image.isNull())
        return 0;
    TextureEntry& entry = m_Textures[&texture];
    const bool sameOwner = !entry.Owner.expired() && entry.Owner.lock().get() == &texture;
    if (entry.Id && sameOwner && entry.ImageKey == image.cacheKey())
        return entry.Id;
    if (!entry.Id)
        glGenTextures(1, &entry.Id);
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    glBindTexture(GL_TEXTURE_2D, entry.Id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, rgba.width(), rgba.height(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.constBits());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    entry.ImageKey = image.cacheKey();
    entry.Owner = texture.weak_from_this();
    return entry.Id;
}

void GlMeshCache::BeginFrame() {
    for (auto& [owner, gpu] : m_Meshes)
        gpu.Seen = false;
}

void GlMeshCache::Release(GpuMesh& gpu) {
    Resize(gpu, 0);
    gpu = GpuMesh{};
}

void GlMeshCache::Sweep() {
    for (auto it = m_Meshes.begin(); it != m_Meshes.end();) {
        if (it->second.Seen) {
            ++it;
            continue;
        }
        Release(it->second);
        m_Owners.erase(it->first);
        it = m_Meshes.erase(it);
    }
    for (auto it = m_Textures.begin(); it != m_Textures.end();) {
        if (!it->second.Owner.expired()) {
            ++it;
            continue;
        }
        glDeleteTextures(1, &it->second.Id);
        it = m_Textures.erase(it);
    }
}

void GlMeshCache::Clear() {
    for (auto& [owner, gpu] : m_Meshes)
        Release(gpu);
    m_Meshes.clear();
    m_Owners.clear();
    for (auto& [texture, entry] : m_Textures)
        glDeleteTextures(1, &entry.Id);
    m_Textures.clear();
}

} // namespace lumora::render
