#include "viewer/lvsupprt.h"

#include "passage/MeshStore.h"
#include "viewer/Turning.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

namespace lumora::viewer {

using namespace scene;

namespace {

Vector Single(const survey::T3DVector& p) {
    return {float(p.X), float(p.Y), float(p.Z)};
}

Color QuadColor(std::uint32_t color) {
    const Vector rgb = passage::FloatColor(color);
    return ColorFromRGB(rgb.X, rgb.Y, rgb.Z);
}

Result CreateNamedFrame(Root& root, const FramePtr& parent, const char* name, FramePtr& frame) {
    const Result result = root.CreateFrame(parent, frame);
    if (Succeeded(result))
        frame->SetName(name);
    return result;
}

Result CreateNamedLight(Root& root, LightType type, float level, const char* name,
                        LightPtr& light) {
    const Result result = root.CreateLightRGB(type, level, level, level, light);
    if (Succeeded(result))
        light->SetName(name);
    return result;
}

// Runs the steps in order and returns the first failure.
template <typename... Steps> Result InOrder(Steps&&... steps) {
    Result result = Result::Ok;
    ((Succeeded(result) ? (result = steps(), 0) : 0), ...);
    return result;
}

} // namespace

bool CheckResult(UiServices& ui, Result result) {
    if (Succeeded(result))
        return true;
    ui.Warning(std::string(ResultText(result)));
    return false;
}

std::string ReadProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "Is a directory";
    if (!S_ISREG(info.st_mode))
        return "Not a regular file";
    if (::access(path.c_str(), R_OK) != 0)
        return std::strerror(errno);
    return {};
}

std::string FileFailureText(const std::string& path, Result result, const std::string& reason) {
    std::string why = reason;
    if (why.empty() && result == Result::FileNotFound)
        why = ReadProblem(path);
    if (why.empty())
        why = ResultText(result);
    return path + ": " + why;
}

bool CheckFileResult(UiServices& ui, Result result, const std::string& path,
                     const std::string& reason) {
    if (Succeeded(result))
        return true;
    ui.Warning(FileFailureText(path, result, reason));
    return false;
}

Result CreateScene(TViewerScene& s) {
    s.CenterFrame.reset();
    s.LightFrame.reset();
    s.DirectLight.reset();
    s.AmbientLight.reset();
    Root& root = s.RMRoot;
    return InOrder(
        [&] { return CreateNamedFrame(root, nullptr, "Scene Frame", s.SceneFrame); },
        [&] {
            return CreateNamedLight(root, LightType::Directional, 1, "Direct Light", s.DirectLight);
        },
        [&] {
            return CreateNamedLight(root, LightType::Ambient, 0.1f, "Ambient Light",
                                    s.AmbientLight);
        },
        [&] { return CreateNamedFrame(root, s.SceneFrame, "Light Frame", s.LightFrame); },
        [&] { return s.LightFrame->SetPosition(s.SceneFrame.get(), 2, 2, 5); },
        [&] { return s.LightFrame->SetOrientation(s.SceneFrame.get(), -1, -1, 1, 0, 1, 0); },
        [&] { return s.LightFrame->AddLight(s.DirectLight); },
        [&] { return s.SceneFrame->AddLight(s.AmbientLight); },
        [&] { return CreateNamedFrame(root, s.SceneFrame, "Center Frame", s.CenterFrame); },
        [&] {
            return SetSpin(*s.CenterFrame, s.SceneFrame, {0, 1, 0}, -0.02f);
        },
        [&] { return s.CenterFrame->SetPosition(s.SceneFrame.get(), -2, 2, 10); },
        [&] { return CreateNamedFrame(root, s.SceneFrame, "Camera Frame", s.CameraFrame); },
        [&] { return s.CameraFrame->SetPosition(s.SceneFrame.get(), 0, 0, 0); });
}

Result InitScene(TViewerScene& s, int width, int height) {
    return InOrder([&] { return s.RMRoot.CreateDevice(width, height, s.Device); },
                   [&] { return CreateScene(s); },
                   [&] {
                       return s.RMRoot.CreateViewport(s.Device, s.CameraFrame, 0, 0, width, height,
                                                      s.Viewport);
                   },
                   [&] {
                       s.Viewport->SetBack(kBackClip);
                       return Result::Ok;
                   });
}

Result ResetPositions(TViewerScene& s) {
    if (!s.SceneFrame || !s.LightFrame || !s.CenterFrame || !s.CameraFrame)
        return Result::BadObject;
    const Frame* scene = s.SceneFrame.get();
    return InOrder([&] { return s.LightFrame->SetPosition(scene, 2, 2, 5); },
                   [&] { return s.LightFrame->SetOrientation(scene, -1, -1, 1, 0, 1, 0); },
                   [&] { return s.CenterFrame->SetPosition(scene, 0, 0, 10); },
                   [&] { return s.CameraFrame->SetPosition(scene, 5, -5, -2000); },
                   [&] { return s.CameraFrame->SetOrientation(scene, 0, 0, 1, 0, 1, 0); });
}

void ClearModel(TViewerScene& s) {
    ResetPositions(s);
    if (s.CenterFrame)
        passage::ClearFrame(*s.CenterFrame);
    s.BoundingBoxChecked = false;
}

void SetBackgroundColor(TViewerScene& s, std::uint32_t color) {
    if (s.SceneFrame)
        s.SceneFrame->SetSceneBackground(passage::PackedColor(color));
}

void AddFaceTri(MeshBuilder& mesh, std::uint32_t color, const Vector& a, const Vector& b,
                const Vector& c) {
    const Vector points[] = {a, b, c};
    mesh.AddFace(points, passage::PackedColor(color));
}

void AddFaceTriD(MeshBuilder& mesh, const survey::T3DVector& a, const survey::T3DVector& b,
                 const survey::T3DVector& c, std::uint32_t color) {
    AddFaceTri(mesh, color, Single(a), Single(b), Single(c));
}

void AddFaceQuad(MeshBuilder& mesh, std::uint32_t color, const Vector& a, const Vector& b,
                 const Vector& c, const Vector& d) {
    const Vector points[] = {a, b, c, d};
    mesh.AddFace(points, QuadColor(color));
}

void AddFaceQuadD(MeshBuilder& mesh, const survey::T3DVector& p1, const survey::T3DVector& p2,
                  const survey::T3DVector& p3, const survey::T3DVector& p4, std::uint32_t color) {
    AddFaceQuad(mesh, color, Single(p1), Single(p2), Single(p3), Single(p4));
}

void AddBoxFaces(MeshBuilder& mesh, const Vector& min, const Vector& max, std::uint32_t color,
                 std::uint32_t topColor) {
    const float x0 = min.X, y0 = min.Y, z0 = min.Z, x1 = max.X, y1 = max.Y, z1 = max.Z;
    AddFaceQuad(mesh, color, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0});
    AddFaceQuad(mesh, color, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1});
    AddFaceQuad(mesh, color, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1});
    AddFaceQuad(mesh, color, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1});
    AddFaceQuad(mesh, topColor, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0});
    AddFaceQuad(mesh, color, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1});
}

Result BuildBoundingBox(TViewerScene& s) {
    if (!s.CenterFrame)
        return Result::BadObject;
    Box box;
    s.CenterFrame->GetHierarchyBox(box);
    MeshBuilderPtr mesh;
    const Result result = s.RMRoot.CreateMeshBuilder(mesh);
    if (!Succeeded(result))
        return result;
    mesh->SetName(kBoundingBoxName);
    mesh->SetAppData(kBoundingBoxKind);
    mesh->SetColorRGB(0.8f, 0.8f, 0.8f);
    AddBoxFaces(*mesh, box.Min, box.Max, kBlue, kBlue);
    mesh->SetQuality(kFillWireframe | kShadeFlat | kLightOff);
    return s.CenterFrame->AddVisual(mesh);
}

Result ToggleBoundingBox(TViewerScene& s) {
    if (s.BoundingBoxChecked) {
        if (s.CenterFrame)
            passage::RemoveVisualByName(*s.CenterFrame, kBoundingBoxName);
        s.BoundingBoxChecked = false;
        return Result::Ok;
    }
    const Result result = BuildBoundingBox(s);
    s.BoundingBoxChecked = Succeeded(result);
    return result;
}

std::string ViewerCaption(const std::string& path) {
    return std::filesystem::path(path).filename().string() + " - Lumora Viewer";
}

} // namespace lumora::viewer

namespace lumora::viewer {

std::string FixedText(double value, int decimals) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, end.ptr);
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
        text.erase(0, 1); // no "-0.0"
    return text;
}

std::string BoxCornersText(const scene::Box& b) {
    return "X1: " + FixedText(b.Min.X, 1) + "  Y1: " + FixedText(b.Min.Y, 1) +
           "  Z1: " + FixedText(b.Min.Z, 1) + "  X2: " + FixedText(b.Max.X, 1) +
           "  Y2: " + FixedText(b.Max.Y, 1) + "  Z2: " + FixedText(b.Max.Z, 1);
}

std::string BoxSizeText(const scene::Box& b) {
    return "X: " + FixedText(b.Max.X - b.Min.X, 1) + "  Y: " + FixedText(b.Max.Y - b.Min.Y, 1) +
           "  Z: " + FixedText(b.Max.Z - b.Min.Z, 1);
}

} // namespace lumora::viewer
