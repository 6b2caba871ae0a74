#include "exporter/KMLExport.h"

#include "exporter/BinaryFile.h"
#include "exporter/ShapeGlobal.h"
#include "exporter/ShapeSurvey.h"
#include "passage/PassageLib.h"
#include "survey/GeoRef.h"
#include "survey/SuiteSettings.h"

#include <pugixml.hpp>

#include <filesystem>
#include <optional>

namespace lumora::exporter {

namespace {

using survey::T3DVector;
using survey::TPlotData;

constexpr const char* kKml20Namespace = "http://earth.google.com/kml/2.0";
constexpr int kPolygonCoordinateDepth = 7; // kml, Document, Placemark, MultiGeometry, Polygon, ..

class TFileXmlWriter : public pugi::xml_writer {
public:
    explicit TFileXmlWriter(TBinaryFile& file) : m_File(file) {}
    void write(const void* data, std::size_t size) override { m_File.Write(data, size); }

private:
    TBinaryFile& m_File;
};

// The outline of shot i (records i and i + 1, cleaned and filled), when that shot exists.
std::optional<passage::TOutline> OutlineOf(const TPlotData& data, std::int32_t i,
                                           const TExportOptions& o) {
    if (i < 0 || i + 1 >= data.Shots.Count())
        return std::nullopt;
    const char next = data.Shots.RecordType(i + 1);
    if (next == 'M' || (next == 'd' && !o.ShowHidden))
        return std::nullopt;
    survey::TPlotRecord a = data.Shots.Get(i);
    survey::TPlotRecord b = data.Shots.Get(i + 1);
    passage::CleanDimensions(a);
    passage::CleanDimensions(b);
    if (o.Walls.ExpandWalls)
        passage::FillPair(a, b, o.Walls.Substitute());
    return passage::ShotOutline(a, b);
}

std::optional<passage::TOutline> MergedOutlineOf(const TPlotData& data, std::int32_t i,
                                                 const TExportOptions& o) {
    std::optional<passage::TOutline> outline = OutlineOf(data, i, o);
    if (outline && o.Walls.MergePass) {
        if (std::optional<passage::TOutline> before = OutlineOf(data, i - 1, o))
            passage::MergeOutlines(*before, *outline);
        if (std::optional<passage::TOutline> after = OutlineOf(data, i + 1, o))
            passage::MergeOutlines(*outline, *after);
    }
    return outline;
}

void AddStyle(pugi::xml_node document, const TKMLOptions& o) {
    pugi::xml_node style = document.append_child("Style");
    style.append_attribute("id") = "CaveStyle1";
    style.append_child("PolyStyle")
        .append_child("color")
        .text()
        .set(KmlColor(o.FillColor, 255 - std::clamp(o.FillTransparency, 0, 255)).c_str());
    style.append_child("LineStyle")
        .append_child("color")
        .text()
        .set(KmlColor(o.LineColor, 255).c_str());
}

void AddPolygon(pugi::xml_node multi, const TKmlCoordinates& coordinates, const TKMLOptions& o,
                const passage::TOutline& c, const std::string& id, std::string& text) {
    pugi::xml_node polygon = multi.append_child("Polygon");
    polygon.append_attribute("id") = id.c_str();
    kml::AddGeometryHeader(polygon, o, 1);
    const std::string inner((kPolygonCoordinateDepth + 1) * 2, ' ');
    text.clear();
    for (int k : {0, 2, 3, 1, 0}) {
        text += '\n';
        text += inner;
        coordinates.AppendTuple(text, c[static_cast<std::size_t>(k)]);
    }
    text += '\n';
    text += inner;
    polygon.append_child("outerBoundaryIs")
        .append_child("LinearRing")
        .append_child("coordinates")
        .text()
        .set(text.c_str());
}

} // namespace

std::string KmlColor(TColorValue color, int alpha) {
    static const char* hex = "0123456789abcdef";
    const unsigned bytes[4] = {static_cast<unsigned>(alpha) & 0xFF, color >> 16 & 0xFF,
                               color >> 8 & 0xFF, color & 0xFF};
    std::string out;
    for (unsigned b : bytes) {
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

std::optional<std::int32_t> DatumListIndex(std::string_view datumName) {
    const std::size_t first = datumName.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    datumName = datumName.substr(first, datumName.find_last_not_of(' ') - first + 1);
    const auto& datums = survey::Datums();
    for (std::size_t i = 0; i < datums.size(); ++i)
        if (datumName == datums[i].Name)
            return static_cast<std::int32_t>(i);
    return std::nullopt;
}

TExportDatum ChooseExportDatum(std::int32_t optionsDatum, bool settingsGiven, bool datumGiven,
                               std::string_view plotDatumName) {
    TExportDatum datum;
    datum.Index = optionsDatum >= 0 && optionsDatum < survey::kDatumCount ? optionsDatum
                                                                          : survey::kDefaultDatum;
    datum.Source = settingsGiven ? TDatumSource::Settings : TDatumSource::Default;
    if (datumGiven) {
        datum.Source = TDatumSource::CommandLine;
    } else if (const std::optional<std::int32_t> file = DatumListIndex(plotDatumName)) {
        datum.Index = *file;
        datum.Source = TDatumSource::PlotFile;
    }
    datum.Name = survey::Datums()[static_cast<std::size_t>(datum.Index)].Name;
    return datum;
}

std::string DescribeExportDatum(const TExportDatum& datum) {
    switch (datum.Source) {
    case TDatumSource::Settings:
        return datum.Name + " (from the settings file)";
    case TDatumSource::PlotFile:
        return datum.Name + " (from the plot file)";
    case TDatumSource::CommandLine:
        return datum.Name + " (from --datum)";
    case TDatumSource::Default:
        break;
    }
    return datum.Name + " (default)";
}

TKmlCoordinates::TKmlCoordinates(const TPlotData& data, const TKMLOptions& options)
    : m_Zone(data.UTMZone),
      m_Datum(options.Datum >= 0 && options.Datum < survey::kDatumCount ? options.Datum
                                                                        : survey::kDefaultDatum),
      m_Relative(!options.ClampToGround()), m_Altitude(options.Altitude),
      m_FeetToMeters(survey::FeetToMeters()) {}

void TKmlCoordinates::Convert(const T3DVector& p, double& longitude, double& latitude) const {
    const T3DVector m = survey::Scale(p, m_FeetToMeters);
    survey::UTMToGeographic(m_Zone, m.X, m.Y, m_Datum, longitude, latitude);
    if (m_Datum != survey::kWGS1984Datum) {
        double height = m.Z;
        survey::DatumShift(longitude, latitude, height, m_Datum, survey::kWGS1984Datum);
    }
}

void TKmlCoordinates::AppendTuple(std::string& out, const T3DVector& p) const {
    double longitude = 0.0, latitude = 0.0;
    Convert(p, longitude, latitude);
    AppendFixed(out, longitude, 8);
    out += ',';
    AppendFixed(out, latitude, 8);
    if (m_Relative) {
        out += ',';
        AppendFixed(out, m_Altitude, 8);
    }
}

namespace kml {

pugi::xml_node BeginDocument(pugi::xml_document& doc, const std::string& name) {
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child("kml");
    root.append_attribute("xmlns") = kKml20Namespace;
    pugi::xml_node document = root.append_child("Document");
    document.append_child("name").text().set(XmlText(name).c_str());
    document.append_child("open").text().set("0");
    return document;
}

pugi::xml_node AddPlacemark(pugi::xml_node document, const std::string& name,
                            const std::string& styleUrl) {
    pugi::xml_node placemark = document.append_child("Placemark");
    placemark.append_child("name").text().set(XmlText(name).c_str());
    placemark.append_child("styleUrl").text().set(styleUrl.c_str());
    return placemark.append_child("MultiGeometry");
}

void AddGeometryHeader(pugi::xml_node geometry, const TKMLOptions& options, int tessellate) {
    geometry.append_child("extrude").text().set("0");
    if (options.ClampToGround()) {
        geometry.append_child("altitudeMode").text().set("clampToGround");
    } else {
        geometry.append_child("altitudeMode").text().set("relativeToGround");
        geometry.append_child("altitude").text().set(FormatGeneral(options.Altitude).c_str());
    }
    geometry.append_child("tessellate").text().set(tessellate);
}

std::string DocumentName(const std::string& fileName) {
    return std::filesystem::path(fileName).stem().string();
}

std::string XmlText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t') {
            out += '?';
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // A well-formed UTF-8 sequence stays; any other byte is a Latin-1 character.
            const int length = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
            bool valid = length > 0 && c < 0xF5 && i + length <= text.size();
            for (int k = 1; valid && k < length; ++k)
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (valid) {
                out.append(text.substr(i, static_cast<std::size_t>(length)));
                i += static_cast<std::size_t>(length - 1);
            } else {
                out += static_cast<char>(0xC0 | c >> 6);
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
    }
    return out;
}

void Save(const pugi::xml_document& doc, const std::string& fileName) {
    TBinaryFile file(fileName);
    TFileXmlWriter writer(file);
    doc.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
    file.Close();
}

void Finish(const TExportIo& io) {
    io.Gauge(100);
    io.Status(kCompletedText);
}

} // namespace kml

void ExportKmlPolygons(TPlotData& data, const std::string& fileName, const TExportOptions& options,
                       const TExportIo& io) {
    std::optional<BusyCursorGuard> busy;
    if (io.Ui)
        busy.emplace(*io.Ui);
    const TKMLOptions& o = options.Kml;
    const TKmlCoordinates coordinates(data, o);
    const std::string name = kml::DocumentName(fileName);
    pugi::xml_document doc;
    pugi::xml_node document = kml::BeginDocument(doc, name);
    AddStyle(document, o);
    pugi::xml_node multi = kml::AddPlacemark(document, name, "#CaveStyle1");
    io.Status(kProcessingText);
    std::string text;
    const std::int32_t surveys = data.Surveys.Count();
    ForEachSurvey(data, [&](std::int32_t, std::int32_t s) {
        if (data.Surveys[s].SurveyKind == 0) {
            const survey::TRange range = data.SurveyShotRange(s);
            for (std::int32_t i = range.First; i < range.Last; ++i)
                if (std::optional<passage::TOutline> outline = MergedOutlineOf(data, i, options))
                    AddPolygon(multi, coordinates, o, *outline,
                               kml::XmlText(data.Shots.Station(i)) + "-" +
                                   kml::XmlText(data.Shots.Station(i + 1)),
                               text);
        }
        if (s % 100 == 0)
            io.Gauge(50 + RoundPercent(s, 2.0 * surveys));
    });
    kml::Save(doc, fileName);
    kml::Finish(io);
}

} // namespace lumora::exporter
