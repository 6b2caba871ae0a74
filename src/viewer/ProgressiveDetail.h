// The progressive mesh dialog's arithmetic under its window: the detail bar's position for a
// detail and back, the read-outs, and the detail to restore when the dialog is cancelled.
#pragma once

#include "platform/scene/ProgressiveMesh.h"

#include <string>

namespace lumora::viewer {

// The bar's position for a detail ((maximum - minimum) * detail, truncated) and back.
int DetailBarPosition(double detail, int minimum = 0, int maximum = 100);
double DetailFromBar(int position, int minimum = 0, int maximum = 100);

struct TProgressiveReadouts {
    std::string Faces, Vertices, VertexRange, FaceRange, Size, Detail;
};
// " Faces: ", " Vertices: " (the current level), " Vertex Range: ", " Face Range: " (minimum
// " - " maximum), " Size: " (the box's corners) and the detail with 2 decimals.
TProgressiveReadouts ProgressiveReadouts(const scene::ProgressiveMesh& mesh);

// One use of the dialog on a mesh: the bar sets the detail at once; Cancel puts back the detail
// the mesh had when the dialog opened, OK keeps the new one.
class TProgressiveEdit {
public:
    explicit TProgressiveEdit(scene::ProgressiveMesh& mesh)
        : m_Mesh(mesh), m_Opened(mesh.GetDetail()) {}
    int BarPosition() const { return DetailBarPosition(m_Mesh.GetDetail()); }
    scene::Result MoveBar(int position) { return m_Mesh.SetDetail(float(DetailFromBar(position))); }
    void Cancel() { m_Mesh.SetDetail(m_Opened); }
    TProgressiveReadouts Readouts() const { return ProgressiveReadouts(m_Mesh); }

private:
    scene::ProgressiveMesh& m_Mesh;
    float m_Opened;
};

} // namespace lumora::viewer
