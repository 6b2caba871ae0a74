// The Shapefile layers drawn straight from the survey data: stations, surveys, survey shots,
// split shots, feature locations and feature lines, and the frame every layer follows.
#pragma once

#include "exporter/ExportOptions.h"
#include "exporter/ShapeGlobal.h"

#include <string>

namespace lumora::exporter {

// The frame of every layer: opens the set with its kind (false, nothing written, when that does
// not happen), writes both headers with the bounds (feet; converted here when metres), resets
// the table, lets declare() add its fields, streams the table's rows to its file, starts the
// record numbers at 1, runs records() and closes the set, also when records() throws (the
// exception then passes on).
template <class Declare, class Records>
bool RunShapeLayer(TShapeWriter& w, const std::string& plotFileName, TShapeKind kind, bool threeD,
                   T3DVector minBounds, T3DVector maxBounds, bool metres, Declare&& declare,
                   Records&& records) {
    if (!w.OpenShapeFiles(plotFileName, kind, threeD))
        return false;
    try {
        if (metres) {
            minBounds = w.ToMetres(minBounds);
            maxBounds = w.ToMetres(maxBounds);
        }
        TShapeWriter::WriteShapeHeader(w.MainFile(), w.ShapeType(), minBounds, maxBounds);
        TShapeWriter::WriteShapeHeader(w.IndexFile(), w.ShapeType(), minBounds, maxBounds);
        w.Table.Reset();
        declare(w.Table);
        w.Table.StreamRowsTo(w.TableFileName());
        w.RecordNumber = 1;
        records();
    } catch (...) {
        w.CloseShapeFilesAfterFailure();
        throw;
    }
    w.CloseShapeFiles();
    return true;
}

// Each layer returns true when it opened a set and wrote it; false when the set was not opened
// (or, for the feature layers, when the file has no feature of the kind: a warning then says so
// and no file is touched). File failures throw lumora::WriteError after the set was closed.
bool ExportStations(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o);
bool ExportSurveys(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o);
bool ExportShots(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o,
                 bool split);
bool ExportFeatures(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o,
                    bool lines);

// Row writers shared with the passage layers: the shot table's fields (the section, survey,
// date and station columns, the elevation field, or all of them), the first five columns of a
// survey's row, and the table pass of the shot layers (one row per shot, twice when splitting;
// progress 0 to 50).
void DeclareShotColumns(TDBFWriter& table);
void DeclareElevation(TDBFWriter& table);
void DeclareShotTable(TDBFWriter& table);
void AddShotTableRows(TShapeWriter& w, const TExportOptions& o, bool split);
void SetSurveyColumns(TDBFWriter& table, std::string_view section,
                      const survey::TSurveyRecord& survey);
// The name of section s; empty for -1.
std::string_view SectionName(const survey::TPlotData& data, std::int32_t s);

// Calls visit(sectionIndex, surveyIndex) for every survey, section by section. Surveys that no
// section holds (a plot file without sections) come first, with section index -1.
template <class Visit> void ForEachSurvey(const survey::TPlotData& data, Visit&& visit) {
    const std::int32_t firstInSection =
        data.Sections.Count() > 0 ? data.Sections[0].FirstSurvey : data.Surveys.Count();
    for (std::int32_t i = 0; i < firstInSection && i < data.Surveys.Count(); ++i)
        visit(-1, i);
    for (std::int32_t s = 0; s < data.Sections.Count(); ++s) {
        const survey::TRange range = data.SectionSurveyRange(s);
        for (std::int32_t i = range.First; i <= range.Last; ++i)
            visit(s, i);
    }
}

} // namespace lumora::exporter
