#include "exporter/ShapeExport.h"
#include "exporter/ShapePassage.h"
#include "exporter/ShapeSurvey.h"
#include "passage/PassageLib.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"
#include "survey/GeoRef.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>
#include <sstream>

using namespace lumora::exporter;
using namespace lumora::test;
using lumora::survey::T3DVector;
using lumora::survey::TPlotData;
using lumora::survey::TPlotRecord;

namespace {

// Builds a plot by hand: sections, surveys and records, keeping traverse starts and bounds.
struct TPlotBuilder {
    TPlotData Data;
    bool FirstRecord = true;

    TPlotBuilder() {
        Data.Loaded = true;
        Data.UTMZone = 13;
        Data.DatumName = "North American 1927";
        Data.Georeferenced = true;
    }
    void Section(const std::string& name) {
        lumora::survey::TSectionRecord s;
        s.Name.Assign(name);
        s.FirstSurvey = Data.Surveys.Count();
        Data.Sections.AddSection(s);
    }
    void Survey(const std::string& name, int kind = 0) {
        lumora::survey::TSurveyRecord s;
        s.Name.Assign(name);
        s.SurveyKind = static_cast<std::uint8_t>(kind);
        s.IsFeature = kind != 0;
        s.Day = 7;
        s.Month = 11;
        s.Year = 1998;
        s.FirstShot = Data.Shots.Count();
        s.FirstTraverse = Data.TraverseStarts.Count();
        s.MinBounds = {1e300, 1e300, 1e300};
        s.MaxBounds = {-1e300, -1e300, -1e300};
        Data.Surveys.Add(s);
    }
    void Rec(char type, const std::string& name, T3DVector p, float lrud = 3.0f) {
        TPlotRecord r;
        r.RecordType = type;
        r.Station.Assign(name);
        r.Position = p;
        r.Left = r.Right = r.Up = r.Down = lrud;
        if (type == 'M' || type == 'L')
            Data.TraverseStarts.Add(Data.Shots.Count());
        Data.Shots.Add(r);
        auto& s = Data.Surveys.At(Data.Surveys.Count() - 1);
        s.MinBounds = lumora::survey::VecMin(s.MinBounds, p);
        s.MaxBounds = lumora::survey::VecMax(s.MaxBounds, p);
        Data.MinBounds = FirstRecord ? p : lumora::survey::VecMin(Data.MinBounds, p);
        Data.MaxBounds = FirstRecord ? p : lumora::survey::VecMax(Data.MaxBounds, p);
        FirstRecord = false;
    }
    void Value(const std::string& name, T3DVector p, float value, float lo, float hi) {
        Rec('L', name, p);
        TPlotRecord r = Data.Shots.Get(Data.Shots.Count() - 1);
        r.Right = value;
        r.Down = lo;
        r.Up = hi;
        Data.Shots.Put(Data.Shots.Count() - 1, r);
    }
};

// Two sections; survey A has a hidden shot and a branch; B revisits A4; one line feature and one
// location feature with a range.
void BuildCave(TPlotBuilder& b) {
    b.Section("North, \"old\" part");
    b.Survey("A");
    b.Rec('M', "A1", {1000, 2000, 100}, 40.0f);
    b.Rec('D', "A2", {1010, 2000, 95});
    b.Rec('d', "A3", {1010, 2010, 95});
    b.Rec('D', "A4", {1020, 2010, 92});
    b.Rec('M', "A2", {1010, 2000, 95});
    b.Rec('D', "A5", {1010, 1990, 94}, -1.0f);
    b.Section("South");
    b.Survey(std::string(300, 'S'));
    b.Rec('M', "A4", {1020, 2010, 92});
    b.Rec('D', "B\xE9\xE9", {1030, 2000, 90});
    b.Survey("Stream", 1);
    b.Rec('M', "F1", {1000, 2005, 99});
    b.Rec('D', "F2", {1005, 2005, 99});
    b.Survey("Pools", 2);
    b.Value("P1", {1001, 2001, 98}, 5.25f, 1.0f, 12.5f);
    b.Value("P1", {1001, 2001, 98}, 5.25f, 1.0f, 12.5f);
    b.Value("A2", {1010, 2000, 95}, 123.45f, 2.0f, 3.0f);
}

struct TExport {
    TempDir Dir;
    RecordingUi Ui;
    std::vector<std::string> Statuses;
    std::vector<int> Gauge;
    std::string Offered;

    TShapeExportIo Io() {
        TShapeExportIo io;
        io.Ui = &Ui;
        io.ChooseSetName = [this](const std::string& offered) {
            Offered = offered;
            return std::optional<std::string>(Dir.File(offered));
        };
        io.ShowStatus = [this](const std::string& s) { Statuses.push_back(s); };
        io.ShowGauge = [this](int p) { Gauge.push_back(p); };
        return io;
    }
    bool Run(TPlotData& data, const TExportOptions& o, const TPolygonBounds& bounds = {}) {
        return ExportShapefile(data, "/somewhere/cave.plt", o, Io(), bounds);
    }
    std::string File(const std::string& extension) { return Dir.File(Offered + "." + extension); }
    std::string Ogr() {
        EXPECT_TRUE(HaveProgram("ogrinfo")) << "the peer check needs ogrinfo (gdal-bin)";
        const CommandResult r = RunCommand("ogrinfo -ro -al " + ShellQuote(File("shp")));
        EXPECT_EQ(r.ExitCode, 0) << r.Err;
        EXPECT_EQ(r.Err.find("ERROR"), std::string::npos) << r.Err;
        return r.Out;
    }
    // Rows of the table as dbfread reads them, one line per row: the values joined by '|'.
    std::string Rows(const std::string& fields) {
        const CommandResult r =
            RunCommand("/usr/bin/python3 -c 'import dbfread,sys\n"
                       "for row in dbfread.DBF(sys.argv[1],encoding=\"latin-1\"):\n"
                       "  print(\"|\".join(str(row[f]) for f in sys.argv[2].split(\",\")))' " +
                       ShellQuote(File("dbf")) + " " + ShellQuote(fields));
        EXPECT_EQ(r.ExitCode, 0) << r.Err;
        return r.Out;
    }
};

TExportOptions Options(TShapeDataType type) {
    TExportOptions o;
    o.DataTypes = type;
    o.ZipShape = false;
    return o;
}

int FeatureCount(const std::string& ogr) {
    std::smatch m;
    if (!std::regex_search(ogr, m, std::regex("Feature Count: (\\d+)")))
        return -1;
    return std::stoi(m[1]);
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(ShapeLayers, StationsAreWrittenOnceAtTheirFirstRecord) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::Stations)));
    EXPECT_EQ(e.Offered, "cave_3Dsta");
    const std::string ogr = e.Ogr();
    EXPECT_TRUE(Has(ogr, "Geometry: 3D Measured Point")) << ogr;
    EXPECT_EQ(FeatureCount(ogr), 5) << ogr; // A1 A2 A4 A5 B; A3 is hidden
    EXPECT_TRUE(Has(ogr, "POINT ZM (1000 2000 100 0)")) << ogr;
    EXPECT_TRUE(Has(ogr, "LEFT: Real (4.2)")) << ogr;
    EXPECT_EQ(e.Rows("SECTION,STATION,QUILTRA_Z,LEFT,DOWN"),
              "North, \"old\" part|A1|100.0|40.0|40.0\n"
              "North, \"old\" part|A2|95.0|3.0|3.0\n"
              "North, \"old\" part|A4|92.0|3.0|3.0\n"
              "North, \"old\" part|A5|94.0|None|None\n"
              "South|B\xC3\xA9\xC3\xA9|90.0|3.0|3.0\n");
    EXPECT_EQ(e.Statuses.back(), kCompletedText);
    EXPECT_EQ(e.Gauge.front(), 0);
}

TEST(ShapeLayers, HiddenStationsAndTwoDimensionalPoints) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    TExportOptions o = Options(TShapeDataType::Stations);
    o.ShowHidden = true;
    o.ThreeD = false;
    ASSERT_TRUE(e.Run(b.Data, o));
    const std::string ogr = e.Ogr();
    EXPECT_TRUE(Has(ogr, "Geometry: Point")) << ogr;
    EXPECT_EQ(FeatureCount(ogr), 6) << ogr;
}

TEST(ShapeLayers, MetresWithTheInternationalFootCutTheLeftDimension) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    TExportOptions o = Options(TShapeDataType::Stations);
    o.Meters = true;
    TShapeWriter w(b.Data, e.Io());
    ASSERT_EQ(w.FeetToMeters, 0.3048);
    ASSERT_TRUE(ExportStations(w, "cave.plt", o));
    const std::string dbf = ReadFile(w.TableFileName());
    EXPECT_TRUE(Has(dbf, "12.112.1")) << "Left and Right of 40 ft";
    EXPECT_TRUE(Has(e.Ogr(), "POINT ZM (304.8 609.6 30.48 0)"));
}

TEST(ShapeLayers, SurveysListEverySurveyWithItsBounds) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::Surveys)));
    const std::string ogr = e.Ogr();
    EXPECT_EQ(FeatureCount(ogr), 4) << ogr;
    EXPECT_TRUE(Has(ogr, "Geometry: 3D Measured Line String")) << ogr;
    // The hidden A3 breaks the line: A2 and A4 are not joined, the next part starts at A3.
    EXPECT_TRUE(Has(ogr, "MULTILINESTRING ZM ((1000 2000 100 0,1010 2000 95 0),"
                         "(1010 2010 95 0,1020 2010 92 0),(1010 2000 95 0,1010 1990 94 0))"))
        << ogr;
    EXPECT_TRUE(Has(ogr, "QUILTRA_EMA (Real) = 1020")) << ogr;
    const std::string rows = e.Rows("SURVEY,MONTH,DAY,YEAR,QUILTRA_VMI");
    EXPECT_TRUE(Has(rows, "A|11|7|1998|92.0\n" + std::string(255, 'S') + "|11|7|1998|90.0\n"))
        << rows;
}

TEST(ShapeLayers, ShotRowsMatchShotRecords) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::SurveyShots)));
    const std::string ogr = e.Ogr();
    EXPECT_EQ(FeatureCount(ogr), 4) << ogr;
    EXPECT_EQ(e.Rows("FR_STATION,TO_STATION,ELEVATION"),
              "A1|A2|95.0\nA3|A4|92.0\nA2|A5|94.0\nA4|B\xC3\xA9\xC3\xA9|90.0\n");
    EXPECT_TRUE(Has(ogr, "LINESTRING ZM (1010 2010 95 0,1020 2010 92 0)")) << ogr;
}

TEST(ShapeLayers, SplitShotsHalveEveryShot) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    TExportOptions o = Options(TShapeDataType::SplitShots);
    o.ThreeD = false;
    ASSERT_TRUE(e.Run(b.Data, o));
    const std::string ogr = e.Ogr();
    EXPECT_EQ(e.Offered, "cave_2Dsplt");
    EXPECT_EQ(FeatureCount(ogr), 8) << ogr;
    EXPECT_TRUE(Has(ogr, "LINESTRING (1000 2000,1005 2000)")) << ogr;
    EXPECT_TRUE(Has(ogr, "LINESTRING (1005 2000,1010 2000)")) << ogr;
    EXPECT_TRUE(Has(e.Rows("TO_STATION"), "A2\nA2\nA4\nA4\n"));
}

TEST(ShapeLayers, FeatureLocationsOncePerFeature) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::FeatureLocations)));
    EXPECT_EQ(FeatureCount(e.Ogr()), 2);
    EXPECT_EQ(e.Rows("SECTION,FEATURE,STATION,RANGE_MIN,RANGE_MAX,VALUE"),
              "|Pools|P1|1.0|12.5|5.25\n|Pools|A2|2.0|3.0|123.0\n");
}

TEST(ShapeLayers, FeatureLinesAndMissingFeatures) {
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::FeatureLines)));
    EXPECT_EQ(FeatureCount(e.Ogr()), 1);
    EXPECT_EQ(e.Rows("SURVEY"), "Stream\n");

    TPlotBuilder plain;
    plain.Section("X");
    plain.Survey("A");
    plain.Rec('M', "1", {0, 0, 0});
    plain.Rec('D', "2", {1, 0, 0});
    TExport none;
    EXPECT_FALSE(none.Run(plain.Data, Options(TShapeDataType::FeatureLines)));
    EXPECT_FALSE(none.Run(plain.Data, Options(TShapeDataType::FeatureLocations)));
    EXPECT_EQ(none.Ui.Warnings, (std::vector<std::string>{"No Line Feautures in the File",
                                                          "No Location Feautures in the File"}));
    EXPECT_TRUE(std::filesystem::is_empty(none.Dir.Path()));
}

TEST(ShapeLayers, OnlyFeaturesGiveEmptySetsThatPeersRead) {
    TPlotBuilder b;
    b.Section("F");
    b.Survey("Stream", 1);
    b.Rec('M', "F1", {0, 0, 0});
    b.Rec('D', "F2", {5, 0, 0});
    for (auto type :
         {TShapeDataType::Stations, TShapeDataType::SurveyShots, TShapeDataType::SplitShots}) {
        TExport e;
        ASSERT_TRUE(e.Run(b.Data, Options(type)));
        EXPECT_EQ(ReadFile(e.File("shp")).size(), 100u);
        EXPECT_EQ(FeatureCount(e.Ogr()), 0);
    }
    TExport surveys;
    ASSERT_TRUE(surveys.Run(b.Data, Options(TShapeDataType::Surveys)));
    EXPECT_EQ(FeatureCount(surveys.Ogr()), 1);
}

TEST(ShapeLayers, ProjectionTexts) {
    const std::string nad27 = ProjectionText("North American 1927", 13);
    EXPECT_EQ(nad27,
              "PROJCS[\"NAD_1927_UTM_Zone_13N\",GEOGCS[\"GCS_Clarke_1866\",DATUM[\"D_Clarke_1866\","
              "SPHEROID[\"Clarke_1866\",6378206.4,294.9786982]],PRIMEM[\"Greenwich\",0.0],"
              "UNIT[\"Degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],"
              "PARAMETER[\"False_Easting\",500000.0],PARAMETER[\"False_Northing\",0.0],"
              "PARAMETER[\"Central_Meridian\",-105.0],PARAMETER[\"Scale_Factor\",0.9996],"
              "PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]");
    const std::string nad83 = ProjectionText("North American 1983", 10);
    EXPECT_TRUE(Has(nad83, "NAD_1983_UTM_Zone_10N\",GEOGCS[\"GCS_GRS_1980\""));
    EXPECT_TRUE(Has(nad83, "Central_Meridian\",-123.0]"));
    const std::string outside = ProjectionText("North American 1983", 30);
    EXPECT_TRUE(Has(outside, "WGS_1984_UTM_Zone_30N\",GEOGCS[\"GCS_WGS_1984\""));
    const std::string south = ProjectionText("WGS 1984", -33);
    EXPECT_TRUE(Has(south, "WGS_1984_UTM_Zone_33S"));
    EXPECT_TRUE(Has(south, "False_Northing\",10000000.0],PARAMETER[\"Central_Meridian\",15.0]"));
    EXPECT_TRUE(Has(ProjectionText("North American 1927", -13), "WGS_1984_UTM_Zone_13S"));
    EXPECT_TRUE(
        Has(ProjectionText("WGS 1972", 59), "WGS_1972_UTM_Zone_59N\",GEOGCS[\"GCS_WGS_1972"));
    // A set in feet names its foot, with the false easting and northing in that foot.
    const std::string feet = ProjectionText("WGS 1984", -30, 0.3048);
    EXPECT_TRUE(Has(feet, "PARAMETER[\"False_Easting\",1640419.9475065616],"
                          "PARAMETER[\"False_Northing\",32808398.950131234],"))
        << feet;
    EXPECT_TRUE(Has(feet, ",UNIT[\"Foot\",0.3048]]")) << feet;
    const std::string survey = ProjectionText("WGS 1984", 30, lumora::survey::kSurveyFoot);
    EXPECT_TRUE(Has(survey, "False_Easting\",1640416.6666678463],")) << survey;
    EXPECT_TRUE(Has(survey, ",UNIT[\"Foot_US\",0.304800609601]]")) << survey;
}

TEST(ShapeLayers, ProjectionFileReadsAsItsZoneAndDatum) {
    ASSERT_TRUE(HaveProgram("gdalsrsinfo")) << "the peer check needs gdalsrsinfo (gdal-bin)";
    TPlotBuilder b;
    BuildCave(b);
    b.Data.UTMZone = -33;
    b.Data.DatumName = "WGS 1984";
    TExport e;
    TExportOptions metres = Options(TShapeDataType::Stations);
    metres.Meters = true;
    ASSERT_TRUE(e.Run(b.Data, metres));
    const CommandResult r = RunCommand("gdalsrsinfo -o proj4 " + ShellQuote(e.File("prj")));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_TRUE(Has(r.Out, "+proj=utm +zone=33 +south")) << r.Out;
    EXPECT_TRUE(Has(r.Out, "+datum=WGS84")) << r.Out;

    b.Data.UTMZone = 13;
    b.Data.DatumName = "North American 1927";
    TExport nad;
    metres.DataTypes = TShapeDataType::Surveys;
    ASSERT_TRUE(nad.Run(b.Data, metres));
    const CommandResult n = RunCommand("gdalsrsinfo -o proj4 " + ShellQuote(nad.File("prj")));
    EXPECT_TRUE(Has(n.Out, "+proj=utm +zone=13") && Has(n.Out, "+ellps=clrk66")) << n.Out;
}

TEST(ShapeLayers, MissingGeoreferenceGivesTheGenericProjection) {
    TPlotBuilder b;
    BuildCave(b);
    b.Data.UTMZone = 0;
    b.Data.Georeferenced = false;
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::Stations)));
    ASSERT_EQ(e.Ui.Warnings.size(), 1u);
    EXPECT_EQ(e.Ui.Warnings[0], lumora::survey::GeoreferenceWarning(kGenericProjectionLine));
    EXPECT_EQ(ReadFile(e.File("prj")), ProjectionText("WGS 1984", 13, 0.3048));
}

TEST(ShapeLayers, ZipHoldsTheSetsFilesExactly) {
    ASSERT_TRUE(HaveProgram("unzip")) << "the peer check needs unzip";
    TPlotBuilder b;
    BuildCave(b);
    TExport e;
    TExportOptions o = Options(TShapeDataType::SurveyShots);
    o.ZipShape = true;
    WriteFile(e.Dir.File("cave_3Dshots.zip"), "an old archive");
    ASSERT_TRUE(e.Run(b.Data, o));
    const std::string zip = e.File("zip");
    const CommandResult t = RunCommand("unzip -t " + ShellQuote(zip));
    EXPECT_EQ(t.ExitCode, 0) << t.Out << t.Err;
    const CommandResult list = RunCommand("unzip -Z1 " + ShellQuote(zip));
    EXPECT_EQ(list.Out, "cave_3Dshots.shp\ncave_3Dshots.shx\ncave_3Dshots.dbf\ncave_3Dshots.prj\n");
    for (const char* ext : {"shp", "shx", "dbf", "prj"}) {
        const CommandResult p =
            RunCommand("unzip -p " + ShellQuote(zip) + " cave_3Dshots." + std::string(ext));
        EXPECT_EQ(p.Out, ReadFile(e.File(ext))) << ext;
    }
}

TEST(ShapeLayers, LargestDimensionIgnoresMissingValues) {
    TPlotBuilder b;
    b.Section("X");
    b.Survey("A");
    b.Rec('M', "1", {0, 0, 0}, 950.0f);
    b.Rec('D', "2", {10, 0, 0}, 7.5f);
    EXPECT_EQ(LargestPassageDimension(b.Data), 7.5);
    TPlotBuilder none;
    none.Section("X");
    none.Survey("A");
    none.Rec('M', "1", {0, 0, 0}, 0.0f);
    EXPECT_EQ(LargestPassageDimension(none.Data), 0.0);
}

TEST(ShapeLayers, PassageOutlinesMergeOnlyBetweenShots) {
    TPlotBuilder b;
    b.Section("X");
    b.Survey("A");
    b.Rec('M', "1", {0, 0, 0}, 2.0f);
    b.Rec('D', "2", {0, 10, 0}, 2.0f);
    b.Rec('D', "3", {10, 10, 0}, 2.0f);
    TExport e;
    TExportOptions o = Options(TShapeDataType::Passage);
    o.ThreeD = false;
    ASSERT_TRUE(e.Run(b.Data, o));
    const std::string ogr = e.Ogr();
    EXPECT_EQ(FeatureCount(ogr), 2) << ogr;
    EXPECT_TRUE(Has(ogr, "Geometry: Polygon")) << ogr;
    // First shot due north: from-station corners unmerged at x -2 and 2; the to-station
    // corners averaged with the second shot's.
    const std::string shp = ReadFile(e.File("shp"));
    auto at = [&](std::size_t offset) {
        double v;
        std::memcpy(&v, shp.data() + offset, 8);
        return v;
    };
    EXPECT_EQ(at(36), -2.0); // bounds widened by the largest dimension
    const double rings[2][10] = {{-2, 0, -1, 11, 1, 9, 2, 0, -2, 0},
                                 {-1, 11, 10, 12, 10, 8, 1, 9, -1, 11}};
    const std::size_t recordSize = 8 + 44 + 4 + 80;
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 10; ++i)
            EXPECT_NEAR(at(100 + r * recordSize + 56 + 8 * i), rings[r][i], 1e-9) << r << " " << i;
}

TEST(ShapeLayers, PrismFacesAndRowsPerShot) {
    TPlotBuilder b;
    b.Section("X");
    b.Survey("A");
    b.Rec('M', "1", {0, 0, 0}, 2.0f);
    b.Rec('D', "2", {0, 10, -1}, 2.0f);
    b.Rec('D', "3", {0, 20, -2}, 2.0f);
    for (int shape : {2, 0}) {
        for (auto type : {TShapeDataType::PolygonPrism, TShapeDataType::MultipatchPrism}) {
            TExport e;
            TExportOptions o = Options(type);
            o.Walls.PassShape = shape;
            ASSERT_TRUE(e.Run(b.Data, o));
            const int faces = shape == 2 ? 8 : 4;
            const std::string ogr = e.Ogr();
            EXPECT_EQ(FeatureCount(ogr), 2 * faces) << ogr;
            const std::string rows = e.Rows("FR_STATION,TO_STATION,FACE,ELEVATION");
            std::string expected;
            for (int f = 1; f <= faces; ++f)
                expected += "1|2|" + std::to_string(f) + ".0|-1.0\n";
            for (int f = 1; f <= faces; ++f)
                expected += "2|3|" + std::to_string(f) + ".0|-2.0\n";
            EXPECT_EQ(rows, expected);
            const std::string shp = ReadFile(e.File("shp"));
            EXPECT_EQ(static_cast<unsigned char>(shp[32]),
                      type == TShapeDataType::PolygonPrism ? 15 : 31);
        }
    }
}

TEST(ShapeLayers, BoundingPolygonsWriteSideFaces) {
    TPlotBuilder b;
    BuildCave(b);
    TExport empty;
    ASSERT_TRUE(empty.Run(b.Data, Options(TShapeDataType::MultipatchBoundingPolygon)));
    EXPECT_EQ(ReadFile(empty.File("shp")).size(), 100u);
    EXPECT_EQ(FeatureCount(empty.Ogr()), 0);
    EXPECT_TRUE(std::filesystem::exists(empty.File("prj")));

    const TPolygonBounds bounds{{{T3DVector{0, 0, 10}, T3DVector{0, 0, 2}},
                                 {T3DVector{5, 0, 10}, T3DVector{5, 0, 2}},
                                 {T3DVector{5, 5, 10}, T3DVector{5, 5, 2}}}};
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::BoundingPolygon), bounds));
    const std::string ogr = e.Ogr();
    EXPECT_EQ(FeatureCount(ogr), 3) << ogr;
    EXPECT_TRUE(Has(ogr, "POLYGON ZM ((5 0 10 0,0 0 10 0,0 0 2 0,5 0 2 0,5 0 10 0))")) << ogr;
    EXPECT_EQ(e.Rows("Layer_Count,Layer_Numbe,Edge_Count,Edge_Number,Top,Bottom,Depth"),
              "1|0|3|0|10.0|2.0|8.0\n1|0|3|1|10.0|2.0|8.0\n1|0|3|2|10.0|2.0|8.0\n");
}

namespace {

// A generated cave big enough that every file of a prism set spans many write buffers.
TPlotData& GeneratedCave() {
    static TPlotData data;
    if (!data.Loaded) {
        TempDir dir;
        lumora::survey::TGenOptions gen;
        gen.Stations = 4000;
        gen.Sections = 3;
        lumora::survey::GeneratePlotFile(dir.File("cave.plt"), gen);
        RecordingUi ui;
        lumora::survey::LoadPlotFile(data, dir.File("cave.plt"), {}, ui);
    }
    return data;
}

// Writes the prism set of the generated cave as name, with the table pass beside the shape
// pass or before it; returns the base name of the files.
std::string WritePrismSet(TExport& e, const std::string& name, bool parallel, bool multipatch) {
    TShapeExportIo io = e.Io();
    io.ChooseSetName = [&](const std::string&) {
        return std::optional<std::string>(e.Dir.File(name + ".shp"));
    };
    TShapeWriter w(GeneratedCave(), io);
    w.DataType = multipatch ? TShapeDataType::MultipatchPrism : TShapeDataType::PolygonPrism;
    w.ParallelTablePass = parallel;
    TExportOptions o = Options(w.DataType);
    o.Meters = multipatch;
    o.Walls.RoundDepth = 2;
    EXPECT_TRUE(ExportPrisms(w, "cave.plt", o, multipatch));
    return e.Dir.File(name + ".");
}

} // namespace

TEST(ShapeLayers, PrismTablePassBesideTheShapePassWritesTheSameBytes) {
    for (bool multipatch : {false, true}) {
        TExport e;
        const std::string one = WritePrismSet(e, "one", false, multipatch);
        const std::size_t progressOfOne = e.Gauge.size();
        const std::string two = WritePrismSet(e, "two", true, multipatch);
        EXPECT_EQ(e.Gauge.size(), 2 * progressOfOne) << "progress stays on the calling thread";
        for (const char* extension : {"shp", "shx", "dbf"}) {
            const std::string bytes = ReadFile(one + extension);
            if (std::string(extension) != "shx") {
                EXPECT_GT(bytes.size(), 2u << 20) << extension << " spans several buffers";
            }
            EXPECT_TRUE(bytes == ReadFile(two + extension)) << extension;
        }
        // The table has one row per face of the shape file.
        const std::string dbf = ReadFile(two + "dbf");
        const std::string shx = ReadFile(two + "shx");
        std::uint32_t rows = 0;
        std::memcpy(&rows, dbf.data() + 4, 4);
        EXPECT_EQ(rows, (shx.size() - 100) / 8);
        EXPECT_EQ(dbf.back(), '\x1a');
    }
}

namespace {

// The points of every geometry ogrinfo prints, one list per innermost bracket (a point, a line,
// a part or a ring), in the order printed.
std::vector<std::vector<T3DVector>> OgrPointLists(const std::string& ogr) {
    std::vector<std::vector<T3DVector>> lists;
    static const std::regex geometry(
        "^  (POINT|LINESTRING|MULTILINESTRING|POLYGON|MULTIPOLYGON|TIN|GEOMETRYCOLLECTION)"
        "( ZM| Z| M)? (.*)$");
    static const std::regex group("\\(([^()]*)\\)");
    std::istringstream lines(ogr);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, geometry))
            continue;
        const std::string dims = m[2];
        const bool hasZ = dims == " Z" || dims == " ZM";
        const std::string body = m[3];
        for (auto it = std::sregex_iterator(body.begin(), body.end(), group);
             it != std::sregex_iterator(); ++it) {
            lists.emplace_back();
            std::istringstream tuples((*it)[1].str());
            for (std::string tuple; std::getline(tuples, tuple, ',');) {
                std::istringstream numbers(tuple);
                T3DVector p;
                numbers >> p.X >> p.Y;
                if (hasZ)
                    numbers >> p.Z;
                lists.back().push_back(p);
            }
        }
    }
    return lists;
}

// North 100 ft, a hidden shot east 100 ft, north 100 ft again.
void BuildHiddenBend(TPlotBuilder& b) {
    b.Section("X");
    b.Survey("A");
    b.Rec('M', "A1", {0, 0, 0});
    b.Rec('D', "A2", {0, 100, 0});
    b.Rec('d', "A3", {100, 100, 0});
    b.Rec('D', "A4", {100, 200, 0});
}

// Distance in plan from p to the middle part (20 % to 80 %) of the diagonal from A2 to A4, along
// which a passage or line would run if the hidden shot joined its neighbours.
double FromTheDiagonal(const T3DVector& p) {
    const double t = std::clamp((p.X + p.Y - 100.0) / 200.0, 0.2, 0.8);
    return std::hypot(p.X - 100.0 * t, p.Y - (100.0 + 100.0 * t));
}

} // namespace

// Walls (prisms, multipatches), outlines, run polylines and shots as GDAL reads them: no point
// and no edge lies on the diagonal that would join the stations either side of the hidden shot.
TEST(ShapeLayers, ALeftOutHiddenShotJoinsNothingInAnySet) {
    TPlotBuilder b;
    BuildHiddenBend(b);
    for (auto type :
         {TShapeDataType::PolygonPrism, TShapeDataType::MultipatchPrism, TShapeDataType::Passage,
          TShapeDataType::Surveys, TShapeDataType::SurveyShots}) {
        TExport e;
        TExportOptions o = Options(type);
        o.Walls.RoundDepth = 2;
        ASSERT_TRUE(e.Run(b.Data, o));
        const auto lists = OgrPointLists(e.Ogr());
        ASSERT_FALSE(lists.empty()) << static_cast<int>(type);
        for (const auto& points : lists) {
            for (std::size_t i = 0; i < points.size(); ++i) {
                const T3DVector& p = points[i];
                EXPECT_GT(FromTheDiagonal(p), 15.0)
                    << static_cast<int>(type) << " point " << p.X << " " << p.Y;
                if (i == 0)
                    continue;
                const T3DVector middle =
                    lumora::survey::Scale(lumora::survey::Add(points[i - 1], p), 0.5);
                EXPECT_GT(FromTheDiagonal(middle), 15.0)
                    << static_cast<int>(type) << " edge through " << middle.X << " " << middle.Y;
            }
        }
    }
}

// Rows of the prism table follow the faces: none for the hidden shot, and the shot after it
// runs from the hidden record's station.
TEST(ShapeLayers, PrismRowsOfALeftOutHiddenShot) {
    TPlotBuilder b;
    BuildHiddenBend(b);
    TExport e;
    ASSERT_TRUE(e.Run(b.Data, Options(TShapeDataType::PolygonPrism)));
    EXPECT_EQ(FeatureCount(e.Ogr()), 16);
    std::string expected;
    for (const char* shot : {"A1|A2|", "A3|A4|"})
        for (int face = 1; face <= 8; ++face)
            expected += shot + std::to_string(face) + ".0\n";
    EXPECT_EQ(e.Rows("FR_STATION,TO_STATION,FACE"), expected);
}

namespace {

// Longitude and latitude of every point of a Shapefile set as GDAL reprojects it to WGS 1984.
std::vector<std::pair<double, double>> ReprojectedPoints(const std::string& shp) {
    const CommandResult r = RunCommand("ogr2ogr -f CSV /vsistdout/ -t_srs EPSG:4326 "
                                       "-lco GEOMETRY=AS_XY " +
                                       ShellQuote(shp));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    std::vector<std::pair<double, double>> points;
    std::istringstream lines(r.Out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("X,Y,", 0), 0u) << r.Out;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string x, y;
        std::getline(fields, x, ',');
        std::getline(fields, y, ',');
        points.emplace_back(std::stod(x), std::stod(y));
    }
    return points;
}

} // namespace

// A cave of the Yorkshire Dales (UTM zone 30, WGS 1984) written in feet and in metres, with the
// international and with the survey foot: GDAL must put both sets at the same places.
TEST(ShapeLayers, FeetSetsReprojectWhereTheMetreSetsDo) {
    ASSERT_TRUE(HaveProgram("ogr2ogr")) << "the peer check needs ogr2ogr (gdal-bin)";
    const std::string plot = "Z 19685100 19685900 1747100 1747900 900 1000\r\n"
                             "G30\r\nOWGS 1984\r\nSMain\r\nNA D 1 1 2000 C\r\n"
                             "M 19685100.0 1747100.0 1000.0 SA1 P 1 1 1 1\r\n"
                             "D 19685300.0 1747250.0 950.0 SA2 P 1 1 1 1\r\n"
                             "D 19685900.0 1747900.0 900.0 SA3 P 1 1 1 1\r\n"
                             "X 19685100 19685900 1747100 1747900 900 1000\r\n";
    for (const char* international : {"1", "0"}) {
        TempDir dir;
        std::filesystem::create_directories(dir.File("config/quiltra"));
        WriteFile(dir.File("config/quiltra/Quiltra32.ini"),
                  std::string("[Units]\r\nInternationalFoot=") + international + "\r\n");
        WriteFile(dir.File("dales.plt"), plot);
        auto exportSet = [&](const std::string& name, const std::string& flags) {
            const CommandResult r = RunCommand(
                "LUMORA_CONFIG_DIR=" + ShellQuote(dir.File("config")) +
                " XDG_CONFIG_HOME=" + ShellQuote(dir.File("xdg")) + " " + ShellQuote(LumoraCli()) +
                " export shapefile --type stations --yes " + flags + " -o " +
                ShellQuote(dir.File(name + ".shp")) + " " + ShellQuote(dir.File("dales.plt")));
            EXPECT_EQ(r.ExitCode, 0) << r.Out << r.Err;
            return ReprojectedPoints(dir.File(name + ".shp"));
        };
        const auto feet = exportSet("feet", "");
        const auto metres = exportSet("metres", "--meters");
        ASSERT_EQ(feet.size(), 3u);
        ASSERT_EQ(metres.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(feet[i].first, metres[i].first, 1e-7) << international << " " << i;
            EXPECT_NEAR(feet[i].second, metres[i].second, 1e-7) << international << " " << i;
            // The Dales lie near 2.5 degrees west, 54.1 degrees north.
            EXPECT_NEAR(metres[i].first, -2.5, 0.1) << i;
            EXPECT_NEAR(metres[i].second, 54.1, 0.1) << i;
        }
        const std::string prj = ReadFile(dir.File("feet.prj"));
        EXPECT_TRUE(Has(prj, *international == '1' ? "UNIT[\"Foot\",0.3048]]"
                                                   : "UNIT[\"Foot_US\",0.304800609601]]"))
            << prj;
    }
}

namespace {

// A generated cave of a few hundred stations, with features, surveys and hidden shots.
TPlotData& SmallGeneratedCave() {
    static TPlotData data;
    if (!data.Loaded) {
        TempDir dir;
        lumora::survey::TGenOptions gen;
        gen.Stations = 600;
        gen.Seed = 7;
        lumora::survey::GeneratePlotFile(dir.File("cave.plt"), gen);
        RecordingUi ui;
        lumora::survey::LoadPlotFile(data, dir.File("cave.plt"), {}, ui);
        // The generator writes point features only: add a line feature (a stream) at the end.
        lumora::survey::TSurveyRecord stream;
        stream.Name.Assign("Stream");
        stream.SurveyKind = 1;
        stream.IsFeature = true;
        stream.FirstShot = data.Shots.Count();
        stream.FirstTraverse = data.TraverseStarts.Count();
        const T3DVector start = data.FirstStation;
        const T3DVector end{start.X + 40, start.Y - 30, start.Z - 5};
        stream.MinBounds = lumora::survey::VecMin(start, end);
        stream.MaxBounds = lumora::survey::VecMax(start, end);
        data.Surveys.Add(stream);
        data.TraverseStarts.Add(data.Shots.Count());
        for (const auto& [type, p] : {std::pair{'M', start}, std::pair{'D', end}}) {
            TPlotRecord r;
            r.RecordType = type;
            r.Station.Assign(type == 'M' ? "ST1" : "ST2");
            r.Position = p;
            data.Shots.Add(r);
        }
    }
    return data;
}

// The header's box of a main or index file: Xmin, Ymin, Xmax, Ymax, Zmin, Zmax.
std::array<double, 6> HeaderBox(const std::string& file) {
    const std::string bytes = ReadFile(file);
    std::array<double, 6> box{};
    EXPECT_GE(bytes.size(), 100u) << file;
    if (bytes.size() >= 100)
        std::memcpy(box.data(), bytes.data() + 36, sizeof box);
    return box;
}

} // namespace

// Every set type of a generated cave, in 3D feet and in 2D metres: the box of the header (as
// GDAL reports it, and in the index file alike) bounds every point of every shape GDAL reads, and
// no more than them.
TEST(ShapeLayers, HeaderBoxesBoundEveryShapeTightly) {
    TPlotData& data = SmallGeneratedCave();
    const TPolygonBounds bounds{
        {{T3DVector{1840000, 13336000, 3000}, T3DVector{1840000, 13336000, 2900}},
         {T3DVector{1840500, 13336000, 3000}, T3DVector{1840500, 13336000, 2900}},
         {T3DVector{1840500, 13336400, 3100}, T3DVector{1840500, 13336400, 2800}}}};
    for (int type = 0; type <= 10; ++type) {
        for (bool threeD : {true, false}) {
            const auto dataType = static_cast<TShapeDataType>(type);
            const bool prism = type >= 7;
            if (prism && !threeD)
                continue;
            TExport e;
            TExportOptions o = Options(dataType);
            o.ThreeD = threeD;
            o.Meters = !threeD;
            ASSERT_TRUE(e.Run(data, o, bounds)) << type;
            const std::string what = std::to_string(type) + (threeD ? " 3D" : " 2D");
            const auto box = HeaderBox(e.File("shp"));
            EXPECT_EQ(HeaderBox(e.File("shx")), box) << what;
            const CommandResult summary =
                RunCommand("ogrinfo -ro -al -so " + ShellQuote(e.File("shp")));
            std::smatch m;
            ASSERT_TRUE(std::regex_search(summary.Out, m,
                                          std::regex("Extent: \\(([-0-9.]+), ([-0-9.]+)\\) - "
                                                     "\\(([-0-9.]+), ([-0-9.]+)\\)")))
                << what << summary.Out;
            const auto lists = OgrPointLists(e.Ogr());
            double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
            std::size_t points = 0;
            for (const auto& list : lists)
                for (const T3DVector& p : list) {
                    const double v[3] = {p.X, p.Y, p.Z};
                    for (int axis = 0; axis < 3; ++axis) {
                        lo[axis] = std::min(lo[axis], v[axis]);
                        hi[axis] = std::max(hi[axis], v[axis]);
                    }
                    ++points;
                }
            ASSERT_GT(points, 0u) << what;
            const double tolerance = 1e-3;
            for (int axis = 0; axis < 2; ++axis) {
                EXPECT_NEAR(std::stod(m[1 + axis]), lo[axis], tolerance)
                    << what << " axis " << axis;
                EXPECT_NEAR(std::stod(m[3 + axis]), hi[axis], tolerance)
                    << what << " axis " << axis;
            }
            EXPECT_NEAR(box[0], lo[0], tolerance) << what;
            EXPECT_NEAR(box[1], lo[1], tolerance) << what;
            EXPECT_NEAR(box[2], hi[0], tolerance) << what;
            EXPECT_NEAR(box[3], hi[1], tolerance) << what;
            if (threeD) {
                EXPECT_NEAR(box[4], lo[2], tolerance) << what;
                EXPECT_NEAR(box[5], hi[2], tolerance) << what;
            }
        }
    }
}

// The table's date and its elevations as dbfread reads them: the year byte counts from 1900, and
// elevations of four and five digits keep their digits and their two decimals.
TEST(ShapeLayers, TablesCarryTodaysYearAndWholeElevations) {
    TPlotBuilder b;
    b.Section("X");
    b.Survey("A");
    b.Rec('M', "A1", {0, 0, 1200});
    b.Rec('D', "A2", {10, 0, 1157.677});
    b.Rec('D', "A3", {20, 0, 12345.678});
    b.Rec('D', "A4", {30, 0, -250.5});
    for (auto type : {TShapeDataType::SurveyShots, TShapeDataType::PolygonPrism}) {
        TExport e;
        TExportOptions o = Options(type);
        o.Walls.PassShape = 0;
        o.Walls.RoundDepth = 0;
        ASSERT_TRUE(e.Run(b.Data, o));
        const std::time_t now = std::time(nullptr);
        std::tm today{};
        localtime_r(&now, &today);
        const std::string dbf = ReadFile(e.File("dbf"));
        ASSERT_GT(dbf.size(), 32u);
        EXPECT_EQ(static_cast<unsigned char>(dbf[1]), today.tm_year); // 126 in 2026
        const CommandResult date =
            RunCommand("/usr/bin/python3 -c 'import dbfread,sys\n"
                       "t=dbfread.DBF(sys.argv[1])\n"
                       "print(t.date.year, [(f.length,f.decimal_count) for f in t.fields if "
                       "f.name==\"ELEVATION\"])' " +
                       ShellQuote(e.File("dbf")));
        ASSERT_EQ(date.ExitCode, 0) << date.Err;
        EXPECT_EQ(date.Out, std::to_string(1900 + today.tm_year) + " [(18, 2)]\n");
        std::string rows = e.Rows("ELEVATION");
        if (type == TShapeDataType::PolygonPrism) {
            // Four faces, four equal rows per shot: keep the first of each shot.
            std::istringstream lines(rows);
            rows.clear();
            int n = 0;
            for (std::string line; std::getline(lines, line); ++n)
                if (n % 4 == 0)
                    rows += line + "\n";
        }
        EXPECT_EQ(rows, "1157.68\n12345.68\n-250.5\n") << static_cast<int>(type);
    }
}
