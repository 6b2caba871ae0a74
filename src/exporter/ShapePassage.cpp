#include "exporter/ShapePassage.h"

#include "exporter/ExpGlobal.h"
#include "exporter/ShapeSurvey.h"
#include "passage/PassageLib.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <optional>
#include <thread>

namespace lumora::exporter {

namespace {

using passage::TOutline;
using survey::TPlotData;
using survey::TPlotRecord;
using survey::TRange;

bool WidensBounds(float v) {
    return v > 0.0f && v < 900.0f;
}

// The plot file's bounds widened by the largest passage dimension (feet).
void PassageBounds(const TPlotData& data, T3DVector& lo, T3DVector& hi) {
    lo = data.MinBounds;
    hi = data.MaxBounds;
    passage::WidenBounds(lo, hi, LargestPassageDimension(data));
}

// The outline of shot i (records i and i + 1, cleaned and filled), when that shot exists.
std::optional<TOutline> OutlineOf(const TPlotData& data, std::int32_t i, const TExportOptions& o) {
    if (i < 0 || i + 1 >= data.Shots.Count())
        return std::nullopt;
    const char next = data.Shots.RecordType(i + 1);
    if (next == 'M' || (next == 'd' && !o.ShowHidden))
        return std::nullopt;
    TPlotRecord a = data.Shots.Get(i);
    TPlotRecord b = data.Shots.Get(i + 1);
    passage::CleanDimensions(a);
    passage::CleanDimensions(b);
    if (o.Walls.ExpandWalls)
        passage::FillPair(a, b, o.Walls.Substitute());
    return passage::ShotOutline(a, b);
}

void WriteOutlines(TShapeWriter& w, std::int32_t survey, const TExportOptions& o) {
    TPlotData& data = w.Data();
    const TRange range = data.SurveyShotRange(survey);
    for (std::int32_t i = range.First; i < range.Last; ++i) {
        std::optional<TOutline> outline = OutlineOf(data, i, o);
        if (!outline)
            continue;
        if (o.Walls.MergePass) {
            if (std::optional<TOutline> before = OutlineOf(data, i - 1, o))
                passage::MergeOutlines(*before, *outline);
            if (std::optional<TOutline> after = OutlineOf(data, i + 1, o))
                passage::MergeOutlines(*outline, *after);
        }
        if (o.Meters)
            for (T3DVector& c : *outline)
                c = w.ToMetres(c);
        w.AddShape([&](TBinaryFile& main) { w.WriteOutlinePolygon(main, *outline); });
    }
}

void DeclarePrismTable(TDBFWriter& table) {
    DeclareShotColumns(table);
    table.AddField("FACE", 'N', 4, 2);
    DeclareElevation(table);
}

passage::TPassageOptions& SetPassageOptions(const TExportOptions& o) {
    passage::TPassageOptions& p = ApplyWallSettings(o.Walls);
    p.SealEnds = false;
    p.CenterOnCave = false;
    p.MetricUnits = o.Meters;
    p.IncludeHiddenShots = o.ShowHidden;
    return p;
}

// One row per face of every shot of every rounded traverse, in the order in which passage
// generation produces the faces. Touches only data (reading) and table, so it may run beside the
// shape pass; stops early (leaving the rows so far) when stop is set.
void AddPrismRows(const TPlotData& data, TDBFWriter& table, const passage::TPassageOptions& p,
                  double factor, const std::atomic<bool>& stop) {
    const int faces = p.PassShape == passage::TPassShape::Octagon ? 8 : 4;
    passage::TStationList list;
    passage::TStationList scratch;
    ForEachSurvey(data, [&](std::int32_t section, std::int32_t i) {
        if (data.Surveys[i].SurveyKind != 0)
            return;
        const TRange traverses = data.SurveyTraverseRange(i);
        for (std::int32_t t = traverses.First; t <= traverses.Last && !stop; ++t) {
            const TRange shots = data.TraverseShotRange(t);
            passage::LoadTraverse(data, shots.First, shots.Last, p, list);
            passage::RoundTraverse(list, p, scratch);
            for (std::size_t j = 0; j + 1 < list.size(); ++j) {
                if (list[j + 1].RecordType == 'M')
                    continue;
                SetSurveyColumns(table, SectionName(data, section), data.Surveys[i]);
                table.SetString(5, list[j].Station.View());
                table.SetString(6, list[j + 1].Station.View());
                table.SetNumber(8, list[j + 1].Position.Z * factor);
                for (int face = 1; face <= faces; ++face) {
                    table.SetNumber(7, face);
                    table.CommitRecord();
                }
            }
        }
    });
}

// The table pass of the prisms on a thread of its own. Wait joins it and passes on what it
// threw; the destructor (on every way out of the shape pass) asks it to stop and joins it.
class TTablePass {
public:
    TTablePass(const TPlotData& data, TDBFWriter& table, const passage::TPassageOptions& p,
               double factor)
        : m_Options(p), m_Thread([this, &data, &table, factor] {
              try {
                  AddPrismRows(data, table, m_Options, factor, m_Stop);
              } catch (...) {
                  m_Failure = std::current_exception();
              }
          }) {}
    ~TTablePass() {
        m_Stop = true;
        if (m_Thread.joinable())
            m_Thread.join();
    }
    TTablePass(const TTablePass&) = delete;
    TTablePass& operator=(const TTablePass&) = delete;

    void Wait() {
        m_Thread.join();
        if (m_Failure)
            std::rethrow_exception(m_Failure);
    }

private:
    const passage::TPassageOptions m_Options; // a copy: the process's options are not shared
    std::atomic<bool> m_Stop{false};
    std::exception_ptr m_Failure;
    std::thread m_Thread; // last: starts once the members above exist
};

void DeclareBoundingTable(TDBFWriter& table) {
    for (const char* name : {"Layer_Count", "Layer_Number", "Edge_Count", "Edge_Number"})
        table.AddField(name, 'N', 4, 0);
    for (const char* name : {"Top", "Bottom", "Depth"})
        table.AddField(name, 'N', 4, 2);
}

void AddBoundingRows(TDBFWriter& table, const TPolygonBounds& bounds, double factor) {
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const TPolygon& layer = bounds[i];
        for (std::size_t j = 0; j < layer.size(); ++j) {
            const double top = layer[0][0].Z * factor;
            const double bottom = layer[0][1].Z * factor;
            table.SetNumber(0, static_cast<double>(bounds.size()));
            table.SetNumber(1, static_cast<double>(i));
            table.SetNumber(2, static_cast<double>(layer.size()));
            table.SetNumber(3, static_cast<double>(j));
            table.SetNumber(4, top);
            table.SetNumber(5, bottom);
            table.SetNumber(6, std::fabs(top - bottom));
            table.CommitRecord();
        }
    }
}

} // namespace

double LargestPassageDimension(const TPlotData& data) {
    float largest = 0.0f;
    TPlotRecord r;
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i) {
        data.Shots.Get(i, r);
        for (float v : {r.Up, r.Down, r.Right, r.Left})
            if (WidensBounds(v))
                largest = std::max(largest, v);
    }
    return largest;
}

bool ExportPassageOutlines(TShapeWriter& w, const std::string& plotFileName,
                           const TExportOptions& o) {
    TPlotData& data = w.Data();
    T3DVector lo, hi;
    PassageBounds(data, lo, hi);
    return RunShapeLayer(
        w, plotFileName, skArea, o.ThreeD, lo, hi, o.Meters, DeclareShotTable, [&] {
            w.ShowProgress(0);
            AddShotTableRows(w, o, false);
            const double surveyCount = data.Surveys.Count();
            ForEachSurvey(data, [&](std::int32_t, std::int32_t i) {
                if (data.Surveys[i].SurveyKind == 0)
                    WriteOutlines(w, i, o);
                if (i % 100 == 0)
                    w.ShowProgress(50 + RoundPercent(50.0 * i, 100.0 * surveyCount));
            });
            w.ShowProgress(100);
        });
}

bool ExportPrisms(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o,
                  bool multipatch) {
    TPlotData& data = w.Data();
    const passage::TPassageOptions& p = SetPassageOptions(o);
    passage::TPassageRunState& state = passage::PassageRunState();
    T3DVector lo, hi;
    PassageBounds(data, lo, hi);
    return RunShapeLayer(
        w, plotFileName, multipatch ? skMultipatch : skPrism, true, lo, hi, o.Meters,
        DeclarePrismTable, [&] {
            w.ShowProgress(0);
            state.AbortPassages = false;
            const double factor = o.Meters ? w.FeetToMeters : 1.0;
            std::optional<TTablePass> tablePass;
            if (w.ParallelTablePass) {
                tablePass.emplace(data, w.Table, p, factor);
            } else {
                const std::atomic<bool> never{false};
                AddPrismRows(data, w.Table, p, factor, never);
            }
            auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                            const T3DVector& p3) {
                w.AddShape([&](TBinaryFile& main) { w.WriteFacePolygon(main, {p0, p1, p2, p3}); });
            };
            auto progress = [&](std::int64_t, std::int32_t percent) {
                w.ShowProgress(50 + percent / 2);
            };
            passage::GeneratePassages(data, p, state, nullptr, wall, progress);
            if (tablePass)
                tablePass->Wait();
            w.ShowProgress(100);
        });
}

bool ExportBoundingPolygons(TShapeWriter& w, const std::string& plotFileName,
                            const TExportOptions& o, const TPolygonBounds& bounds,
                            bool multipatch) {
    TPlotData& data = w.Data();
    T3DVector lo, hi;
    PassageBounds(data, lo, hi);
    const double factor = o.Meters ? w.FeetToMeters : 1.0;
    return RunShapeLayer(
        w, plotFileName, multipatch ? skMultipatch : skPrism, true, lo, hi, o.Meters,
        DeclareBoundingTable, [&] {
            w.ShowProgress(0);
            AddBoundingRows(w.Table, bounds, factor);
            for (const TPolygon& layer : bounds) {
                for (std::size_t c = 0; c < layer.size(); ++c) {
                    const std::size_t next = (c + 1) % layer.size();
                    const std::array<T3DVector, 4> face{
                        survey::Scale(layer[next][0], factor), survey::Scale(layer[c][0], factor),
                        survey::Scale(layer[c][1], factor), survey::Scale(layer[next][1], factor)};
                    w.AddShape([&](TBinaryFile& main) { w.WriteFacePolygon(main, face); });
                }
            }
            w.ShowProgress(100);
        });
}

} // namespace lumora::exporter
