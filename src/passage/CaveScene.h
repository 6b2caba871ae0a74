// CaveScene — the viewer's fixed scene (scene, light, model and camera frames, the direct and
// ambient lights) with the placements a new model takes: reset positions, clear the model,
// reset the scale, the bounding box and the model turns. The command line draws caves through it
// exactly as the viewer places them.
#pragma once

#include "passage/lvcave.h"

namespace lumora::passage {

class TCaveScene : public TCaveViewer {
public:
    // Creates the frames and lights: the light frame at (2, 2, 5) looking along (-1, -1, 1),
    // the model frame at (-2, 2, 10) with a spin of -0.02 radians a step about y, the camera at
    // the origin, an ambient light of 0.1 and a white directional light.
    explicit TCaveScene(scene::Root& root);

    scene::Root& Root() override { return m_Root; }
    scene::Frame& CenterFrame() override { return *Center; }
    // ResetPositions, then the model frame emptied.
    void ClearModel() override;
    // Zoom 1000; the model frame's transform replaced by a translation to (-2, 2, 10) and, for
    // a model of some size, a scale to a largest side of 1000; the background colour applied.
    void ResetScale() override;

    // Light frame, model frame (to (0, 0, 10)) and camera (to (5, -5, -2000) looking along +z)
    // back to their places; rotations and scales stay.
    void ResetPositions();
    // A wire-frame box (kind 4, "Bounding Box") round the model as it is now.
    void BuildBoundingBox();
    // Turns the model about one of its own axes by degrees.
    void RotateLocal(const scene::Vector& axis, double degrees);
    // Turns the model about one of the camera's axes by degrees; any spin stops.
    void RotateAboutCamera(const scene::Vector& axis, double degrees);
    // The largest side of the frame's hierarchy box.
    static float ModelExtent(const scene::Frame& frame);

    scene::FramePtr SceneFrame, LightFrame, Center, CameraFrame;
    scene::LightPtr DirectLight, AmbientLight;
    std::uint32_t BackgroundColor = 0x404040; // framework colour RGB (64, 64, 64)
    double ZoomScale = 0;
    float ModelSize = 0;

private:
    scene::Root& m_Root;
};

} // namespace lumora::passage
