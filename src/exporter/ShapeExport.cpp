#include "exporter/ShapeExport.h"

#include "exporter/ShapePassage.h"
#include "exporter/ShapeSurvey.h"
#include "exporter/ZipperLib.h"
#include "survey/GeoRef.h"
#include "survey/SuiteSettings.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>

namespace lumora::exporter {

namespace {

enum class TGeoSystem { Nad1927, Nad1983, Wgs1972, Wgs1984 };

TGeoSystem GeoSystemOf(const std::string& datumName, std::int32_t zone) {
    const bool northAmerican = (zone >= 1 && zone <= 22) || (zone >= 59 && zone <= 60);
    if (datumName == "North American 1927" && northAmerican)
        return TGeoSystem::Nad1927;
    if (datumName == "North American 1983" && northAmerican)
        return TGeoSystem::Nad1983;
    if (datumName == "WGS 1972")
        return TGeoSystem::Wgs1972;
    return TGeoSystem::Wgs1984;
}

const char* NamePrefix(TGeoSystem system) {
    switch (system) {
    case TGeoSystem::Nad1927:
        return "NAD_1927_UTM_Zone_";
    case TGeoSystem::Nad1983:
        return "NAD_1983_UTM_Zone_";
    case TGeoSystem::Wgs1972:
        return "WGS_1972_UTM_Zone_";
    case TGeoSystem::Wgs1984:
        break;
    }
    return "WGS_1984_UTM_Zone_";
}

const char* GeographicSystem(TGeoSystem system) {
    switch (system) {
    case TGeoSystem::Nad1927:
        return "GEOGCS[\"GCS_Clarke_1866\",DATUM[\"D_Clarke_1866\",SPHEROID[\"Clarke_1866\","
               "6378206.4,294.9786982]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\","
               "0.0174532925199433]]";
    case TGeoSystem::Nad1983:
        return "GEOGCS[\"GCS_GRS_1980\",DATUM[\"D_GRS_1980\",SPHEROID[\"GRS_1980\",6378137.0,"
               "298.257222101]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
    case TGeoSystem::Wgs1972:
        return "GEOGCS[\"GCS_WGS_1972\",DATUM[\"D_WGS_1972\",SPHEROID[\"WGS_1972\",6378135.0,"
               "298.26]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
    case TGeoSystem::Wgs1984:
        break;
    }
    return "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,"
           "298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
}

// A length in the projection's unit with every digit it needs to read back exactly, and a
// decimal point as the text of a projection file writes its numbers.
std::string FullDigits(double v) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

std::string OneDecimal(double v) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

bool RunLayer(TShapeWriter& w, const std::string& plotFileName, const TExportOptions& o,
              const TPolygonBounds& bounds) {
    switch (o.DataTypes) {
    case TShapeDataType::Stations:
        return ExportStations(w, plotFileName, o);
    case TShapeDataType::Surveys:
        return ExportSurveys(w, plotFileName, o);
    case TShapeDataType::SurveyShots:
        return ExportShots(w, plotFileName, o, false);
    case TShapeDataType::SplitShots:
        return ExportShots(w, plotFileName, o, true);
    case TShapeDataType::FeatureLocations:
        return ExportFeatures(w, plotFileName, o, false);
    case TShapeDataType::FeatureLines:
        return ExportFeatures(w, plotFileName, o, true);
    case TShapeDataType::Passage:
        return ExportPassageOutlines(w, plotFileName, o);
    case TShapeDataType::PolygonPrism:
        return ExportPrisms(w, plotFileName, o, false);
    case TShapeDataType::MultipatchPrism:
        return ExportPrisms(w, plotFileName, o, true);
    case TShapeDataType::BoundingPolygon:
        return ExportBoundingPolygons(w, plotFileName, o, bounds, false);
    case TShapeDataType::MultipatchBoundingPolygon:
        return ExportBoundingPolygons(w, plotFileName, o, bounds, true);
    }
    return false;
}

} // namespace

std::string ProjectionText(const std::string& datumName, std::int32_t zone, double unitLength) {
    const TGeoSystem system = GeoSystemOf(datumName, zone);
    const std::int32_t absZone = std::abs(zone);
    const bool metres = unitLength == 1.0;
    // The false easting and northing are lengths in the projection's unit, as the coordinates.
    const std::string falseEasting = metres ? "500000.0" : FullDigits(500000.0 / unitLength);
    const std::string falseNorthing = zone >= 0 ? "0.0"
                                      : metres  ? "10000000.0"
                                                : FullDigits(10000000.0 / unitLength);
    const std::string unit = metres ? "UNIT[\"Meter\",1.0]"
                                    : std::string("UNIT[\"") +
                                          (unitLength == survey::kSurveyFoot ? "Foot_US" : "Foot") +
                                          "\"," + FullDigits(unitLength) + "]";
    return std::string("PROJCS[\"") + NamePrefix(system) + std::to_string(absZone) +
           (zone < 0 ? "S" : "N") + "\"," + GeographicSystem(system) +
           ",PROJECTION[\"Transverse_Mercator\"]," + "PARAMETER[\"False_Easting\"," + falseEasting +
           "]," + "PARAMETER[\"False_Northing\"," + falseNorthing + "]," +
           "PARAMETER[\"Central_Meridian\"," + OneDecimal(6.0 * absZone - 183.0) + "]," +
           "PARAMETER[\"Scale_Factor\",0.9996]," + "PARAMETER[\"Latitude_Of_Origin\",0.0]," + unit +
           "]";
}

void ZipShapeSet(const TShapeWriter& w, const std::string& zipFileName) {
    try {
        {
            TBinaryFile archive(zipFileName);
            TZipper::WriteEmptyArchive(archive);
            archive.Close();
        }
        TZipper zip;
        zip.StoreRelativePath = false;
        zip.SetCompressionType(TZipCompressionType::ctNormal);
        zip.Open(zipFileName);
        zip.AddFiles(
            {w.MainFileName(), w.IndexFileName(), w.TableFileName(), w.ProjectionFileName()});
        zip.Close();
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(zipFileName, ignored);
        throw;
    }
}

bool ExportShapefile(survey::TPlotData& data, const std::string& plotFileName,
                     const TExportOptions& options, TShapeExportIo io,
                     const TPolygonBounds& bounds) {
    UiServices& ui = *io.Ui;
    TShapeWriter w(data, std::move(io));
    w.DataType = options.DataTypes;
    if (!RunLayer(w, plotFileName, options, bounds))
        return false;
    std::string datum = data.DatumName;
    std::int32_t zone = data.UTMZone;
    if (!survey::CheckGeoreference(data, ui, kGenericProjectionLine)) {
        datum = "WGS 1984";
        zone = 13;
    }
    w.WriteProjectionFile(ProjectionText(datum, zone, options.Meters ? 1.0 : w.FeetToMeters));
    if (options.ZipShape) {
        const std::string main = w.MainFileName();
        ZipShapeSet(w, main.substr(0, main.size() - 3) + "zip");
    }
    w.ShowCompleted();
    return true;
}

} // namespace lumora::exporter
