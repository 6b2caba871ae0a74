// "Survey Shot Lines": one KML LineString per traverse, broken where a hidden shot is left out.
#include "exporter/KMLExport.h"

#include "exporter/ShapeGlobal.h"
#include "exporter/ShapeSurvey.h"
#include "passage/PassageLib.h"

#include <pugixml.hpp>

#include <algorithm>
#include <optional>

namespace lumora::exporter {

namespace {

constexpr int kLineCoordinateDepth = 5; // kml, Document, Placemark, MultiGeometry, LineString

void AddLineStyle(pugi::xml_node document, const TKMLOptions& o) {
    pugi::xml_node style = document.append_child("Style");
    style.append_attribute("id") = "CaveStyle2";
    style.append_child("PolyStyle")
        .append_child("color")
        .text()
        .set(KmlColor(o.FillColor, 255 - std::clamp(o.FillTransparency, 0, 255)).c_str());
    pugi::xml_node line = style.append_child("LineStyle");
    line.append_child("color").text().set(KmlColor(o.LineColor, 255).c_str());
    line.append_child("width").text().set(o.LineWidth);
}

void AddLineString(pugi::xml_node multi, const TKMLOptions& options, const std::string& name,
                   std::string& text) {
    pugi::xml_node line = multi.append_child("LineString");
    line.append_attribute("id") = name.c_str();
    kml::AddGeometryHeader(line, options, 0);
    text += '\n';
    text.append(kLineCoordinateDepth * 2, ' ');
    line.append_child("coordinates").text().set(text.c_str());
    text.clear();
}

// The line strings of one traverse: its records in order. A left-out hidden shot breaks the
// line: the hidden record starts the next line string when a shot follows it, as a move would,
// and gives nothing otherwise.
void AddTraverseLines(pugi::xml_node multi, const survey::TPlotData& data,
                      const TKmlCoordinates& coordinates, const TExportOptions& options,
                      const std::string& name, survey::TRange shots, std::string& text) {
    const std::string indent(kLineCoordinateDepth * 2 + 2, ' ');
    auto hidden = [&](std::int32_t k) {
        return data.Shots.RecordType(k) == 'd' && !options.ShowHidden;
    };
    text.clear();
    bool started = false;
    for (std::int32_t k = shots.First; k <= shots.Last; ++k) {
        if (hidden(k)) {
            if (k == shots.Last || hidden(k + 1))
                continue;
            if (started)
                AddLineString(multi, options.Kml, name, text);
        }
        started = true;
        text += '\n';
        text += indent;
        coordinates.AppendTuple(text, data.Shots.Position(k));
    }
    AddLineString(multi, options.Kml, name, text);
}

} // namespace

void ExportKmlLines(survey::TPlotData& data, const std::string& fileName,
                    const TExportOptions& options, const TExportIo& io) {
    std::optional<BusyCursorGuard> busy;
    if (io.Ui)
        busy.emplace(*io.Ui);
    const TKmlCoordinates coordinates(data, options.Kml);
    const std::string name = kml::XmlText(kml::DocumentName(fileName));
    pugi::xml_document doc;
    pugi::xml_node document = kml::BeginDocument(doc, name);
    AddLineStyle(document, options.Kml);
    pugi::xml_node multi = kml::AddPlacemark(document, name, "#CaveStyle2");
    io.Status(kProcessingText);
    const passage::TPassageRunState& state = passage::PassageRunState();
    std::string text;
    const std::int32_t surveys = data.Surveys.Count();
    ForEachSurvey(data, [&](std::int32_t, std::int32_t s) {
        if (data.Surveys[s].SurveyKind == 0) {
            const survey::TRange traverses = data.SurveyTraverseRange(s);
            for (std::int32_t t = traverses.First; t <= traverses.Last && !state.AbortPassages; ++t)
                AddTraverseLines(multi, data, coordinates, options, name, data.TraverseShotRange(t),
                                 text);
        }
        if (s % 10 == 0)
            io.Gauge(RoundPercent(s, surveys));
    });
    kml::Save(doc, fileName);
    kml::Finish(io);
}

} // namespace lumora::exporter
