#include "exporter/DXFExport.h"

#include "exporter/ACADLib.h"
#include "exporter/ShapeGlobal.h"
#include "passage/PassageLib.h"

#include <array>
#include <cmath>
#include <optional>

namespace lumora::exporter {

namespace {

using survey::T3DVector;
using survey::TPlotData;
using survey::TPlotRecord;

constexpr int kMarkSides = 14;
constexpr int kThawed = 64; // layer flags: referenced, not frozen (1 would freeze it)
constexpr double kPenUp = 99.0;

// Which layers the options ask for, with the associations the window enables only while
// "Surveys On Separate Layers" is checked.
struct TLayerPlan {
    bool Separate;
    bool AssocLabels;
    bool AssocPassages;
    bool Prefixed; // "Associate Separately"
    bool Ticks;    // walls drawn as tick marks
    bool Faces;    // walls drawn as 3D faces
    bool Objects;  // north arrow or scale bar

    explicit TLayerPlan(const TDXFOptions& o)
        : Separate(o.SeparateLayers), AssocLabels(o.SeparateLayers && o.AssociateLabels),
          AssocPassages(o.SeparateLayers && o.AssociatePassages), Prefixed(o.AssociateSeparate),
          Ticks(o.IncludeWalls && (o.ProfileMode || o.PassageType == 1)),
          Faces(o.IncludeWalls && !o.ProfileMode && o.PassageType == 0),
          Objects(o.IncludeNorthArrow || o.IncludeScaleBar) {}
};

struct TLayerNames {
    std::string Shots = "0";
    std::string Labels = "LABELS";
    std::string Marks = "MARKS";
    std::string Depth = "DEPTH";
    std::string Passage = "PASSAGE";
    std::string Ticks = "TICKS";
};

TLayerNames LayerNamesOf(const TLayerPlan& plan, const std::string& survey) {
    TLayerNames names;
    if (!plan.Separate)
        return names;
    names.Shots = survey;
    if (plan.AssocLabels) {
        names.Labels = plan.Prefixed ? "S-" + survey : survey;
        names.Marks = plan.Prefixed ? "M-" + survey : survey;
        names.Depth = plan.Prefixed ? "D-" + survey : survey;
    }
    if (plan.AssocPassages) {
        names.Passage = plan.Prefixed ? "P-" + survey : survey;
        names.Ticks = plan.Prefixed ? "T-" + survey : survey;
    }
    return names;
}

passage::TPassageOptions SetPassageOptions(const TWallSettings& w) {
    passage::TPassageOptions& p = ApplyWallSettings(w);
    p.MergePass = w.MergePass;
    p.SealEnds = false;
    p.CenterOnCave = false;
    // The drawing applies its own unit factor: positions must reach it in feet.
    passage::TPassageOptions copy = p;
    copy.MetricUnits = false;
    return copy;
}

class TDXFExport {
public:
    TDXFExport(TPlotData& data, const std::string& fileName, const TExportOptions& o,
               const TExportIo& io)
        : m_Data(data), m_Options(o), m_Dxf(o.Dxf), m_Io(io), m_Plan(o.Dxf), m_Out(fileName) {
        m_U = UnitFactor(o.Meters);
        m_S = m_Dxf.DoScale ? m_Dxf.ScaleFactor / 100.0 : 1.0;
        m_R = m_Dxf.MarkSize / m_U * m_S;
        const double theta = m_Dxf.Rotation * survey::kDegToRad;
        m_Cos = std::cos(theta);
        m_Sin = std::sin(theta);
    }

    void Run() {
        m_Divisor = m_Plan.Faces ? 2 : 1;
        m_Base = 0;
        m_Io.Gauge(0);
        m_Io.Status("Processing");
        m_Passage = SetPassageOptions(m_Options.Walls);
        WriteHeader();
        WriteTables();
        m_Out.String(0, "SECTION");
        m_Out.String(2, "ENTITIES");
        WriteRecords();
        m_Base = 50;
        if (m_Plan.Faces)
            WriteFaces();
        // A profile has no north; its scale bar goes beside the profile itself.
        if (m_Dxf.IncludeNorthArrow && !m_Dxf.ProfileMode)
            WriteNorthArrow();
        if (m_Dxf.IncludeScaleBar) {
            if (m_Dxf.ProfileMode)
                WriteProfileScaleBar(m_Dxf.ScaleBar / m_U);
            else
                WriteScaleBar(m_Dxf.ScaleBar / m_U);
        }
        m_Out.String(0, "ENDSEC");
        m_Out.String(0, "EOF");
        m_Out.Finish();
        m_Io.Gauge(0);
        m_Io.Status("Done");
    }

private:
    void Progress(int percent) { m_Io.Gauge(percent / m_Divisor + m_Base); }

    void WriteHeader() {
        m_Out.String(0, "SECTION");
        m_Out.String(2, "HEADER");
        m_Out.String(9, "$DWGCODEPAGE");
        m_Out.String(3, "ascii");
        m_Out.String(0, "ENDSEC");
    }

    void Layer(const std::string& name, int flags, std::int32_t colour) {
        m_Out.String(0, "LAYER");
        m_Out.String(2, name);
        m_Out.Integer(70, flags);
        m_Out.Integer(62, colour);
        m_Out.String(6, "CONTINUOUS");
    }

    // Entries "prefix" + N per survey when associated and prefixed, none when only associated
    // (the survey's own layer serves), else the one shared layer. Written thawed (flags 64, as
    // the survey layers): the user asked for what they hold, and a frozen layer shows nothing.
    void LayerGroup(bool associated, const char* prefix, const char* shared, std::int32_t colour) {
        if (associated && m_Plan.Prefixed) {
            for (std::int32_t i = 0; i < m_Data.Surveys.Count(); ++i)
                Layer(prefix + m_Data.Surveys[i].Name.Str(), kThawed, colour);
        } else if (!associated) {
            Layer(shared, kThawed, colour);
        }
    }

    void WriteTables() {
        const std::int32_t count = DXFLayerCount(m_Data, m_Options);
        if (count == 0)
            return;
        m_Out.String(0, "SECTION");
        m_Out.String(2, "TABLES");
        m_Out.String(0, "TABLE");
        m_Out.String(2, "LAYER");
        m_Out.Integer(70, count);
        if (m_Plan.Separate)
            for (std::int32_t i = 0; i < m_Data.Surveys.Count(); ++i)
                Layer(m_Data.Surveys[i].Name.Str(), kThawed, m_Dxf.SurveyColor);
        if (m_Dxf.IncludeLabels)
            LayerGroup(m_Plan.AssocLabels, "S-", "LABELS", m_Dxf.LabelColor);
        if (m_Dxf.IncludeStationMark)
            LayerGroup(m_Plan.AssocLabels, "M-", "MARKS", m_Dxf.LabelColor);
        if (m_Dxf.IncludeWalls)
            LayerGroup(m_Plan.AssocPassages, m_Plan.Ticks ? "T-" : "P-",
                       m_Plan.Ticks ? "TICKS" : "PASSAGE", m_Dxf.WallColor);
        if (m_Plan.Objects)
            Layer("OBJECTS", kThawed, m_Dxf.LabelColor);
        if (m_Dxf.IncludeDepth)
            LayerGroup(m_Plan.AssocLabels, "D-", "DEPTH", m_Dxf.DepthColor);
        m_Out.String(0, "ENDTAB");
        m_Out.String(0, "ENDSEC");
    }

    // Drawing coordinates: plot feet × unit × scale. Widens the drawing's extent (plot feet).
    void Point(int base, const T3DVector& p) {
        if (m_HasExtent) {
            m_ExtentMin = survey::VecMin(m_ExtentMin, p);
            m_ExtentMax = survey::VecMax(m_ExtentMax, p);
        } else {
            m_ExtentMin = m_ExtentMax = p;
            m_HasExtent = true;
        }
        const double f = m_U * m_S;
        m_Out.Point(base, p.X * f, p.Y * f, p.Z * f);
    }

    void Line(const std::string& layer, const T3DVector& a, const T3DVector& b) {
        m_Out.String(0, "LINE");
        m_Out.String(8, layer);
        Point(10, a);
        Point(11, b);
    }

    void Text(const std::string& layer, const T3DVector& at, double height,
              const std::string& text) {
        m_Out.String(0, "TEXT");
        m_Out.String(7, "STANDARD");
        m_Out.String(8, layer);
        Point(10, at);
        m_Out.Real(40, height * m_U * m_S);
        m_Out.String(1, text);
    }

    // Record k, cleaned, and in profile mode turned about the centre with the elevation as Y.
    TPlotRecord Load(std::int32_t k) {
        TPlotRecord r = m_Data.Shots.Get(k);
        passage::CleanDimensions(r);
        m_Elevation = r.Position.Z;
        if (m_Dxf.ProfileMode) {
            const T3DVector& c = m_Data.Center;
            const double dx = r.Position.X - c.X;
            const double dy = r.Position.Y - c.Y;
            const double x = dx * m_Cos + dy * m_Sin + c.X;
            const double y = c.Y - dx * m_Sin + dy * m_Cos;
            r.Position = {x, r.Position.Z, y};
        }
        return r;
    }

    void WriteRecords() {
        const std::int32_t total = m_Data.Shots.Count();
        std::optional<TPlotRecord> previous;
        for (std::int32_t i = 0; i < m_Data.Surveys.Count(); ++i) {
            const survey::TRange range = m_Data.SurveyShotRange(i);
            m_Names = LayerNamesOf(m_Plan, m_Data.LastSurveyRecord.Name.Str());
            for (std::int32_t k = range.First; k <= range.Last; ++k) {
                TPlotRecord r = Load(k);
                if (r.RecordType == 'M')
                    Progress(RoundPercent(k, total));
                if (r.RecordType == 'D' && previous) {
                    if (m_Plan.Ticks)
                        WriteTicks(*previous, r);
                    WriteShotLine(previous->Position, r.Position);
                }
                WriteStation(r);
                previous = r;
            }
        }
    }

    void WriteStation(const TPlotRecord& r) {
        if (m_Dxf.IncludeLabels)
            Text(m_Names.Labels, r.Position, 1.0, r.Station.Str());
        if (m_Dxf.IncludeStationMark)
            WriteMark(r.Position);
        if (m_Dxf.IncludeDepth) {
            const T3DVector at{r.Position.X, r.Position.Y - 1.2 * (m_Dxf.ScaleFactor / 100.0),
                               r.Position.Z};
            Text(m_Names.Depth, at, 1.0,
                 FormatFixed(m_U * m_Elevation, 1) + UnitLabel(m_Options.Meters));
        }
    }

    void WriteShotLine(T3DVector a, T3DVector b) {
        if (m_Dxf.ClipLines) {
            const T3DVector d = survey::Sub(b, a);
            const double length = survey::Length(d);
            if (length > 0.0) {
                const T3DVector step = survey::Scale(d, m_R / length);
                a = survey::Add(a, step);
                b = survey::Sub(b, step);
            }
        }
        Line(m_Names.Shots, a, b);
    }

    void WriteMark(const T3DVector& c) {
        static const std::array<std::array<double, 2>, kMarkSides + 1> unit = [] {
            std::array<std::array<double, 2>, kMarkSides + 1> corners{};
            const double alpha = 2.0 * M_PI / kMarkSides;
            for (int j = 0; j <= kMarkSides; ++j)
                corners[static_cast<std::size_t>(j)] = {std::sin(j * alpha), std::cos(j * alpha)};
            return corners;
        }();
        auto corner = [&](std::size_t j) {
            return T3DVector{c.X + m_R * unit[j][0], c.Y + m_R * unit[j][1], c.Z};
        };
        for (std::size_t j = 0; j < kMarkSides; ++j)
            Line(m_Names.Marks, corner(j), corner(j + 1));
    }

    void Tick(const T3DVector& a, const T3DVector& b, const char* letter) {
        if (m_Dxf.AddLine)
            Line(m_Names.Ticks, a, b);
        const char* text = m_Dxf.MarkWith == 1 ? "." : m_Dxf.MarkWith == 2 ? "*" : letter;
        Text(m_Names.Ticks, b, 1.0, text);
    }

    // Ring corners of a Diamond: Up, Right, Down, Left.
    void TickSet(const T3DVector& at, const passage::CrossSection& ring) {
        if (m_Dxf.LeftRight) {
            Tick(at, ring.Corners[3], "L");
            Tick(at, ring.Corners[1], "R");
        }
        if (m_Dxf.UpDown) {
            Tick(at, ring.Corners[0], "U");
            Tick(at, ring.Corners[2], "D");
        }
    }

    void WriteTicks(TPlotRecord& previous, TPlotRecord& current) {
        if (m_Dxf.ExpandMark)
            passage::FillPair(previous, current, m_Passage.SubstituteDiam);
        const T3DVector& a = previous.Position;
        if (m_Dxf.ProfileMode) {
            Tick(a, {a.X, a.Y + previous.Up, a.Z}, "U");
            Tick(a, {a.X, a.Y - previous.Down, a.Z}, "D");
            return;
        }
        const passage::TShotFrame frame = passage::ShotFrame(a, current.Position, m_Passage);
        if (m_Dxf.MarkFrom)
            TickSet(a, passage::MakeCrossSection(passage::ToStation(previous, -1), frame,
                                                 passage::TPassShape::Diamond));
        if (m_Dxf.MarkTo)
            TickSet(current.Position,
                    passage::MakeCrossSection(passage::ToStation(current, -1), frame,
                                              passage::TPassShape::Diamond));
    }

    void WriteFaces() {
        passage::TPassageRunState& state = passage::PassageRunState();
        std::int32_t named = -1;
        auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                        const T3DVector& p3) {
            if (state.CurrentSurvey != named) {
                named = state.CurrentSurvey;
                m_Data.LastSurveyRecord = m_Data.Surveys[named];
                m_Names = LayerNamesOf(m_Plan, m_Data.LastSurveyRecord.Name.Str());
            }
            m_Out.String(0, "3DFACE");
            m_Out.String(8, m_Names.Passage);
            Point(10, p0);
            Point(11, p1);
            Point(12, p2);
            Point(13, p3);
        };
        auto progress = [&](std::int64_t, std::int32_t percent) { Progress(percent); };
        passage::GeneratePassages(m_Data, m_Passage, state, nullptr, wall, progress);
    }

    void Polyline(const T3DVector& origin, double unit, std::initializer_list<T3DVector> grid) {
        bool penDown = false;
        T3DVector pen;
        for (const T3DVector& g : grid) {
            const T3DVector p{origin.X + g.X * unit, origin.Y + g.Y * unit, origin.Z};
            if (penDown && g.X != kPenUp)
                Line("OBJECTS", pen, p);
            penDown = g.X != kPenUp;
            pen = p;
        }
    }

    void WriteNorthArrow() {
        const double g = std::max(m_Data.MaxBounds.X - m_Data.MinBounds.X,
                                  m_Data.MaxBounds.Y - m_Data.MinBounds.Y) /
                         10.0;
        const T3DVector origin{m_Data.MinBounds.X - g / 2, m_Data.MinBounds.Y + g / 2,
                               m_Data.FirstStation.Z};
        Polyline(origin, g / 10.0,
                 {{0, -4, 0},
                  {0, 4, 0},
                  {-1, 3, 0},
                  {1, 3, 0},
                  {0, 4, 0},
                  {kPenUp, kPenUp, 0},
                  {-1, 5, 0},
                  {-1, 6, 0},
                  {1, 5, 0},
                  {1, 6, 0}});
    }

    // Centred under the box min..max of the drawing's X and Y, at depth z.
    void WriteScaleBar(double length, const T3DVector& min, const T3DVector& max, double z) {
        const double x0 = (min.X + max.X) / 2 - length / 2;
        const double y0 = min.Y - length / 3;
        Line("OBJECTS", {x0, y0, z}, {x0 + length, y0, z});
        for (int i : {0, 5, 10, 1, 2, 3, 4, 6, 7, 8, 9}) {
            const double height = i % 5 == 0 ? length / 5 : length / 10;
            const double x = x0 + i * length / 10;
            Line("OBJECTS", {x, y0, z}, {x, y0 + height, z});
        }
        Text("OBJECTS", {x0 + length + length / 10, y0, z}, length / 10,
             FormatFixed(m_U * length, 1) + UnitLabel(m_Options.Meters));
    }

    // The plan's bar lies under the plot's bounds, at elevation 0.
    void WriteScaleBar(double length) {
        WriteScaleBar(length, m_Data.MinBounds, m_Data.MaxBounds, 0.0);
    }

    // The profile's bar lies under what the profile drew (its X and elevation), in the middle of
    // its depth: the plot's bounds are plan coordinates, far from a profile.
    void WriteProfileScaleBar(double length) {
        if (!m_HasExtent) {
            const T3DVector centre{m_Data.Center.X, m_Data.Center.Z, m_Data.Center.Y};
            WriteScaleBar(length, centre, centre, centre.Z);
            return;
        }
        const T3DVector min = m_ExtentMin;
        const T3DVector max = m_ExtentMax;
        WriteScaleBar(length, min, max, (min.Z + max.Z) / 2);
    }

    TPlotData& m_Data;
    const TExportOptions& m_Options;
    const TDXFOptions& m_Dxf;
    const TExportIo& m_Io;
    TLayerPlan m_Plan;
    TDXFWriter m_Out;
    passage::TPassageOptions m_Passage;
    TLayerNames m_Names;
    double m_U = 1.0;
    double m_S = 1.0;
    double m_R = 0.0;
    double m_Cos = 1.0;
    double m_Sin = 0.0;
    double m_Elevation = 0.0;
    int m_Divisor = 1;
    int m_Base = 0;
    bool m_HasExtent = false; // the box of every point written so far, plot feet
    T3DVector m_ExtentMin;
    T3DVector m_ExtentMax;
};

} // namespace

std::int32_t DXFLayerCount(const TPlotData& data, const TExportOptions& options) {
    const TDXFOptions& o = options.Dxf;
    const TLayerPlan plan(o);
    const std::int32_t surveys = data.Surveys.Count();
    std::int32_t count = plan.Separate ? surveys : 0;
    if (o.IncludeLabels)
        count += plan.AssocLabels ? surveys : 1;
    if (o.IncludeDepth)
        count += plan.AssocLabels ? surveys : 1;
    if (o.IncludeWalls)
        count += plan.AssocPassages ? surveys : 1;
    if (plan.Objects)
        count += 1;
    return count;
}

void WriteDXFFile(TPlotData& data, const std::string& fileName, const TExportOptions& options,
                  const TExportIo& io) {
    std::optional<BusyCursorGuard> busy;
    if (io.Ui)
        busy.emplace(*io.Ui);
    TDXFExport(data, fileName, options, io).Run();
}

} // namespace lumora::exporter
