#include "exporter/ShapeSurvey.h"

#include <string_view>
#include <unordered_set>

namespace lumora::exporter {

namespace {

using survey::TPlotData;
using survey::TPlotRecord;
using survey::TRange;
using survey::TSurveyRecord;

std::string Decimal(int v) {
    return std::to_string(v);
}

// A dimension for the station table: missing when negative.
void SetDimension(TDBFWriter& table, int field, double value) {
    if (value < 0)
        table.SetNull(field);
    else
        table.SetNumber(field, value);
}

void DeclareSurveyTable(TDBFWriter& table) {
    table.AddField("SECTION", 'C', 20, 0);
    table.AddField("SURVEY", 'C', 255, 0);
    table.AddField("MONTH", 'C', 2, 0);
    table.AddField("DAY", 'C', 2, 0);
    table.AddField("YEAR", 'C', 4, 0);
    for (const char* name : {"QUILTRA_NMIN", "QUILTRA_NMAX", "QUILTRA_EMIN", "QUILTRA_EMAX",
                             "QUILTRA_VMIN", "QUILTRA_VMAX"})
        table.AddField(name, 'N', 18, 5);
}

void DeclareStationTable(TDBFWriter& table) {
    table.AddField("SECTION", 'C', 20, 0);
    table.AddField("STATION", 'C', 20, 0);
    for (const char* name : {"QUILTRA_X", "QUILTRA_Y", "QUILTRA_Z"})
        table.AddField(name, 'N', 18, 5);
    for (const char* name : {"LEFT", "RIGHT", "UP", "DOWN"})
        table.AddField(name, 'N', 4, 2);
}

void DeclareFeatureTable(TDBFWriter& table) {
    table.AddField("SECTION", 'C', 20, 0);
    table.AddField("FEATURE", 'C', 25, 0);
    table.AddField("STATION", 'C', 20, 0);
    for (const char* name : {"QUILTRA_X", "QUILTRA_Y", "QUILTRA_Z"})
        table.AddField(name, 'N', 18, 5);
    for (const char* name : {"RANGE_MIN", "RANGE_MAX", "VALUE"})
        table.AddField(name, 'N', 4, 2);
}

void WritePoint(TShapeWriter& w, const T3DVector& p, bool threeD) {
    w.AddShape([&](TBinaryFile& main) {
        if (threeD)
            w.WritePointZRecord(main, p);
        else
            w.WritePointRecord(main, p);
    });
}

// One line record of a survey's whole record range and its survey-table row.
void WriteSurveyLine(TShapeWriter& w, std::int32_t section, std::int32_t index,
                     const TExportOptions& o) {
    TPlotData& data = w.Data();
    const TRange range = data.SurveyShotRange(index);
    const TSurveyRecord& survey = data.Surveys[index];
    T3DVector lo = survey.MinBounds;
    T3DVector hi = survey.MaxBounds;
    if (o.Meters) {
        lo = w.ToMetres(lo);
        hi = w.ToMetres(hi);
    }
    w.AddShape([&](TBinaryFile& main) {
        w.WriteRunPolyline(main, range.First, range.Last, lo, hi, lo.Z, hi.Z, o.ShowHidden,
                           o.Meters);
    });
    TDBFWriter& table = w.Table;
    SetSurveyColumns(table, SectionName(data, section), survey);
    const double bounds[] = {lo.Y, hi.Y, lo.X, hi.X, lo.Z, hi.Z};
    for (int i = 0; i < 6; ++i)
        table.SetNumber(5 + i, bounds[i]);
    table.CommitRecord();
}

bool IsLineFeature(TPlotData& data, std::int32_t i) {
    const TSurveyRecord& s = data.Surveys[i];
    const TRange range = data.SurveyShotRange(i);
    return s.SurveyKind == 1 && !range.Empty() && data.Shots.RecordType(range.First) == 'M';
}

bool IsLocationFeature(TPlotData& data, std::int32_t i) {
    const TSurveyRecord& s = data.Surveys[i];
    return s.SurveyKind == 2 || (s.SurveyKind == 1 && !IsLineFeature(data, i));
}

// The points of one location feature: each station once per feature, with its range and value.
void WriteFeatureLocations(TShapeWriter& w, std::int32_t index, const TExportOptions& o) {
    TPlotData& data = w.Data();
    const TRange range = data.SurveyShotRange(index);
    const TSurveyRecord& survey = data.Surveys[index];
    std::unordered_set<std::string_view> seen;
    for (std::int32_t r = range.First; r <= range.Last; ++r) {
        if (!seen.insert(data.Shots.Station(r)).second)
            continue;
        TPlotRecord record = data.Shots.Get(r);
        if (o.Meters)
            w.ToMetres(record);
        WritePoint(w, record.Position, o.ThreeD);
        TDBFWriter& table = w.Table;
        table.SetString(0, "");
        table.SetString(1, survey.Name.View());
        table.SetString(2, record.Station.View());
        table.SetNumber(3, record.Position.X);
        table.SetNumber(4, record.Position.Y);
        table.SetNumber(5, record.Position.Z);
        const bool ranged = survey.SurveyKind == 2;
        table.SetNumber(6, ranged ? record.Down : 0.0);
        table.SetNumber(7, ranged ? record.Up : 0.0);
        table.SetNumber(8, ranged ? record.Right : 0.0);
        table.CommitRecord();
    }
}

} // namespace

std::string_view SectionName(const TPlotData& data, std::int32_t s) {
    return s < 0 ? std::string_view() : data.Sections[s].Name.View();
}

void DeclareShotColumns(TDBFWriter& table) {
    table.AddField("SECTION", 'C', 20, 0);
    table.AddField("SURVEY", 'C', 255, 0);
    table.AddField("MONTH", 'C', 2, 0);
    table.AddField("DAY", 'C', 2, 0);
    table.AddField("YEAR", 'C', 4, 0);
    table.AddField("FR_STATION", 'C', 20, 0);
    table.AddField("TO_STATION", 'C', 20, 0);
}

void DeclareShotTable(TDBFWriter& table) {
    DeclareShotColumns(table);
    DeclareElevation(table);
}

// As wide as the coordinate fields, so that any elevation keeps its digits.
void DeclareElevation(TDBFWriter& table) {
    table.AddField("ELEVATION", 'N', 18, 2);
}

void SetSurveyColumns(TDBFWriter& table, std::string_view section, const TSurveyRecord& survey) {
    table.SetString(0, section);
    table.SetString(1, survey.Name.View());
    table.SetString(2, Decimal(survey.Month));
    table.SetString(3, Decimal(survey.Day));
    table.SetString(4, Decimal(survey.Year));
}

bool ExportStations(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o) {
    TPlotData& data = w.Data();
    return RunShapeLayer(w, plotFileName, skPoint, o.ThreeD, data.MinBounds, data.MaxBounds,
                         o.Meters, DeclareStationTable, [&] {
                             w.ShowProgress(0);
                             std::unordered_set<std::string_view> seen;
                             seen.reserve(static_cast<std::size_t>(data.Shots.Count()));
                             const double recordCount = data.Shots.Count();
                             ForEachSurvey(data, [&](std::int32_t section, std::int32_t i) {
                                 if (data.Surveys[i].SurveyKind != 0)
                                     return;
                                 const TRange range = data.SurveyShotRange(i);
                                 for (std::int32_t r = range.First; r <= range.Last; ++r) {
                                     if (data.Shots.RecordType(r) == 'd' && !o.ShowHidden)
                                         continue;
                                     if (!seen.insert(data.Shots.Station(r)).second)
                                         continue;
                                     TPlotRecord record = data.Shots.Get(r);
                                     if (o.Meters)
                                         w.ToMetres(record);
                                     WritePoint(w, record.Position, o.ThreeD);
                                     TDBFWriter& table = w.Table;
                                     table.SetString(0, SectionName(data, section));
                                     table.SetString(1, record.Station.View());
                                     table.SetNumber(2, record.Position.X);
                                     table.SetNumber(3, record.Position.Y);
                                     table.SetNumber(4, record.Position.Z);
                                     SetDimension(table, 5, record.Left);
                                     SetDimension(table, 6, record.Right);
                                     SetDimension(table, 7, record.Up);
                                     SetDimension(table, 8, record.Down);
                                     table.CommitRecord();
                                     if (r % 100 == 0)
                                         w.ShowProgress(RoundPercent(r, recordCount));
                                 }
                             });
                             w.ShowProgress(100);
                         });
}

bool ExportSurveys(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o) {
    TPlotData& data = w.Data();
    return RunShapeLayer(w, plotFileName, skLine, o.ThreeD, data.MinBounds, data.MaxBounds,
                         o.Meters, DeclareSurveyTable, [&] {
                             const double surveyCount = data.Surveys.Count();
                             ForEachSurvey(data, [&](std::int32_t section, std::int32_t i) {
                                 WriteSurveyLine(w, section, i, o);
                                 if (i % 100 == 0)
                                     w.ShowProgress(RoundPercent(i, surveyCount));
                             });
                             w.ShowProgress(100);
                         });
}

namespace {

// One shot-table row per shot of the survey (two when splitting): a move, and the first record
// of the survey, only name the station the next shot starts from, so that every row has the
// shape that the shape pass writes for it.
void AddShotRows(TShapeWriter& w, std::int32_t section, std::int32_t i, const TExportOptions& o,
                 bool split) {
    TPlotData& data = w.Data();
    const TRange range = data.SurveyShotRange(i);
    std::string_view from;
    for (std::int32_t r = range.First; r <= range.Last; ++r) {
        const char type = data.Shots.RecordType(r);
        if (type != 'M' && r != range.First && (type != 'd' || o.ShowHidden)) {
            TDBFWriter& table = w.Table;
            SetSurveyColumns(table, SectionName(data, section), data.Surveys[i]);
            table.SetString(5, from);
            table.SetString(6, data.Shots.Station(r));
            const double z = data.Shots.Position(r).Z;
            table.SetNumber(7, o.Meters ? z * w.FeetToMeters : z);
            table.CommitRecord();
            if (split)
                table.CommitRecord();
        }
        from = data.Shots.Station(r);
    }
}

void WriteShotShapes(TShapeWriter& w, std::int32_t i, const TExportOptions& o, bool split) {
    TPlotData& data = w.Data();
    const TRange range = data.SurveyShotRange(i);
    const double factor = o.Meters ? w.FeetToMeters : 1.0;
    for (std::int32_t r = range.First; r < range.Last; ++r) {
        const char next = data.Shots.RecordType(r + 1);
        if (next == 'M' || (next == 'd' && !o.ShowHidden))
            continue;
        const T3DVector a = survey::Scale(data.Shots.Position(r), factor);
        const T3DVector b = survey::Scale(data.Shots.Position(r + 1), factor);
        auto segment = [&](const T3DVector& p, const T3DVector& q) {
            w.AddShape([&](TBinaryFile& main) { w.WriteSegmentPolyline(main, p, q); });
        };
        if (!split) {
            segment(a, b);
            continue;
        }
        const T3DVector middle = survey::Scale(survey::Add(a, b), 0.5);
        segment(a, middle);
        segment(middle, b);
    }
}

} // namespace

void AddShotTableRows(TShapeWriter& w, const TExportOptions& o, bool split) {
    TPlotData& data = w.Data();
    const double surveyCount = data.Surveys.Count();
    ForEachSurvey(data, [&](std::int32_t section, std::int32_t i) {
        if (data.Surveys[i].SurveyKind == 0)
            AddShotRows(w, section, i, o, split);
        if (i % 100 == 0)
            w.ShowProgress(RoundPercent(50.0 * i, 100.0 * surveyCount));
    });
}

bool ExportShots(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o,
                 bool split) {
    TPlotData& data = w.Data();
    return RunShapeLayer(w, plotFileName, skLine, o.ThreeD, data.MinBounds, data.MaxBounds,
                         o.Meters, DeclareShotTable, [&] {
                             const double surveyCount = data.Surveys.Count();
                             AddShotTableRows(w, o, split);
                             ForEachSurvey(data, [&](std::int32_t, std::int32_t i) {
                                 if (data.Surveys[i].SurveyKind == 0)
                                     WriteShotShapes(w, i, o, split);
                                 if (i % 100 == 0)
                                     w.ShowProgress(50 +
                                                    RoundPercent(50.0 * i, 100.0 * surveyCount));
                             });
                             w.ShowProgress(100);
                         });
}

bool ExportFeatures(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o,
                    bool lines) {
    TPlotData& data = w.Data();
    bool any = false;
    for (std::int32_t i = 0; i < data.Surveys.Count() && !any; ++i)
        any = lines ? IsLineFeature(data, i) : IsLocationFeature(data, i);
    if (!any) {
        w.Ui().Warning(lines ? "No Line Feautures in the File"
                             : "No Location Feautures in the File");
        return false;
    }
    auto declare = [&](TDBFWriter& table) {
        if (lines)
            DeclareSurveyTable(table);
        else
            DeclareFeatureTable(table);
    };
    return RunShapeLayer(w, plotFileName, lines ? skLine : skPoint, o.ThreeD, data.MinBounds,
                         data.MaxBounds, o.Meters, declare, [&] {
                             w.ShowProgress(0);
                             const double surveyCount = data.Surveys.Count();
                             ForEachSurvey(data, [&](std::int32_t section, std::int32_t i) {
                                 if (lines && IsLineFeature(data, i))
                                     WriteSurveyLine(w, section, i, o);
                                 else if (!lines && IsLocationFeature(data, i))
                                     WriteFeatureLocations(w, i, o);
                                 if (i % 2 == 0)
                                     w.ShowProgress(RoundPercent(i, surveyCount));
                             });
                             w.ShowProgress(100);
                         });
}

} // namespace lumora::exporter
