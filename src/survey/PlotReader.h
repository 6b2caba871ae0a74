// Reads a plot file (*.plt, *.plf) into the survey model, and counts its records for estimates.
#pragma once

#include "platform/UiServices.h"
#include "survey/PlotArray.h"

#include <cstdint>
#include <functional>
#include <string>

namespace lumora::survey {

// Called with the headers (N and F lines) and station lines (M, D, d, L) read so far.
using TLoadProgressProc = std::function<void(std::int32_t surveyCount, std::int32_t recordCount)>;

inline constexpr const char* kOutOfMemoryText =
    "Out of Memory - File Partially Loaded\r\nClose Applications or Install More Memory";

inline constexpr const char* kNoSurveyDataText = "no survey data (no station records)";

// Loads fileName into data, replacing its contents. Progress points call progress (if any) and
// then let the user interface run pending events, where an "Abort" may set data.AbortLoad; the
// abort is noticed after the next N line. Returns normally at the end of the file, after an
// abort, and when memory ran out (after ui shows kOutOfMemoryText; the model then keeps what was
// read, unfinished). Throws PlotFileError ("FILE:LINE: Invalid numeric input", "File not found",
// "Not a regular file") on other failures, leaving the model with what was read so far; a number
// that is not finite or larger than 1e12 in magnitude is invalid. A file read to its end without
// a single station record throws "FILE: no survey data (no station records)" (kNoSurveyDataText)
// and leaves data.Loaded false.
//
// Line ends: CR LF as the format writes them; a bare LF or a bare CR also ends a line, so files of
// other survey programs read exactly like their CR LF copies. A Ctrl+Z ends the file.
void LoadPlotFile(TPlotData& data, const std::string& fileName, const TLoadProgressProc& progress,
                  UiServices& ui);

struct TPlotCounts {
    std::int64_t DrawCount = 0; // lines starting with 'D'
    std::int64_t EndCount = 0;  // twice the lines starting with 'M'
};

// Looks only at the first character of every line. Throws PlotFileError when the file cannot
// be read or is not a regular file.
TPlotCounts CountPlotRecords(const std::string& fileName);

} // namespace lumora::survey
