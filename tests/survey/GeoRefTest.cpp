#include "survey/GeoRef.h"

#include "support/RecordingUi.h"
#include "support/TestSupport.h"
#include "survey/PlotArray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace lumora::survey {
namespace {

using test::RecordingUi;

constexpr double kMetresPerDegree = 111320.0; // along a meridian, near enough for distances

// Horizontal distance in metres between two nearby positions given in degrees.
double GroundDistance(double lon1, double lat1, double lon2, double lat2) {
    const double north = (lat2 - lat1) * kMetresPerDegree;
    const double east = (lon2 - lon1) * kMetresPerDegree * std::cos(lat1 * kDegToRad);
    return std::hypot(north, east);
}

struct TLonLat {
    double Longitude;
    double Latitude;
};

// Converts "x y" lines with the cs2cs peer tool; fails the test when cs2cs is missing or fails.
std::vector<TLonLat> RunCs2cs(const std::string& arguments, const std::string& input) {
    if (!test::HaveProgram("cs2cs"))
        ADD_FAILURE() << "cs2cs (PROJ) is not installed: the georeferencing peer check needs it";
    test::TempDir dir;
    test::WriteFile(dir.File("in.txt"), input);
    const auto result = test::RunCommand("cs2cs -f %.12f " + arguments + " < " +
                                         test::ShellQuote(dir.File("in.txt")));
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    std::vector<TLonLat> out;
    std::istringstream lines(result.Out);
    TLonLat p{};
    double height = 0.0;
    while (lines >> p.Longitude >> p.Latitude >> height)
        out.push_back(p);
    return out;
}

TEST(GeoRef, ZoneCentreOnTheEquatorIsTheCentralMeridian) {
    double lon = 0.0, lat = 0.0;
    UTMToGeographic(13, 500000.0, 0.0, kWGS1984Datum, lon, lat);
    EXPECT_NEAR(lon, -105.0, 1e-12);
    EXPECT_NEAR(lat, 0.0, 1e-12);
}

TEST(GeoRef, Zone13ExampleGivesTheKnownPosition) {
    double lon = 0.0, lat = 0.0;
    UTMToGeographic(13, 510000.0, 3800000.0, kWGS1984Datum, lon, lat);
    EXPECT_NEAR(lon, -104.89128, 5e-6);
    EXPECT_NEAR(lat, 34.34125, 5e-6);
}

TEST(GeoRef, SouthernZoneUsesTheFalseNorthing) {
    double lonNorth = 0.0, latNorth = 0.0, lonSouth = 0.0, latSouth = 0.0;
    UTMToGeographic(13, 520000.0, 0.0, kWGS1984Datum, lonNorth, latNorth);
    UTMToGeographic(-13, 520000.0, 10000000.0, kWGS1984Datum, lonSouth, latSouth);
    EXPECT_DOUBLE_EQ(lonSouth, lonNorth);
    EXPECT_DOUBLE_EQ(latSouth, latNorth);
    UTMToGeographic(-13, 520000.0, 6000000.0, kWGS1984Datum, lonSouth, latSouth);
    EXPECT_LT(latSouth, -30.0);
}

TEST(GeoRef, CoordinatesFarOutsideTheBandStayOnTheGlobe) {
    // Local coordinates (near 0) with a southern zone land at the south pole, not at -1494°.
    for (double easting : {0.0, 300000.0, 500000.0}) {
        for (double northing : {0.0, 10.0, 50000.0}) {
            double lon = 0.0, lat = 0.0;
            UTMToGeographic(-13, easting, northing, kWGS1984Datum, lon, lat);
            EXPECT_GE(lat, -90.0) << easting << " " << northing;
            EXPECT_LT(lat, -89.0) << easting << " " << northing;
            EXPECT_GE(lon, -180.0) << easting << " " << northing;
            EXPECT_LE(lon, 180.0) << easting << " " << northing;
        }
    }
    double lon = 0.0, lat = 0.0;
    UTMToGeographic(13, 300000.0, 9900000.0, kWGS1984Datum, lon, lat);
    EXPECT_LE(lat, 90.0);
    EXPECT_GE(lon, -180.0);
}

TEST(GeoRef, DatumIndexOutOfRangeMeansNorthAmerican1927) {
    for (int index : {-1, 23, 1000}) {
        double a = 0.0, b = 0.0;
        T3DVector shift;
        GetDatum(index, a, b, shift);
        EXPECT_EQ(a, 6378206.4) << index;
        EXPECT_EQ(b, 6356583.8) << index;
        EXPECT_EQ(shift, Vec(-8, 160, 176)) << index;
    }
    double lonBad = 0.0, latBad = 0.0, lon13 = 0.0, lat13 = 0.0;
    UTMToGeographic(13, 510000.0, 3800000.0, 99, lonBad, latBad);
    UTMToGeographic(13, 510000.0, 3800000.0, kDefaultDatum, lon13, lat13);
    EXPECT_EQ(lonBad, lon13);
    EXPECT_EQ(latBad, lat13);
}

TEST(GeoRef, EllipsoidParamsDeriveEccentricityAndFlattening) {
    double a = 0.0, b = 0.0, e2 = 0.0, f = 0.0;
    T3DVector shift;
    EllipsoidParams(kWGS1984Datum, a, b, shift, e2, f);
    EXPECT_NEAR(1.0 / f, 298.257223563, 1e-4);
    EXPECT_NEAR(e2, 0.00669437999, 1e-10);
    EXPECT_EQ(shift, Vec(0, 0, 0));
    EllipsoidParams(21 /* WGS 1972 */, a, b, shift, e2, f);
    EXPECT_EQ(shift, Vec(0, 0, -4.5));
    EXPECT_NEAR(1.0 / f, 298.26, 1e-3);
}

TEST(GeoRef, MeridianArcReachesTheQuarterMeridianAtThePole) {
    const TUTMConstants wgs84 = PrepareUTMConstants(kWGS1984Datum);
    EXPECT_EQ(MeridianArc(wgs84, 0.0), 0.0);
    EXPECT_NEAR(MeridianArc(wgs84, 90.0), 10001965.729, 0.01);
    EXPECT_NEAR(MeridianArc(wgs84, -45.0), -MeridianArc(wgs84, 45.0), 1e-6);
    const TUTMConstants clarke1866 = PrepareUTMConstants(-5); // means North American 1927
    EXPECT_NEAR(MeridianArc(clarke1866, 90.0), 10001888.043, 0.01);
}

TEST(GeoRef, DatumListHoldsTheTableAndSelectsNorthAmerican1927) {
    std::vector<std::string> list{"left over"};
    EXPECT_EQ(FillDatumList(list), 13);
    ASSERT_EQ(list.size(), 23u);
    EXPECT_EQ(list.front(), "Adindan");
    EXPECT_EQ(list[13], "North American 1927");
    EXPECT_EQ(list[22], "WGS 1984");
    EXPECT_EQ(Ellipsoids()[Datums()[22].Ellipsoid].Name, std::string("WGS 84"));
}

TEST(GeoRef, DatumShiftBetweenEqualOrIdenticalDatumsChangesNothing) {
    for (auto [from, to] : {std::pair{7, 7}, std::pair{14, 22}}) {
        double lon = -104.123456789, lat = 34.987654321, h = 1234.5;
        DatumShift(lon, lat, h, from, to);
        EXPECT_EQ(lon, -104.123456789) << from << "->" << to;
        EXPECT_EQ(lat, 34.987654321) << from << "->" << to;
        EXPECT_EQ(h, 1234.5) << from << "->" << to;
    }
}

TEST(GeoRef, DatumShiftThereAndBackReturnsClose) {
    double lon = 10.0, lat = 50.0, h = 0.0;
    DatumShift(lon, lat, h, 7, kWGS1984Datum);
    EXPECT_GT(GroundDistance(10.0, 50.0, lon, lat), 50.0); // European 1950 moves about 100 m
    DatumShift(lon, lat, h, kWGS1984Datum, 7);
    EXPECT_LT(GroundDistance(10.0, 50.0, lon, lat), 0.05);
    EXPECT_NEAR(h, 0.0, 0.05);
}

TEST(GeoRefPeer, UTMToGeographicAgreesWithProjInManyZones) {
    struct TCase {
        int Zone;
        double Easting;
        double Northing;
    };
    const std::vector<TCase> cases = {
        {13, 510000, 3800000},  {13, 350000, 4500000},  {33, 400000, 5500000},
        {31, 700000, 100000},   {35, 450000, 7800000},  {1, 600000, 2000000},
        {60, 300000, 6500000},  {-19, 300000, 8000000}, {-55, 600000, 6000000},
        {-34, 650000, 6200000}, {-1, 450000, 9990000},  {18, 250000, 4700000},
        {1, 100000, 0},  // west of zone 1: across -180°
        {60, 900000, 0}, // east of zone 60: across 180°
    };
    for (const TCase& c : cases) {
        std::ostringstream input;
        input.precision(17);
        input << c.Easting << ' ' << c.Northing << '\n';
        const std::string zone = std::to_string(std::abs(c.Zone));
        const auto peer = RunCs2cs("+proj=utm +zone=" + zone + (c.Zone < 0 ? " +south" : "") +
                                       " +datum=WGS84 +to +proj=longlat +datum=WGS84",
                                   input.str());
        ASSERT_EQ(peer.size(), 1u) << "zone " << c.Zone;
        double lon = 0.0, lat = 0.0;
        UTMToGeographic(c.Zone, c.Easting, c.Northing, kWGS1984Datum, lon, lat);
        EXPECT_GE(lon, -180.0);
        EXPECT_LE(lon, 180.0);
        EXPECT_NEAR(std::remainder(lon - peer[0].Longitude, 360.0), 0.0, 1e-7)
            << "zone " << c.Zone << " " << c.Easting;
        EXPECT_NEAR(lat, peer[0].Latitude, 1e-7) << "zone " << c.Zone << " " << c.Northing;
    }
}

// The peer applies the same three-parameter shift exactly (through earth-centred coordinates);
// the Molodensky formulas approximate it to well within a few metres.
void ExpectShiftAgreesWithProj(int datum, const std::string& ellipsoid, const std::string& shift,
                               const std::vector<TLonLat>& points) {
    std::ostringstream input;
    input.precision(17);
    for (const TLonLat& p : points)
        input << p.Longitude << ' ' << p.Latitude << " 0\n";
    const auto peer = RunCs2cs("+proj=longlat +ellps=" + ellipsoid + " +towgs84=" + shift +
                                   " +to +proj=longlat +datum=WGS84",
                               input.str());
    ASSERT_EQ(peer.size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        double lon = points[i].Longitude, lat = points[i].Latitude, h = 0.0;
        DatumShift(lon, lat, h, datum, kWGS1984Datum);
        EXPECT_LT(GroundDistance(lon, lat, peer[i].Longitude, peer[i].Latitude), 5.0)
            << points[i].Longitude << ", " << points[i].Latitude;
        // The shift itself is tens of metres or more, so agreement is not an accident.
        EXPECT_GT(GroundDistance(points[i].Longitude, points[i].Latitude, peer[i].Longitude,
                                 peer[i].Latitude),
                  20.0);
    }
}

TEST(GeoRefPeer, NorthAmerican1927ShiftAgreesWithProj) {
    ExpectShiftAgreesWithProj(13, "clrk66", "-8,160,176",
                              {{-100, 40}, {-120, 35}, {-75, 45}, {-150, 61}, {-105, 20}});
}

TEST(GeoRefPeer, European1950ShiftAgreesWithProj) {
    ExpectShiftAgreesWithProj(7, "intl", "-87,-98,-121",
                              {{10, 50}, {-5, 40}, {25, 60}, {2, 48.8}, {30, 36}});
}

TEST(CheckGeoreference, PassesAGeoreferencedModelSilently) {
    TPlotData model;
    model.Georeferenced = true;
    model.UTMZone = -13;
    RecordingUi ui;
    EXPECT_TRUE(CheckGeoreference(model, ui, "CREATING GENERIC PROJECTION FILE"));
    EXPECT_TRUE(ui.Warnings.empty());
}

TEST(CheckGeoreference, WarnsWithTheExactTextWhenThereIsNoZone) {
    TPlotData model;
    RecordingUi ui;
    EXPECT_FALSE(CheckGeoreference(model, ui, ""));
    EXPECT_FALSE(CheckGeoreference(model, ui, "CREATING GENERIC PROJECTION FILE"));
    ASSERT_EQ(ui.Warnings.size(), 2u);
    const std::string base = "No Georeference Data In Plot File.\r\n"
                             "Data may be missing from the project or\r\n"
                             "the file may have been compiled with an old compiler.\r\n"
                             "Check the Fixed Links in Project Manager and Recompile.\r\n";
    EXPECT_EQ(ui.Warnings[0], base);
    EXPECT_EQ(ui.Warnings[1], base + "CREATING GENERIC PROJECTION FILE\r\n");
}

TEST(CheckGeoreference, RejectsZoneZeroAndZonesBeyondSixty) {
    for (int zone : {0, 61, -61}) {
        TPlotData model;
        model.Georeferenced = true; // a "G 0" line after a good one leaves the flag set
        model.UTMZone = zone;
        RecordingUi ui;
        EXPECT_FALSE(CheckGeoreference(model, ui, "")) << zone;
        EXPECT_EQ(ui.Warnings.size(), 1u) << zone;
    }
}

} // namespace
} // namespace lumora::survey
