#include "platform/scene/Frame.h"

#include <algorithm>

namespace lumora::scene {

namespace {

template <typename T> bool RemoveFirst(std::vector<std::shared_ptr<T>>& items, const T* item) {
    const auto it = std::find_if(items.begin(), items.end(),
                                 [item](const auto& candidate) { return candidate.get() == item; });
    if (it == items.end())
        return false;
    items.erase(it);
    return true;
}

Matrix Combined(Combine combine, const Matrix& change, const Matrix& own) {
    switch (combine) {
    case Combine::Replace:
        return change;
    case Combine::Before:
        return change * own;
    case Combine::After:
        return own * change;
    }
    return own;
}

Matrix InverseOrIdentity(const Matrix& m) {
    Matrix inverse;
    Inverse(m, inverse);
    return inverse;
}

} // namespace

Result Frame::AddChild(const FramePtr& child) {
    if (!child)
        return Result::BadObject;
    for (const Frame* f = this; f; f = f->m_Parent.lock().get())
        if (f == child.get())
            return Result::BadValue; // a frame cannot hold itself or an ancestor
    if (FramePtr old = child->GetParent())
        RemoveFirst(old->m_Children, child.get());
    child->m_Parent = std::static_pointer_cast<Frame>(shared_from_this());
    m_Children.push_back(child);
    return Result::Ok;
}

Result Frame::DeleteChild(const FramePtr& child) {
    if (!child || !RemoveFirst(m_Children, child.get()))
        return Result::NotFound;
    child->m_Parent.reset();
    return Result::Ok;
}

Result Frame::AddVisual(const VisualPtr& visual) {
    if (!visual)
        return Result::BadObject;
    m_Visuals.push_back(visual);
    return Result::Ok;
}

Result Frame::DeleteVisual(const VisualPtr& visual) {
    return visual && RemoveFirst(m_Visuals, visual.get()) ? Result::Ok : Result::NotFound;
}

Result Frame::AddLight(const LightPtr& light) {
    if (!light)
        return Result::BadObject;
    m_Lights.push_back(light);
    return Result::Ok;
}

Result Frame::DeleteLight(const LightPtr& light) {
    return light && RemoveFirst(m_Lights, light.get()) ? Result::Ok : Result::NotFound;
}

FramePtr Frame::GetParent() const {
    return m_Parent.lock();
}

Matrix Frame::WorldTransform() const {
    return m_Transform * ParentWorld();
}

Matrix Frame::ParentWorld() const {
    const FramePtr parent = GetParent();
    return parent ? parent->WorldTransform() : Matrix::Identity();
}

Matrix Frame::ReferenceWorld(const Frame* reference) const {
    return reference ? reference->WorldTransform() : Matrix::Identity();
}

Result Frame::GetPosition(const Frame* reference, Vector& position) const {
    const Matrix world = WorldTransform();
    const Vector origin{world.M[3][0], world.M[3][1], world.M[3][2]};
    position = TransformPoint(origin, InverseOrIdentity(ReferenceWorld(reference)));
    return Result::Ok;
}

Result Frame::SetPosition(const Frame* reference, float x, float y, float z) {
    const Vector world = TransformPoint({x, y, z}, ReferenceWorld(reference));
    const Vector local = TransformPoint(world, InverseOrIdentity(ParentWorld()));
    m_Transform.M[3] = {local.X, local.Y, local.Z, 1};
    return Result::Ok;
}

Result Frame::GetOrientation(const Frame* reference, Vector& direction, Vector& up) const {
    const Matrix toReference = WorldTransform() * InverseOrIdentity(ReferenceWorld(reference));
    direction = Normalize(TransformDirection({0, 0, 1}, toReference));
    up = Normalize(TransformDirection({0, 1, 0}, toReference));
    return Result::Ok;
}

Result Frame::SetOrientation(const Frame* reference, float dx, float dy, float dz, float ux,
                             float uy, float uz) {
    const Matrix toParent = ReferenceWorld(reference) * InverseOrIdentity(ParentWorld());
    const Vector z = Normalize(TransformDirection({dx, dy, dz}, toParent));
    const Vector upInParent = TransformDirection({ux, uy, uz}, toParent);
    const Vector x = Normalize(Cross(upInParent, z));
    if (Length(z) == 0 || Length(x) == 0)
        return Result::BadValue; // no direction, or up along the direction
    const Vector y = Cross(z, x);
    m_Transform.M[0] = {x.X, x.Y, x.Z, 0};
    m_Transform.M[1] = {y.X, y.Y, y.Z, 0};
    m_Transform.M[2] = {z.X, z.Y, z.Z, 0};
    return Result::Ok;
}

Result Frame::SetRotation(const FramePtr& reference, float x, float y, float z, float angle) {
    m_RotationReference = reference;
    m_RotationRelative = reference != nullptr;
    m_RotationAxis = {x, y, z};
    m_RotationAngle = angle;
    return Result::Ok;
}

void Frame::GetRotation(Vector& axis, float& angle) const {
    axis = m_RotationAxis;
    angle = m_RotationAngle;
}

void Frame::ApplyVelocity(float delta) {
    if (m_RotationAngle == 0 || Length(m_RotationAxis) == 0)
        return;
    const FramePtr reference = m_RotationReference.lock();
    if (m_RotationRelative && !reference)
        return; // the reference frame is gone
    const Matrix toParent = ReferenceWorld(reference.get()) * InverseOrIdentity(ParentWorld());
    const Vector axis = TransformDirection(m_RotationAxis, toParent);
    const Matrix rotation = Matrix::Rotation(axis, m_RotationAngle * delta);
    const auto translation = m_Transform.M[3];
    m_Transform.M[3] = {0, 0, 0, 1};
    m_Transform = m_Transform * rotation;
    m_Transform.M[3] = translation;
}

Result Frame::Move(float delta) {
    ApplyVelocity(delta);
    for (const FramePtr& child : m_Children)
        child->Move(delta);
    return Result::Ok;
}

Result Frame::AddRotation(Combine combine, float x, float y, float z, float angle) {
    m_Transform = Combined(combine, Matrix::Rotation({x, y, z}, angle), m_Transform);
    return Result::Ok;
}

Result Frame::AddTranslation(Combine combine, float x, float y, float z) {
    m_Transform = Combined(combine, Matrix::Translation(x, y, z), m_Transform);
    return Result::Ok;
}

Result Frame::AddScale(Combine combine, float sx, float sy, float sz) {
    m_Transform = Combined(combine, Matrix::Scale(sx, sy, sz), m_Transform);
    return Result::Ok;
}

Result Frame::AddTransform(Combine combine, const Matrix& matrix) {
    m_Transform = Combined(combine, matrix, m_Transform);
    return Result::Ok;
}

void Frame::ExtendBox(Box& box, bool& empty, const Matrix& toTarget) const {
    for (const VisualPtr& visual : m_Visuals) {
        Box own;
        if (dynamic_cast<const Frame*>(visual.get()) || !visual->GetBox(own))
            continue;
        for (int corner = 0; corner < 8; ++corner) {
            const Vector p{corner & 1 ? own.Max.X : own.Min.X, corner & 2 ? own.Max.Y : own.Min.Y,
                           corner & 4 ? own.Max.Z : own.Min.Z};
            Extend(box, empty, TransformPoint(p, toTarget));
        }
    }
    for (const FramePtr& child : m_Children)
        child->ExtendBox(box, empty, child->m_Transform * toTarget);
}

bool Frame::GetHierarchyBox(Box& box) const {
    box = {};
    bool empty = true;
    ExtendBox(box, empty, Matrix::Identity());
    return !empty;
}

void Frame::SetSceneFogParams(float start, float end, float density) {
    m_FogStart = start;
    m_FogEnd = end;
    m_FogDensity = density;
}

void Frame::GetSceneFogParams(float& start, float& end, float& density) const {
    start = m_FogStart;
    end = m_FogEnd;
    density = m_FogDensity;
}

} // namespace lumora::scene
