#include "survey/PlotSummary.h"

#include <charconv>
#include <cstdio>

namespace lumora::survey {

namespace {

template <class T> void AppendNumber(std::string& out, T value) {
    char buffer[64];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, ptr);
}

void Tab(std::string& out) {
    out += '\t';
}

void AppendVector(std::string& out, const T3DVector& v) {
    Tab(out);
    AppendNumber(out, v.X);
    Tab(out);
    AppendNumber(out, v.Y);
    Tab(out);
    AppendNumber(out, v.Z);
}

template <class T> void Field(std::string& out, T value) {
    Tab(out);
    AppendNumber(out, value);
}

void Field(std::string& out, std::string_view text) {
    Tab(out);
    out += text;
}

void Flag(std::string& out, bool value) {
    Field(out, std::string_view(value ? "1" : "0"));
}

void DumpModelLine(const TPlotData& d, std::string& out) {
    out += 'Z';
    AppendVector(out, d.MinBounds);
    AppendVector(out, d.MaxBounds);
    AppendVector(out, d.Center);
    AppendVector(out, d.FirstStation);
    Field(out, d.DepthRange);
    Field(out, d.PassageTop);
    Field(out, d.PassageBottom);
    Field(out, d.UTMZone);
    Flag(out, d.Georeferenced);
    Field(out, std::string_view(d.DatumName));
    out += '\n';
}

void DumpSections(const TPlotData& d, std::string& out) {
    for (std::int32_t i = 0; i < d.Sections.Count(); ++i) {
        out += 'S';
        Field(out, d.Sections[i].Name.View());
        Field(out, d.Sections[i].FirstSurvey);
        out += '\n';
        const TFixedStations& fixed = d.Sections.FixedStations(i);
        for (std::int32_t k = 0; k < fixed.Count(); ++k) {
            out += 'P';
            Field(out, fixed[k].Name.View());
            AppendVector(out, fixed[k].Position);
            out += '\n';
        }
    }
}

void DumpSurveys(const TPlotData& d, std::string& out) {
    for (std::int32_t i = 0; i < d.Surveys.Count(); ++i) {
        const TSurveyRecord& s = d.Surveys[i];
        out += 'N';
        Field(out, s.Name.View());
        Field(out, int{s.Month});
        Field(out, int{s.Day});
        Field(out, int{s.Year});
        Field(out, int{s.SurveyKind});
        Field(out, s.FirstShot);
        Field(out, s.FirstTraverse);
        AppendVector(out, s.MinBounds);
        AppendVector(out, s.MaxBounds);
        Field(out, s.Comment.View());
        out += '\n';
    }
}

void DumpRecords(const TPlotData& d, std::string& out) {
    TPlotRecord r;
    for (std::int32_t i = 0; i < d.Shots.Count(); ++i) {
        d.Shots.Get(i, r);
        out += 'R';
        Field(out, i);
        Field(out, std::string_view(&r.RecordType, 1));
        Field(out, r.Station.View());
        AppendVector(out, r.Position);
        Field(out, r.IValue);
        Field(out, r.Left);
        Field(out, r.Up);
        Field(out, r.Down);
        Field(out, r.Right);
        Field(out, r.ShotNumber);
        Field(out, r.Flags.View());
        Flag(out, r.PMark);
        Field(out, r.Comment.View());
        out += '\n';
    }
}

void AppendEdges(std::string& out, const TEdgeArray& edges) {
    for (std::int32_t e = 0; e < edges.Count(); ++e) {
        Tab(out);
        AppendNumber(out, edges.From[e]);
        out += '-';
        AppendNumber(out, edges.To[e]);
    }
}

void DumpGraph(const TPlotData& d, std::string& out) {
    out += 'T';
    for (std::int32_t i = 0; i < d.TraverseStarts.Count(); ++i)
        Field(out, d.TraverseStarts[i]);
    out += "\nG";
    Field(out, d.Graph.VertexCount());
    Field(out, d.Graph.Edges.Count());
    AppendEdges(out, d.Graph.Edges);
    out += '\n';
    for (std::int32_t i = 0; i < d.Loops.Count(); ++i) {
        const TEdgeArray& loop = d.Loops[i];
        out += 'L';
        Field(out, loop.ReferenceVertex);
        Flag(out, loop.HasValue);
        Field(out, loop.Value);
        AppendEdges(out, loop);
        out += '\n';
    }
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // Plot files are 8-bit text; give the byte as the Latin-1 character it stands for.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out + "\"";
}

std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string VectorText(const T3DVector& v) {
    return Fixed(v.X, 3) + ", " + Fixed(v.Y, 3) + ", " + Fixed(v.Z, 3);
}

std::string JsonVector(const T3DVector& v) {
    return "[" + FormatNumber(v.X) + ", " + FormatNumber(v.Y) + ", " + FormatNumber(v.Z) + "]";
}

std::vector<std::string> SurveyNames(const TPlotData& d, bool features) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < d.Surveys.Count(); ++i)
        if ((d.Surveys[i].SurveyKind != 0) == features)
            names.push_back(d.Surveys[i].Name.Str());
    return names;
}

std::vector<std::string> SectionNames(const TPlotData& d) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < d.Sections.Count(); ++i)
        names.push_back(d.Sections[i].Name.Str());
    return names;
}

std::string JsonList(const std::vector<std::string>& names) {
    std::string out = "[";
    for (std::size_t i = 0; i < names.size(); ++i)
        out += (i ? ", " : "") + JsonString(names[i]);
    return out + "]";
}

} // namespace

std::string FormatNumber(double value) {
    std::string out;
    AppendNumber(out, value);
    return out;
}

TPlotSummary SummarizePlotData(const TPlotData& d) {
    TPlotSummary s;
    s.Sections = d.Sections.Count();
    for (std::int32_t i = 0; i < d.Surveys.Count(); ++i)
        (d.Surveys[i].SurveyKind == 0 ? s.Surveys : s.Features)++;
    for (std::int32_t i = 0; i < d.Shots.Count(); ++i) {
        switch (d.Shots.RecordType(i)) {
        case 'M':
            ++s.Moves;
            break;
        case 'D':
            ++s.Draws;
            break;
        case 'd':
            ++s.HiddenDraws;
            break;
        case 'L':
            ++s.FeaturePoints;
            break;
        case 'V':
            ++s.FeatureValues;
            break;
        default:
            break;
        }
    }
    s.Traverses = d.TraverseStarts.Count();
    for (std::int32_t i = 0; i < d.Sections.Count(); ++i)
        s.FixedStations += d.Sections.FixedStations(i).Count();
    s.Loops = d.Loops.Count();
    s.Vertices = d.Graph.VertexCount();
    s.Edges = d.Graph.Edges.Count();
    return s;
}

std::string FormatPlotSummary(const TPlotData& d, bool listNames, double loadSeconds) {
    const TPlotSummary s = SummarizePlotData(d);
    std::string out;
    auto line = [&out](const std::string& label, const std::string& value) {
        out += label;
        out.append(label.size() < 18 ? 18 - label.size() : 1, ' ');
        out += value + '\n';
    };
    line("File:", d.PlotFileName);
    line("Sections:", std::to_string(s.Sections));
    line("Surveys:", std::to_string(s.Surveys));
    line("Features:", std::to_string(s.Features));
    line("Station records:",
         std::to_string(d.Shots.Count()) + " (M " + std::to_string(s.Moves) + ", D " +
             std::to_string(s.Draws) + ", d " + std::to_string(s.HiddenDraws) + ", L " +
             std::to_string(s.FeaturePoints) + ", V " + std::to_string(s.FeatureValues) + ")");
    line("Traverses:", std::to_string(s.Traverses));
    line("Stations:", std::to_string(s.Vertices) + " distinct, " + std::to_string(s.Edges) +
                          " shots in the graph");
    line("Fixed stations:", std::to_string(s.FixedStations));
    line("Loops:", std::to_string(s.Loops));
    line("UTM zone:", d.UTMZone == 0
                          ? std::string("none")
                          : std::to_string(d.UTMZone) + (d.UTMZone < 0 ? " (south)" : ""));
    line("Datum:", d.DatumName.empty() ? std::string("none") : d.DatumName);
    line("Bounds min (ft):", VectorText(d.MinBounds));
    line("Bounds max (ft):", VectorText(d.MaxBounds));
    line("Depth range (ft):", Fixed(d.DepthRange, 3));
    line("Passage top:", Fixed(d.PassageTop, 3));
    line("Passage bottom:", Fixed(d.PassageBottom, 3));
    line("Load time:", Fixed(loadSeconds, 3) + " s");
    if (listNames) {
        for (const auto& [title, names] :
             {std::pair{"Section", SectionNames(d)}, std::pair{"Survey", SurveyNames(d, false)},
              std::pair{"Feature", SurveyNames(d, true)}})
            for (const std::string& name : names)
                line(std::string(title) + ":", name);
    }
    return out;
}

std::string FormatPlotSummaryJson(const TPlotData& d, bool listNames, double loadSeconds) {
    const TPlotSummary s = SummarizePlotData(d);
    std::string out = "{\n";
    auto field = [&out](const char* name, const std::string& value, bool last = false) {
        out += std::string("  \"") + name + "\": " + value + (last ? "\n" : ",\n");
    };
    field("file", JsonString(d.PlotFileName));
    field("sections", std::to_string(s.Sections));
    field("surveys", std::to_string(s.Surveys));
    field("features", std::to_string(s.Features));
    field("stationRecords", "{\"M\": " + std::to_string(s.Moves) +
                                ", \"D\": " + std::to_string(s.Draws) +
                                ", \"d\": " + std::to_string(s.HiddenDraws) +
                                ", \"L\": " + std::to_string(s.FeaturePoints) +
                                ", \"V\": " + std::to_string(s.FeatureValues) + "}");
    field("traverses", std::to_string(s.Traverses));
    field("distinctStations", std::to_string(s.Vertices));
    field("graphEdges", std::to_string(s.Edges));
    field("fixedStations", std::to_string(s.FixedStations));
    field("loops", std::to_string(s.Loops));
    field("utmZone", std::to_string(d.UTMZone));
    field("georeferenced", d.Georeferenced ? "true" : "false");
    field("datum", JsonString(d.DatumName));
    field("minBounds", JsonVector(d.MinBounds));
    field("maxBounds", JsonVector(d.MaxBounds));
    field("depthRange", FormatNumber(d.DepthRange));
    field("passageTop", FormatNumber(d.PassageTop));
    field("passageBottom", FormatNumber(d.PassageBottom));
    if (listNames) {
        field("sectionNames", JsonList(SectionNames(d)));
        field("surveyNames", JsonList(SurveyNames(d, false)));
        field("featureNames", JsonList(SurveyNames(d, true)));
    }
    field("loadSeconds", FormatNumber(loadSeconds), true);
    return out + "}\n";
}

void WritePlotDump(const TPlotData& data, std::string& out) {
    DumpModelLine(data, out);
    DumpSections(data, out);
    DumpSurveys(data, out);
    DumpRecords(data, out);
    DumpGraph(data, out);
}

} // namespace lumora::survey
