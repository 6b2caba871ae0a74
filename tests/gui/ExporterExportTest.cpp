// The exporter window's four export buttons: "No Plot File Load.", their save dialogs, files the
// peer readers accept (GDAL, ezdxf, the VRML parser, unzip), the progress on the way, and a
// folder that cannot be written.
#include "ExporterTest.h"

#include "survey/PlotGenerator.h"

#include <QAction>
#include <QDir>
#include <QProgressBar>

#include <regex>
#include <sstream>

namespace lumora::test {
namespace {

// A generated, georeferenced cave of a few surveys, written as cave.plt and opened.
struct TCaveFixture : TExporterFixture {
    std::string Source; // the plot file's text
    std::string CaveFile;
    TCaveFixture() {
        survey::TGenOptions gen;
        gen.Stations = 400;
        gen.Sections = 2;
        gen.Seed = 7;
        std::ostringstream out;
        survey::GeneratePlotFile(out, gen);
        Source = out.str();
        CaveFile = Plot("cave.plt", Source);
        EXPECT_TRUE(Form->OpenPlotFile(CaveFile));
    }
    // Lines of the plot file that start with letter, within survey (N) blocks only when
    // surveysOnly.
    int Lines(char letter, bool surveysOnly) const {
        std::istringstream in(Source);
        int count = 0;
        bool inSurvey = false;
        for (std::string line; std::getline(in, line);) {
            if (line.empty())
                continue;
            if (line[0] == 'N' || line[0] == 'F')
                inSurvey = line[0] == 'N';
            count += line[0] == letter && (inSurvey || !surveysOnly);
        }
        return count;
    }
    std::string Folder(const std::string& name) const {
        std::filesystem::create_directories(Dir.File(name));
        return Dir.File(name);
    }
};

int FeatureCount(const std::string& ogrinfo) {
    std::smatch m;
    return std::regex_search(ogrinfo, m, std::regex("Feature Count: ([0-9]+)")) ? std::stoi(m[1])
                                                                                : -1;
}

TEST(ExporterExport, WithoutAPlotFileEveryButtonWarnsNoPlotFileLoadAndAsksNothing) {
    TExporterFixture f;
    auto dialog = NoDialog(f.Form->SaveDialog());
    for (const char* button : {"ExportShapeBtn", "ExportVRMLBtn", "ExportDXFBtn", "ExportKMLBtn"})
        f.Click(button);
    EXPECT_EQ(f.Ui.Warnings, std::vector<std::string>(4, "No Plot File Load."));
    EXPECT_TRUE(f.Ui.Questions.empty());
}

TEST(ExporterExport, ShapefileButtonWritesASetGdalReadsAndAnArchiveUnzipPasses) {
    ASSERT_TRUE(HaveProgram("ogrinfo")) << "the peer check needs ogrinfo (gdal-bin)";
    ASSERT_TRUE(HaveProgram("unzip")) << "the peer check needs unzip";
    TCaveFixture f;
    f.Radio("DataTypeRadio", "Survey Shots")->click();
    ASSERT_TRUE(f.Find<QCheckBox>("ZipShapeChk")->isChecked());
    std::vector<std::string> statuses;
    std::vector<int> gauges;
    f.Ui.OnPendingEvents = [&] {
        statuses.push_back(f.Text("StatusDis").toStdString());
        gauges.push_back(f.Find<QProgressBar>("ProgressGauge")->value());
    };
    const std::string out = f.Folder("gis");
    TSeenFileDialog seen;
    {
        auto answer = ChooseFile(f.Form->SaveDialog(), out + "/shots", &seen);
        f.Click("ExportShapeBtn");
    }
    EXPECT_EQ(seen.Title, "Save Plot As Shape File");
    EXPECT_EQ(seen.Filters, QStringList({"Shapefile sets (*.shp *.shx *.dbf)", "All Files (*)"}));
    EXPECT_EQ(seen.Proposed, "cave_3Dshots");
    EXPECT_EQ(seen.DefaultSuffix, "");
    EXPECT_EQ(f.Text("ArcFileDis"), "shots.shp");
    EXPECT_EQ(f.Text("StatusDis"), "Conversion Completed");
    EXPECT_EQ(f.Find<QProgressBar>("ProgressGauge")->value(), 100);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Processing Data"), statuses.end());
    EXPECT_NE(std::find_if(gauges.begin(), gauges.end(), [](int g) { return g > 0 && g < 100; }),
              gauges.end());
    EXPECT_EQ(QDir::currentPath().toStdString(), out);
    EXPECT_TRUE(f.Ui.Warnings.empty()) << f.Ui.Warnings[0];

    const CommandResult gdal = RunCommand("ogrinfo -ro -al -so " + ShellQuote(out + "/shots.shp"));
    ASSERT_EQ(gdal.ExitCode, 0) << gdal.Err;
    EXPECT_NE(gdal.Out.find("Line String"), std::string::npos) << gdal.Out;
    EXPECT_EQ(FeatureCount(gdal.Out), f.Lines('D', true)); // one per shot, hidden ones left out
    EXPECT_NE(gdal.Out.find("FR_STATION"), std::string::npos);
    const CommandResult zip = RunCommand("unzip -t " + ShellQuote(out + "/shots.zip"));
    EXPECT_EQ(zip.ExitCode, 0) << zip.Out << zip.Err;
    const CommandResult list = RunCommand("unzip -Z1 " + ShellQuote(out + "/shots.zip"));
    EXPECT_EQ(list.Out, "shots.shp\nshots.shx\nshots.dbf\nshots.prj\n");

    // Without the archive, and with the set's files there already: the question, then no.
    f.Find<QCheckBox>("ZipShapeChk")->click();
    f.Radio("DataTypeRadio", "Stations")->click();
    f.Ui.Answers = {false};
    {
        auto answer = ChooseFile(f.Form->SaveDialog(), out + "/shots");
        f.Click("ExportShapeBtn");
    }
    ASSERT_EQ(f.Ui.Questions.size(), 1u);
    EXPECT_EQ(FeatureCount(RunCommand("ogrinfo -ro -al -so " + ShellQuote(out + "/shots.shp")).Out),
              f.Lines('D', true)); // untouched
    {
        auto answer = ChooseFile(f.Form->SaveDialog(), out + "/stations");
        f.Click("ExportShapeBtn");
    }
    EXPECT_TRUE(std::filesystem::exists(out + "/stations.shp"));
    EXPECT_FALSE(std::filesystem::exists(out + "/stations.zip"));
    const CommandResult points =
        RunCommand("ogrinfo -ro -al -so " + ShellQuote(out + "/stations.shp"));
    EXPECT_NE(points.Out.find("Geometry: 3D Measured Point"), std::string::npos) << points.Out;
}

TEST(ExporterExport, VrmlButtonWritesAWorldTheVrmlParserReads) {
    ASSERT_TRUE(HaveProgram("tovrmlx3d")) << "the VRML peer check needs tovrmlx3d (view3dscene)";
    TCaveFixture f;
    f.Find<QCheckBox>("DoShotLineChk")->click();
    f.Find<QCheckBox>("PassDepthChk")->click();
    TSeenFileDialog seen;
    const std::string out = f.Folder("vr") + "/world.wrl";
    {
        auto answer = ChooseFile(f.Form->SaveDialog(), out, &seen);
        f.Click("ExportVRMLBtn");
    }
    EXPECT_EQ(seen.Title, "Save Plot As VRML File");
    EXPECT_EQ(seen.Filters, QStringList({"WRL Files (*.wrl)", "All Files (*)"}));
    EXPECT_EQ(seen.Proposed, "cave.wrl");
    EXPECT_EQ(seen.DefaultSuffix, "wrl");
    EXPECT_EQ(f.Text("ArcFileDis"), "world.wrl");
    EXPECT_EQ(f.Text("StatusDis"), "Conversion Completed");
    EXPECT_EQ(QDir::currentPath().toStdString(), f.Dir.File("vr"));
    const CommandResult peer = RunCommand("tovrmlx3d " + ShellQuote(out));
    EXPECT_EQ(peer.ExitCode, 0);
    EXPECT_EQ(peer.Err, "");
    EXPECT_NE(peer.Out.find("IndexedFaceSet"), std::string::npos);
    EXPECT_NE(peer.Out.find("IndexedLineSet"), std::string::npos);
    EXPECT_NE(peer.Out.find("colorPerVertex FALSE"), std::string::npos);
    EXPECT_TRUE(f.Ui.Warnings.empty());
}

TEST(ExporterExport, DxfButtonWritesADrawingEzdxfAndGdalRead) {
    ASSERT_TRUE(HaveProgram("ogrinfo")) << "the DXF peer check needs ogrinfo (gdal-bin)";
    TCaveFixture f;
    f.Radio("UnitRadio", "Meters")->click();
    TSeenFileDialog seen;
    const std::string out = f.Folder("cad") + "/plan.dxf";
    {
        auto answer = ChooseFile(f.Form->SaveDialog(), out, &seen);
        f.Click("ExportDXFBtn");
    }
    EXPECT_EQ(seen.Title, "Save Plot As DXF File");
    EXPECT_EQ(seen.Filters, QStringList({"DXF Files (*.dxf)", "All Files (*)"}));
    EXPECT_EQ(seen.Proposed, "cave.dxf");
    EXPECT_EQ(seen.DefaultSuffix, "DXF");
    EXPECT_EQ(f.Text("StatusDis"), "Done");
    const CommandResult gdal = RunCommand("ogrinfo -ro -al -so " + ShellQuote(out));
    EXPECT_EQ(gdal.ExitCode, 0) << gdal.Err;
    EXPECT_GT(FeatureCount(gdal.Out), 0) << gdal.Out;
    const CommandResult ezdxf =
        RunCommand("/usr/bin/python3 -c \"import sys, ezdxf\n"
                   "doc = ezdxf.readfile(sys.argv[1])\n"
                   "auditor = doc.audit()\n"
                   "print('errors', len(auditor.errors))\n"
                   "print('layers', sorted(l.dxf.name for l in doc.layers))\n"
                   "print('depth', [t.dxf.text for t in doc.modelspace().query('TEXT')\n"
                   "                if t.dxf.layer == 'DEPTH'][:3])\" " +
                   ShellQuote(out));
    ASSERT_EQ(ezdxf.ExitCode, 0) << "the DXF peer check needs /usr/bin/python3 with ezdxf\n"
                                 << ezdxf.Err;
    EXPECT_NE(ezdxf.Out.find("errors 0\n"), std::string::npos) << ezdxf.Out;
    // Surveys on separate layers (the default): a layer of each survey's name.
    std::istringstream in(f.Source);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == 'N') {
            EXPECT_NE(ezdxf.Out.find("'" + line.substr(1, line.find(' ') - 1) + "'"),
                      std::string::npos)
                << line << "\n"
                << ezdxf.Out;
        }
    }
    // "Meters": the depth labels are in metres.
    EXPECT_NE(ezdxf.Out.find("M.'"), std::string::npos) << ezdxf.Out;
}

TEST(ExporterExport, KmlButtonWritesADocumentGdalReadsAfterItsChecks) {
    ASSERT_TRUE(HaveProgram("ogrinfo")) << "the KML peer check needs ogrinfo (gdal-bin)";
    TCaveFixture f;
    f.Radio("OverlayTypeRadio", "Survey Shot Lines")->click();
    TSeenFileDialog seen;
    const std::string out = f.Folder("globe") + "/lines.kml";
    {
        auto answer = ChooseFile(f.Form->SaveDialog(), out, &seen);
        f.Click("ExportKMLBtn");
    }
    EXPECT_EQ(seen.Title, "Save Plot As KML File");
    EXPECT_EQ(seen.Filters, QStringList({"KML Files (*.kml)", "All Files (*)"}));
    EXPECT_EQ(seen.Proposed, "cave.kml");
    EXPECT_EQ(seen.DefaultSuffix, "KML");
    EXPECT_EQ(f.Text("StatusDis"), "Conversion Completed");
    const CommandResult gdal = RunCommand("GDAL_SKIP=KML ogrinfo -ro -al " + ShellQuote(out));
    EXPECT_EQ(gdal.ExitCode, 0) << gdal.Err;
    EXPECT_NE(gdal.Out.find("using driver `LIBKML'"), std::string::npos) << gdal.Out;
    EXPECT_NE(gdal.Out.find("MULTILINESTRING"), std::string::npos);
    EXPECT_NE(ReadFile(out).find("<width>4</width>"), std::string::npos);

    f.Radio("OverlayTypeRadio", "Passage Polygons")->click();
    {
        auto answer = ChooseFile(f.Form->SaveDialog(), f.Dir.File("globe/walls.kml"));
        f.Click("ExportKMLBtn");
    }
    const CommandResult polygons =
        RunCommand("GDAL_SKIP=KML ogrinfo -ro -al " + ShellQuote(f.Dir.File("globe/walls.kml")));
    EXPECT_NE(polygons.Out.find("MULTIPOLYGON"), std::string::npos) << polygons.Out;

    // A plot file without georeference data: the warning, and no dialog.
    ASSERT_TRUE(f.Form->OpenPlotFile(
        f.Plot("local.plt", "Z 0 10 0 10 0 0\r\nSMain\r\nNA D 1 1 2000 C\r\n"
                            "M 0 0 0 SA0 P 1 1 1 1 I 0.00\r\nD 10 0 0 SA1 P 1 1 1 1 I 10.00\r\n"
                            "X 0 10 0 0 0 0\r\n")));
    {
        auto dialog = NoDialog(f.Form->SaveDialog());
        f.Click("ExportKMLBtn");
    }
    ASSERT_EQ(f.Ui.Warnings.size(), 1u);
    EXPECT_EQ(f.Ui.Warnings[0].rfind("No Georeference Data In Plot File.", 0), 0u);
}

TEST(ExporterExport, AFolderThatCannotBeWrittenShowsTheEnginesErrorAndNothingIsDone) {
    TCaveFixture f;
    WriteFile(f.Dir.File("blocker"), "a file where a folder should be");
    const std::vector<std::pair<const char*, const char*>> exports = {
        {"ExportShapeBtn", "set"},
        {"ExportVRMLBtn", "world.wrl"},
        {"ExportDXFBtn", "plan.dxf"},
        {"ExportKMLBtn", "globe.kml"}};
    for (const auto& [button, name] : exports) {
        f.Ui.Warnings.clear();
        const std::string target = f.Dir.File("blocker") + "/" + name;
        {
            auto answer = ChooseFile(f.Form->SaveDialog(), target);
            f.Click(button);
        }
        ASSERT_EQ(f.Ui.Warnings.size(), 1u) << button;
        EXPECT_NE(f.Ui.Warnings[0].find(f.Dir.File("blocker") + "/"), std::string::npos)
            << button << ": " << f.Ui.Warnings[0];
        EXPECT_EQ(f.Text("StatusDis"), "Conversion Failed") << button;
        EXPECT_TRUE(f.Form->Pages().Tabs->isEnabled()); // the window works again
    }
    EXPECT_EQ(FolderEntries(f.Dir.Path().string()),
              (std::vector<std::string>{"blocker", "cave.plt", "config"}));
}

} // namespace
} // namespace lumora::test
