// The model as a glTF file: the scene's unit and, for a cave, where it lies in the world; and the
// viewer's "Save As glTF...".
#pragma once

#include "passage/CrossSection.h"
#include "platform/scene/GltfWriter.h"
#include "survey/PlotArray.h"
#include "viewer/ViewerCore.h"

#include <string>

namespace lumora::viewer {

// The writer's options for the model in frame. A cave built from data (the frame holds cave
// passage meshes, kind 1, and data is loaded) is in feet, or in metres when options.MetricUnits,
// and lies at data's centre (written in metres), in its UTM zone and datum. Any other model (a
// mesh file, a test object) is written in its own units and says nothing of a place. binary:
// .glb, else .gltf.
scene::GltfOptions ModelGltfOptions(const scene::Frame& model, const survey::TPlotData& data,
                                    const passage::TPassageOptions& options, bool binary);

// "Save As glTF...": every mesh builder of CenterFrame into one glTF file (the JSON form when path
// ends in .gltf, else binary), written whole or not at all; a failure is shown as "PATH: reason"
// and leaves an older file at path as it was. counts, when given, receives what was written.
scene::Result SaveAsGltf(TViewerCore& core, const std::string& path, const survey::TPlotData& data,
                         const passage::TPassageOptions& options,
                         scene::GltfCounts* counts = nullptr);

} // namespace lumora::viewer
