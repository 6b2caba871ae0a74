// Internal to the renderer: meshes and pictures of the scene kept in GL buffers and textures,
// uploaded when first drawn and again when they change. Includes the GL headers.
#pragma once

#include "platform/scene/MeshBuilder.h"
#include "platform/scene/ProgressiveMesh.h"

#include <epoxy/gl.h>

#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lumora::render {

// A run of triangles that share a texture and a material; transparent runs are drawn last.
struct DrawGroup {
    scene::Texture* GroupTexture = nullptr;
    scene::Material* GroupMaterial = nullptr;
    bool Transparent = false;
    std::uint32_t FirstIndex = 0; // into the triangle indices
    std::uint32_t IndexCount = 0;
};

// A piece of a mesh in buffers of its own: up to kChunkFaces faces, with the box they fill, so
// that a big mesh is drawn only where it meets the view and is uploaded a piece at a time.
struct GpuChunk {
    GLuint Vao = 0, Vertices = 0, Colors = 0, Triangles = 0, Lines = 0;
    std::uint32_t CornerCount = 0;
    std::uint32_t TriangleCount = 0;
    std::uint32_t LineIndexCount = 0;
    std::vector<DrawGroup> Groups;
    // Per corner, the face (from the chunk's first) whose colour it carries; per face, whether it
    // was see-through: what a colour-only update needs.
    std::vector<std::uint32_t> ColorFaces;
    std::vector<bool> TransparentFaces;
    // Triangle indices and object-space centres of the transparent runs, for sorting.
    std::vector<std::uint32_t> TransparentIndices;
    std::vector<scene::Vector> TransparentCentres;
    scene::Box Bounds;
    // A coarser copy of a chunk of one opaque run, drawn instead of it while the view is too
    // far for the difference to show: its triangle indices follow the full ones, and Error is
    // the furthest any surface moved (object units).
    std::uint32_t CoarseFirstIndex = 0;
    std::uint32_t CoarseIndexCount = 0;
    float CoarseError = 0;
};

struct GpuMesh {
    static constexpr std::size_t kChunkFaces = 20000;
    std::vector<GpuChunk> Chunks;
    std::uint32_t TriangleCount = 0; // faces split into triangles, all chunks
    bool HasLines = false;
    bool AnyTransparent = false;
    std::uint64_t Signature = 0;
    std::uint64_t ColorVersion = 0;
    // The next chunk to get its coarse copy (none left when it reaches Chunks.size()).
    std::size_t CoarseNext = 0;
    bool Seen = false;
};

class GlMeshCache {
public:
    ~GlMeshCache();
    // The GL form of a mesh, uploaded now when it is new or changed; withLines also builds the
    // face edges for wire frame drawing.
    GpuMesh& Get(const scene::MeshBuilder& mesh, bool withLines);
    GpuMesh& Get(const scene::ProgressiveMesh& mesh, bool withLines);
    // The GL texture of a picture (uploaded once per picture); 0 for an empty picture.
    GLuint Texture(const scene::Texture& texture);

    // With on, meshes built from now on also get coarse copies of their big chunks: not while
    // they are first uploaded (the first picture comes first) but by BuildCoarseCopies.
    void SetCoarseCopies(bool on) { m_Coarse = on; }
    // Makes the coarse copies still missing, a few chunks at a time on every core, until the
    // budget is spent; true while some are left.
    bool BuildCoarseCopies(std::chrono::milliseconds budget);
    bool CoarseCopiesPending() const;

    // Marks every mesh unseen; Sweep frees those not drawn since.
    void BeginFrame();
    void Sweep();
    void Clear();
    // Meshes built and uploaded whole, and meshes whose colours alone were sent again.
    std::size_t UploadCount() const { return m_Uploads; }
    std::size_t ColorUploadCount() const { return m_ColorUploads; }

private:
    struct TextureEntry {
        GLuint Id = 0;
        std::int64_t ImageKey = 0;
        std::weak_ptr<const scene::SceneObject> Owner;
    };
    GpuMesh& Slot(const scene::SceneObject& owner);
    void Release(GpuMesh& mesh);

    std::unordered_map<const scene::SceneObject*, GpuMesh> m_Meshes;
    std::unordered_map<const scene::SceneObject*, std::weak_ptr<const scene::SceneObject>> m_Owners;
    std::unordered_map<const scene::Texture*, TextureEntry> m_Textures;
    std::size_t m_Uploads = 0;
    std::size_t m_ColorUploads = 0;
    bool m_Coarse = false;
};

} // namespace lumora::render
