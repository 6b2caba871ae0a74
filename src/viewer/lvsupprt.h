// The viewer's scene objects and their placements, the model clearing, the face helpers and the
// bounding box: what every model-building unit of the viewer stands on.
#pragma once

#include "platform/UiServices.h"
#include "platform/scene/Root.h"
#include "survey/VectorMath.h"

#include <cstdint>
#include <string>

namespace lumora::viewer {

// Framework colours are 0x00BBGGRR (red in the lowest byte).
constexpr std::uint32_t kBlue = 0xFF0000, kRed = 0x0000FF, kGreen = 0x008000, kAqua = 0xFFFF00;
// Application data of the scene's bounding box mesh.
constexpr std::uint32_t kBoundingBoxKind = 4;
inline const std::string kBoundingBoxName = "Bounding Box";
// Back clipping plane of the viewport, in scene units.
constexpr float kBackClip = 200000;

// The scene held by the viewer for the life of the program, and the window state that the scene
// logic reads. Positions and orientations are relative to SceneFrame.
struct TViewerScene {
    scene::Root RMRoot;
    scene::DevicePtr Device;
    scene::ViewportPtr Viewport;
    scene::FramePtr SceneFrame;   // "Scene Frame", the root of the scene
    scene::FramePtr LightFrame;   // "Light Frame", carries DirectLight
    scene::FramePtr CenterFrame;  // "Center Frame", the model frame
    scene::FramePtr CameraFrame;  // "Camera Frame"
    scene::LightPtr DirectLight;  // "Direct Light", white
    scene::LightPtr AmbientLight; // "Ambient Light", on SceneFrame
    // A model has been set up: the render step draws only when true.
    bool RenderEnabled = false;
    // The current wrap is re-applied relative to the model every frame.
    bool WrapRelative = false;
    // Framework colour of the scene background.
    std::uint32_t BackgroundColor = 0x404040;
    // Check mark of "&Bounding Box".
    bool BoundingBoxChecked = false;
};

// The one checking routine of scene calls: a failure shows the result's description as a
// warning; true when the call succeeded.
bool CheckResult(UiServices& ui, scene::Result result);
// Why path cannot be read as a file ("No such file or directory", "Is a directory", "Permission
// denied"), or empty when it can.
std::string ReadProblem(const std::string& path);
// "PATH: reason" of a failed call on a file: reason when given, else (for a file that could not
// be opened) why it cannot be read, else the result's description.
std::string FileFailureText(const std::string& path, scene::Result result,
                            const std::string& reason = {});
// The checking routine of calls on files: a failure shows FileFailureText as a warning; true when
// the call succeeded.
bool CheckFileResult(UiServices& ui, scene::Result result, const std::string& path,
                     const std::string& reason = {});

// Creates the frames and lights in their initial placements (the model frame slowly spinning
// about y); stops at the first failure.
scene::Result CreateScene(TViewerScene& s);
// The device of width x height pixels, CreateScene and the viewport looking from CameraFrame
// with back clipping plane 200000; stops at the first failure.
scene::Result InitScene(TViewerScene& s, int width, int height);
// Light, model and camera back to their reset places; rotation velocities and the model's scale
// and rotation are kept. Stops at the first failure.
scene::Result ResetPositions(TViewerScene& s);
// ResetPositions, then every visual and child frame of CenterFrame removed; "&Bounding Box"
// unchecked.
void ClearModel(TViewerScene& s);
// The framework colour as SceneFrame's background (packed, alpha 254).
void SetBackgroundColor(TViewerScene& s, std::uint32_t color);

// Face helpers: one new face on mesh with its own vertices in the order given. Triangles take
// the packed colour (alpha 254), four-sided faces the RGB floats (alpha 255).
void AddFaceTri(scene::MeshBuilder& mesh, std::uint32_t color, const scene::Vector& a,
                const scene::Vector& b, const scene::Vector& c);
void AddFaceTriD(scene::MeshBuilder& mesh, const survey::T3DVector& a, const survey::T3DVector& b,
                 const survey::T3DVector& c, std::uint32_t color);
void AddFaceQuad(scene::MeshBuilder& mesh, std::uint32_t color, const scene::Vector& a,
                 const scene::Vector& b, const scene::Vector& c, const scene::Vector& d);
void AddFaceQuadD(scene::MeshBuilder& mesh, const survey::T3DVector& p1,
                  const survey::T3DVector& p2, const survey::T3DVector& p3,
                  const survey::T3DVector& p4, std::uint32_t color);

// The six sides of the box from min to max as four-sided faces, each wound like the test cube's:
// z = min, z = max, x = max, x = min, y = max, y = min.
void AddBoxFaces(scene::MeshBuilder& mesh, const scene::Vector& min, const scene::Vector& max,
                 std::uint32_t color, std::uint32_t topColor);

// "Bounding Box" (kind 4, wire frame, flat, unlit, blue sides) around CenterFrame's hierarchy box
// as it is now, added to CenterFrame.
scene::Result BuildBoundingBox(TViewerScene& s);
// "&Bounding Box": removes the box when checked, builds it otherwise, and flips the check mark.
// The caller refreshes the hierarchy.
scene::Result ToggleBoundingBox(TViewerScene& s);

// Window caption for a model file: its file name, " - " and "Lumora Viewer".
std::string ViewerCaption(const std::string& path);

} // namespace lumora::viewer

namespace lumora::viewer {

// Read-out texts: a number in fixed notation with the given decimals ('.' always); a box as
// "X1: " .. "  Z2: " (minimum corner, then maximum); a box's size as "X: " dx "  Y: " dy "  Z: "
// dz.
std::string FixedText(double value, int decimals);
std::string BoxCornersText(const scene::Box& box);
std::string BoxSizeText(const scene::Box& box);

} // namespace lumora::viewer
