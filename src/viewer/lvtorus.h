// The test objects: a torus, a tetrahedron and a cube, each one mesh that replaces the model.
#pragma once

#include "viewer/ViewerCore.h"

#include <functional>

namespace lumora::viewer {

// Sectors and sections of a torus: 3 to 100, 12 by default.
constexpr int kMinTorusSteps = 3, kMaxTorusSteps = 100, kDefaultTorusSteps = 12;

// Told the number of each sector before it is built.
using TorusProgress = std::function<void(int sector)>;

// "Torus Builder": sectors x sections four-sided blue faces, each with its own four vertices,
// of a torus of radii 2 and 1 about z. False (the model untouched) for counts outside 3..100;
// false after the warning when a scene call fails.
bool MakeTorus(TViewerCore& core, int sectors, int sections, const TorusProgress& progress = {});
// "Tetra Builder": four triangles, blue, red, green and aqua.
bool MakeTetrahedron(TViewerCore& core);
// "Cube Builder": a cube of side 6 about the origin, the y = 3 side red, the others blue.
bool MakeCube(TViewerCore& core);

} // namespace lumora::viewer
