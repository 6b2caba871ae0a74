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

struct FaceData {
    std::vector<FaceCorner> Corners;
    Color FaceColor = 0xFFFFFFFF;
    TexturePtr FaceTexture;
    MaterialPtr FaceMaterial;
};

class Face;

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
    // A new face with its own new vertices, in the order given; returns its index.
    std::size_t AddFace(std::span<const Vector> points, Color color);
    // Adds a new vertex (texture coordinates 0, 0) to face faceIndex; false when there is no
    // such face.
    bool AddVertexToFace(std::size_t faceIndex, const Vector& point);
    // Makes room for this many vertices, normals and faces in all.
    void ReserveSpace(std::size_t vertices, std::size_t normals, std::size_t faces);

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

    std::size_t GetFaceCount() const { return m_Faces.size(); }
    std::size_t GetVertexCount() const { return m_Vertices.size(); }
    std::size_t GetNormalCount() const { return m_Normals.size(); }
    Result GetFace(std::size_t index, std::shared_ptr<Face>& face);
    const std::vector<FaceData>& Faces() const { return m_Faces; }
    std::vector<FaceData>& Faces() { return m_Faces; }
    const std::vector<Vector>& Vertices() const { return m_Vertices; }
    const std::vector<Vector>& Normals() const { return m_Normals; }
    const std::vector<TextureCoord>& TextureCoordinates() const { return m_TexCoords; }
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

private:
    std::vector<Vector> m_Vertices;
    std::vector<TextureCoord> m_TexCoords;
    std::vector<Vector> m_Normals;
    std::vector<FaceData> m_Faces;
    Color m_Color = 0xFFFFFFFF;
    TexturePtr m_Texture;
    MaterialPtr m_Material;
    unsigned m_Quality = kShadeGouraud | kLightOn | kFillSolid;
};

// A handle on one face of a mesh builder; it keeps the builder alive.
class Face : public SceneObject {
public:
    Face(std::shared_ptr<MeshBuilder> mesh, std::size_t index)
        : m_Mesh(std::move(mesh)), m_Index(index) {}
    std::string ClassName() const override { return "Face"; }

    Result AddVertex(float x, float y, float z);
    void SetColor(Color color) { Data().FaceColor = color; }
    void SetColorRGB(float r, float g, float b) { SetColor(ColorFromRGB(r, g, b)); }
    Color GetColor() const { return Data().FaceColor; }
    void SetTexture(TexturePtr texture) { Data().FaceTexture = std::move(texture); }
    const TexturePtr& GetTexture() const { return Data().FaceTexture; }
    void SetMaterial(MaterialPtr material) { Data().FaceMaterial = std::move(material); }
    const MaterialPtr& GetMaterial() const { return Data().FaceMaterial; }
    // Texture coordinates of the face's corner (0-based) vertex.
    Result SetTextureCoordinates(std::size_t corner, float u, float v);
    std::size_t GetVertexCount() const { return Data().Corners.size(); }
    // Position and normal (zero when none) of a corner.
    Result GetVertex(std::size_t corner, Vector& position, Vector& normal) const;
    std::size_t Index() const { return m_Index; }

private:
    FaceData& Data() const { return m_Mesh->Faces()[m_Index]; }
    std::shared_ptr<MeshBuilder> m_Mesh;
    std::size_t m_Index;
};

using MeshBuilderPtr = std::shared_ptr<MeshBuilder>;
using FacePtr = std::shared_ptr<Face>;

} // namespace lumora::scene
