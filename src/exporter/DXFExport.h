// The DXF export: the survey as an ASCII drawing (plan or rotated profile) with shot lines,
// labels, station marks, depth labels, walls as 3D faces or tick marks, north arrow and scale bar.
#pragma once

#include "exporter/ExpGlobal.h"
#include "exporter/ExportOptions.h"
#include "survey/PlotArray.h"

#include <cstdint>
#include <string>

namespace lumora::exporter {

// The "70" value of the layer table: the surveys when "Surveys On Separate Layers"; for labels
// and depth labels each the surveys when associated with surveys, else 1; for walls likewise;
// 1 for the north arrow or scale bar. Mark layers are listed but not counted. 0 means the drawing
// has no TABLES section.
std::int32_t DXFLayerCount(const survey::TPlotData& data, const TExportOptions& options);

// Writes data as a DXF drawing to fileName (replacing it). Sets the process's passage options
// from the wall settings (seal ends and centring off) and runs the passage generator when walls
// are 3D faces. Every layer is written thawed. A plan gets its north arrow and scale bar by the
// plot's bounds; a profile gets no north arrow, and its scale bar lies under the profile drawn.
// Positions (feet) are multiplied by the unit factor and, with "Scale Export", by the scale factor.
// Numbers are written with '.' whatever the locale. Shows the busy cursor while it runs; reports
// "Processing", the gauge and "Done" through io. Throws lumora::WriteError naming the file when it
// cannot be created or written (the file then holds what was written so far); the cursor is
// restored on every way out.
void WriteDXFFile(survey::TPlotData& data, const std::string& fileName,
                  const TExportOptions& options, const TExportIo& io);

} // namespace lumora::exporter
