// "Survey Shot Lines": one KML LineString per traverse.
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

void AddLineString(pugi::xml_node multi, const survey::TPlotData& data,
                   const TKmlCoordinates& coordinates, const TExportOptions& options,
                   const std::string& name, survey::TRange shots, std::string& text) {
    pugi::xml_node line = multi.append_child("LineString");
    line.append_attribute("id") = name.c_str();
    kml::AddGeometryHeader(line, options.Kml, 0);
    const std::string indent(kLineCoordinateDepth * 2, ' ');
    text.clear();
    for (std::int32_t k = shots.First; k <= shots.Last; ++k) {
        if (data.Shots.RecordType(k) == 'd' && !options.ShowHidden)
            continue;
        text += '\n';
        text += indent;
        text += "  ";
        coordinates.AppendTuple(text, data.Shots.Position(k));
    }
    text += '\n';
    text += indent;
    line.append_child("coordinates").text().set(text.c_str());
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
                AddLineString(multi, data, coordinates, options, name, data.TraverseShotRange(t),
                              text);
        }
        if (s % 10 == 0)
            io.Gauge(RoundPercent(s, surveys));
    });
    kml::Save(doc, fileName);
    kml::Finish(io);
}

} // namespace lumora::exporter
