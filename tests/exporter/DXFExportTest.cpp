#include "exporter/DXFExport.h"
#include "exporter/ACADLib.h"
#include "platform/Error.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"
#include "survey/SuiteSettings.h"

#include "CavePlots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

using namespace lumora::exporter;
using namespace lumora::test;
using lumora::survey::T3DVector;

namespace {

// One entity or table entry of a drawing: its type and its groups (code -> values in order).
struct TEntity {
    std::string Type;
    std::multimap<int, std::string> Groups;

    std::string Get(int code) const {
        const auto it = Groups.find(code);
        return it == Groups.end() ? "" : it->second;
    }
    double Real(int code) const { return std::stod(Get(code)); }
};

// Splits the drawing into its "0" groups; checks that every line ends in CR LF and that every
// group code has three characters.
std::vector<TEntity> Parse(const std::string& dxf) {
    std::vector<TEntity> entities;
    EXPECT_EQ(dxf.substr(dxf.size() - 11), "  0\r\nEOF\r\n\x1a");
    std::size_t at = 0;
    while (at < dxf.size() - 1) {
        const std::size_t codeEnd = dxf.find("\r\n", at);
        const std::size_t valueEnd = dxf.find("\r\n", codeEnd + 2);
        if (codeEnd == std::string::npos || valueEnd == std::string::npos)
            break;
        EXPECT_EQ(codeEnd - at, 3u) << dxf.substr(at, 20);
        const int code = std::stoi(dxf.substr(at, codeEnd - at));
        const std::string value = dxf.substr(codeEnd + 2, valueEnd - codeEnd - 2);
        if (code == 0)
            entities.push_back({value, {}});
        else if (!entities.empty())
            entities.back().Groups.emplace(code, value);
        at = valueEnd + 2;
    }
    return entities;
}

std::vector<TEntity> OfType(const std::vector<TEntity>& all, const std::string& type,
                            const std::string& layer = "") {
    std::vector<TEntity> out;
    for (const TEntity& e : all)
        if (e.Type == type && (layer.empty() || e.Get(8) == layer))
            out.push_back(e);
    return out;
}

// A cave 1000 ft across (east) and 500 ft north-south: survey "Lower Level" and survey "B".
void Cave(TCaveBuilder& b) {
    b.Survey("Lower Level");
    b.Rec('M', "L1", {0, 0, 100});
    b.Rec('D', "L2", {400, 0, 90});
    b.Rec('D', "L3", {1000, 500, 80});
    b.Survey("B");
    b.Rec('M', "L2", {400, 0, 90});
    b.Rec('D', "B1", {400, 300, 70});
}

// Everything off that adds entities beyond the shot lines.
TExportOptions Bare() {
    TExportOptions o;
    TDXFOptions& d = o.Dxf;
    d.SeparateLayers = d.IncludeLabels = d.IncludeDepth = d.IncludeWalls = false;
    d.IncludeNorthArrow = d.IncludeScaleBar = d.IncludeStationMark = false;
    return o;
}

std::string WriteDxf(lumora::survey::TPlotData& data, const TExportOptions& o,
                     const std::string& file) {
    WriteDXFFile(data, file, o, {});
    return ReadFile(file);
}

// GDAL and ezdxf both read the drawing; ezdxf's audit finds no error. Returns ezdxf's count of
// model-space entities by type ("LINE 12 TEXT 3 ...").
std::string PeerRead(const std::string& file) {
    EXPECT_TRUE(HaveProgram("ogrinfo")) << "the DXF peer check needs ogrinfo (gdal-bin)";
    const CommandResult gdal = RunCommand("ogrinfo -ro -al -so " + ShellQuote(file));
    EXPECT_EQ(gdal.ExitCode, 0) << gdal.Err;
    EXPECT_NE(gdal.Out.find("using driver `DXF'"), std::string::npos) << gdal.Out;
    const CommandResult ezdxf =
        RunCommand("/usr/bin/python3 -c \"import sys, collections, ezdxf\n"
                   "doc = ezdxf.readfile(sys.argv[1])\n"
                   "audit = doc.audit()\n"
                   "print('errors', len(audit.errors))\n"
                   "c = collections.Counter(e.dxftype() for e in doc.modelspace())\n"
                   "print(' '.join('%s %d' % (k, c[k]) for k in sorted(c)))\" " +
                   ShellQuote(file));
    EXPECT_EQ(ezdxf.ExitCode, 0) << "the DXF peer check needs /usr/bin/python3 with ezdxf\n"
                                 << ezdxf.Err;
    EXPECT_EQ(ezdxf.Out.rfind("errors 0\n", 0), 0u) << ezdxf.Out;
    return ezdxf.Out;
}

} // namespace

TEST(ACADLib, PaletteToColourAndBack) {
    EXPECT_EQ(AciToColor(1), 0x0000FFu);
    EXPECT_EQ(AciToColor(2), 0x00FFFFu);
    EXPECT_EQ(AciToColor(3), 0x00FF00u);
    EXPECT_EQ(AciToColor(5), 0xFF0000u);
    EXPECT_EQ(AciToColor(10), 0x0000FFu);  // hue 0, full value and saturation
    EXPECT_EQ(AciToColor(11), 0x7F7FFFu);  // half saturation: (255, 127, 127)
    EXPECT_EQ(AciToColor(250), 0x545454u); // grey 0.33 -> 84
    EXPECT_EQ(AciToColor(50), 0x00FFFFu);  // hue step 4: sector 1 at f = 0: yellow
    EXPECT_EQ(AciToColor(-1), 0u);
    for (int index : {1, 2, 3, 4, 5, 6, 7})
        EXPECT_EQ(ColorToAci(AciToColor(index)), index);
    EXPECT_EQ(ColorToAci(0xFFFFFF), 7);
    // Greys are searched from index 1, so black is the darkest red, not index 0.
    EXPECT_EQ(ColorToAci(0x000000), 18);
    EXPECT_EQ(ColorToAci(0x7F7FFF), 11);
    EXPECT_EQ(ColorToAci(0x0000F0), 1);
}

TEST(ACADLib, StringsKeepOnlyLettersDigitsDollarDashAndDot) {
    EXPECT_EQ(DxfString("Lower Level"), "Lower0Level");
    EXPECT_EQ(DxfString("$DWGCODEPAGE"), "$DWGCODEPAGE");
    EXPECT_EQ(DxfString("-12.5Ft."), "-12.5Ft.");
    EXPECT_EQ(DxfString("a_b*c/\xe9"), "a0b0c00");
}

TEST(DXFExport, LayerCountFollowsTheLayerOptions) {
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o;
    // Two survey layers, LABELS, DEPTH, PASSAGE and OBJECTS; MARKS is listed but not counted.
    EXPECT_EQ(DXFLayerCount(cave.Data, o), 2 + 1 + 1 + 1 + 1);
    o.Dxf.AssociateLabels = true;
    EXPECT_EQ(DXFLayerCount(cave.Data, o), 2 + 2 + 2 + 1 + 1);
    o.Dxf.AssociatePassages = true;
    o.Dxf.IncludeNorthArrow = false;
    EXPECT_EQ(DXFLayerCount(cave.Data, o), 2 + 2 + 2 + 2 + 1);
    EXPECT_EQ(DXFLayerCount(cave.Data, Bare()), 0);
}

TEST(DXFExport, WithoutCountedLayersThereIsNoTableAndLinesLieOnLayerZero) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o = Bare();
    o.Dxf.IncludeStationMark = true;
    const std::string dxf = WriteDxf(cave.Data, o, dir.File("bare.dxf"));
    EXPECT_EQ(dxf.find("TABLES"), std::string::npos);
    EXPECT_EQ(dxf.rfind("  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$DWGCODEPAGE\r\n  3\r\nascii\r\n"
                        "  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n",
                        0),
              0u);
    const auto all = Parse(dxf);
    EXPECT_EQ(OfType(all, "LINE", "0").size(), 3u);
    EXPECT_EQ(OfType(all, "LINE", "MARKS").size(), 14u * 5);
    PeerRead(dir.File("bare.dxf"));
}

TEST(DXFExport, SurveyNamesBecomeLayerNamesByTheStringRule) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o;
    o.Dxf.AssociateLabels = true;
    o.Dxf.AssociateSeparate = true;
    const auto all = Parse(WriteDxf(cave.Data, o, dir.File("layers.dxf")));
    std::vector<std::string> layers;
    for (const TEntity& e : OfType(all, "LAYER"))
        layers.push_back(e.Get(2) + "/" + e.Get(70) + "/" + e.Get(62));
    const std::vector<std::string> expected{
        "Lower0Level/ 64/  3",   "B/ 64/  3",   "S-Lower0Level/ 64/  2", "S-B/ 64/  2",
        "M-Lower0Level/ 64/  2", "M-B/ 64/  2", "PASSAGE/ 64/  1",       "OBJECTS/ 64/  2",
        "D-Lower0Level/ 64/  5", "D-B/ 64/  5"};
    EXPECT_EQ(layers, expected);
    EXPECT_EQ(OfType(all, "TABLE")[0].Get(70), "  8");
    EXPECT_EQ(OfType(all, "LINE", "Lower0Level").size(), 2u);
    EXPECT_EQ(OfType(all, "TEXT", "S-Lower0Level").size(), 3u);
    EXPECT_EQ(OfType(all, "TEXT", "D-B").size(), 2u);
    EXPECT_GT(OfType(all, "3DFACE", "PASSAGE").size(), 0u);
    const std::string counts = PeerRead(dir.File("layers.dxf"));
    EXPECT_NE(counts.find("3DFACE " + std::to_string(OfType(all, "3DFACE").size())),
              std::string::npos)
        << counts;
    EXPECT_NE(counts.find("TEXT " + std::to_string(OfType(all, "TEXT").size())), std::string::npos);
}

// A CAD program that honours layer state shows what the user asked for: ezdxf reads every layer
// of the drawing thawed and on, shared or per survey, with walls as faces or as ticks.
TEST(DXFExport, RequestedLayersAreThawedAndOn) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    std::vector<TExportOptions> choices(3);
    choices[1].Dxf.PassageType = 1;
    choices[2].Dxf.AssociateLabels = choices[2].Dxf.AssociatePassages = true;
    choices[2].Dxf.AssociateSeparate = true;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const std::string file = dir.File("layers" + std::to_string(i) + ".dxf");
        WriteDxf(cave.Data, choices[i], file);
        PeerRead(file);
        const CommandResult layers =
            RunCommand("/usr/bin/python3 -c \"import sys, ezdxf\n"
                       "doc = ezdxf.readfile(sys.argv[1])\n"
                       "for layer in doc.layers:\n"
                       "    if layer.dxf.name not in ('0', 'Defpoints'):\n"
                       "        print(layer.dxf.name, layer.is_frozen(), layer.is_on())\" " +
                       ShellQuote(file));
        ASSERT_EQ(layers.ExitCode, 0) << layers.Err;
        const std::string expected =
            i == 0   ? "LABELS MARKS PASSAGE DEPTH "
            : i == 1 ? "LABELS MARKS TICKS DEPTH "
                     : "S-Lower0Level S-B M-Lower0Level M-B P-Lower0Level P-B D-Lower0Level D-B ";
        std::string seen; // the layers besides the surveys' own and the objects
        std::istringstream lines(layers.Out);
        for (std::string name, frozen, on; lines >> name >> frozen >> on;) {
            EXPECT_EQ(frozen, "False") << name << " is frozen in choice " << i;
            EXPECT_EQ(on, "True") << name << " is off in choice " << i;
            if (name != "Lower0Level" && name != "B" && name != "OBJECTS")
                seen += name + " ";
        }
        EXPECT_EQ(seen, expected) << layers.Out;
    }
}

// A profile of a cave in UTM coordinates (millions of feet): zooming to the drawing's extents
// must show the profile, so nothing may lie at the plan's coordinates. ezdxf measures the
// extents of everything and of the shot lines alone.
TEST(DXFExport, ProfileExtentsHoldTheProfileAndItsScaleBarOnly) {
    TempDir dir;
    TCaveBuilder cave;
    const T3DVector origin{1840000, 13340000, 3800};
    auto at = [&](double east, double north, double up) {
        return T3DVector{origin.X + east, origin.Y + north, origin.Z + up};
    };
    cave.Survey("A");
    cave.Rec('M', "A1", at(0, 0, 0));
    cave.Rec('D', "A2", at(400, 100, -60));
    cave.Rec('D', "A3", at(900, 300, -150));
    for (double rotation : {0.0, 30.0}) {
        TExportOptions o;
        o.Dxf.ProfileMode = true;
        o.Dxf.Rotation = rotation;
        o.Dxf.ScaleBar = 50;
        const std::string file = dir.File("profile.dxf");
        const auto all = Parse(WriteDxf(cave.Data, o, file));
        PeerRead(file);
        const CommandResult box = RunCommand(
            "/usr/bin/python3 -c \"import sys, ezdxf, ezdxf.bbox\n"
            "msp = ezdxf.readfile(sys.argv[1]).modelspace()\n"
            "for b in (ezdxf.bbox.extents(msp, fast=True),\n"
            "          ezdxf.bbox.extents(msp.query('LINE[layer==\\\"A\\\"]'), fast=True)):\n"
            "    print(*b.extmin, *b.extmax)\" " +
            ShellQuote(file));
        ASSERT_EQ(box.ExitCode, 0) << box.Err;
        std::istringstream numbers(box.Out);
        double all3[6], shots[6];
        for (double& v : all3)
            numbers >> v;
        for (double& v : shots)
            numbers >> v;
        ASSERT_TRUE(numbers) << box.Out;
        // Marks, labels, ticks and the bar reach a little past the shots; a plan coordinate
        // would lie millions of feet away.
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GT(all3[axis], shots[axis] - 100) << rotation << " axis " << axis << box.Out;
            EXPECT_LT(all3[3 + axis], shots[3 + axis] + 100)
                << rotation << " axis " << axis << box.Out;
        }
        // No north arrow: the objects are the bar (level, 50 ft long, under the profile), its
        // eleven ticks and its text.
        const auto objects = OfType(all, "LINE", "OBJECTS");
        ASSERT_EQ(objects.size(), 12u);
        EXPECT_NEAR(objects[0].Real(11) - objects[0].Real(10), 50.0, 0.01);
        EXPECT_EQ(objects[0].Get(20), objects[0].Get(21));
        EXPECT_LT(objects[0].Real(20), shots[1]);
    }
}

TEST(DXFExport, MetresAndHalfScaleShrinkEveryPointAndTheMarks) {
    TempDir dir;
    TCaveBuilder cave;
    cave.Survey("A");
    cave.Rec('M', "A1", {100, 0, 0});
    TExportOptions o = Bare();
    o.Meters = true;
    o.Dxf.DoScale = true;
    o.Dxf.ScaleFactor = 50;
    o.Dxf.IncludeStationMark = true;
    const std::string dxf = WriteDxf(cave.Data, o, dir.File("metres.dxf"));
    const auto marks = OfType(Parse(dxf), "LINE", "MARKS");
    ASSERT_EQ(marks.size(), 14u);
    // The first corner lies due north of the station: radius 25/0.3048 x 0.5 ft = 6.25 m drawn.
    EXPECT_NE(dxf.find(" 10\r\n   15.24\r\n 20\r\n    6.25\r\n"), std::string::npos);
    for (const TEntity& line : marks)
        EXPECT_NEAR(std::hypot(line.Real(10) - 15.24, line.Real(20)), 6.25, 0.006);
}

TEST(DXFExport, ScaleBarHasElevenTicksAndItsLength) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o = Bare();
    o.Dxf.IncludeScaleBar = true;
    const auto all = Parse(WriteDxf(cave.Data, o, dir.File("bar.dxf")));
    const auto lines = OfType(all, "LINE", "OBJECTS");
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_NEAR(lines[0].Real(11) - lines[0].Real(10), 100.0, 1e-9);
    EXPECT_NEAR(lines[0].Real(10), 450.0, 1e-9); // centred under the cave
    EXPECT_NEAR(lines[0].Real(20), -33.33, 1e-9);
    int tall = 0, short_ = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const double height = lines[i].Real(21) - lines[i].Real(20);
        tall += std::fabs(height - 20.0) < 0.01;
        short_ += std::fabs(height - 10.0) < 0.01;
    }
    EXPECT_EQ(tall, 3);
    EXPECT_EQ(short_, 8);
    const auto text = OfType(all, "TEXT", "OBJECTS");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].Get(1), "100.0Ft.");
    EXPECT_NEAR(text[0].Real(40), 10.0, 1e-9);
    EXPECT_NEAR(text[0].Real(10), 560.0, 1e-9);
}

TEST(DXFExport, NorthArrowOfAThousandFootCaveHasAnEightyFootShaft) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    TExportOptions o = Bare();
    o.Dxf.IncludeNorthArrow = true;
    const auto lines =
        OfType(Parse(WriteDxf(cave.Data, o, dir.File("arrow.dxf"))), "LINE", "OBJECTS");
    ASSERT_EQ(lines.size(), 7u); // shaft, head (3), and the N (3)
    EXPECT_NEAR(lines[0].Real(10), -50.0, 1e-9);
    EXPECT_NEAR(lines[0].Real(20), 50.0 - 40.0, 1e-9);
    EXPECT_NEAR(lines[0].Real(21) - lines[0].Real(20), 80.0, 1e-9);
    EXPECT_NEAR(lines[0].Real(30), 100.0, 1e-9); // the first station's elevation
}

TEST(DXFExport, ProfileModeDrawsElevationUpwards) {
    TempDir dir;
    TCaveBuilder cave;
    cave.Survey("A");
    cave.Rec('M', "A1", {10, 20, 30});
    cave.Rec('D', "A2", {10, 20, 30}); // a one-station cave: its centre is the station
    TExportOptions o = Bare();
    o.Dxf.ProfileMode = true;
    o.Dxf.IncludeDepth = true;
    const auto all = Parse(WriteDxf(cave.Data, o, dir.File("profile.dxf")));
    const auto line = OfType(all, "LINE", "0").at(0);
    EXPECT_EQ(line.Get(10), "   10.00");
    EXPECT_EQ(line.Get(20), "   30.00");
    EXPECT_EQ(line.Get(30), "   20.00");
    // The depth label shows the elevation, 1.2 below the station on the drawing.
    const auto depth = OfType(all, "TEXT", "DEPTH").at(0);
    EXPECT_EQ(depth.Get(1), "30.0Ft.");
    EXPECT_EQ(depth.Get(20), "   28.80");
}

TEST(DXFExport, TickMarksAtTheFromStation) {
    TempDir dir;
    TCaveBuilder cave;
    cave.Survey("A");
    cave.Rec('M', "A1", {0, 0, 0}, 2.0f);
    cave.Rec('D', "A2", {0, 10, 0}, 2.0f); // due north
    TExportOptions o = Bare();
    o.Dxf.IncludeWalls = true;
    o.Dxf.PassageType = 1;
    o.Dxf.AddLine = true;
    const std::string file = dir.File("ticks.dxf");
    const auto all = Parse(WriteDxf(cave.Data, o, file));
    const auto text = OfType(all, "TEXT", "TICKS");
    ASSERT_EQ(text.size(), 4u);
    EXPECT_EQ(text[0].Get(1), "L");
    EXPECT_EQ(text[0].Get(10), "   -2.00");
    EXPECT_EQ(text[1].Get(1), "R");
    EXPECT_EQ(text[1].Get(10), "    2.00");
    EXPECT_EQ(text[2].Get(1), "U");
    EXPECT_EQ(text[2].Get(30), "    2.00");
    EXPECT_EQ(OfType(all, "LINE", "TICKS").size(), 4u);
    EXPECT_EQ(OfType(all, "LAYER").at(0).Get(2), "TICKS");
    PeerRead(file);
}

TEST(DXFExport, AFileThatCannotBeMadeIsAnErrorAndTheCursorComesBack) {
    TempDir dir;
    TCaveBuilder cave;
    Cave(cave);
    RecordingUi ui;
    TExportIo io;
    io.Ui = &ui;
    const std::string file = dir.File("missing/cave.dxf");
    try {
        WriteDXFFile(cave.Data, file, {}, io);
        FAIL() << "no error";
    } catch (const lumora::WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(file), std::string::npos);
    }
    EXPECT_FALSE(ui.Busy);
}

TEST(ACADLib, RealsHaveTwoCorrectlyRoundedDecimalsInEightCharacters) {
    TempDir dir;
    const std::string file = dir.File("reals.dxf");
    std::vector<double> values{0.0, 3.14159, -0.001, 0.125, 0.375, -2.675, 99999.995, 123456.789,
                               -98765.4321, 1e12, 0.005, 15.24,
                               // carries into a new digit, widths of survey coordinates
                               99.999, -9.999, 999999.999, -99999.999, 0.004999, -0.005, 1623456.78,
                               13012345.675, -4999.5, 4.0e-320};
    std::uint64_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const double unit = static_cast<double>(seed >> 11) / 9007199254740992.0;
        values.push_back((unit - 0.5) * std::pow(10.0, i % 9));
    }
    {
        TDXFWriter writer(file);
        for (double v : values)
            writer.Real(10, v);
        writer.Finish();
    }
    const std::string text = ReadFile(file);
    std::size_t at = 0;
    for (double v : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%8.2f", v);
        std::string want = expected;
        if (want.find_first_not_of(" -0.") == std::string::npos &&
            want.find('-') != std::string::npos)
            want = "    0.00"; // never "-0.00"
        ASSERT_EQ(text.substr(at, 5), " 10\r\n");
        const std::size_t end = text.find("\r\n", at + 5);
        ASSERT_EQ(text.substr(at + 5, end - at - 5), want) << v;
        at = end + 2;
    }
}
