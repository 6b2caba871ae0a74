// The KML export: the survey as a KML document for globe viewers, either one filled polygon per
// shot ("Passage Polygons") or one line per traverse ("Survey Shot Lines"), in WGS 1984 degrees.
#pragma once

#include "exporter/ExpGlobal.h"
#include "exporter/ExportOptions.h"
#include "survey/PlotArray.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pugi {
class xml_node;
class xml_document;
} // namespace pugi

namespace lumora::exporter {

// A window colour (red in the lowest byte) as KML writes it: eight lower-case hex digits, alpha,
// blue, green, red.
std::string KmlColor(TColorValue color, int alpha);

// Where the datum of a KML export came from, in rising order of precedence.
enum class TDatumSource { Default, Settings, PlotFile, CommandLine };

// The datum a KML export uses: its index in the "Datum" list (0 to 22) and the list's name of it.
struct TExportDatum {
    std::int32_t Index = 13; // North American 1927
    std::string Name;
    TDatumSource Source = TDatumSource::Default;
};

// The index of the "Datum" list's item named datumName (blanks around the name ignored, letter
// case kept); nothing when no item has that name.
std::optional<std::int32_t> DatumListIndex(std::string_view datumName);

// The datum of a KML export, in this order of precedence: the defaults, then the settings file
// (when settingsGiven), then the plot file's datum (plotDatumName, when it names one of the
// list's datums, as the exporter window selects it on opening the file), then the command line's
// --datum (when datumGiven). optionsDatum is the options' "Datum" index after the defaults, the
// settings file and --datum were applied; an index outside 0 to 22 stands for North American
// 1927. Never throws.
TExportDatum ChooseExportDatum(std::int32_t optionsDatum, bool settingsGiven, bool datumGiven,
                               std::string_view plotDatumName);

// What the command line says of it: the datum's name and where it came from, such as
// "WGS 1984 (from the plot file)".
std::string DescribeExportDatum(const TExportDatum& datum);

// Converts plot positions (UTM feet of the plot's zone on the chosen datum) to WGS 1984
// longitude and latitude, and writes them as KML tuples.
class TKmlCoordinates {
public:
    TKmlCoordinates(const survey::TPlotData& data, const TKMLOptions& options);
    // Longitude and latitude in degrees on WGS 1984.
    void Convert(const survey::T3DVector& p, double& longitude, double& latitude) const;
    // "lon,lat" with 8 decimals, plus ",altitude" with "Ground Relative".
    void AppendTuple(std::string& out, const survey::T3DVector& p) const;

private:
    std::int32_t m_Zone;
    int m_Datum;
    bool m_Relative;
    double m_Altitude;
    double m_FeetToMeters;
};

// The pieces both documents share.
namespace kml {
// The declaration, the kml root in the KML 2.0 namespace and its Document with name and open;
// returns the Document.
pugi::xml_node BeginDocument(pugi::xml_document& doc, const std::string& name);
// name, styleUrl and an empty MultiGeometry; returns the MultiGeometry.
pugi::xml_node AddPlacemark(pugi::xml_node document, const std::string& name,
                            const std::string& styleUrl);
// extrude, altitudeMode (and altitude), tessellate.
void AddGeometryHeader(pugi::xml_node geometry, const TKMLOptions& options, int tessellate);
// The document's name: the output file's name without folder and extension.
std::string DocumentName(const std::string& fileName);
// Text for XML: UTF-8 kept, other bytes read as Latin-1, control characters as '?'.
std::string XmlText(std::string_view text);
// Saves as UTF-8 with two-space indentation. Throws lumora::WriteError naming the file.
void Save(const pugi::xml_document& doc, const std::string& fileName);
// The shared frame: busy cursor, status and gauge at the end.
void Finish(const TExportIo& io);
} // namespace kml

// "Passage Polygons": one Polygon per shot outline, built with the Shapefile passage layer's
// rules (hidden shots, cleaning, filling, merging). Writes fileName (replacing it). Throws
// lumora::WriteError naming the file when it cannot be written; the cursor is restored.
void ExportKmlPolygons(survey::TPlotData& data, const std::string& fileName,
                       const TExportOptions& options, const TExportIo& io);

// "Survey Shot Lines": one LineString per traverse of each survey (features left out), hidden
// shots only with "Export Hidden Shots". Same failures.
void ExportKmlLines(survey::TPlotData& data, const std::string& fileName,
                    const TExportOptions& options, const TExportIo& io);

} // namespace lumora::exporter
