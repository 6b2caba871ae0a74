// Mesh builders made of arbitrary bytes, for the fuzz targets of the mesh writers.
#pragma once

#include "platform/scene/Frame.h"
#include "platform/scene/MeshBuilder.h"
#include "platform/scene/Root.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lumora::fuzz {

// Reads the input front to back; past its end every read gives zeros.
class TByteReader {
public:
    TByteReader(const std::uint8_t* data, std::size_t size) : m_Data(data), m_Size(size) {}
    bool AtEnd() const { return m_Pos >= m_Size; }
    std::uint8_t Byte() { return m_Pos < m_Size ? m_Data[m_Pos++] : 0; }
    std::uint32_t UInt32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t{Byte()} << (8 * i);
        return v;
    }
    // Any float the bits make, infinities and NaN included.
    float Float() {
        const std::uint32_t bits = UInt32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    const std::uint8_t* m_Data;
    std::size_t m_Size;
    std::size_t m_Pos = 0;
};

// One or two mesh builders under a new frame: faces of 1 to 6 corners with positions and face
// colours from the bytes; some get normals, some a quality for lines or points.
inline scene::FramePtr MeshesFromBytes(scene::Root& root, const std::uint8_t* data,
                                       std::size_t size) {
    TByteReader in(data, size);
    scene::FramePtr frame;
    root.CreateFrame(nullptr, frame);
    const int meshes = 1 + in.Byte() % 2;
    for (int m = 0; m < meshes && !in.AtEnd(); ++m) {
        scene::MeshBuilderPtr mesh;
        root.CreateMeshBuilder(mesh);
        mesh->SetName(m == 0 ? "Mesh" : "Second mesh");
        const std::uint8_t flags = in.Byte();
        const int faces = in.Byte() % 64;
        for (int f = 0; f < faces && !in.AtEnd(); ++f) {
            std::vector<scene::Vector> points(1 + in.Byte() % 6);
            for (scene::Vector& p : points)
                p = {in.Float(), in.Float(), in.Float()};
            mesh->AddFace(points, in.UInt32());
        }
        if ((flags & 1) != 0)
            mesh->GenerateNormals(0.5f, scene::kNormalsCompact | scene::kNormalsUseCrease);
        if ((flags & 2) != 0)
            mesh->SetQuality(scene::kShadeFlat | scene::kLightOff | scene::kFillWireframe);
        frame->AddVisual(mesh);
    }
    return frame;
}

} // namespace lumora::fuzz
