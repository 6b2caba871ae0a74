// The Shapefile layers drawn from the passage model: passage outlines, wall-face prisms (polygon
// or multipatch) and the faces of layered bounding polygons.
#pragma once

#include "exporter/ExportOptions.h"
#include "exporter/ShapeExport.h"
#include "exporter/ShapeGlobal.h"

#include <string>

namespace lumora::exporter {

// The greatest Up, Down, Right or Left of all plot records that lies strictly between 0 and 900
// (feet); 0 when there is none. The passage layers widen the set's bounds by it.
double LargestPassageDimension(const survey::TPlotData& data);

// One flat outline polygon per shot (Polygon, or PolygonZ when 3D) with a shot-table row each.
bool ExportPassageOutlines(TShapeWriter& w, const std::string& plotFileName,
                           const TExportOptions& o);
// Every wall face of the passage model as a PolygonZ (or, multipatch, a MultiPatch) with a
// prism-table row each. Sets the process's passage options from the wall settings first. The
// table pass runs on a second thread (w.ParallelTablePass) with a copy of those options; progress,
// pending events and the abort check stay on the calling thread.
bool ExportPrisms(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o,
                  bool multipatch);
// The side faces of every layer of bounds (feet), PolygonZ or MultiPatch.
bool ExportBoundingPolygons(TShapeWriter& w, const std::string& plotFileName,
                            const TExportOptions& o, const TPolygonBounds& bounds, bool multipatch);

} // namespace lumora::exporter
