#include "exporter/ShapeGlobal.h"
#include "exporter/ShapeExport.h"
#include "exporter/ShapeSurvey.h"
#include "platform/Error.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>

using namespace lumora::exporter;
using namespace lumora::test;
using lumora::survey::T3DVector;
using lumora::survey::TPlotData;
using lumora::survey::TPlotRecord;

namespace {

std::int32_t Int32BE(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return static_cast<std::int32_t>(v);
}

std::int32_t Int32LE(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return static_cast<std::int32_t>(v);
}

double DoubleLE(const std::string& b, std::size_t at) {
    double v;
    std::memcpy(&v, b.data() + at, 8);
    return v;
}

// A loaded plot of one survey whose records have the given types, at x = 10 * index.
void MakePlot(TPlotData& data, const std::string& types) {
    data.ClearPlotData();
    lumora::survey::TSectionRecord section;
    section.Name.Assign("Main");
    data.Sections.AddSection(section);
    lumora::survey::TSurveyRecord survey;
    survey.Name.Assign("A");
    data.Surveys.Add(survey);
    for (std::size_t i = 0; i < types.size(); ++i) {
        TPlotRecord r;
        r.RecordType = types[i];
        r.Station.Assign("S" + std::to_string(i));
        r.Position = {10.0 * i, 5.0, -1.0 * i};
        data.Shots.Add(r);
    }
    data.MinBounds = {0, 5, 1 - static_cast<double>(types.size())};
    data.MaxBounds = {10.0 * (types.size() - 1), 5, 0};
    data.Loaded = true;
}

struct TOpenSet {
    TempDir Dir;
    RecordingUi Ui;
    TPlotData Data;
    std::unique_ptr<TShapeWriter> Writer;
    std::vector<std::string> Statuses;

    explicit TOpenSet(const std::string& types, TShapeKind kind = skLine, bool threeD = true) {
        MakePlot(Data, types);
        Writer = std::make_unique<TShapeWriter>(Data, Io());
        EXPECT_TRUE(Writer->OpenShapeFiles("cave.plt", kind, threeD));
        TShapeWriter::WriteShapeHeader(Writer->MainFile(), Writer->ShapeType(), Data.MinBounds,
                                       Data.MaxBounds);
        TShapeWriter::WriteShapeHeader(Writer->IndexFile(), Writer->ShapeType(), Data.MinBounds,
                                       Data.MaxBounds);
    }
    TShapeExportIo Io() {
        TShapeExportIo io;
        io.Ui = &Ui;
        io.ChooseSetName = [this](const std::string& offered) {
            return std::optional<std::string>(Dir.File(offered));
        };
        io.ShowStatus = [this](const std::string& s) { Statuses.push_back(s); };
        return io;
    }
    std::string Main() { return ReadFile(Writer->MainFileName()); }
    std::string Index() { return ReadFile(Writer->IndexFileName()); }
};

// The run polyline of the whole plot, and the record's bytes after its 8-byte header.
std::string RunRecord(TOpenSet& set, bool includeHidden) {
    set.Writer->AddShape([&](TBinaryFile& main) {
        set.Writer->WriteRunPolyline(main, 0, set.Data.Shots.Count() - 1, set.Data.MinBounds,
                                     set.Data.MaxBounds, -7, 0, includeHidden, false);
    });
    set.Writer->CloseShapeFiles();
    return set.Main().substr(108);
}

} // namespace

TEST(ShapeGlobal, HeaderFieldsAndByteOrders) {
    TOpenSet set("MD");
    set.Writer->CloseShapeFiles();
    const std::string main = set.Main();
    ASSERT_EQ(main.size(), 100u);
    EXPECT_EQ(Int32BE(main, 0), 9994);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Int32BE(main, 4 + 4 * i), 0);
    EXPECT_EQ(Int32BE(main, 24), 50);
    EXPECT_EQ(Int32LE(main, 28), 1000);
    EXPECT_EQ(Int32LE(main, 32), 13);
    EXPECT_EQ(DoubleLE(main, 36), 0.0);
    EXPECT_EQ(DoubleLE(main, 44), 5.0);
    EXPECT_EQ(DoubleLE(main, 52), 10.0);
    EXPECT_EQ(DoubleLE(main, 68), -1.0);
    EXPECT_EQ(DoubleLE(main, 76), 0.0);
    EXPECT_EQ(main.substr(84, 8), std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xEF\xFF", 8));
    EXPECT_EQ(main.substr(92, 8), main.substr(84, 8));
    EXPECT_EQ(set.Index(), main);
}

TEST(ShapeGlobal, ShapeTypesFollowKindAndDimension) {
    const std::pair<TShapeKind, std::array<int, 2>> expected[] = {{skPoint, {11, 1}},
                                                                  {skLine, {13, 3}},
                                                                  {skArea, {15, 5}},
                                                                  {skPrism, {15, 15}},
                                                                  {skMultipatch, {31, 31}}};
    for (const auto& [kind, types] : expected) {
        EXPECT_EQ(ShapeTypeOf(kind, true), types[0]) << kind;
        EXPECT_EQ(ShapeTypeOf(kind, false), types[1]) << kind;
    }
}

TEST(ShapeGlobal, RunRuleStartsAPartAtEveryMoveFollowedByADraw) {
    TOpenSet set("MDDMDM");
    const std::string r = RunRecord(set, false);
    EXPECT_EQ(Int32LE(r, 0), 13);
    EXPECT_EQ(Int32LE(r, 36), 2); // parts
    EXPECT_EQ(Int32LE(r, 40), 5); // points: the final move gives none
    EXPECT_EQ(Int32LE(r, 44), 0);
    EXPECT_EQ(Int32LE(r, 48), 3);
    const std::size_t xy = 52;
    const double xs[] = {0, 10, 20, 30, 40};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(DoubleLE(r, xy + 16 * i), xs[i]);
    const std::size_t z = xy + 16 * 5;
    EXPECT_EQ(DoubleLE(r, z), -7.0);
    EXPECT_EQ(DoubleLE(r, z + 8), 0.0);
    EXPECT_EQ(DoubleLE(r, z + 16 + 8 * 4), -4.0);
    EXPECT_EQ(r.size(), z + 16 + 5 * 8 + 16 + 5 * 8);
}

// A left-out hidden draw breaks the run as a move would: no line joins the stations on either
// side of it, and the next part starts at the hidden record.
TEST(ShapeGlobal, ALeftOutHiddenDrawBreaksTheRunAsAMove) {
    auto xs = [](const std::string& r) {
        const int parts = Int32LE(r, 36);
        std::vector<double> out;
        for (int i = 0; i < Int32LE(r, 40); ++i)
            out.push_back(DoubleLE(r, 44 + 4 * parts + 16 * i));
        return out;
    };
    TOpenSet excluded("MDdD");
    std::string r = RunRecord(excluded, false);
    EXPECT_EQ(Int32LE(r, 36), 2);
    EXPECT_EQ(Int32LE(r, 44), 0);
    EXPECT_EQ(Int32LE(r, 48), 2);
    EXPECT_EQ(xs(r), (std::vector<double>{0, 10, 20, 30}));
    TOpenSet included("MDdD");
    r = RunRecord(included, true);
    EXPECT_EQ(Int32LE(r, 36), 1);
    EXPECT_EQ(xs(r), (std::vector<double>{0, 10, 20, 30}));
    TOpenSet hiddenFirst("MdD");
    r = RunRecord(hiddenFirst, false);
    EXPECT_EQ(Int32LE(r, 36), 1);
    EXPECT_EQ(xs(r), (std::vector<double>{10, 20}));
    TOpenSet twoHidden("MDddDd");
    r = RunRecord(twoHidden, false);
    EXPECT_EQ(Int32LE(r, 36), 2);
    EXPECT_EQ(xs(r), (std::vector<double>{0, 10, 30, 40}));
}

// The header's box holds every record, in both files: the box the layer gave at the start
// (the plot's bounds) is replaced by that of the points written.
TEST(ShapeGlobal, HeaderBoxIsTheBoxOfTheRecordsWritten) {
    for (bool threeD : {true, false}) {
        TOpenSet set("MDD", skLine, threeD);
        set.Writer->AddShape([&](TBinaryFile& main) {
            set.Writer->WriteSegmentPolyline(main, {-3, 7, 2}, {25, -1, -9});
        });
        set.Writer->AddShape([&](TBinaryFile& main) {
            set.Writer->WriteSegmentPolyline(main, {1, 2, 3}, {4, 40, 6});
        });
        set.Writer->CloseShapeFiles();
        const double box[] = {-3, -1, 25, 40, -9, 6};
        for (const std::string& file : {set.Main(), set.Index()})
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(DoubleLE(file, 36 + 8 * i), box[i]) << threeD << " " << i;
    }
}

TEST(ShapeGlobal, RecordsAreNumberedAndIndexed) {
    TOpenSet set("MDD", skLine, false);
    for (int i = 0; i < 3; ++i)
        set.Writer->AddShape([&](TBinaryFile& main) {
            set.Writer->WriteSegmentPolyline(main, {0, 0, 0}, {1.0 + i, 2, 3});
        });
    set.Writer->CloseShapeFiles();
    const std::string main = set.Main();
    const std::string index = set.Index();
    const int content = 4 + 32 + 4 + 4 + 4 + 2 * 16; // 2D two-point line
    ASSERT_EQ(main.size(), 100u + 3 * (8 + content));
    ASSERT_EQ(index.size(), 100u + 3 * 8);
    EXPECT_EQ(Int32BE(main, 24), static_cast<int>(main.size() / 2));
    EXPECT_EQ(Int32BE(index, 24), static_cast<int>(index.size() / 2));
    for (int i = 0; i < 3; ++i) {
        const std::size_t at = 100 + i * (8 + content);
        EXPECT_EQ(Int32BE(main, at), i + 1);
        EXPECT_EQ(Int32BE(main, at + 4), content / 2);
        EXPECT_EQ(Int32BE(index, 100 + 8 * i), static_cast<int>(at / 2));
        EXPECT_EQ(Int32BE(index, 104 + 8 * i), content / 2);
        EXPECT_EQ(DoubleLE(main, at + 8 + 20), 1.0 + i); // box Xmax
    }
}

TEST(ShapeGlobal, OutlineRingRunsC0C2C3C1) {
    TOpenSet set("MD", skArea, true);
    const std::array<T3DVector, 4> c{T3DVector{0, 0, 1}, T3DVector{1, 0, 2}, T3DVector{0, 5, 3},
                                     T3DVector{1, 5, 4}};
    set.Writer->AddShape([&](TBinaryFile& main) { set.Writer->WriteOutlinePolygon(main, c); });
    set.Writer->CloseShapeFiles();
    const std::string r = set.Main().substr(108);
    EXPECT_EQ(Int32LE(r, 0), 15);
    EXPECT_EQ(Int32LE(r, 36), 1);
    EXPECT_EQ(Int32LE(r, 40), 5);
    const int order[] = {0, 2, 3, 1, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(DoubleLE(r, 48 + 16 * i), c[order[i]].X);
        EXPECT_EQ(DoubleLE(r, 56 + 16 * i), c[order[i]].Y);
        EXPECT_EQ(DoubleLE(r, 48 + 80 + 16 + 8 * i), c[order[i]].Z);
    }
    EXPECT_EQ(r.size(), 48u + 80 + 16 + 40 + 16 + 40);
}

TEST(ShapeGlobal, MultipatchFaceHasOneOuterRingPart) {
    TOpenSet set("MD", skMultipatch, false);
    const std::array<T3DVector, 4> p{T3DVector{0, 0, 0}, T3DVector{0, 0, 1}, T3DVector{1, 0, 1},
                                     T3DVector{1, 0, 0}};
    set.Writer->AddShape([&](TBinaryFile& main) { set.Writer->WriteFacePolygon(main, p); });
    set.Writer->CloseShapeFiles();
    const std::string r = set.Main().substr(108);
    EXPECT_EQ(Int32LE(r, 0), 31);
    EXPECT_EQ(Int32LE(r, 44), 0); // part start
    EXPECT_EQ(Int32LE(r, 48), 2); // outer ring
    EXPECT_EQ(DoubleLE(r, 52 + 16 * 4), 0.0);
    EXPECT_EQ(DoubleLE(r, 52 + 16 * 2), 1.0);
    EXPECT_EQ(r.size(), 52u + 80 + 16 + 40 + 16 + 40);
}

TEST(ShapeGlobal, OfferedNamesCarryDimensionAndDataType) {
    EXPECT_EQ(DefaultSetName("/caves/cave.plt", true, TShapeDataType::Stations), "cave_3Dsta");
    EXPECT_EQ(DefaultSetName("cave.plt", false, TShapeDataType::SplitShots), "cave_2Dsplt");
    EXPECT_EQ(DefaultSetName("a.b.plf", true, TShapeDataType::MultipatchBoundingPolygon),
              "a.b_3Dmbound");
    EXPECT_EQ(DefaultSetName("cave.plt", true, static_cast<TShapeDataType>(11)), "cave_3D___");
}

TEST(ShapeGlobal, NoPlotFileMeansNoSet) {
    TempDir dir;
    RecordingUi ui;
    TPlotData data;
    TShapeExportIo io;
    io.Ui = &ui;
    io.ChooseSetName = [&](const std::string& n) { return std::optional(dir.File(n)); };
    TShapeWriter w(data, io);
    EXPECT_FALSE(w.OpenShapeFiles("cave.plt", skPoint, true));
    EXPECT_EQ(ui.Warnings, std::vector<std::string>{"No Plot File Open"});
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(ShapeGlobal, ReplacingAsksAboutTheExistingFilesOnly) {
    TempDir dir;
    RecordingUi ui;
    TPlotData data;
    MakePlot(data, "MD");
    WriteFile(dir.File("set.prj"), "old prj");
    WriteFile(dir.File("set.dbf"), "old dbf");
    TShapeExportIo io;
    io.Ui = &ui;
    io.ChooseSetName = [&](const std::string&) { return std::optional(dir.File("set.shp")); };
    TShapeWriter w(data, io);
    EXPECT_FALSE(w.OpenShapeFiles("cave.plt", skPoint, true));
    ASSERT_EQ(ui.Questions.size(), 1u);
    EXPECT_EQ(ui.Questions[0], "The files: \r\nset.dbf\r\nset.prj\r\nalready exist.\r\n"
                               "Do you want to replace them?");
    EXPECT_FALSE(std::filesystem::exists(dir.File("set.shp")));
    EXPECT_EQ(ReadFile(dir.File("set.dbf")), "old dbf");

    ui.Answers.push_back(true);
    ASSERT_TRUE(w.OpenShapeFiles("cave.plt", skPoint, true));
    EXPECT_EQ(w.MainFileName(), dir.File("set.shp"));
    w.CloseShapeFiles();
    EXPECT_NE(ReadFile(dir.File("set.dbf")), "old dbf");
}

TEST(ShapeGlobal, CancelledDialogWritesNothing) {
    TempDir dir;
    RecordingUi ui;
    TPlotData data;
    MakePlot(data, "MD");
    TShapeExportIo io;
    io.Ui = &ui;
    io.ChooseSetName = [](const std::string&) { return std::optional<std::string>(); };
    TExportOptions options;
    EXPECT_FALSE(ExportShapefile(data, "cave.plt", options, io));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(ShapeGlobal, MetresConvertBoxesAndPoints) {
    TempDir dir;
    RecordingUi ui;
    TPlotData data;
    MakePlot(data, "MDD");
    TShapeExportIo io;
    io.Ui = &ui;
    io.ChooseSetName = [&](const std::string& n) { return std::optional(dir.File(n)); };
    TShapeWriter w(data, io);
    w.FeetToMeters = 0.5;
    TExportOptions o;
    o.Meters = true;
    ASSERT_TRUE(ExportSurveys(w, "cave.plt", o));
    const std::string main = ReadFile(w.MainFileName());
    EXPECT_EQ(DoubleLE(main, 52), 10.0); // header Xmax 20 ft
    EXPECT_EQ(DoubleLE(main, 68), -1.0); // header Zmin -2 ft
    const std::string r = main.substr(108);
    EXPECT_EQ(DoubleLE(r, 4), 0.0);
    EXPECT_EQ(DoubleLE(r, 4 + 16), 0.0);             // survey box as given by the survey record
    EXPECT_EQ(DoubleLE(r, 48 + 16 * 2), 10.0);       // third point's X
    EXPECT_EQ(DoubleLE(r, 48 + 48 + 16 + 16), -1.0); // third point's Z
}

TEST(ShapeGlobal, FailedWritesNameTheFileAndLeaveNoProjectionOrArchive) {
    TempDir dir;
    RecordingUi ui;
    TPlotData data;
    MakePlot(data, "MDDDDDDDDDDDDDDDDDDD");
    std::vector<std::string> statuses;
    TShapeExportIo io;
    io.Ui = &ui;
    io.ChooseSetName = [&](const std::string&) { return std::optional(dir.File("set")); };
    io.ShowStatus = [&](const std::string& s) { statuses.push_back(s); };
    TExportOptions options;
    options.ZipShape = true;
    try {
        FileSizeLimit full(300); // the disk fills while the shapes are written
        ExportShapefile(data, "cave.plt", options, io);
        FAIL() << "no exception";
    } catch (const lumora::WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.File("set.")), std::string::npos) << e.what();
    }
    EXPECT_TRUE(std::filesystem::exists(dir.File("set.shp"))); // the set keeps what it wrote
    EXPECT_FALSE(std::filesystem::exists(dir.File("set.prj")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("set.zip")));
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), kCompletedText), 0);

    // A name that cannot hold the set is refused before anything is written or asked.
    TempDir other;
    std::filesystem::create_directory(other.File("set.dbf"));
    io.ChooseSetName = [&](const std::string&) { return std::optional(other.File("set")); };
    try {
        ExportShapefile(data, "cave.plt", options, io);
        FAIL() << "no exception";
    } catch (const lumora::WriteError& e) {
        EXPECT_EQ(std::string(e.what()), other.File("set.dbf") + ": Is a directory");
    }
    EXPECT_EQ(FolderEntries(other.Path().string()), std::vector<std::string>{"set.dbf"});
    EXPECT_TRUE(ui.Questions.empty());

    TExportOptions again;
    io.ChooseSetName = [&](const std::string&) { return std::optional(dir.File("no/such/set")); };
    EXPECT_THROW(ExportShapefile(data, "cave.plt", again, io), lumora::WriteError);
}
