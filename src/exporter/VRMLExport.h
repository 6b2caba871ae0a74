// The VRML export: the cave's passages and shot lines as one VRML 2.0 world, with the options of
// the exporter window's VRML tab and wall settings.
#pragma once

#include "exporter/ExpGlobal.h"
#include "exporter/ExportOptions.h"
#include "exporter/VRMLWriter.h"
#include "survey/PlotArray.h"

#include <string>

namespace lumora::exporter {

// The world options of the VRML tab.
TVRMLWorldOptions VRMLWorldOptions(const TVRMLOptions& o);

// Copies the wall settings into the process's passage options (seal ends from "Seal Passage
// Ends", centring on; merging, metric units and hidden shots keep their values), then writes
// fileName (replacing it): the passage shape when "Show 3D Passages", the shot-line shape when
// "Show Shot LIne". The gauge runs 0 to 100 per shape. Numbers are written with '.' whatever the
// locale. Throws lumora::WriteError naming the file when it cannot be created or written (the
// file then holds what was written so far).
void ExportVRML(const survey::TPlotData& data, const std::string& fileName,
                const TExportOptions& options, const TExportIo& io);

} // namespace lumora::exporter
