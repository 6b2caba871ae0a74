#include "exporter/KMLExport.h"
#include "platform/Error.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"
#include "survey/SuiteSettings.h"

#include "CavePlots.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <regex>
#include <sstream>

using namespace lumora::exporter;
using namespace lumora::test;
using lumora::survey::T3DVector;

namespace {

constexpr double kFoot = 0.3048;

// A plot position in feet from UTM metres.
T3DVector Utm(double east, double north, double up = 0.0) {
    return {east / kFoot, north / kFoot, up / kFoot};
}

// Two surveys near easting 510 km, northing 3800 km of zone 13, a hidden shot, a feature and
// a one-record traverse.
void Cave(TCaveBuilder& b) {
    b.Survey("A");
    b.Rec('M', "A1", Utm(510000, 3800000, 1500));
    b.Rec('D', "A2", Utm(510030, 3800040, 1490));
    b.Rec('D', "A3", Utm(510060, 3800050, 1480));
    b.Rec('d', "A4", Utm(510090, 3800020, 1470));
    b.Survey("B");
    b.Rec('M', "A2", Utm(510030, 3800040, 1490));
    b.Rec('D', "B1", Utm(509980, 3800100, 1495));
    b.Rec('M', "B9", Utm(510500, 3800500, 1600)); // one record
    b.Survey("F", 1);
    b.Rec('L', "F1", Utm(510010, 3800010, 1500));
    b.Rec('D', "F2", Utm(510020, 3800020, 1500));
}

std::string WriteKml(lumora::survey::TPlotData& data, const TExportOptions& o,
                     const std::string& file, bool lines) {
    if (lines)
        ExportKmlLines(data, file, o, {});
    else
        ExportKmlPolygons(data, file, o, {});
    return ReadFile(file);
}

// Every coordinate tuple of the document, in order.
std::vector<std::vector<double>> Tuples(const std::string& kml) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(kml.c_str()));
    std::vector<std::vector<double>> tuples;
    for (pugi::xpath_node n : doc.select_nodes("//coordinates")) {
        std::istringstream in(n.node().text().get());
        for (std::string tuple; in >> tuple;) {
            std::vector<double> values;
            std::istringstream fields(std::regex_replace(tuple, std::regex(","), " "));
            for (double v; fields >> v;)
                values.push_back(v);
            tuples.push_back(values);
        }
    }
    return tuples;
}

// ogrinfo through the LIBKML driver alone.
std::string PeerRead(const std::string& file) {
    EXPECT_TRUE(HaveProgram("ogrinfo")) << "the KML peer check needs ogrinfo (gdal-bin)";
    const CommandResult r = RunCommand("GDAL_SKIP=KML ogrinfo -ro -al " + ShellQuote(file));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Out.find("using driver `LIBKML'"), std::string::npos) << r.Out;
    return r.Out;
}

// Longitude and latitude of UTM metres of zone 13 on a datum, as PROJ's cs2cs has them.
std::vector<std::array<double, 2>> Cs2cs(const std::string& fromDatum,
                                         const std::vector<std::array<double, 2>>& utm) {
    EXPECT_TRUE(HaveProgram("cs2cs")) << "the KML peer check needs cs2cs (proj-bin)";
    TempDir dir;
    std::string input;
    for (const auto& p : utm)
        input += std::to_string(p[0]) + " " + std::to_string(p[1]) + "\n";
    WriteFile(dir.File("in.txt"), input);
    const CommandResult r =
        RunCommand("cs2cs -f %.10f +proj=utm +zone=13 " + fromDatum +
                   " +to +proj=longlat +datum=WGS84 < " + ShellQuote(dir.File("in.txt")));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    std::vector<std::array<double, 2>> out;
    std::istringstream in(r.Out);
    for (double lon, lat, h; in >> lon >> lat >> h;)
        out.push_back({lon, lat});
    return out;
}

} // namespace

TEST(KMLExport, ColoursAreAlphaBlueGreenRed) {
    EXPECT_EQ(KmlColor(0x0000FF, 255), "ff0000ff"); // pure red, opaque
    EXPECT_EQ(KmlColor(0x0000FF, 255 - 255), "000000ff");
    EXPECT_EQ(KmlColor(0xFF0000, 255), "ffff0000");  // blue
    EXPECT_EQ(KmlColor(0x123456, 0x7f), "7f123456"); // red 56, green 34, blue 12
}

TEST(KMLExport, PolygonDocumentHasTheFixedTreeAndLayout) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o;
    o.Kml.FillTransparency = 255;
    const std::string kml = WriteKml(cave.Data, o, dir.File("my cave.kml"), false);
    EXPECT_EQ(kml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=", 0), 0u);
    EXPECT_NE(kml.find("\n  <Document>\n    <name>my cave</name>\n    <open>0</open>\n"),
              std::string::npos);
    EXPECT_NE(kml.find("<Style id=\"CaveStyle1\">\n      <PolyStyle>\n        "
                       "<color>000000ff</color>"),
              std::string::npos);
    EXPECT_NE(kml.find("<LineStyle>\n        <color>ffff0000</color>"), std::string::npos);
    EXPECT_NE(kml.find("<styleUrl>#CaveStyle1</styleUrl>"), std::string::npos);
    // A1-A2, A2-A3, B's A2-B1; the hidden shot and the feature give none.
    EXPECT_EQ(CountOf(kml, "<Polygon "), 3);
    EXPECT_NE(kml.find("<Polygon id=\"A1-A2\">"), std::string::npos);
    EXPECT_NE(kml.find("<Polygon id=\"A2-B1\">"), std::string::npos);
    EXPECT_EQ(kml.find("A3-A4"), std::string::npos);
    EXPECT_EQ(kml.find("F1-F2"), std::string::npos);
    EXPECT_EQ(CountOf(kml, "<altitudeMode>clampToGround</altitudeMode>"), 3);
    // The coordinates: a line break, five tuples one level deeper, a break and that indent.
    const std::regex ring("<coordinates>\n( {16}-?\\d+\\.\\d{8},\\d+\\.\\d{8}\n){5} {16}"
                          "</coordinates>");
    EXPECT_EQ(
        std::distance(std::sregex_iterator(kml.begin(), kml.end(), ring), std::sregex_iterator()),
        3);
    const auto tuples = Tuples(kml);
    ASSERT_EQ(tuples.size(), 15u);
    EXPECT_EQ(tuples[0], tuples[4]); // closed ring
}

TEST(KMLExport, GroundRelativeAddsTheAltitudeEverywhere) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o;
    o.Kml.AltitudeMode = 1;
    for (bool lines : {false, true}) {
        const std::string kml = WriteKml(cave.Data, o, dir.File("cave.kml"), lines);
        const int geometries = lines ? 3 : 3;
        EXPECT_EQ(CountOf(kml, "<altitudeMode>relativeToGround</altitudeMode>"), geometries);
        EXPECT_EQ(CountOf(kml, "<altitude>0.1</altitude>"), geometries);
        for (const auto& t : Tuples(kml)) {
            ASSERT_EQ(t.size(), 3u);
            EXPECT_EQ(t[2], 0.1);
        }
        EXPECT_EQ(CountOf(kml, ",0.10000000\n"), static_cast<int>(Tuples(kml).size()));
    }
}

TEST(KMLExport, LinesFollowTheTraversesAndTheHiddenFlag) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o;
    o.Kml.LineWidth = 7;
    std::string kml = WriteKml(cave.Data, o, dir.File("lines.kml"), true);
    EXPECT_NE(kml.find("<Style id=\"CaveStyle2\">"), std::string::npos);
    EXPECT_NE(kml.find("<width>7</width>"), std::string::npos);
    EXPECT_NE(kml.find("<styleUrl>#CaveStyle2</styleUrl>"), std::string::npos);
    EXPECT_EQ(CountOf(kml, "<LineString id=\"lines\">"), 3);
    EXPECT_EQ(CountOf(kml, "<tessellate>0</tessellate>"), 3);
    // A's traverse without its hidden shot, B's two traverses (the second a single record).
    EXPECT_EQ(Tuples(kml).size(), 3u + 2 + 1);
    const std::regex single("<coordinates>\n {12}-?\\d+\\.\\d{8},\\d+\\.\\d{8}\n {10}"
                            "</coordinates>");
    EXPECT_TRUE(std::regex_search(kml, single));
    o.ShowHidden = true;
    kml = WriteKml(cave.Data, o, dir.File("lines.kml"), true);
    EXPECT_EQ(Tuples(kml).size(), 4u + 2 + 1);
}

TEST(KMLExport, PeerReadsPolygonsAndLinesAtTheCoordinatesProjGives) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    const std::vector<std::array<double, 2>> utm{{510000, 3800000}, {510030, 3800040}};
    struct TCase {
        int Datum;
        std::string Proj;
        double Tolerance; // degrees
    };
    // WGS 1984 converts exactly; North American 1927 goes through a three-parameter shift,
    // good to about 5 m.
    for (const TCase& c : {TCase{22, "+datum=WGS84", 1e-6},
                           TCase{13, "+ellps=clrk66 +towgs84=-8,160,176", 5.0 / 111000}}) {
        TExportOptions o;
        o.Walls.ExpandWalls = false;
        o.Kml.Datum = c.Datum;
        const std::string polygons = dir.File("polygons.kml");
        WriteKml(cave.Data, o, polygons, false);
        const std::string peer = PeerRead(polygons);
        EXPECT_EQ(CountOf(peer, "OGRFeature("), 1);
        EXPECT_EQ(CountOf(peer, "(("), 3) << peer;
        const std::string lines = dir.File("lines.kml");
        const std::string kml = WriteKml(cave.Data, o, lines, true);
        const std::string linePeer = PeerRead(lines);
        const std::vector<std::array<double, 2>> expected = Cs2cs(c.Proj, utm);
        ASSERT_EQ(expected.size(), 2u);
        // The peer's first line string starts at A1, then A2.
        const std::smatch m = [&] {
            std::smatch match;
            std::regex_search(linePeer, match,
                              std::regex("MULTILINESTRING \\(\\(([-\\d.]+) ([-\\d.]+),([-\\d.]+) "
                                         "([-\\d.]+)"));
            return match;
        }();
        ASSERT_EQ(m.size(), 5u) << linePeer;
        EXPECT_NEAR(std::stod(m[1]), expected[0][0], c.Tolerance);
        EXPECT_NEAR(std::stod(m[2]), expected[0][1], c.Tolerance);
        EXPECT_NEAR(std::stod(m[3]), expected[1][0], c.Tolerance);
        EXPECT_NEAR(std::stod(m[4]), expected[1][1], c.Tolerance);
    }
}

TEST(KMLExport, AFileThatCannotBeWrittenIsAnErrorAndTheCursorComesBack) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    RecordingUi ui;
    TExportIo io;
    io.Ui = &ui;
    const std::string file = dir.File("no/such/folder.kml");
    for (bool lines : {false, true}) {
        try {
            if (lines)
                ExportKmlLines(cave.Data, file, {}, io);
            else
                ExportKmlPolygons(cave.Data, file, {}, io);
            FAIL() << "no error";
        } catch (const lumora::WriteError& e) {
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos);
        }
        EXPECT_FALSE(ui.Busy);
    }
}

namespace {

// The points of every line string GDAL reads, one list per line string, in the order read.
std::vector<std::vector<std::array<double, 2>>> PeerLines(const std::string& peer) {
    std::vector<std::vector<std::array<double, 2>>> lines;
    static const std::regex group("\\(([^()]*)\\)");
    const std::size_t at = peer.find("MULTILINESTRING");
    EXPECT_NE(at, std::string::npos) << peer;
    if (at == std::string::npos)
        return lines;
    const std::string body = peer.substr(at, peer.find('\n', at) - at);
    for (auto it = std::sregex_iterator(body.begin(), body.end(), group);
         it != std::sregex_iterator(); ++it) {
        lines.emplace_back();
        std::istringstream tuples((*it)[1].str());
        for (std::string tuple; std::getline(tuples, tuple, ',');) {
            std::istringstream numbers(tuple);
            std::array<double, 2> p{};
            numbers >> p[0] >> p[1];
            lines.back().push_back(p);
        }
    }
    return lines;
}

} // namespace

// North 30 m, a hidden shot east 30 m, north 30 m again: GDAL reads two line strings, A1 to A2
// and A3 to A4, where PROJ puts those stations; nothing joins A2 to A4.
TEST(KMLExport, ALeftOutHiddenShotBreaksTheLine) {
    TempDir dir;
    TCaveBuilder cave;
    cave.Survey("A");
    const std::vector<std::array<double, 2>> utm{
        {510000, 3800000}, {510000, 3800030}, {510030, 3800030}, {510030, 3800060}};
    const char types[] = {'M', 'D', 'd', 'D'};
    for (int i = 0; i < 4; ++i)
        cave.Rec(types[i], "A" + std::to_string(i + 1), Utm(utm[i][0], utm[i][1]));
    TExportOptions o;
    o.Kml.Datum = 22;
    const std::string file = dir.File("lines.kml");
    WriteKml(cave.Data, o, file, true);
    const auto lines = PeerLines(PeerRead(file));
    const auto expected = Cs2cs("+datum=WGS84", utm);
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_EQ(lines.size(), 2u);
    const int stations[2][2] = {{0, 1}, {2, 3}};
    for (int line = 0; line < 2; ++line) {
        ASSERT_EQ(lines[line].size(), 2u) << line;
        for (int k = 0; k < 2; ++k)
            for (int axis = 0; axis < 2; ++axis)
                EXPECT_NEAR(lines[line][k][axis], expected[stations[line][k]][axis], 1e-7)
                    << line << " " << k;
    }
    // With hidden shots the traverse is one line through all four stations.
    o.ShowHidden = true;
    WriteKml(cave.Data, o, file, true);
    const auto all = PeerLines(PeerRead(file));
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].size(), 4u);
}

TEST(KMLExport, DatumIsTheDefaultsThenSettingsThenThePlotFilesThenTheCommandLines) {
    TExportDatum d = ChooseExportDatum(13, false, false, "");
    EXPECT_EQ(d.Index, 13);
    EXPECT_EQ(d.Name, "North American 1927");
    EXPECT_EQ(DescribeExportDatum(d), "North American 1927 (default)");
    d = ChooseExportDatum(13, false, false, "WGS 1984");
    EXPECT_EQ(d.Index, 22);
    EXPECT_EQ(DescribeExportDatum(d), "WGS 1984 (from the plot file)");
    d = ChooseExportDatum(5, true, false, " WGS 1984"); // the file's datum beats the settings
    EXPECT_EQ(d.Index, 22);
    EXPECT_EQ(d.Source, TDatumSource::PlotFile);
    d = ChooseExportDatum(5, true, false, "Datum of the Moon"); // not in the list
    EXPECT_EQ(d.Index, 5);
    EXPECT_EQ(DescribeExportDatum(d), std::string(d.Name) + " (from the settings file)");
    d = ChooseExportDatum(-1, true, false, "wgs 1984"); // letter case counts; -1 is no selection
    EXPECT_EQ(d.Index, 13);
    EXPECT_EQ(d.Source, TDatumSource::Settings);
    d = ChooseExportDatum(21, true, true, "WGS 1984"); // --datum beats everything
    EXPECT_EQ(d.Index, 21);
    EXPECT_EQ(DescribeExportDatum(d), "WGS 1972 (from --datum)");
    EXPECT_EQ(DatumListIndex("North American 1983"), 14);
    EXPECT_EQ(DatumListIndex(""), std::nullopt);
}

// A plot file that declares WGS 1984, exported with the options' default datum: the file's datum
// is chosen, and the lines lie where PROJ puts the file's coordinates on WGS 1984, not some 190 m
// away on North American 1927.
TEST(KMLExport, AFilesOwnDatumPlacesItWhereProjDoes) {
    TempDir dir;
    TCaveBuilder cave;
    cave.Data.DatumName = "WGS 1984";
    cave.Survey("A");
    cave.Rec('M', "A1", Utm(510000, 3800000));
    cave.Rec('D', "A2", Utm(510030, 3800040));
    TExportOptions o;
    const TExportDatum datum = ChooseExportDatum(o.Kml.Datum, false, false, cave.Data.DatumName);
    o.Kml.Datum = datum.Index;
    const std::string file = dir.File("lines.kml");
    WriteKml(cave.Data, o, file, true);
    const auto lines = PeerLines(PeerRead(file));
    const auto expected = Cs2cs("+datum=WGS84", {{510000, 3800000}, {510030, 3800040}});
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 2u);
    ASSERT_EQ(expected.size(), 2u);
    for (int k = 0; k < 2; ++k)
        for (int axis = 0; axis < 2; ++axis)
            EXPECT_NEAR(lines[0][k][axis], expected[k][axis], 1e-7) << k;
}
