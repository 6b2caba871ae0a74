#include "platform/scene/MeshBuilder.h"

#include "platform/scene/MeshFileWriter.h"
#include "platform/scene/MeshImport.h"
#include "platform/scene/Normals.h"

namespace lumora::scene {

Result MeshBuilder::Load(const std::string& path) {
    ImportedMesh imported;
    const Result result = ImportMeshFile(path, false, imported);
    if (!Succeeded(result))
        return result;
    AppendImported(*this, imported);
    return Result::Ok;
}

Result MeshBuilder::Save(const std::string& path, XFileFormat format, unsigned options) const {
    const MeshBuilder* meshes[] = {this};
    return WriteXFile(path, format == XFileFormat::Text, meshes, options);
}

Result MeshBuilder::CreateFace(std::shared_ptr<Face>& face) {
    FaceData data;
    data.FaceColor = m_Color;
    data.FaceTexture = m_Texture;
    data.FaceMaterial = m_Material;
    m_Faces.push_back(std::move(data));
    face = std::make_shared<Face>(std::static_pointer_cast<MeshBuilder>(shared_from_this()),
                                  m_Faces.size() - 1);
    return Result::Ok;
}

std::size_t MeshBuilder::AddFace(std::span<const Vector> points, Color color) {
    FaceData data;
    data.FaceColor = color;
    data.FaceTexture = m_Texture;
    data.FaceMaterial = m_Material;
    data.Corners.reserve(points.size());
    for (const Vector& p : points) {
        data.Corners.push_back({std::uint32_t(m_Vertices.size()), kNoNormal});
        m_Vertices.push_back(p);
        m_TexCoords.push_back({});
    }
    m_Faces.push_back(std::move(data));
    return m_Faces.size() - 1;
}

bool MeshBuilder::AddVertexToFace(std::size_t faceIndex, const Vector& point) {
    if (faceIndex >= m_Faces.size())
        return false;
    m_Faces[faceIndex].Corners.push_back({std::uint32_t(m_Vertices.size()), kNoNormal});
    m_Vertices.push_back(point);
    m_TexCoords.push_back({});
    return true;
}

void MeshBuilder::ReserveSpace(std::size_t vertices, std::size_t normals, std::size_t faces) {
    m_Vertices.reserve(vertices);
    m_TexCoords.reserve(vertices);
    m_Normals.reserve(normals);
    m_Faces.reserve(faces);
}

void MeshBuilder::SetColor(Color color) {
    m_Color = color;
    for (FaceData& face : m_Faces)
        face.FaceColor = color;
}

void MeshBuilder::SetTexture(TexturePtr texture) {
    m_Texture = texture;
    for (FaceData& face : m_Faces)
        face.FaceTexture = texture;
}

void MeshBuilder::SetMaterial(MaterialPtr material) {
    m_Material = material;
    for (FaceData& face : m_Faces)
        face.FaceMaterial = material;
}

Result MeshBuilder::GetFace(std::size_t index, std::shared_ptr<Face>& face) {
    if (index >= m_Faces.size())
        return Result::BadValue;
    face = std::make_shared<Face>(std::static_pointer_cast<MeshBuilder>(shared_from_this()), index);
    return Result::Ok;
}

Result MeshBuilder::SetTextureCoordinates(std::size_t vertex, float u, float v) {
    if (vertex >= m_TexCoords.size())
        return Result::BadValue;
    m_TexCoords[vertex] = {u, v};
    return Result::Ok;
}

Vector MeshBuilder::FaceNormal(std::size_t index) const {
    return PolygonNormal(m_Vertices, m_Faces[index].Corners);
}

std::vector<std::uint32_t> MeshBuilder::GetFaceData() const {
    const bool withNormals = !m_Normals.empty();
    std::vector<std::uint32_t> data;
    for (const FaceData& face : m_Faces) {
        data.push_back(std::uint32_t(face.Corners.size()));
        for (const FaceCorner& corner : face.Corners) {
            data.push_back(corner.Vertex);
            if (withNormals)
                data.push_back(corner.Normal == kNoNormal ? 0 : corner.Normal);
        }
    }
    return data;
}

bool MeshBuilder::GetBox(Box& box) const {
    box = {};
    bool empty = true;
    for (const Vector& v : m_Vertices)
        Extend(box, empty, v);
    return !empty;
}

Result MeshBuilder::GenerateNormals(float crease, unsigned flags) {
    GenerateMeshNormals(m_Vertices, m_TexCoords, m_Faces, m_Normals, crease, flags);
    return Result::Ok;
}

void MeshBuilder::Assign(std::vector<Vector> vertices, std::vector<TextureCoord> texCoords,
                         std::vector<Vector> normals, std::vector<FaceData> faces) {
    texCoords.resize(vertices.size());
    m_Vertices = std::move(vertices);
    m_TexCoords = std::move(texCoords);
    m_Normals = std::move(normals);
    m_Faces = std::move(faces);
}

Result Face::AddVertex(float x, float y, float z) {
    return m_Mesh->AddVertexToFace(m_Index, {x, y, z}) ? Result::Ok : Result::BadObject;
}

Result Face::SetTextureCoordinates(std::size_t corner, float u, float v) {
    const FaceData& data = Data();
    if (corner >= data.Corners.size())
        return Result::BadValue;
    return m_Mesh->SetTextureCoordinates(data.Corners[corner].Vertex, u, v);
}

Result Face::GetVertex(std::size_t corner, Vector& position, Vector& normal) const {
    const FaceData& data = Data();
    if (corner >= data.Corners.size())
        return Result::BadValue;
    const FaceCorner& c = data.Corners[corner];
    position = m_Mesh->Vertices()[c.Vertex];
    const auto& normals = m_Mesh->Normals();
    normal = c.Normal < normals.size() ? normals[c.Normal] : Vector{};
    return Result::Ok;
}

} // namespace lumora::scene
