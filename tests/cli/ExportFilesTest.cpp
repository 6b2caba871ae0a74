// The export commands and their files: paths mean what they say, devices and folders are
// refused, a failed write never destroys a good file, and every message names its file.
#include "exporter/ExpIni.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using namespace lumora::test;

namespace {

namespace fs = std::filesystem;

std::string Lumora(const std::string& arguments) {
    return ShellQuote(LumoraCli()) + " " + arguments;
}

std::string InFolder(const TempDir& dir, const std::string& arguments) {
    return "cd " + ShellQuote(dir.Path().string()) + " && " + Lumora(arguments);
}

std::string GenerateCave(const TempDir& dir, int stations = 400) {
    const std::string file = dir.File("cave.plt");
    const CommandResult r = RunCommand(
        Lumora("gen --stations " + std::to_string(stations) + " -o " + ShellQuote(file)));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return file;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ExportFiles, SettingsPathsAreRelativeToTheCurrentFolder) {
    TempDir work, config;
    EnvScope configDir("LUMORA_CONFIG_DIR", config.Path().string());
    CommandResult r = RunCommand(InFolder(work, "settings --write ex.ini"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.Out, "Wrote " + work.File("ex.ini") + "\n");
    EXPECT_TRUE(fs::exists(work.File("ex.ini")));
    EXPECT_FALSE(fs::exists(config.File("ex.ini")));

    // Two files of the same name: the one in the current folder leaves the labels out, the one
    // in the settings folder keeps them. The export must read the first.
    lumora::exporter::TExportOptions noLabels = lumora::exporter::DefaultExportOptions();
    noLabels.Dxf.IncludeLabels = false;
    lumora::exporter::SaveExportSettings(noLabels, work.File("ex.ini"));
    lumora::exporter::SaveExportSettings(lumora::exporter::DefaultExportOptions(),
                                         config.File("ex.ini"));
    GenerateCave(work);
    r = RunCommand(InFolder(work, "export dxf cave.plt --settings ex.ini -o out.dxf"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_TRUE(Contains(r.Out, "Settings: " + work.File("ex.ini"))) << r.Out;
    EXPECT_FALSE(Contains(ReadFile(work.File("out.dxf")), "LABELS"));
}

TEST(ExportFiles, DevicesAreRefusedAtOnceWithTheirName) {
    TempDir dir;
    const std::string cave = GenerateCave(dir);
    CommandResult r = RunCommand("timeout 20 " + Lumora("settings --write /dev/full"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "lumora: /dev/full: Not a regular file\n");
    r = RunCommand("timeout 20 " +
                   Lumora("export dxf " + ShellQuote(cave) + " --settings /dev/zero -o " +
                          ShellQuote(dir.File("x.dxf"))));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "lumora: /dev/zero: Not a regular file\n");
    r = RunCommand("timeout 20 " + Lumora("export vrml " + ShellQuote(cave) + " -o /dev/full"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "lumora: /dev/full: Not a regular file\n");
    EXPECT_FALSE(fs::exists(dir.File("x.dxf")));
}

TEST(ExportFiles, AFullDiskFailsEveryFormatAndKeepsTheOldFile) {
    TempDir dir;
    const std::string cave = GenerateCave(dir, 3000);
    for (const std::string format : {"dxf", "vrml", "kml"}) {
        const std::string out = dir.File("good." + format);
        const std::string command =
            Lumora("export " + format + " -q " + ShellQuote(cave) + " -o " + ShellQuote(out));
        ASSERT_EQ(RunCommand(command).ExitCode, 0) << format;
        const std::string good = ReadFile(out);
        ASSERT_GT(good.size(), 20000u);
        CommandResult r;
        {
            FileSizeLimit full(good.size() / 2);
            r = RunCommand(command);
        }
        EXPECT_EQ(r.ExitCode, 1) << format;
        EXPECT_TRUE(Contains(r.Err, "lumora: " + out + ": ")) << r.Err;
        EXPECT_FALSE(Contains(r.Out, "Wrote")) << r.Out;
        EXPECT_TRUE(ReadFile(out) == good) << format << ": the good file was changed";
    }
    // Nothing but the cave and the three good files: no temporary file is left behind.
    EXPECT_EQ(FolderEntries(dir.Path().string()),
              (std::vector<std::string>{"cave.plt", "good.dxf", "good.kml", "good.vrml"}));
}

TEST(ExportFiles, AShapefileSetOnAFullDiskSaysSo) {
    TempDir dir;
    const std::string cave = GenerateCave(dir, 3000);
    CommandResult r;
    {
        FileSizeLimit full(10000);
        r = RunCommand(Lumora("export shapefile " + ShellQuote(cave) + " --type prism -o " +
                              ShellQuote(dir.File("walls"))));
    }
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(Contains(r.Err, dir.File("walls.")) && Contains(r.Err, "File too large")) << r.Err;
    EXPECT_FALSE(Contains(r.Out, "Conversion Completed")) << r.Out;
}

TEST(ExportFiles, AFailedCloseIsAFailedExport) {
    TempDir dir;
    const std::string cave = GenerateCave(dir);
    auto failingClose = [](const std::string& pattern) {
        return "LD_PRELOAD=" + ShellQuote(LUMORA_FAILCLOSE) +
               " LUMORA_FAIL_CLOSE=" + ShellQuote(pattern) + " ";
    };
    // The archive of a set: its last write may be lost on close.
    CommandResult r = RunCommand(failingClose("set.zip") +
                                 Lumora("export shapefile -q --zip --type shots " +
                                        ShellQuote(cave) + " -o " + ShellQuote(dir.File("set"))));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(Contains(r.Err, dir.File("set.zip") + ": close failed: Input/output error"))
        << r.Err;
    EXPECT_FALSE(Contains(r.Out, "Conversion Completed")) << r.Out;
    EXPECT_FALSE(fs::exists(dir.File("set.zip")));
    // A single file: the temporary file's close fails, the good file stays.
    const std::string dxf = dir.File("good.dxf");
    ASSERT_EQ(
        RunCommand(Lumora("export dxf " + ShellQuote(cave) + " -o " + ShellQuote(dxf))).ExitCode,
        0);
    const std::string good = ReadFile(dxf);
    r = RunCommand(
        failingClose("good.dxf.*") +
        Lumora("export dxf -q --no-labels " + ShellQuote(cave) + " -o " + ShellQuote(dxf)));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "lumora: " + dxf + ": Input/output error\n");
    EXPECT_TRUE(ReadFile(dxf) == good);
}

TEST(ExportFiles, TheGaugeMovesForwardWithinAHundredPercent) {
    TempDir dir;
    const std::string cave = GenerateCave(dir, 3000);
    for (const std::string format : {"dxf", "vrml", "kml", "shapefile --type prism"}) {
        const CommandResult r = RunCommand(InFolder(dir, "export " + format + " cave.plt"));
        ASSERT_EQ(r.ExitCode, 0) << format << r.Err;
        std::istringstream lines(r.Err);
        std::string line;
        int last = -1;
        while (std::getline(lines, line)) {
            ASSERT_EQ(line.rfind("Exporting: ", 0), 0u) << format << ": " << line;
            const int percent = std::stoi(line.substr(11));
            EXPECT_GE(percent, last) << format;
            EXPECT_LE(percent, 100) << format;
            last = percent;
        }
        EXPECT_GE(last, 50) << format;
    }
}

TEST(ExportFiles, UnusableSetNamesAreRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    const std::string cave = GenerateCave(dir);
    fs::create_directory(dir.File("folder"));
    fs::create_directory(dir.File("taken.shp"));
    const std::vector<std::string> before = FolderEntries(dir.Path().string());
    struct TCase {
        std::string Name, Error;
    };
    for (const TCase& c :
         {TCase{"/dev/full", "lumora: /dev/full: Not a regular file\n"},
          TCase{dir.File("folder"), "lumora: " + dir.File("folder") +
                                        ": Is a directory; give the set's name, such as " +
                                        dir.File("folder/cave") + "\n"},
          TCase{dir.File("taken"), "lumora: " + dir.File("taken.shp") + ": Is a directory\n"},
          TCase{dir.File("none/set"), "lumora: " + dir.File("none/set.shp") + ": The folder " +
                                          dir.File("none") + " does not exist\n"}}) {
        const CommandResult r = RunCommand(Lumora("export shapefile " + ShellQuote(cave) +
                                                  " --type shots --yes -o " + ShellQuote(c.Name)));
        EXPECT_EQ(r.ExitCode, 1) << c.Name;
        EXPECT_EQ(r.Err, c.Error);
        EXPECT_EQ(r.Out, "");
    }
    EXPECT_EQ(FolderEntries(dir.Path().string()), before);
    EXPECT_TRUE(fs::is_empty(dir.File("folder")));
    EXPECT_FALSE(fs::exists("/dev/full.shp"));
}

TEST(ExportFiles, FilesWithoutStationRecordsExportNothing) {
    TempDir dir;
    const std::vector<std::string> inputs = {"",
                                             "\x1a",
                                             std::string(100, '\0'),
                                             "\xff\xfeN\0A\0\r\0\n\0",
                                             "random \x01\x02 bytes\n",
                                             "SMain\r\nNA D 1 1 2001\r\nX 0 0 0 0 0 0\r\n"};
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string plot = dir.File("empty" + std::to_string(i) + ".plt");
        WriteFile(plot, inputs[i]);
        const std::string set = dir.File("set" + std::to_string(i));
        CommandResult r = RunCommand(
            Lumora("export shapefile " + ShellQuote(plot) + " --type shots -o " + ShellQuote(set)));
        EXPECT_EQ(r.ExitCode, 1) << i;
        EXPECT_EQ(r.Err, "lumora: " + plot + ": no survey data (no station records)\n");
        EXPECT_FALSE(fs::exists(set + ".shp"));
        r = RunCommand(
            Lumora("export dxf " + ShellQuote(plot) + " -o " + ShellQuote(dir.File("d.dxf"))));
        EXPECT_EQ(r.ExitCode, 1) << i;
        EXPECT_FALSE(fs::exists(dir.File("d.dxf")));
    }
}

TEST(ExportFiles, NumbersBeyondAnySurveyStopTheExportWithFileAndLine) {
    TempDir dir;
    const std::string plot = dir.File("huge.plt");
    WriteFile(plot, "NA D 1 1 2001\r\nM 0 0 0 SA P 1 1 1 1\r\nD 1e308 0 0 SB P 1 1 1 1\r\n");
    for (const std::string format : {"dxf", "vrml"}) {
        const std::string out = dir.File("huge." + format);
        const CommandResult r = RunCommand(
            Lumora("export " + format + " " + ShellQuote(plot) + " -o " + ShellQuote(out)));
        EXPECT_EQ(r.ExitCode, 1);
        EXPECT_EQ(r.Err, "lumora: " + plot + ":3: Invalid numeric input\n");
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(ExportFiles, KmlTakesThePlotFilesDatumUnlessDatumIsGiven) {
    TempDir dir;
    // A southern cave declares WGS 1984 (list index 22); the window's default is index 13.
    const std::string cave = dir.File("south.plt");
    ASSERT_EQ(RunCommand(Lumora("gen --south --stations 300 -o " + ShellQuote(cave))).ExitCode, 0);
    // Each document in a folder of its own, under the same name (the name is in the document).
    auto kml = [&](const std::string& flags, const std::string& folder) {
        fs::create_directory(dir.File(folder));
        const std::string out = dir.File(folder + "/cave.kml");
        const CommandResult r =
            RunCommand(Lumora("export kml " + ShellQuote(cave) + " -o " + ShellQuote(out) + flags));
        EXPECT_EQ(r.ExitCode, 0) << r.Err;
        return std::pair{r.Out, ReadFile(out)};
    };
    const auto [fromFile, fileKml] = kml("", "file");
    EXPECT_TRUE(Contains(fromFile, "Datum: WGS 1984 (from the plot file)")) << fromFile;
    const auto [given22, kml22] = kml(" --datum 22", "d22");
    const auto [given13, kml13] = kml(" --datum 13", "d13");
    EXPECT_TRUE(Contains(given13, "Datum: North American 1927")) << given13;
    EXPECT_TRUE(fileKml == kml22);
    EXPECT_FALSE(fileKml == kml13);
}

TEST(ExportFiles, WarningsNameTheirFile) {
    TempDir dir;
    const std::string local = dir.File("local.plt");
    ASSERT_EQ(RunCommand(Lumora("gen --local --stations 200 -o " + ShellQuote(local))).ExitCode, 0);
    CommandResult r = RunCommand(
        Lumora("export kml " + ShellQuote(local) + " -o " + ShellQuote(dir.File("x.kml"))));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(
        Contains(r.Err, "lumora: warning: " + local + ": No Georeference Data In Plot File.\n"))
        << r.Err;
    EXPECT_TRUE(Contains(r.Err, "lumora: " + local + ": nothing was exported")) << r.Err;
    // A cave without features has nothing for the feature layers.
    const std::string plain = dir.File("plain.plt");
    WriteFile(plain, "NA D 1 1 2001\r\nM 0 0 0 SA P 1 1 1 1\r\nD 10 0 0 SB P 1 1 1 1\r\n");
    r = RunCommand(Lumora("export shapefile " + ShellQuote(plain) + " --type feature-lines -o " +
                          ShellQuote(dir.File("f"))));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(Contains(r.Err, "lumora: warning: " + plain + ": No Line Feautures in the File"))
        << r.Err;
}

// The flags of the passage options, one definition for every command that builds passages.
const std::vector<std::string> kPassageFlags = {"--shape SHAPE",
                                                "--round N",
                                                "--corner DEG",
                                                "--substitute FEET",
                                                "--expand,--no-expand",
                                                "--merge,--no-merge",
                                                "--seal,--no-seal",
                                                "--vertical,--no-vertical",
                                                "--vertical-threshold DEG",
                                                "--hidden,--no-hidden",
                                                "--meters,--metric,--feet",
                                                "-q,--quiet"};

TEST(ExportFiles, EveryCommandTakesTheSamePassageFlagsWithTheirDefaults) {
    for (const std::string command : {"passages", "render", "mesh", "export shapefile",
                                      "export kml", "export vrml", "export dxf", "export gltf"}) {
        const CommandResult r = RunCommand(Lumora(command + " --help"));
        ASSERT_EQ(r.ExitCode, 0) << command;
        for (const std::string& flag : kPassageFlags)
            EXPECT_TRUE(Contains(r.Out, "  " + flag + " ")) << command << " lacks " << flag;
        EXPECT_FALSE(Contains(r.Out, "{false}")) << command;
        EXPECT_FALSE(Contains(r.Out, "{true}")) << command;
    }
    const CommandResult dxf = RunCommand(Lumora("export dxf --help"));
    EXPECT_TRUE(Contains(dxf.Out, "Include station labels (default: on)")) << dxf.Out;
    EXPECT_TRUE(Contains(dxf.Out, "Close the ends of every passage (default: on)")) << dxf.Out;
    const CommandResult render = RunCommand(Lumora("render --help"));
    EXPECT_TRUE(Contains(render.Out, "Close the ends of every passage (default: off)"));
    for (const std::string command : {"info", "gen", "settings"})
        EXPECT_TRUE(Contains(RunCommand(Lumora(command + " --help")).Out, "-q,--quiet")) << command;
}

TEST(ExportFiles, PassageFlagsMeanTheSameEverywhere) {
    TempDir dir;
    const std::string cave = GenerateCave(dir);
    // The same range for the substitute, --vertical a switch with its threshold apart, -q and
    // the --metric alias taken by every command.
    for (const std::string command :
         {"passages " + ShellQuote(cave), "export dxf " + ShellQuote(cave),
          "export shapefile --yes --type shots " + ShellQuote(cave)}) {
        const std::string run = InFolder(dir, command + " -q");
        EXPECT_NE(RunCommand(run + " --substitute 91").ExitCode, 0) << command;
        EXPECT_NE(RunCommand(run + " --vertical 60").ExitCode, 0) << command;
        const CommandResult r =
            RunCommand(run + " --substitute 90 --no-vertical --vertical-threshold 60 --metric");
        EXPECT_EQ(r.ExitCode, 0) << command << ": " << r.Err;
        EXPECT_EQ(r.Err, "") << command;
    }
}

} // namespace
