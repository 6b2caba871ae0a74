#include "passage/MeshStore.h"

#include <algorithm>
#include <functional>

namespace lumora::passage {

using namespace scene;

Color PackedColor(std::uint32_t frameworkColor) {
    const std::uint32_t r = frameworkColor & 0xFF, g = (frameworkColor >> 8) & 0xFF,
                        b = (frameworkColor >> 16) & 0xFF;
    return (254u << 24) | (r << 16) | (g << 8) | b;
}

Vector FloatColor(std::uint32_t frameworkColor) {
    return {(frameworkColor & 0xFF) / 255.0f, ((frameworkColor >> 8) & 0xFF) / 255.0f,
            ((frameworkColor >> 16) & 0xFF) / 255.0f};
}

TMeshArray::TMeshArray(Root& root, int Kind, const std::string&) : m_Root(root), m_Kind(Kind) {
    NewMesh();
}

void TMeshArray::NewMesh() {
    if (Count() >= kMaxMeshes)
        return;
    MeshBuilderPtr mesh;
    if (!CreateNamedMeshBuilder(m_Root, m_Kind, 0x808080, "MeshName" + std::to_string(Count() + 1),
                                mesh))
        return; // the next faces still go into the previous mesh
    mesh->SetWeldOnAdd(m_Weld);
    if (!m_Meshes.empty())
        m_FacesBefore += m_Meshes.back()->GetFaceCount();
    m_Meshes.push_back(std::move(mesh));
    ReserveExpected();
    if (m_OnFull && m_Meshes.size() >= 2)
        m_OnFull(m_Meshes[m_Meshes.size() - 2]);
    m_ReservedFaces = 0;
    m_ReservedVertices = 0;
}

void TMeshArray::ExpectFaces(std::size_t faces) {
    m_ExpectedFaces = faces;
    ReserveExpected();
}

void TMeshArray::ReserveExpected() {
    if (m_ExpectedFaces == 0 || m_Meshes.empty())
        return;
    const std::size_t left = m_ExpectedFaces > m_FacesBefore ? m_ExpectedFaces - m_FacesBefore : 0;
    const std::size_t faces =
        Count() < kMaxMeshes ? std::min(left, kFacesPerMesh + 2) : left + left / 8;
    // Welded walls keep about one vertex a face; others four.
    const std::size_t vertices = m_Weld ? faces + faces / 4 : 4 * faces;
    Current().ReserveSpace(vertices, vertices + vertices / 4, faces);
}

void TMeshArray::SetWeldVertices(bool weld) {
    m_Weld = weld;
    for (const MeshBuilderPtr& mesh : m_Meshes)
        mesh->SetWeldOnAdd(weld);
}

void TMeshArray::CheckFull() {
    if (Count() >= 1 && Current().GetFaceCount() > kFacesPerMesh)
        NewMesh();
}

void TMeshArray::Reserve() {
    CheckFull();
    if (Count() == 0)
        return;
    MeshBuilder& mesh = Current();
    const std::size_t f = mesh.GetFaceCount(), v = mesh.GetVertexCount();
    if (m_ReservedFaces == 0) {
        m_ReservedFaces = 100;
        m_ReservedVertices = 400;
        mesh.ReserveSpace(400, 800, 100);
    } else if (f * 10 > m_ReservedFaces * 7 || v * 10 > m_ReservedVertices * 7) {
        const std::size_t df = f * 3 / 10, dv = v * 3 / 10;
        mesh.ReserveSpace(v + dv, 2 * (v + dv), f + df);
        m_ReservedFaces += f + df;
        m_ReservedVertices += v + dv;
    }
}

// Face colours from a framework colour, converted once for a run of faces of the same colour.
Color TMeshArray::Rgb(std::uint32_t frameworkColor) {
    Convert(frameworkColor);
    return m_LastRgb;
}

Color TMeshArray::Packed(std::uint32_t frameworkColor) {
    Convert(frameworkColor);
    return m_LastPacked;
}

void TMeshArray::Convert(std::uint32_t frameworkColor) {
    if (frameworkColor == m_LastColor && m_LastRgb != 0)
        return;
    const Vector rgb = FloatColor(frameworkColor);
    m_LastRgb = ColorFromRGB(rgb.X, rgb.Y, rgb.Z);
    m_LastPacked = PackedColor(frameworkColor);
    m_LastColor = frameworkColor;
}

void TMeshArray::AddTriangle(std::uint32_t Color, const Vector& a, const Vector& b,
                             const Vector& c) {
    Reserve();
    if (Count() == 0)
        return;
    const Vector points[3] = {a, b, c};
    const std::size_t face = Current().AddFace(points, Packed(Color));
    Current().SetFaceColor(face, Rgb(Color)); // after the packed form, as the store always has
}

void TMeshArray::AddQuad(std::uint32_t Color, const Vector& a, const Vector& b, const Vector& c,
                         const Vector& d) {
    Reserve();
    if (Count() == 0)
        return;
    const Vector points[4] = {a, b, c, d};
    Current().AddFace(points, Rgb(Color));
    Reserve();
}

Result TMeshArray::AttachTo(Frame& frame) {
    MaterialPtr material;
    Result result = m_Root.CreateMaterial(100000, material);
    for (const MeshBuilderPtr& mesh : m_Meshes) {
        if (!Succeeded(result))
            break;
        mesh->SetMaterial(material);
        result = frame.AddVisual(mesh);
    }
    return result;
}

bool CreateNamedMeshBuilder(Root& root, int kind, std::uint32_t color, const std::string& name,
                            MeshBuilderPtr& mesh) {
    MeshBuilderPtr created;
    if (!Succeeded(root.CreateMeshBuilder(created)))
        return false;
    created->SetAppData(std::uint32_t(kind));
    created->SetName(name);
    const Vector rgb = FloatColor(color);
    created->SetColorRGB(rgb.X, rgb.Y, rgb.Z);
    mesh = std::move(created);
    return true;
}

static std::string InBuffer(const std::string& text) {
    return text.substr(0, 39);
}

std::string ObjectName(const SceneObject* object) {
    return object ? InBuffer(object->GetName()) : std::string();
}

std::string ObjectClassName(const SceneObject* object) {
    return object ? InBuffer(object->ClassName()) : std::string();
}

void SetTransparency(MeshBuilder& mesh, int percent) {
    percent = std::clamp(percent, 0, 100);
    const std::uint32_t alpha = std::uint32_t((100 - percent) / 100.0 * 255);
    for (std::size_t f = 0; f < mesh.GetFaceCount(); ++f)
        mesh.SetFaceColor(f, (mesh.FaceColor(f) & 0x00FFFFFF) | (alpha << 24));
}

void CountFacesAndVertices(const Frame& frame, std::size_t& faces, std::size_t& vertices) {
    for (const VisualPtr& visual : frame.GetVisuals()) {
        if (const auto* pm = dynamic_cast<const ProgressiveMesh*>(visual.get())) {
            faces += pm->GetFaceDetail();
            vertices += pm->GetVertexDetail();
        } else if (const auto* mb = dynamic_cast<const MeshBuilder*>(visual.get())) {
            faces += mb->GetFaceCount();
            vertices += mb->GetVertexCount();
        }
    }
    for (const FramePtr& child : frame.GetChildren())
        CountFacesAndVertices(*child, faces, vertices);
}

void ClearFrame(Frame& frame) {
    while (!frame.GetVisuals().empty())
        frame.DeleteVisual(frame.GetVisuals().front());
    while (!frame.GetChildren().empty()) {
        const FramePtr child = frame.GetChildren().front();
        ClearFrame(*child);
        frame.DeleteChild(child);
    }
}

static bool RemoveFirstVisual(Frame& frame, const std::function<bool(const Visual&)>& matches) {
    for (const VisualPtr& visual : frame.GetVisuals())
        if (matches(*visual)) {
            frame.DeleteVisual(VisualPtr(visual));
            return true;
        }
    for (const FramePtr& child : frame.GetChildren())
        if (RemoveFirstVisual(*child, matches))
            return true;
    return false;
}

bool RemoveVisualByName(Frame& frame, const std::string& name) {
    return RemoveFirstVisual(frame, [&](const Visual& v) { return ObjectName(&v) == name; });
}

bool RemoveVisualByKind(Frame& frame, std::uint32_t kind) {
    return RemoveFirstVisual(frame, [&](const Visual& v) { return v.GetAppData() == kind; });
}

} // namespace lumora::passage
