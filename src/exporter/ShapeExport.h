// The Shapefile export entry: runs the layer of the chosen data type, then writes the set's
// projection file and, when asked, packs the set into a zip archive.
#pragma once

#include "exporter/ExportOptions.h"
#include "exporter/ShapeGlobal.h"

#include <array>
#include <string>
#include <vector>

namespace lumora::exporter {

// Layers of bounding polygons: each vertex is a top point and a bottom point (east, north,
// vertical; feet).
using TPolygonVertex = std::array<T3DVector, 2>;
using TPolygon = std::vector<TPolygonVertex>;
using TPolygonBounds = std::vector<TPolygon>;

inline constexpr const char* kGenericProjectionLine = "CREATING GENERIC PROJECTION FILE";

// The projection text of a UTM zone (negative in the south) and a datum name of the plot file:
// NAD 1927 and NAD 1983 only in their North American zones, WGS 1972, else WGS 1984. unitLength
// is the length in metres of the set's unit: 1 for metres, else the foot the coordinates are in
// (the suite's feet-to-metres factor), which the text names with the false easting and northing
// converted to it.
std::string ProjectionText(const std::string& datumName, std::int32_t zone,
                           double unitLength = 1.0);

// Exports data (read from plotFileName) as one Shapefile set of the chosen data type. Returns
// true when a set was written, its projection file made and, with options.ZipShape, its archive
// (the main file's name with ".zip") made; then the status shows "Conversion Completed". False
// when the user cancelled or declined, or the layer had nothing to export (after a warning).
// Throws lumora::Error (WriteError for file failures) after closing the set; the set keeps what
// was written, and no projection file or archive is made.
bool ExportShapefile(survey::TPlotData& data, const std::string& plotFileName,
                     const TExportOptions& options, TShapeExportIo io,
                     const TPolygonBounds& bounds = {});

// Packs the set's .shp, .shx, .dbf and .prj files, in this order, into a new archive named
// zipFileName (replacing it) with normal compression.
void ZipShapeSet(const TShapeWriter& w, const std::string& zipFileName);

} // namespace lumora::exporter
