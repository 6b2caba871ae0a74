// The mesh builder: vertices, normals, texture coordinates and faces of one editable mesh,
// with the face handle through which single faces are built and read.
#pragma once

#include "platform/scene/Light.h"
#include "platform/scene/Result.h"
#include "platform/scene/Texture.h"

#include <span>
#include <vector>

namespace lumora::scene {

constexpr std::uint32_t kNoNormal = 0xFFFFFFFF;

// Render quality word: shade model (bits 0..2), lighting (bits 3..5), fill mode (bits 6..8).
constexpr unsigned kShadeFlat = 0, kShadeGouraud = 1, kShadePhong = 2, kShadeMask = 0x7;
constexpr unsigned kLightOff = 0, kLightOn = 8, kLightMask = 0x38;
constexpr unsigned kFillPoints = 0, kFillWireframe = 64, kFillSolid = 128, kFillMask = 0x1C0;

// Flags of GenerateNormals: merge equal vertices first; honour the crease angle.
constexpr unsigned kNormalsCompact = 1, kNormalsUseCrease = 2;

// Mesh file formats and save options of MeshBuilder::Save.
enum class XFileFormat { Binary = 0, Text = 2 };
constexpr unsigned kSaveNormals = 1, kSaveTextureCoordinates = 2, kSaveMaterials = 4,
                   kSaveTextureNames = 8;

struct TextureCoord {
    float U = 0, V = 0;
};

// One corner of a face: a vertex index and a normal index (kNoNormal before normals exist).
struct FaceCorner {
    std::uint32_t Vertex = 0;
    std::uint32_t Normal = kNoNormal;
};

// A face as a value: how the loaders hand a whole mesh over (Assign) and how a face reads back
// (MeshBuilder::FaceAt). The builder itself keeps its faces in flat arrays.
struct FaceData {
    std::vector<FaceCorner> Corners;
    Color FaceColor = 0xFFFFFFFF;
    TexturePtr FaceTexture;
    MaterialPtr FaceMaterial;
};

class Face;

// Faces live in flat arrays (corners of all faces in one array, colours in another), so adding a
// face allocates nothing of its own and a mesh of millions of faces is a handful of blocks.
// Texture coordinates are kept only once one is set (all 0 before). Every change counts up
// GeometryVersion (positions, normals, corners, texture coordinates), AppearanceVersion
// (textures, materials) or ColorVersion (face colours), so a renderer knows what to upload
// again: recolouring a mesh sends only its colours.
class MeshBuilder : public Visual {
public:
    std::string ClassName() const override { return "Builder"; }

    // Adds the faces of a mesh file (.x text or binary, and every format the importer reads);
    // the builder is unchanged when the file cannot be read.
    Result Load(const std::string& path);
    // Writes the mesh as a .x file; options are kSave... bits.
    Result Save(const std::string& path, XFileFormat format, unsigned options) const;

    // A new, empty face with the builder's colour, texture and material.
    Result CreateFace(std::shared_ptr<Face>& face);
    // A new face with its own new vertices, in the order given; returns its index. With
    // SetWeldOnAdd, a point equal to one of the recently added vertices reuses that vertex.
    std::size_t AddFace(std::span<const Vector> points, Color color);
    // Adds a new vertex (texture coordinates 0, 0) to face faceIndex; false when there is no
    // such face.
    bool AddVertexToFace(std::size_t faceIndex, const Vector& point);
    // Makes room for this many vertices, normals and faces in all (four corners a face). Never
    // shrinks; grows at least by half, so a caller reserving in small steps does not copy the
    // mesh on every step.
    void ReserveSpace(std::size_t vertices, std::size_t normals, std::size_t faces);
    // For meshes whose vertices will be merged by position anyway (GenerateNormals with
    // kNormalsCompact): AddFace then reuses a vertex of the same position found among those
    // added shortly before, which keeps the mesh small while it is filled. GenerateNormals merges
    // whatever is left, so the mesh ends up exactly as it would have without.
    void SetWeldOnAdd(bool weld);

    // Colour, texture and material of every face and of faces created later.
    void SetColor(Color color);
    void SetColorRGB(float r, float g, float b) { SetColor(ColorFromRGB(r, g, b)); }
    Color GetColor() const { return m_Color; }
    void SetTexture(TexturePtr texture);
    const TexturePtr& GetTexture() const { return m_Texture; }
    void SetMaterial(MaterialPtr material);
    const MaterialPtr& GetMaterial() const { return m_Material; }
    void SetQuality(unsigned quality) { m_Quality = quality; }
    unsigned GetQuality() const { return m_Quality; }

    std::size_t GetFaceCount() const { return m_FaceColors.size(); }
    std::size_t GetVertexCount() const { return m_Vertices.size(); }
    std::size_t GetNormalCount() const { return m_Normals.size(); }
    Result GetFace(std::size_t index, std::shared_ptr<Face>& face);

    // One face: its corners, colour, texture and material. index < GetFaceCount().
    std::span<const FaceCorner> FaceCorners(std::size_t index) const {
        return {m_Corners.data() + m_FaceStarts[index], m_Corners.data() + m_FaceStarts[index + 1]};
    }
    Color FaceColor(std::size_t index) const { return m_FaceColors[index]; }
    void SetFaceColor(std::size_t index, Color color);
    const TexturePtr& FaceTexture(std::size_t index) const;
    void SetFaceTexture(std::size_t index, TexturePtr texture);
    const MaterialPtr& FaceMaterial(std::size_t index) const;
    void SetFaceMaterial(std::size_t index, MaterialPtr material);
    FaceData FaceAt(std::size_t index) const;
    // The faces as flat arrays: face f's corners are Corners()[FaceStarts()[f]] up to
    // Corners()[FaceStarts()[f + 1]]; FaceColors()[f] is its colour.
    const std::vector<std::uint32_t>& FaceStarts() const { return m_FaceStarts; }
    const std::vector<FaceCorner>& Corners() const { return m_Corners; }
    const std::vector<Color>& FaceColors() const { return m_FaceColors; }
    // True when some face has a texture or a material.
    bool AnyFaceTexture() const { return m_TexturePalette.size() > 1; }
    bool AnyFaceMaterial() const { return m_MaterialPalette.size() > 1; }

    const std::vector<Vector>& Vertices() const { return m_Vertices; }
    const std::vector<Vector>& Normals() const { return m_Normals; }
    // Per vertex, or empty while no vertex has texture coordinates (all 0 then).
    const std::vector<TextureCoord>& TextureCoordinates() const { return m_TexCoords; }
    TextureCoord TextureCoordinate(std::size_t vertex) const {
        return vertex < m_TexCoords.size() ? m_TexCoords[vertex] : TextureCoord{};
    }
    Result SetTextureCoordinates(std::size_t vertex, float u, float v);
    // Unit normal of a face from its corner positions; zero for a degenerate face.
    Vector FaceNormal(std::size_t index) const;
    // Face data as a list: per face the corner count n, then n vertex indices, each followed by
    // its normal index when the mesh has normals.
    std::vector<std::uint32_t> GetFaceData() const;

    // Box of all vertices; false (and a zero box) for a mesh without vertices.
    bool GetBox(Box& box) const override;

    // Replaces the vertex normals: crease in radians, flags kNormalsCompact | kNormalsUseCrease.
    Result GenerateNormals(float crease, unsigned flags);

    // Replaces the whole geometry at once (vertices, texture coordinates per vertex, normals,
    // faces); used by the loaders.
    void Assign(std::vector<Vector> vertices, std::vector<TextureCoord> texCoords,
                std::vector<Vector> normals, std::vector<FaceData> faces);

    std::uint64_t GeometryVersion() const { return m_GeometryVersion; }
    std::uint64_t AppearanceVersion() const { return m_AppearanceVersion; }
    std::uint64_t ColorVersion() const { return m_ColorVersion; }

private:
    std::uint16_t TextureIndex(const TexturePtr& texture);
    std::uint16_t MaterialIndex(const MaterialPtr& material);
    std::uint32_t AddVertex(const Vector& point);
    void AppendFace(Color color);

    std::vector<Vector> m_Vertices;
    std::vector<TextureCoord> m_TexCoords; // empty, or one per vertex
    std::vector<Vector> m_Normals;
    std::vector<std::uint32_t> m_FaceStarts{0}; // faces + 1 entries
    std::vector<FaceCorner> m_Corners;
    std::vector<Color> m_FaceColors;
    std::vector<std::uint16_t> m_FaceTextures;  // index into m_TexturePalette
    std::vector<std::uint16_t> m_FaceMaterials; // index into m_MaterialPalette
    std::vector<TexturePtr> m_TexturePalette{nullptr};
    std::vector<MaterialPtr> m_MaterialPalette{nullptr};
    std::vector<std::uint32_t> m_WeldWindow; // recent vertices by position hash, when welding
    Color m_Color = 0xFFFFFFFF;
    TexturePtr m_Texture;
    MaterialPtr m_Material;
    unsigned m_Quality = kShadeGouraud | kLightOn | kFillSolid;
    std::uint64_t m_GeometryVersion = 0;
    std::uint64_t m_AppearanceVersion = 0;
    std::uint64_t m_ColorVersion = 0;

    friend class Face;
};

// A handle on one face of a mesh builder; it keeps the builder alive.
class Face : public SceneObject {
public:
    Face(std::shared_ptr<MeshBuilder> mesh, std::size_t index)
        : m_Mesh(std::move(mesh)), m_Index(index) {}
    std::string ClassName() const override { return "Face"; }

    Result AddVertex(float x, float y, float z);
    void SetColor(Color color) { m_Mesh->SetFaceColor(m_Index, color); }
    void SetColorRGB(float r, float g, float b) { SetColor(ColorFromRGB(r, g, b)); }
    Color GetColor() const { return m_Mesh->FaceColor(m_Index); }
    void SetTexture(TexturePtr texture) { m_Mesh->SetFaceTexture(m_Index, std::move(texture)); }
    const TexturePtr& GetTexture() const { return m_Mesh->FaceTexture(m_Index); }
    void SetMaterial(MaterialPtr material) {
        m_Mesh->SetFaceMaterial(m_Index, std::move(material));
    }
    const MaterialPtr& GetMaterial() const { return m_Mesh->FaceMaterial(m_Index); }
    // Texture coordinates of the face's corner (0-based) vertex.
    Result SetTextureCoordinates(std::size_t corner, float u, float v);
    std::size_t GetVertexCount() const { return m_Mesh->FaceCorners(m_Index).size(); }
    // Position and normal (zero when none) of a corner.
    Result GetVertex(std::size_t corner, Vector& position, Vector& normal) const;
    std::size_t Index() const { return m_Index; }

private:
    std::shared_ptr<MeshBuilder> m_Mesh;
    std::size_t m_Index;
};

using MeshBuilderPtr = std::shared_ptr<MeshBuilder>;
using FacePtr = std::shared_ptr<Face>;

} // namespace lumora::scene
