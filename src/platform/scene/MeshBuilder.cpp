#include "platform/scene/MeshBuilder.h"

#include "platform/scene/MeshFileWriter.h"
#include "platform/scene/MeshImport.h"
#include "platform/scene/Normals.h"

#include <algorithm>
#include <cstring>

namespace lumora::scene {

namespace {

// Slots of the weld window: the most recent vertex of each position hash. The passage walls
// repeat a ring's points within a few dozen vertices, so a small window finds nearly every
// repeat; GenerateNormals merges the few it misses.
constexpr std::size_t kWeldWindow = 4096;

template <class T> void Grow(std::vector<T>& items, std::size_t wanted) {
    if (wanted > items.capacity())
        items.reserve(std::max(wanted, items.capacity() + items.capacity() / 2));
}

// Finds an index in a palette of shared objects, adding the object when it is new. Index 0 is
// "none". When 65536 entries are taken, the entries no face uses are dropped first.
template <class P>
std::uint16_t PaletteIndex(std::vector<P>& palette, std::vector<std::uint16_t>& faceIndexes,
                           const P& item) {
    if (!item)
        return 0;
    const auto it = std::find(palette.begin() + 1, palette.end(), item);
    if (it != palette.end())
        return static_cast<std::uint16_t>(it - palette.begin());
    if (palette.size() > 0xFFFF) {
        std::vector<std::uint16_t> newIndex(palette.size(), 0);
        std::vector<P> kept{nullptr};
        for (std::uint16_t& index : faceIndexes) {
            if (index != 0 && newIndex[index] == 0) {
                newIndex[index] = static_cast<std::uint16_t>(kept.size());
                kept.push_back(palette[index]);
            }
            index = newIndex[index];
        }
        palette = std::move(kept);
        if (palette.size() > 0xFFFF)
            return 0; // every one in use: the face goes without
    }
    palette.push_back(item);
    return static_cast<std::uint16_t>(palette.size() - 1);
}

std::uint32_t PositionBits(float value) {
    if (value == 0)
        value = 0; // -0 and +0 are the same position
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::size_t WindowSlot(const Vector& p) {
    const std::uint64_t h = (std::uint64_t(PositionBits(p.X)) * 0x9E3779B97F4A7C15ull) ^
                            (std::uint64_t(PositionBits(p.Y)) * 0xC2B2AE3D27D4EB4Full) ^
                            (std::uint64_t(PositionBits(p.Z)) * 0x165667B19E3779F9ull);
    return std::size_t(h >> 52) & (kWeldWindow - 1);
}

bool SamePosition(const Vector& a, const Vector& b) {
    return PositionBits(a.X) == PositionBits(b.X) && PositionBits(a.Y) == PositionBits(b.Y) &&
           PositionBits(a.Z) == PositionBits(b.Z);
}

} // namespace

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

// Ends a face whose corners (if any) were just added at the end of m_Corners.
void MeshBuilder::AppendFace(Color color) {
    m_FaceStarts.push_back(std::uint32_t(m_Corners.size()));
    m_FaceColors.push_back(color);
    m_FaceTextures.push_back(TextureIndex(m_Texture));
    m_FaceMaterials.push_back(MaterialIndex(m_Material));
    ++m_GeometryVersion;
}

Result MeshBuilder::CreateFace(std::shared_ptr<Face>& face) {
    AppendFace(m_Color);
    face = std::make_shared<Face>(std::static_pointer_cast<MeshBuilder>(shared_from_this()),
                                  GetFaceCount() - 1);
    return Result::Ok;
}

std::uint32_t MeshBuilder::AddVertex(const Vector& point) {
    std::uint32_t* slot = nullptr;
    if (!m_WeldWindow.empty()) {
        slot = &m_WeldWindow[WindowSlot(point)];
        if (*slot < m_Vertices.size() && SamePosition(m_Vertices[*slot], point))
            return *slot;
    }
    const auto index = std::uint32_t(m_Vertices.size());
    m_Vertices.push_back(point);
    if (!m_TexCoords.empty())
        m_TexCoords.push_back({});
    if (slot)
        *slot = index;
    return index;
}

std::size_t MeshBuilder::AddFace(std::span<const Vector> points, Color color) {
    for (const Vector& p : points)
        m_Corners.push_back({AddVertex(p), kNoNormal});
    AppendFace(color);
    return GetFaceCount() - 1;
}

bool MeshBuilder::AddVertexToFace(std::size_t faceIndex, const Vector& point) {
    if (faceIndex >= GetFaceCount())
        return false;
    const FaceCorner corner{AddVertex(point), kNoNormal};
    // Faces are nearly always built last face first: then the corner goes at the end.
    const std::uint32_t end = m_FaceStarts[faceIndex + 1];
    m_Corners.insert(m_Corners.begin() + end, corner);
    for (std::size_t f = faceIndex + 1; f < m_FaceStarts.size(); ++f)
        ++m_FaceStarts[f];
    ++m_GeometryVersion;
    return true;
}

void MeshBuilder::ReserveSpace(std::size_t vertices, std::size_t normals, std::size_t faces) {
    Grow(m_Vertices, vertices);
    if (!m_TexCoords.empty())
        Grow(m_TexCoords, vertices);
    Grow(m_Normals, normals);
    Grow(m_FaceStarts, faces + 1);
    Grow(m_Corners, 4 * faces);
    Grow(m_FaceColors, faces);
    Grow(m_FaceTextures, faces);
    Grow(m_FaceMaterials, faces);
}

void MeshBuilder::SetWeldOnAdd(bool weld) {
    if (weld)
        m_WeldWindow.assign(kWeldWindow, 0xFFFFFFFF);
    else
        std::vector<std::uint32_t>().swap(m_WeldWindow);
}

std::uint16_t MeshBuilder::TextureIndex(const TexturePtr& texture) {
    return PaletteIndex(m_TexturePalette, m_FaceTextures, texture);
}

std::uint16_t MeshBuilder::MaterialIndex(const MaterialPtr& material) {
    return PaletteIndex(m_MaterialPalette, m_FaceMaterials, material);
}

void MeshBuilder::SetColor(Color color) {
    m_Color = color;
    std::fill(m_FaceColors.begin(), m_FaceColors.end(), color);
    ++m_ColorVersion;
}

void MeshBuilder::SetTexture(TexturePtr texture) {
    m_Texture = std::move(texture);
    m_TexturePalette = {nullptr};
    std::fill(m_FaceTextures.begin(), m_FaceTextures.end(), TextureIndex(m_Texture));
    ++m_AppearanceVersion;
}

void MeshBuilder::SetMaterial(MaterialPtr material) {
    m_Material = std::move(material);
    m_MaterialPalette = {nullptr};
    std::fill(m_FaceMaterials.begin(), m_FaceMaterials.end(), MaterialIndex(m_Material));
    ++m_AppearanceVersion;
}

void MeshBuilder::SetFaceColor(std::size_t index, Color color) {
    m_FaceColors[index] = color;
    ++m_ColorVersion;
}

const TexturePtr& MeshBuilder::FaceTexture(std::size_t index) const {
    return m_TexturePalette[m_FaceTextures[index]];
}

void MeshBuilder::SetFaceTexture(std::size_t index, TexturePtr texture) {
    m_FaceTextures[index] = TextureIndex(texture);
    ++m_AppearanceVersion;
}

const MaterialPtr& MeshBuilder::FaceMaterial(std::size_t index) const {
    return m_MaterialPalette[m_FaceMaterials[index]];
}

void MeshBuilder::SetFaceMaterial(std::size_t index, MaterialPtr material) {
    m_FaceMaterials[index] = MaterialIndex(material);
    ++m_AppearanceVersion;
}

FaceData MeshBuilder::FaceAt(std::size_t index) const {
    const auto corners = FaceCorners(index);
    return {{corners.begin(), corners.end()},
            FaceColor(index),
            FaceTexture(index),
            FaceMaterial(index)};
}

Result MeshBuilder::GetFace(std::size_t index, std::shared_ptr<Face>& face) {
    if (index >= GetFaceCount())
        return Result::BadValue;
    face = std::make_shared<Face>(std::static_pointer_cast<MeshBuilder>(shared_from_this()), index);
    return Result::Ok;
}

Result MeshBuilder::SetTextureCoordinates(std::size_t vertex, float u, float v) {
    if (vertex >= m_Vertices.size())
        return Result::BadValue;
    if (m_TexCoords.empty())
        m_TexCoords.resize(m_Vertices.size());
    m_TexCoords[vertex] = {u, v};
    ++m_GeometryVersion;
    return Result::Ok;
}

Vector MeshBuilder::FaceNormal(std::size_t index) const {
    return PolygonNormal(m_Vertices, FaceCorners(index));
}

std::vector<std::uint32_t> MeshBuilder::GetFaceData() const {
    const bool withNormals = !m_Normals.empty();
    std::vector<std::uint32_t> data;
    for (std::size_t f = 0; f < GetFaceCount(); ++f) {
        const auto corners = FaceCorners(f);
        data.push_back(std::uint32_t(corners.size()));
        for (const FaceCorner& corner : corners) {
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
    GenerateMeshNormals(m_Vertices, m_TexCoords, m_Corners, m_FaceStarts, m_Normals, crease, flags);
    if (flags & kNormalsCompact) // the vertices moved: the window's indexes are stale
        std::fill(m_WeldWindow.begin(), m_WeldWindow.end(), 0xFFFFFFFF);
    ++m_GeometryVersion;
    return Result::Ok;
}

void MeshBuilder::Assign(std::vector<Vector> vertices, std::vector<TextureCoord> texCoords,
                         std::vector<Vector> normals, std::vector<FaceData> faces) {
    if (!texCoords.empty())
        texCoords.resize(vertices.size());
    m_Vertices = std::move(vertices);
    m_TexCoords = std::move(texCoords);
    m_Normals = std::move(normals);
    m_FaceStarts.assign(1, 0);
    m_Corners.clear();
    m_FaceColors.clear();
    m_FaceTextures.clear();
    m_FaceMaterials.clear();
    m_TexturePalette = {nullptr};
    m_MaterialPalette = {nullptr};
    for (const FaceData& face : faces) {
        m_Corners.insert(m_Corners.end(), face.Corners.begin(), face.Corners.end());
        m_FaceStarts.push_back(std::uint32_t(m_Corners.size()));
        m_FaceColors.push_back(face.FaceColor);
        m_FaceTextures.push_back(TextureIndex(face.FaceTexture));
        m_FaceMaterials.push_back(MaterialIndex(face.FaceMaterial));
    }
    ++m_GeometryVersion;
    ++m_AppearanceVersion;
}

Result Face::AddVertex(float x, float y, float z) {
    return m_Mesh->AddVertexToFace(m_Index, {x, y, z}) ? Result::Ok : Result::BadObject;
}

Result Face::SetTextureCoordinates(std::size_t corner, float u, float v) {
    const auto corners = m_Mesh->FaceCorners(m_Index);
    if (corner >= corners.size())
        return Result::BadValue;
    return m_Mesh->SetTextureCoordinates(corners[corner].Vertex, u, v);
}

Result Face::GetVertex(std::size_t corner, Vector& position, Vector& normal) const {
    const auto corners = m_Mesh->FaceCorners(m_Index);
    if (corner >= corners.size())
        return Result::BadValue;
    const FaceCorner& c = corners[corner];
    position = m_Mesh->Vertices()[c.Vertex];
    const auto& normals = m_Mesh->Normals();
    normal = c.Normal < normals.size() ? normals[c.Normal] : Vector{};
    return Result::Ok;
}

} // namespace lumora::scene
