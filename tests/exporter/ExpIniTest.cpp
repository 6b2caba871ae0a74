#include "exporter/ExpIni.h"
#include "exporter/ACADLib.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <regex>

using namespace lumora::exporter;
using namespace lumora::test;

namespace {

// Every option away from its default.
TExportOptions Changed() {
    TExportOptions o;
    o.Meters = true;
    o.DataTypes = TShapeDataType::Passage;
    o.ThreeD = false;
    TVRMLOptions& v = o.Vrml;
    v.Passages3D = false;
    v.ColorByDepth = v.VertexColors = v.SplineSurface = true;
    v.PassageColor = 0x123456;
    v.Transparency = 12.5;
    v.UseTexture = true;
    v.TextureFile = "rock face.png";
    v.DoShotLine = v.LineColorByDepth = v.YawRotation = true;
    v.LineColor = 0x00FF00;
    v.BackgroundColor = 0x000001;
    TDXFOptions& d = o.Dxf;
    d.ProfileMode = true;
    d.Rotation = 33.25;
    d.PassageType = 1;
    d.SeparateLayers = false;
    d.AssociatePassages = d.AssociateLabels = d.AssociateSeparate = true;
    d.LeftRight = d.UpDown = false;
    d.AddLine = d.MarkTo = true;
    d.MarkFrom = false;
    d.MarkWith = 2;
    d.ExpandMark = d.IncludeShotLine = d.IncludeLabels = d.IncludeStationMark = false;
    d.IncludeWalls = d.IncludeNorthArrow = d.IncludeScaleBar = d.IncludeDepth = false;
    d.ClipLines = d.DoScale = true;
    d.SurveyColor = 40;
    d.LabelColor = 7;
    d.DepthColor = 251;
    d.WallColor = 6;
    d.ScaleBar = 250.5;
    d.MarkSize = 0.125;
    d.ScaleFactor = 0.000002;
    TKMLOptions& k = o.Kml;
    k.Datum = 22;
    k.AltitudeMode = 1;
    k.Altitude = 12.75;
    k.LineColor = 0x0000FF;
    k.FillColor = 0x00FF00;
    k.FillTransparency = 200;
    TWallSettings& w = o.Walls;
    w.PassShape = 0;
    w.SubstituteDiam = 7.5;
    w.DoSubstitute = w.ExpandWalls = w.MergePass = w.SealEnds = w.VerticalPrisms = false;
    w.RoundDepth = 2;
    w.CornerThreshold = 45.5;
    w.VerticalThreshold = 60.25;
    return o;
}

// The options as text, field by field, so that a difference names itself.
std::string Describe(const TExportOptions& o) {
    std::ostringstream s;
    const TVRMLOptions& v = o.Vrml;
    const TDXFOptions& d = o.Dxf;
    const TKMLOptions& k = o.Kml;
    const TWallSettings& w = o.Walls;
    s << "units " << o.Meters << " type " << int(o.DataTypes) << " 3d " << o.ThreeD << "\nvrml "
      << v.Passages3D << v.ColorByDepth << v.VertexColors << v.SplineSurface << ' '
      << v.PassageColor << ' ' << v.Transparency << ' ' << v.UseTexture << ' ' << v.TextureFile
      << ' ' << v.DoTransparency << v.DoShotLine << v.LineColorByDepth << ' ' << v.LineColor << ' '
      << v.BackgroundColor << ' ' << v.YawRotation << "\ndxf " << d.ProfileMode << ' ' << d.Rotation
      << ' ' << d.PassageType << ' ' << d.SeparateLayers << d.AssociatePassages << d.AssociateLabels
      << d.AssociateSeparate << d.LeftRight << d.UpDown << d.AddLine << d.MarkFrom << d.MarkTo
      << ' ' << d.MarkWith << ' ' << d.ExpandMark << d.IncludeShotLine << d.IncludeLabels
      << d.IncludeStationMark << d.IncludeWalls << d.IncludeNorthArrow << d.IncludeScaleBar
      << d.IncludeDepth << d.ClipLines << ' ' << d.SurveyColor << ' ' << d.LabelColor << ' '
      << d.DepthColor << ' ' << d.WallColor << ' ' << d.ScaleBar << ' ' << d.MarkSize << ' '
      << d.DoScale << ' ' << d.ScaleFactor << "\nkml " << k.Datum << ' ' << k.AltitudeMode << ' '
      << k.Altitude << ' ' << k.LineColor << ' ' << k.FillColor << ' ' << k.FillTransparency
      << "\nwalls " << w.PassShape << ' ' << w.SubstituteDiam << ' ' << w.DoSubstitute
      << w.ExpandWalls << w.MergePass << w.SealEnds << ' ' << w.RoundDepth << ' '
      << w.CornerThreshold << ' ' << w.VerticalPrisms << ' ' << w.VerticalThreshold;
    return s.str();
}

// The keys of the file in order, as "Section/Key".
std::vector<std::string> Keys(const std::string& text) {
    std::vector<std::string> keys;
    std::string section;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 2 && line.front() == '[')
            section = line.substr(1, line.size() - 2);
        else if (const auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(section + "/" + line.substr(0, eq));
    }
    return keys;
}

} // namespace

TEST(ExpIni, WithoutAFileEveryOptionKeepsItsDefault) {
    TempDir dir;
    TExportOptions o;
    RestoreExportSettings(o, dir.File("ZazoRerora.ini"), '.');
    EXPECT_EQ(Describe(o), Describe(DefaultExportOptions()));
    EXPECT_EQ(o.Kml.Datum, 13);
    EXPECT_EQ(o.Dxf.SurveyColor, 3);
    EXPECT_EQ(o.Vrml.BackgroundColor, 8421504u);
}

TEST(ExpIni, SavesEveryKeyInTheTablesOrderAndSections) {
    TempDir dir;
    const std::string file = dir.File("ZazoRerora.ini");
    SaveExportSettings(DefaultExportOptions(), file, '.');
    const std::string text = ReadFile(file);
    const std::vector<std::string> keys = Keys(text);
    ASSERT_EQ(keys.size(), 63u); // 1 + 2 + 14 + 30 + 6 + 10
    EXPECT_EQ(keys.front(), "Global/Units");
    EXPECT_EQ(keys[1], "Shape/DataTypes");
    EXPECT_EQ(keys[3], "VRML/3DPassages");
    // Each key goes to the end of its section: the VRML keys stay together, then "VRLM".
    EXPECT_EQ(keys[8], "VRML/DoTransparency");
    EXPECT_EQ(keys[9], "VRML/TextureFile");
    EXPECT_EQ(keys[10], "VRML/DoTexture");
    EXPECT_EQ(keys[12], "VRML/DoLineDept");
    EXPECT_EQ(keys[14], "VRLM/PassageColor");
    EXPECT_EQ(keys[16], "VRLM/BackgroundColor");
    EXPECT_EQ(keys.back(), "Walls/VerticalThreshold");
    std::vector<std::string> sections;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] == '[')
            sections.push_back(line.substr(0, line.find(']') + 1));
    EXPECT_EQ(sections, (std::vector<std::string>{"[Global]", "[Shape]", "[VRML]", "[VRLM]",
                                                  "[DXF]", "[KML]", "[Walls]"}));
    // The VRML colours in "VRLM", DXF layer colours as colours, reals in general format.
    for (const char* line :
         {"PassageColor=255", "LineColor=16776960", "BackgroundColor=8421504", "SurveyColor=65280",
          "LabelColor=65535", "DepthColor=16711680", "WallColor=255", "Transparency=50",
          "Altitude=0.1", "TextureFile=texture2.png", "Datum=13", "PassShape=2"})
        EXPECT_NE(text.find(std::string(line) + "\n"), std::string::npos) << line;
}

TEST(ExpIni, SaveThenRestoreChangesNothing) {
    TempDir dir;
    const std::string file = dir.File("ZazoRerora.ini");
    for (char separator : {'.', ','}) {
        const TExportOptions saved = Changed();
        SaveExportSettings(saved, file, separator);
        TExportOptions restored;
        RestoreExportSettings(restored, file, separator);
        EXPECT_EQ(Describe(restored), Describe(saved)) << separator;
        // And from the changed values back to the defaults.
        SaveExportSettings(DefaultExportOptions(), file, separator);
        RestoreExportSettings(restored, file, separator);
        EXPECT_EQ(Describe(restored), Describe(DefaultExportOptions()));
    }
}

TEST(ExpIni, RealsUseTheLocalesSeparator) {
    TempDir dir;
    const std::string file = dir.File("ZazoRerora.ini");
    TExportOptions o;
    o.Vrml.Transparency = 12.5;
    SaveExportSettings(o, file, ',');
    EXPECT_NE(ReadFile(file).find("Transparency=12,5"), std::string::npos);
    TExportOptions same;
    RestoreExportSettings(same, file, ',');
    EXPECT_EQ(same.Vrml.Transparency, 12.5);
    TExportOptions other;
    RestoreExportSettings(other, file, '.');
    EXPECT_EQ(other.Vrml.Transparency, 50.0);
}

TEST(ExpIni, PrismTypesAreNotOfferedFor2DShapefiles) {
    TempDir dir;
    const std::string file = dir.File("ZazoRerora.ini");
    WriteFile(file, "[Shape]\r\nDataTypes=8\r\nFileType=1\r\n");
    TExportOptions o;
    RestoreExportSettings(o, file, '.');
    EXPECT_FALSE(o.ThreeD);
    EXPECT_EQ(o.DataTypes, TShapeDataType::Stations);
    WriteFile(file, "[Shape]\r\nDataTypes=8\r\nFileType=0\r\n");
    RestoreExportSettings(o, file, '.');
    EXPECT_EQ(o.DataTypes, TShapeDataType::MultipatchPrism);
    // The bounding polygons are never offered.
    WriteFile(file, "[Shape]\r\nDataTypes=9\r\n");
    RestoreExportSettings(o, file, '.');
    EXPECT_EQ(o.DataTypes, TShapeDataType::Stations);
}

TEST(ExpIni, OutOfRangeChoicesFollowTheControls) {
    TempDir dir;
    const std::string file = dir.File("ZazoRerora.ini");
    WriteFile(file, "[DXF]\nPassageType=7\nMarkWith=-3\nRotation=400\nScaleFactor=0\n"
                    "SurveyColor=255\nWallColor=$0000F0\n"
                    "[KML]\nDatum=23\nFillTransparency=999\nAltitudeMode=-1\n"
                    "[Walls]\nRoundDepth=5\nPassShape=-2\nSubstituteDiam=-4\n"
                    "[Global]\nUnits=9\n");
    TExportOptions o;
    RestoreExportSettings(o, file, '.');
    EXPECT_EQ(o.Dxf.PassageType, 1);  // the last item
    EXPECT_EQ(o.Dxf.MarkWith, -1);    // no item
    EXPECT_EQ(o.Dxf.Rotation, 360.0); // the spin edit's limits
    EXPECT_EQ(o.Dxf.ScaleFactor, 0.000001);
    EXPECT_EQ(o.Dxf.SurveyColor, 1); // nearest index of pure red
    EXPECT_EQ(o.Dxf.WallColor, 1);
    EXPECT_EQ(o.Kml.Datum, -1); // no selection, exported as North American 1927
    EXPECT_EQ(o.Kml.FillTransparency, 255);
    EXPECT_EQ(o.Kml.AltitudeMode, -1);
    EXPECT_FALSE(o.Kml.ClampToGround());
    EXPECT_EQ(o.Walls.RoundDepth, 2);
    EXPECT_EQ(o.Walls.PassShape, -1);
    EXPECT_EQ(o.Walls.SubstituteDiam, 0.0);
    EXPECT_TRUE(o.Meters);
}

TEST(ExpIni, GarbageMissingSectionsAndDuplicatesRestoreWhatTheyCan) {
    TempDir dir;
    const std::string file = dir.File("ZazoRerora.ini");
    std::string text = "\x01\x02garbage line\n[VRML\n=5\n[DXF]\nRotation=abc\nScaleBar=\n"
                       "MarkSize=12.5\nMarkSize=99\nProfileMode=maybe\nIncludeDepth=0\n"
                       "[VRLM]\nPassageColor=12x\nLineColor=$00FF00\n";
    for (int i = 0; i < 200000; ++i)
        text += "junk" + std::to_string(i) + "=\xff\xfe\n";
    WriteFile(file, text);
    TExportOptions o;
    o.Dxf.Rotation = 10;
    RestoreExportSettings(o, file, '.');
    EXPECT_EQ(o.Dxf.Rotation, 10.0);
    EXPECT_EQ(o.Dxf.ScaleBar, 100.0);
    EXPECT_EQ(o.Dxf.MarkSize, 12.5); // the first of two equal keys
    EXPECT_FALSE(o.Dxf.ProfileMode);
    EXPECT_FALSE(o.Dxf.IncludeDepth);
    EXPECT_EQ(o.Vrml.PassageColor, 255u);
    EXPECT_EQ(o.Vrml.LineColor, 0x00FF00u);
    EXPECT_EQ(o.Walls.PassShape, 2);
}

TEST(ExpIni, AFileThatCannotBeWrittenIsAnErrorNamingIt) {
    TempDir dir;
    const std::string file = dir.File("missing/ZazoRerora.ini");
    try {
        SaveExportSettings(DefaultExportOptions(), file, '.');
        FAIL() << "no error";
    } catch (const lumora::Error& e) {
        EXPECT_NE(std::string(e.what()).find("ZazoRerora.ini"), std::string::npos);
    }
}
