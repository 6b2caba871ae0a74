// What `lumora info` tells of a loaded plot file: a summary, its JSON form, and the full dump.
#pragma once

#include "survey/PlotArray.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::survey {

struct TPlotSummary {
    std::int32_t Sections = 0;
    std::int32_t Surveys = 0;       // survey records with SurveyKind 0
    std::int32_t Features = 0;      // SurveyKind 1 or 2
    std::int64_t Moves = 0;         // 'M'
    std::int64_t Draws = 0;         // 'D'
    std::int64_t HiddenDraws = 0;   // 'd'
    std::int64_t FeaturePoints = 0; // 'L'
    std::int64_t FeatureValues = 0; // 'V'
    std::int32_t Traverses = 0;
    std::int32_t FixedStations = 0;
    std::int32_t Loops = 0;
    std::int32_t Vertices = 0; // distinct stations
    std::int32_t Edges = 0;
};

TPlotSummary SummarizePlotData(const TPlotData& data);

// A readable summary. With listNames, the names of the sections, surveys and features follow.
std::string FormatPlotSummary(const TPlotData& data, bool listNames, double loadSeconds);
// The same as one JSON object.
std::string FormatPlotSummaryJson(const TPlotData& data, bool listNames, double loadSeconds);

// Every item of the model, one line each, fields separated by one tab, numbers in shortest
// round-trip form (dimensions as the single-precision values they are), strings as stored,
// Booleans as 0/1: Z, then S with its P lines, N, R, T, G and L lines.
void WritePlotDump(const TPlotData& data, std::string& out);

// Shortest text that reads back as the same double.
std::string FormatNumber(double value);

} // namespace lumora::survey
