#include "viewer/FrameEdit.h"

#include "viewer/Turning.h"

namespace lumora::viewer {

using namespace scene;

namespace {

// CameraFrame kept where it is in the world while its ancestor, the scene root, moves.
class CameraStaysInPlace {
public:
    CameraStaysInPlace(TViewerScene& s, const Frame& edited)
        : m_Camera(s.CameraFrame), m_World(m_Camera->WorldTransform()),
          m_Active(!edited.GetParent() && m_Camera->GetParent()) {}
    ~CameraStaysInPlace() {
        if (!m_Active)
            return;
        Matrix toParent;
        if (Inverse(m_Camera->GetParent()->WorldTransform(), toParent))
            m_Camera->AddTransform(Combine::Replace, m_World * toParent);
    }
    CameraStaysInPlace(const CameraStaysInPlace&) = delete;
    CameraStaysInPlace& operator=(const CameraStaysInPlace&) = delete;

private:
    FramePtr m_Camera;
    Matrix m_World;
    bool m_Active;
};

// Moves frame relative to ref by (dx, dy, dz) times ref's extent, or the frame's own extent when
// ref has none.
void Move(Frame& frame, const Frame& ref, double dx, double dy, double dz) {
    const double refSize = ModelExtent(ref);
    const double size = refSize > 0 ? refSize : ModelExtent(frame);
    Vector p;
    frame.GetPosition(&ref, p);
    frame.SetPosition(&ref, float(p.X + size * dx), float(p.Y + size * dy), float(p.Z + size * dz));
}

} // namespace

FramePtr EditReference(const TViewerScene& s, const FramePtr& frame) {
    FramePtr parent = frame ? frame->GetParent() : nullptr;
    return parent ? parent : s.CameraFrame;
}

bool EditFrameButton(TViewerScene& s, Frame& frame, const Frame& ref, const std::string& name,
                     double increment, bool aboutCamera, const FrameRenderer& render) {
    const double v = increment / 100;
    const double a = v * 180;
    CameraStaysInPlace camera(s, frame);
    auto turn = [&](const Vector& axis, double degrees) {
        if (aboutCamera)
            RotateAboutCamera(s, frame, axis, degrees, render);
        else
            RotateLocal(frame, axis, degrees);
    };
    if (name == "PanLeftBtn")
        Move(frame, ref, -v, 0, 0);
    else if (name == "PanRightBtn")
        Move(frame, ref, v, 0, 0);
    else if (name == "PanUpBtn")
        Move(frame, ref, 0, v, 0);
    else if (name == "PanDownBtn")
        Move(frame, ref, 0, -v, 0);
    else if (name == "ZoomInBtn")
        Move(frame, ref, 0, 0, -v); // towards the camera
    else if (name == "ZoomOutBtn")
        Move(frame, ref, 0, 0, v);
    else if (name == "YawRightBtn")
        turn({0, 1, 0}, a);
    else if (name == "YawLeftBtn")
        turn({0, 1, 0}, -a);
    else if (name == "PitchUpBtn")
        turn({1, 0, 0}, a);
    else if (name == "PitchDownBtn")
        turn({1, 0, 0}, -a);
    else if (name == "RollRightBtn")
        turn({0, 0, 1}, -a);
    else if (name == "RollLeftBtn")
        turn({0, 0, 1}, a);
    else
        return false;
    return true;
}

} // namespace lumora::viewer
