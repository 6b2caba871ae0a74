// The rose histogram as a table for spreadsheets: one CSV row per cell that holds a count.
#pragma once

#include "analysis/RoseHistogram.h"

#include <string>

namespace lumora::analysis {

inline const char* const kRoseCsvHeader = "layer,bottom,top,petal,start_bearing,end_bearing,count";

// The header row, then one row per cell with a non-zero count, layers from the bottom and petals
// clockwise from north: the layer's bottom and top elevation (feet times unitFactor, two
// decimals), the petal's start and end bearing in degrees, and the count as the histogram holds
// it. Lines end with CR LF, as spreadsheets write them.
std::string RoseCsv(const TRoseHistogram& histogram, double unitFactor = 1.0);

// Writes RoseCsv as the whole of path, or nothing. Throws WriteError "PATH: reason".
void WriteRoseCsv(const std::string& path, const TRoseHistogram& histogram,
                  double unitFactor = 1.0);

} // namespace lumora::analysis
