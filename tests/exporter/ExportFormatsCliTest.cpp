#include "exporter/ExpIni.h"
#include "support/TestSupport.h"

#include "CavePlots.h"

#include <gtest/gtest.h>

using namespace lumora::test;

namespace {

std::string Lumora(const std::string& arguments) {
    return ShellQuote(LumoraCli()) + " " + arguments;
}

// A generated cave in dir; local coordinates when asked.
std::string GenerateCave(const TempDir& dir, bool local = false) {
    const std::string file = dir.File("cave.plt");
    const CommandResult r = RunCommand(
        Lumora("gen --stations 3000 -o " + ShellQuote(file) + (local ? " --local" : "")));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return file;
}

} // namespace

TEST(ExportFormatsCli, WritesEveryFormatThatItsPeerReads) {
    TempDir dir;
    const std::string cave = GenerateCave(dir);
    const std::string kml = dir.File("cave.kml");
    CommandResult r = RunCommand(Lumora("export kml " + ShellQuote(cave) + " -o " +
                                        ShellQuote(kml) + " --datum 22 --transparency 255"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(ReadFile(kml).find("<color>000000ff</color>"), std::string::npos);
    ASSERT_TRUE(HaveProgram("ogrinfo")) << "the peer checks need ogrinfo (gdal-bin)";
    r = RunCommand("GDAL_SKIP=KML ogrinfo -ro -al -so " + ShellQuote(kml));
    EXPECT_NE(r.Out.find("using driver `LIBKML'"), std::string::npos) << r.Out << r.Err;

    const std::string wrl = dir.File("cave.wrl");
    r = RunCommand(Lumora("export vrml " + ShellQuote(cave) + " -o " + ShellQuote(wrl) +
                          " --shot-lines --line-depth-colors --spin --background 000080"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(ReadFile(wrl).find("skyColor 0.00000 0.00000 0.50196"), std::string::npos);
    ASSERT_TRUE(HaveProgram("tovrmlx3d")) << "the VRML peer check needs tovrmlx3d";
    r = RunCommand("tovrmlx3d " + ShellQuote(wrl));
    EXPECT_EQ(r.Err, "");

    const std::string dxf = dir.File("cave.dxf");
    r = RunCommand(Lumora("export dxf " + ShellQuote(cave) + " -o " + ShellQuote(dxf) +
                          " --meters --passage-as ticks --assoc-labels --assoc-separate"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(ReadFile(dxf).find("M.\r\n"), std::string::npos);
    r = RunCommand("/usr/bin/python3 -c \"import sys, ezdxf\n"
                   "print(len(ezdxf.readfile(sys.argv[1]).audit().errors))\" " +
                   ShellQuote(dxf));
    EXPECT_EQ(r.Out, "0\n") << r.Err;
}

TEST(ExportFormatsCli, SettingsFileGivesTheOptionsAndFlagsOverrideIt) {
    TempDir dir;
    const std::string cave = GenerateCave(dir);
    const std::string settings = dir.File("mine.ini");
    lumora::exporter::TExportOptions o;
    o.Dxf.IncludeScaleBar = false;
    o.Dxf.IncludeNorthArrow = false;
    o.Dxf.IncludeDepth = false;
    o.Dxf.IncludeLabels = false;
    lumora::exporter::SaveExportSettings(o, settings);
    const std::string dxf = dir.File("cave.dxf");
    CommandResult r =
        RunCommand(Lumora("export dxf " + ShellQuote(cave) + " -o " + ShellQuote(dxf) +
                          " --settings " + ShellQuote(settings) + " --labels"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    const std::string text = ReadFile(dxf);
    EXPECT_EQ(text.find("OBJECTS"), std::string::npos);
    EXPECT_EQ(text.find("DEPTH"), std::string::npos);
    EXPECT_NE(text.find("LABELS"), std::string::npos);
}

TEST(ExportFormatsCli, KmlWithoutGeoreferenceWarnsAndFails) {
    TempDir dir;
    const std::string cave = GenerateCave(dir, true);
    const CommandResult r = RunCommand(
        Lumora("export kml " + ShellQuote(cave) + " -o " + ShellQuote(dir.File("x.kml"))));
    EXPECT_NE(r.ExitCode, 0);
    EXPECT_NE(r.Err.find("No Georeference Data In Plot File."), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.kml")));
}
