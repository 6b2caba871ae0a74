#include "platform/scene/Wrap.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumora::scene {

namespace {

Vector AnySquareTo(const Vector& z) {
    const Vector trial = std::abs(z.Y) < 0.9f ? Vector{0, 1, 0} : Vector{1, 0, 0};
    return Normalize(trial - z * Dot(trial, z));
}

float TurnFraction(float x, float z) {
    return x == 0 && z == 0 ? 0 : std::atan2(x, z) / (2 * std::numbers::pi_v<float>);
}

// One normal per vertex from the corners (the last corner naming a vertex wins).
std::vector<Vector> VertexNormals(const MeshBuilder& mesh) {
    std::vector<Vector> result(mesh.GetVertexCount());
    const auto& normals = mesh.Normals();
    for (const FaceCorner& corner : mesh.Corners())
        if (corner.Normal < normals.size())
            result[corner.Vertex] = normals[corner.Normal];
    return result;
}

} // namespace

Wrap::Wrap(const WrapParameters& parameters, FramePtr reference)
    : m_Parameters(parameters), m_Reference(std::move(reference)) {
    m_Z = Normalize(parameters.Direction);
    if (Length(m_Z) == 0)
        m_Z = {0, 0, 1};
    m_Y = Normalize(parameters.Up - m_Z * Dot(parameters.Up, m_Z));
    if (Length(m_Y) == 0)
        m_Y = AnySquareTo(m_Z);
    m_X = Cross(m_Y, m_Z);
}

TextureCoord Wrap::Map(const Vector& point, const Vector& normal) const {
    const WrapParameters& w = m_Parameters;
    const Vector d = point - w.Origin;
    const Vector local{Dot(d, m_X), Dot(d, m_Y), Dot(d, m_Z)};
    float a = 0, b = 0;
    switch (w.Type) {
    case WrapType::Flat:
        a = local.X, b = local.Y;
        break;
    case WrapType::Cylinder:
        a = TurnFraction(local.X, local.Z), b = local.Y;
        break;
    case WrapType::Sphere: {
        const float r = Length(local);
        a = TurnFraction(local.X, local.Z);
        b = r > 0 ? std::asin(std::clamp(local.Y / r, -1.0f, 1.0f)) / std::numbers::pi_v<float> : 0;
        break;
    }
    case WrapType::Chrome: {
        const Vector n = Length(normal) > 0 ? normal : Normalize(d);
        a = 0.5f + Dot(n, m_X) / 2, b = 0.5f - Dot(n, m_Y) / 2;
        break;
    }
    }
    return {w.OriginU + w.ScaleU * a, w.OriginV + w.ScaleV * b};
}

Result Wrap::ApplyThrough(const Matrix& toWrap, MeshBuilder& mesh) const {
    const std::vector<Vector> normals = VertexNormals(mesh);
    const auto& vertices = mesh.Vertices();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Vector p = TransformPoint(vertices[i], toWrap);
        const Vector n = Normalize(TransformDirection(normals[i], toWrap));
        const TextureCoord uv = Map(p, n);
        mesh.SetTextureCoordinates(i, uv.U, uv.V);
    }
    return Result::Ok;
}

Result Wrap::Apply(MeshBuilder& mesh) const {
    return ApplyThrough(Matrix::Identity(), mesh);
}

Result Wrap::ApplyRelative(const Frame& frame, MeshBuilder& mesh) const {
    Matrix toReference = Matrix::Identity();
    if (m_Reference)
        Inverse(m_Reference->WorldTransform(), toReference);
    return ApplyThrough(frame.WorldTransform() * toReference, mesh);
}

} // namespace lumora::scene
