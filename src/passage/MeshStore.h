// The mesh store: gathers wall polygons into a growing set of scene meshes of moderate size,
// plus the scene helpers that name, colour, count and remove meshes.
#pragma once

#include "platform/scene/Root.h"

#include <functional>
#include <string>
#include <vector>

namespace lumora::passage {

// Framework colour 0x00BBGGRR (red in the lowest byte) in the scene's packed form with alpha 254.
scene::Color PackedColor(std::uint32_t frameworkColor);
// Framework colour as red, green, blue floats (each byte / 255).
scene::Vector FloatColor(std::uint32_t frameworkColor);

class TMeshArray {
public:
    static constexpr int kMaxMeshes = 100;
    static constexpr std::size_t kFacesPerMesh = 20000;

    // A store with one mesh ("MeshName1") already; kind becomes every mesh's application data.
    // The name is the caller's bookkeeping only.
    TMeshArray(scene::Root& root, int Kind, const std::string& name);

    // Starts the next mesh ("MeshName" + number, gray 128, 128, 128); nothing at 100 meshes.
    void NewMesh();
    // For meshes whose vertices are merged by position once they are full (the passage walls):
    // their faces reuse equal vertices as they come (scene::MeshBuilder::SetWeldOnAdd), which
    // keeps the store small while it fills; the meshes end up the same.
    void SetWeldVertices(bool weld);
    // Called with each mesh the store is done with, once the next mesh took its place (the last
    // mesh is never passed): the build can finish it on another thread meanwhile.
    void OnMeshFull(std::function<void(const scene::MeshBuilderPtr&)> full) {
        m_OnFull = std::move(full);
    }
    // The faces the whole store will probably hold (an estimate, high rather than low): each
    // mesh then makes room for its share at once instead of growing by steps, which would copy
    // the last mesh, the one that takes every face beyond the 100th mesh, many times over.
    void ExpectFaces(std::size_t faces);
    // Points in scene coordinates, added in the order given; colours are framework colours.
    void AddTriangle(std::uint32_t Color, const scene::Vector& a, const scene::Vector& b,
                     const scene::Vector& c);
    void AddQuad(std::uint32_t Color, const scene::Vector& a, const scene::Vector& b,
                 const scene::Vector& c, const scene::Vector& d);
    // One material of specular power 100000 on every mesh, and every mesh added to the frame as
    // a visual, in order; stops at the first failure, keeping the meshes attached before it.
    scene::Result AttachTo(scene::Frame& frame);

    int Count() const { return int(m_Meshes.size()); }
    // Mesh by number, 1..Count().
    const scene::MeshBuilderPtr& Mesh(int number) const { return m_Meshes.at(number - 1); }
    int Kind() const { return m_Kind; }

private:
    void CheckFull();
    void Reserve();
    void ReserveExpected();
    void Convert(std::uint32_t frameworkColor);
    scene::Color Rgb(std::uint32_t frameworkColor);
    scene::Color Packed(std::uint32_t frameworkColor);
    scene::MeshBuilder& Current() { return *m_Meshes.back(); }

    scene::Root& m_Root;
    int m_Kind;
    std::vector<scene::MeshBuilderPtr> m_Meshes;
    std::size_t m_ReservedFaces = 0;
    std::size_t m_ReservedVertices = 0;
    bool m_Weld = false;
    std::size_t m_ExpectedFaces = 0;
    std::size_t m_FacesBefore = 0; // in the meshes before the current one
    std::function<void(const scene::MeshBuilderPtr&)> m_OnFull;
    std::uint32_t m_LastColor = 0xFFFFFFFF; // the last framework colour and its face colours
    scene::Color m_LastPacked = 0, m_LastRgb = 0;
};

// A mesh builder with kind as application data, the given name and the float form of color.
bool CreateNamedMeshBuilder(scene::Root& root, int kind, std::uint32_t color,
                            const std::string& name, scene::MeshBuilderPtr& mesh);
// Name and class name of an object as a 40-character buffer holds them (39 characters at most);
// empty for an absent object.
std::string ObjectName(const scene::SceneObject* object);
std::string ObjectClassName(const scene::SceneObject* object);
// Every face keeps its RGB and gets alpha (100 - percent) / 100 * 255, truncated; percent is
// held to 0..100.
void SetTransparency(scene::MeshBuilder& mesh, int percent);
// Faces and vertices of the frame's visuals and, recursively, its child frames: progressive
// meshes count their current detail, mesh builders their faces and vertices.
void CountFacesAndVertices(const scene::Frame& frame, std::size_t& faces, std::size_t& vertices);
// Removes every visual, then clears and removes every child frame.
void ClearFrame(scene::Frame& frame);
// Depth-first (own visuals, then child frames in order): removes the first visual whose name is
// exactly name, or whose application data is kind; false when there is none.
bool RemoveVisualByName(scene::Frame& frame, const std::string& name);
bool RemoveVisualByKind(scene::Frame& frame, std::uint32_t kind);

} // namespace lumora::passage
