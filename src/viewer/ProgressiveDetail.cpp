#include "viewer/ProgressiveDetail.h"

#include "viewer/lvsupprt.h"

namespace lumora::viewer {

using namespace scene;

namespace {

std::string RangeText(std::size_t minimum, std::size_t maximum) {
    return std::to_string(minimum) + " - " + std::to_string(maximum);
}

} // namespace

int DetailBarPosition(double detail, int minimum, int maximum) {
    // Truncated, but a detail the bar set itself (0.29 held in single precision is 0.28999999)
    // comes back to the same position.
    return int((maximum - minimum) * detail + 1e-4);
}

double DetailFromBar(int position, int minimum, int maximum) {
    return maximum > minimum ? double(position) / (maximum - minimum) : 0;
}

TProgressiveReadouts ProgressiveReadouts(const ProgressiveMesh& mesh) {
    TProgressiveReadouts r;
    r.Faces = std::to_string(mesh.GetFaceDetail());
    r.Vertices = std::to_string(mesh.GetVertexDetail());
    std::size_t minimum = 0, maximum = 0;
    mesh.GetVertexDetailRange(minimum, maximum);
    r.VertexRange = RangeText(minimum, maximum);
    mesh.GetFaceDetailRange(minimum, maximum);
    r.FaceRange = RangeText(minimum, maximum);
    Box box;
    mesh.GetBox(box);
    r.Size = BoxCornersText(box);
    r.Detail = FixedText(mesh.GetDetail(), 2);
    return r;
}

} // namespace lumora::viewer
