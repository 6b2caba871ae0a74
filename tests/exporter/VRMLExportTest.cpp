#include "exporter/VRMLExport.h"
#include "exporter/CaveVRML.h"
#include "exporter/VectorHash.h"
#include "passage/PassageLib.h"
#include "platform/Error.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"
#include "survey/PlotGenerator.h"
#include "survey/PlotReader.h"

#include "CavePlots.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace lumora::exporter;
using namespace lumora::test;
using lumora::survey::T3DVector;

namespace {

// A traverse of three stations running due north, 10 ft apart, dimensions 3.
void NorthTraverse(TCaveBuilder& b) {
    b.Survey("A");
    b.Rec('M', "A1", {0, 0, 0});
    b.Rec('D', "A2", {0, 10, 0});
    b.Rec('D', "A3", {0, 20, 0});
}

// Octagon rings, no rounding, no end caps.
TExportOptions PlainOctagons(bool merge) {
    TExportOptions o;
    o.Walls.PassShape = 2;
    o.Walls.RoundDepth = 0;
    o.Walls.SealEnds = false;
    o.Walls.VerticalPrisms = false;
    lumora::passage::PassageOptions().MergePass = merge;
    return o;
}

// The world as the peer parser writes it back; fails the test when it reports anything.
std::string PeerRead(const std::string& file) {
    EXPECT_TRUE(HaveProgram("tovrmlx3d")) << "the VRML peer check needs tovrmlx3d (view3dscene)";
    const CommandResult r = RunCommand("tovrmlx3d " + ShellQuote(file));
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Err, "") << file;
    return r.Out;
}

// Numbers between the '[' after the first "name [" at or after from and its ']'.
std::vector<double> ListAfter(const std::string& text, const std::string& name,
                              std::size_t from = 0) {
    const std::size_t at = text.find(name + " [", from);
    EXPECT_NE(at, std::string::npos) << name;
    std::vector<double> numbers;
    if (at == std::string::npos)
        return numbers;
    const std::size_t open = text.find('[', at);
    const std::size_t close = text.find(']', open);
    std::string body = text.substr(open + 1, close - open - 1);
    std::replace(body.begin(), body.end(), ',', ' ');
    std::istringstream in(body);
    for (double v; in >> v;)
        numbers.push_back(v);
    return numbers;
}

struct TWorld {
    std::string Text;
    std::string Peer;
};

TWorld Export(TCaveBuilder& cave, const TExportOptions& o, const TempDir& dir,
              const std::string& name = "cave.wrl") {
    const std::string file = dir.File(name);
    ExportVRML(cave.Data, file, o, {});
    return {ReadFile(file), PeerRead(file)};
}

} // namespace

TEST(VectorHash, BucketsFollowTheBytesOfThePoint) {
    // Worked by hand over the little-endian bytes: 1.0 is 00 00 00 00 00 00 F0 3F.
    EXPECT_EQ(TVectorHash::Bucket({0, 0, 0}), 0);
    EXPECT_EQ(TVectorHash::Bucket({0, 0, 1}), 1023);
    EXPECT_EQ(TVectorHash::Bucket({1, 0, 0}), 1852);
    EXPECT_EQ(TVectorHash::Bucket({1.5, -2.25, 1000.0}), 572);
    // -0 differs from 0 in its sign byte.
    EXPECT_EQ(TVectorHash::Bucket({-0.0, 0, 0}), 8);
}

TEST(VectorHash, FindsOnlyExactlyEqualPointsAndForgetsThemOnClear) {
    TVectorHash hash;
    EXPECT_EQ(hash.Find({1, 2, 3}), -1);
    EXPECT_EQ(hash.Add({1, 2, 3}), 0);
    EXPECT_EQ(hash.Add({1, 2, 3.0000001}), 1);
    EXPECT_EQ(hash.Find({1, 2, 3}), 0);
    EXPECT_EQ(hash.Find({1, 2, 3.0000001}), 1);
    EXPECT_EQ(hash.Find({1, 2, 3.00000001}), -1);
    hash.Clear();
    EXPECT_EQ(hash.Count(), 0);
    EXPECT_EQ(hash.Find({1, 2, 3}), -1);
    EXPECT_EQ(hash.Add({4, 5, 6}), 0);
}

TEST(VectorHash, KeepsEveryPointFindableWhenItGrowsLarge) {
    TVectorHash hash;
    for (int i = 0; i < 50000; ++i)
        ASSERT_EQ(hash.Add({i * 0.5, -i * 0.25, static_cast<float>(i % 97)}), i);
    for (int i = 0; i < 50000; i += 7)
        ASSERT_EQ(hash.Find({i * 0.5, -i * 0.25, static_cast<float>(i % 97)}), i);
    EXPECT_EQ(hash.Find({0.25, 0, 0}), -1);
    // An equal point added again is the one found from then on.
    EXPECT_EQ(hash.Add({0, 0, 0}), 50000);
    EXPECT_EQ(hash.Find({0, 0, 0}), 50000);
}

TEST(VRMLExport, ThreeStationTraverseGives24PointsAnd80Indexes) {
    TempDir dir;
    for (bool merge : {false, true}) {
        TCaveBuilder cave;
        NorthTraverse(cave);
        const TWorld world = Export(cave, PlainOctagons(merge), dir);
        // Two shots of eight walls; the rings at the middle station coincide.
        EXPECT_EQ(ListAfter(world.Peer, "point").size(), 24u * 3) << "merge " << merge;
        const std::vector<double> index = ListAfter(world.Peer, "coordIndex");
        EXPECT_EQ(index.size(), 80u);
        EXPECT_EQ(std::count(index.begin(), index.end(), -1.0), 16);
        EXPECT_EQ(*std::max_element(index.begin(), index.end()), 23.0);
    }
}

TEST(VRMLExport, WallsAreWrittenInReverseAndPointsAsXZMinusY) {
    TVRMLWriter writer({});
    TCaveBuilder cave;
    NorthTraverse(cave);
    TCaveVRML feed(writer, cave.Data);
    feed.WallQuad({1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12.1});
    ASSERT_EQ(writer.PointCount(), 4);
    EXPECT_EQ(writer.PointAt(0).X, 10);
    EXPECT_EQ(writer.PointAt(0).Y, static_cast<double>(12.1f)); // single precision elevation
    EXPECT_EQ(writer.PointAt(0).Z, -11);
    EXPECT_EQ(writer.PointAt(3).X, 1);
    EXPECT_EQ(writer.PointAt(3).Z, -2);
    feed.EndCap({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, true);
    feed.EndCap({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, false);
    // Start cap: centre, b, a; end cap: centre, a, b.
    const auto& idx = writer.CoordIndex();
    ASSERT_EQ(idx.Count(), 5 + 4 + 4);
    EXPECT_EQ(writer.PointAt(idx[6]).Z, -1.0);
    EXPECT_EQ(writer.PointAt(idx[10]).X, 1.0);
    EXPECT_EQ(writer.PointAt(idx[11]).Z, -1.0);
}

TEST(VRMLExport, DepthColoursPerFaceOrPerVertex) {
    TempDir dir;
    TCaveBuilder cave;
    NorthTraverse(cave);
    TExportOptions o = PlainOctagons(false);
    o.Walls.SealEnds = true;
    o.Vrml.ColorByDepth = true;
    for (bool perVertex : {false, true}) {
        o.Vrml.VertexColors = perVertex;
        const TWorld world = Export(cave, o, dir);
        const std::vector<double> colours = ListAfter(world.Peer, "colorIndex");
        // 16 walls and 2 caps of 8 triangles.
        if (perVertex) {
            EXPECT_EQ(colours.size(), 16u * 5 + 16u * 4);
            EXPECT_EQ(std::count(colours.begin(), colours.end(), -1.0), 32);
            EXPECT_NE(world.Text.find("colorPerVertex TRUE"), std::string::npos);
        } else {
            EXPECT_EQ(colours.size(), 32u);
            EXPECT_EQ(std::count(colours.begin(), colours.end(), -1.0), 0);
            EXPECT_NE(world.Text.find("colorPerVertex FALSE"), std::string::npos);
        }
        for (double c : colours)
            EXPECT_TRUE(c == -1.0 || (c >= 0 && c <= 22));
        EXPECT_EQ(ListAfter(world.Peer, "color", world.Peer.find("color Color")).size(), 23u * 3);
    }
}

TEST(VRMLExport, DepthIndexRunsFromTopToBottomAndStaysInTheTable) {
    TVRMLWriter writer({});
    TCaveBuilder cave;
    cave.Survey("A");
    cave.Rec('M', "A1", {0, 0, 100}, 0);
    cave.Rec('D', "A2", {0, 0, -120}, 0);
    TCaveVRML feed(writer, cave.Data);
    feed.LoadDepthColors();
    const double centre = cave.Data.Center.Z; // -10; top 110, step 10
    EXPECT_EQ(feed.DepthIndex(100 - centre), 0);
    EXPECT_EQ(feed.DepthIndex(95 - centre), 0);
    EXPECT_EQ(feed.DepthIndex(89.9 - centre), 1);
    EXPECT_EQ(feed.DepthIndex(-120 - centre), 22);
    EXPECT_EQ(feed.DepthIndex(500), 0);
    EXPECT_EQ(feed.DepthIndex(-500), 22);
    ASSERT_EQ(writer.Colors.size(), 23u);
    EXPECT_DOUBLE_EQ(writer.Colors[1].Green, 63 / 255.0);
    EXPECT_DOUBLE_EQ(writer.Colors[22].Blue, 127 / 255.0);
}

// A generated cave in UTM coordinates, thousands of feet above 0 and hundreds deep: the depth
// colours, as the peer reads them, span the table from top to bottom for walls and shot lines.
TEST(VRMLExport, DepthColoursSpanTheTableForACaveFarAboveZero) {
    TempDir dir;
    const std::string plot = dir.File("cave.plt");
    lumora::survey::TGenOptions gen;
    gen.Stations = 1000;
    lumora::survey::GeneratePlotFile(plot, gen);
    RecordingUi ui;
    lumora::survey::TPlotData data;
    lumora::survey::LoadPlotFile(data, plot, {}, ui);
    ASSERT_GT(data.MinBounds.Z, 1000.0);
    TExportOptions o;
    o.Vrml.ColorByDepth = true;
    o.Vrml.DoShotLine = true;
    o.Vrml.LineColorByDepth = true;
    const std::string file = dir.File("cave.wrl");
    ExportVRML(data, file, o, {});
    const std::string peer = PeerRead(file);
    std::size_t from = 0;
    for (const char* shape : {"walls", "shot lines"}) {
        const std::size_t at = peer.find("colorIndex", from);
        ASSERT_NE(at, std::string::npos) << shape;
        const std::vector<double> colours = ListAfter(peer, "colorIndex", at);
        from = at + 1;
        std::set<double> used;
        for (double c : colours) {
            if (c == -1.0)
                continue;
            EXPECT_TRUE(c >= 0 && c <= 22) << shape << " " << c;
            used.insert(c);
        }
        EXPECT_GE(used.size(), 15u) << shape;
        EXPECT_LE(*used.begin(), 1.0) << shape;
        EXPECT_GE(*used.rbegin(), 20.0) << shape;
    }
}

TEST(VRMLExport, ShotLinesSplitLongTraversesWithoutLosingPoints) {
    TempDir dir;
    TCaveBuilder cave;
    cave.Survey("A");
    cave.Rec('M', "S0", {0, 0, 0});
    for (int i = 1; i < 450; ++i)
        cave.Rec('D', "S" + std::to_string(i), {i * 1.0, (i % 3) * 2.0, -i * 0.5});
    cave.Survey("B");
    cave.Rec('M', "B0", {5, 5, 5}); // a traverse of one record
    TExportOptions o;
    o.Vrml.Passages3D = false;
    o.Vrml.DoShotLine = true;
    o.Vrml.LineColorByDepth = true;
    const TWorld world = Export(cave, o, dir);
    EXPECT_EQ(ListAfter(world.Peer, "point").size(), 451u * 3);
    const std::vector<double> index = ListAfter(world.Peer, "coordIndex");
    // 200 + 200 + 52 points (each piece starts at the last point of the one before) and 1.
    EXPECT_EQ(index.size(), 200u + 1 + 201 + 52 + 1 + 2);
    EXPECT_EQ(index[199], index[201]);
    EXPECT_EQ(index[400], index[402]);
    EXPECT_EQ(ListAfter(world.Peer, "colorIndex").size(), index.size());
    EXPECT_NE(world.Text.find("colorPerVertex TRUE"), std::string::npos);
    EXPECT_NE(world.Text.find("geometry IndexedLineSet"), std::string::npos);
}

TEST(VRMLExport, TextLayoutHeaderAndDecimals) {
    TempDir dir;
    TCaveBuilder cave;
    NorthTraverse(cave);
    TExportOptions o = PlainOctagons(true);
    o.Vrml.Passages3D = false;
    o.Vrml.DoShotLine = true;
    const TWorld world = Export(cave, o, dir);
    const std::string& t = world.Text;
    EXPECT_EQ(t.rfind("#VRML V2.0 utf8\r\n# Quiltra\r\n", 0), 0u);
    EXPECT_EQ(CountOf(t, "\n"), CountOf(t, "\r\n"));
    // The viewpoint stands 1.5 x the shot lines' width (here 0: one line due north) away.
    EXPECT_NE(t.find("    position 0.00000 0.00000 0.00000\r\n"), std::string::npos);
    EXPECT_NE(t.find("skyColor 0.50196 0.50196 0.50196\r\n"), std::string::npos);
    EXPECT_NE(t.find("diffuseColor 0.00000 1.00000 1.00000"), std::string::npos);
    EXPECT_NE(t.find("emissiveColor 0.00000 1.00000 1.00000"), std::string::npos);
    // Geometry with two decimals: the points of the line, centred on the cave.
    EXPECT_NE(t.find("point\r\n"), std::string::npos);
    EXPECT_NE(t.find("0.00 0.00 10.00, 0.00 0.00 0.00, 0.00 0.00 -10.00, \r\n"), std::string::npos);
    EXPECT_NE(t.find("0, 1, 2, -1, \r\n"), std::string::npos);
    EXPECT_EQ(t.find("ROUTE"), std::string::npos);
}

TEST(VRMLExport, EveryOptionGivesAWorldThePeerReads) {
    TempDir dir;
    TCaveBuilder cave;
    NorthTraverse(cave);
    cave.Rec('D', "A4", {15, 30, -5});
    TExportOptions o;
    o.Vrml.DoShotLine = true;
    o.Vrml.ColorByDepth = true;
    o.Vrml.VertexColors = true;
    o.Vrml.LineColorByDepth = true;
    o.Vrml.UseTexture = true;
    o.Vrml.DoTransparency = true;
    o.Vrml.Transparency = 25;
    o.Vrml.YawRotation = true;
    o.Vrml.SplineSurface = true;
    const TWorld world = Export(cave, o, dir);
    EXPECT_NE(world.Text.find("transparency  0.25000\r\n"), std::string::npos);
    EXPECT_NE(world.Text.find("url \"texture2.png\"\r\n"), std::string::npos);
    EXPECT_NE(world.Text.find("geometry SplineFaceSet\r\n"), std::string::npos);
    EXPECT_NE(world.Text.find("\r\nROUTE Rotator1.value_changed TO Frame1.set_rotation\r\n"),
              std::string::npos);
    EXPECT_NE(world.Text.find("0.00 1.00 0.00 3.14"), std::string::npos);
    EXPECT_NE(world.Peer.find("ROUTE Timer1.fraction_changed TO Rotator1.set_fraction"),
              std::string::npos);
    // Nothing at all to show still makes a world.
    o.Vrml.Passages3D = false;
    o.Vrml.DoShotLine = false;
    const TWorld empty = Export(cave, o, dir, "empty.wrl");
    EXPECT_NE(empty.Text.find("DEF Frame1"), std::string::npos);
}

TEST(VRMLExport, AFileThatCannotBeMadeIsAnErrorNamingIt) {
    TempDir dir;
    TCaveBuilder cave;
    NorthTraverse(cave);
    const std::string file = dir.File("missing/cave.wrl");
    try {
        ExportVRML(cave.Data, file, {}, {});
        FAIL() << "no error";
    } catch (const lumora::WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(file), std::string::npos);
    }
}
