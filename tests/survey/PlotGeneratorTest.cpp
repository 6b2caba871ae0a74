// Tests of the synthetic plot file generator: the same bytes for the same seed, the shape of the
// text, and that the plot reader finds in a generated file exactly what the generator reports.
#include "survey/PlotGenerator.h"

#include "platform/Error.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"
#include "survey/PlotReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::survey {
namespace {

using test::FileSizeLimit;
using test::FolderEntries;
using test::ReadFile;
using test::TempDir;

std::string Generate(const TGenOptions& options, TGenStats* stats = nullptr) {
    std::ostringstream out;
    const TGenStats s = GeneratePlotFile(out, options);
    if (stats)
        *stats = s;
    return out.str();
}

TGenOptions Options(std::uint64_t seed, std::int64_t stations) {
    TGenOptions o;
    o.Seed = seed;
    o.Stations = stations;
    return o;
}

// Lines without their line ends (LF, with a CR before it when there is one).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::int64_t StationLineCount(const std::string& text) {
    std::int64_t n = 0;
    for (const std::string& line : Lines(text))
        n += !line.empty() && std::string_view("MDdL").find(line[0]) != std::string_view::npos;
    return n;
}

TEST(PlotGenerator, SameSeedAndOptionsGiveIdenticalBytes) {
    const TGenOptions o = Options(42, 3000);
    const std::string first = Generate(o);
    EXPECT_EQ(first, Generate(o));
    TGenOptions south = o;
    south.Southern = true;
    south.LineEnd = TLineEnd::Lf;
    EXPECT_EQ(Generate(south), Generate(south));
}

TEST(PlotGenerator, DifferentSeedsGiveDifferentFiles) {
    const std::string a = Generate(Options(1, 2000));
    const std::string b = Generate(Options(2, 2000));
    EXPECT_NE(a, b);
    // Not merely a different header: the station lines differ too.
    EXPECT_NE(Lines(a)[10], Lines(b)[10]);
}

TEST(PlotGenerator, WritesExactlyTheRequestedNumberOfStationLines) {
    for (std::int64_t n : {0, 1, 2, 3, 9, 10, 11, 57, 1000, 12345}) {
        for (std::int32_t sections : {0, 1, 3, 7}) {
            TGenOptions o = Options(static_cast<std::uint64_t>(n) + 5, n);
            o.Sections = sections;
            TGenStats stats;
            const std::string text = Generate(o, &stats);
            EXPECT_EQ(StationLineCount(text), n) << n << " lines, " << sections << " sections";
            EXPECT_EQ(stats.StationLines, n);
            EXPECT_EQ(stats.MoveLines + stats.DrawLines + stats.HiddenDraws + stats.FeatureLines,
                      n);
        }
    }
}

TEST(PlotGenerator, EveryLineStartsWithAKnownRecordLetter) {
    TGenOptions south = Options(7, 5000);
    south.Southern = true;
    TGenOptions local = Options(8, 5000);
    local.Georeferenced = false;
    local.Sections = 0;
    for (const TGenOptions& o : {Options(6, 20000), south, local}) {
        const std::string text = Generate(o);
        for (const std::string& line : Lines(text)) {
            ASSERT_FALSE(line.empty());
            EXPECT_NE(std::string_view("ZGOSNFMDdLXPR").find(line[0]), std::string_view::npos)
                << line;
        }
    }
}

TEST(PlotGenerator, HeaderIsBoxThenZoneThenDatum) {
    const auto lines = Lines(Generate(Options(3, 500)));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("Z ", 0), 0u);
    EXPECT_EQ(lines[1], "G13");
    EXPECT_EQ(lines[2], "ONorth American 1927");
    EXPECT_EQ(lines[3][0], 'S');
}

TEST(PlotGenerator, SouthernOptionWritesNegativeZoneAndItsDatum) {
    TGenOptions o = Options(3, 500);
    o.Southern = true;
    o.Zone = 19;
    auto lines = Lines(Generate(o));
    EXPECT_EQ(lines[1], "G-19");
    EXPECT_EQ(lines[2], "OWGS 1984");
    o.Datum = "South American 1969";
    lines = Lines(Generate(o));
    EXPECT_EQ(lines[2], "OSouth American 1969");
}

TEST(PlotGenerator, LocalOptionWritesNoZoneAndNoDatum) {
    TGenOptions o = Options(3, 500);
    o.Georeferenced = false;
    for (const std::string& line : Lines(Generate(o))) {
        EXPECT_NE(line[0], 'G');
        EXPECT_NE(line[0], 'O');
    }
}

TEST(PlotGenerator, EndsEveryLineWithCrLfByDefault) {
    const std::string text = Generate(Options(11, 2000));
    const auto lfs = std::count(text.begin(), text.end(), '\n');
    const auto crs = std::count(text.begin(), text.end(), '\r');
    EXPECT_GT(lfs, 2000);
    EXPECT_EQ(crs, lfs);
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        ASSERT_EQ(text[i - 1], '\r') << "bare LF at byte " << i;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(PlotGenerator, LfOptionWritesTheSameTextWithBareLineFeeds) {
    TGenOptions o = Options(11, 2000);
    std::string crlf = Generate(o);
    o.LineEnd = TLineEnd::Lf;
    TGenStats stats;
    const std::string lf = Generate(o, &stats);
    EXPECT_EQ(lf.find('\r'), std::string::npos);
    crlf.erase(std::remove(crlf.begin(), crlf.end(), '\r'), crlf.end());
    EXPECT_EQ(lf, crlf);
    EXPECT_EQ(stats.Bytes, lf.size());
}

TEST(PlotGenerator, CtrlZOptionEndsTheFileWithIt) {
    TGenOptions o = Options(4, 100);
    EXPECT_NE(Generate(o).back(), '\x1a');
    o.EndWithCtrlZ = true;
    const std::string text = Generate(o);
    EXPECT_EQ(text.back(), '\x1a');
    EXPECT_EQ(text.substr(text.size() - 3, 2), "\r\n");
}

TEST(PlotGenerator, StationLinesAverageAbout80Bytes) {
    TGenStats stats;
    const std::string text = Generate(Options(12, 20000), &stats);
    EXPECT_EQ(stats.Bytes, text.size());
    const double perLine = static_cast<double>(text.size()) / 20000.0;
    EXPECT_GT(perLine, 72.0);
    EXPECT_LT(perLine, 88.0);
}

TEST(PlotGenerator, WritesEveryKindOfRecordTheFormatHas) {
    TGenStats stats;
    const std::string text = Generate(Options(13, 20000), &stats);
    EXPECT_EQ(stats.Sections, 3);
    EXPECT_GT(stats.Surveys, 100);
    EXPECT_GT(stats.Features, 5);
    EXPECT_GT(stats.RangedFeatures, 0);
    EXPECT_LT(stats.RangedFeatures, stats.Features);
    EXPECT_GT(stats.ValueLines, 0);
    EXPECT_LT(stats.ValueLines, stats.FeatureLines);
    EXPECT_GE(stats.FixedStations, 3);
    EXPECT_GT(stats.Loops, 10);
    EXPECT_GT(stats.LoopsWithValue, 0);
    EXPECT_LT(stats.LoopsWithValue, stats.Loops);
    EXPECT_GT(stats.HiddenDraws, 0);
    EXPECT_GT(stats.PMarks, 0);
    EXPECT_GT(stats.Comments, stats.PMarks);
    // Missing dimensions in both spellings, escaped quotes, lower-case marker, flags.
    EXPECT_NE(text.find(" -9.00"), std::string::npos);
    EXPECT_NE(text.find(" 999.00"), std::string::npos);
    EXPECT_NE(text.find("\\\""), std::string::npos);
    EXPECT_NE(text.find("{p}"), std::string::npos);
    EXPECT_NE(text.find(" FL"), std::string::npos);
    EXPECT_NE(text.find(" F \"\""), std::string::npos);
}

TEST(PlotGenerator, UnwritablePathThrowsWriteErrorNamingTheFile) {
    TempDir dir;
    const std::string path = dir.File("missing-folder/cave.plt");
    try {
        GeneratePlotFile(path, Options(1, 10));
        FAIL() << "no error";
    } catch (const WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
}

TEST(PlotGenerator, FullDiskThrowsWriteErrorAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("cave.plt");
    GeneratePlotFile(path, Options(1, 10));
    const std::string good = ReadFile(path);
    try {
        FileSizeLimit full(100000);
        GeneratePlotFile(path, Options(1, 50000));
        FAIL() << "no error";
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
    }
    EXPECT_EQ(ReadFile(path), good);
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"cave.plt"});
    EXPECT_THROW(GeneratePlotFile("/dev/full", Options(1, 10)), WriteError);
}

TEST(PlotGenerator, WritesTheFileItReports) {
    TempDir dir;
    const std::string path = dir.File("cave.plt");
    const TGenOptions o = Options(21, 1500);
    const TGenStats stats = GeneratePlotFile(path, o);
    const std::string text = test::ReadFile(path);
    EXPECT_EQ(text, Generate(o));
    EXPECT_EQ(stats.Bytes, text.size());
}

// --- Read back by the plot reader ---------------------------------------------------------

void Load(const std::string& path, TPlotData& data) {
    test::RecordingUi ui;
    LoadPlotFile(data, path, nullptr, ui);
    ASSERT_TRUE(ui.Warnings.empty());
    ASSERT_TRUE(data.Loaded);
}

TGenStats GenerateAndLoad(const TGenOptions& o, TPlotData& data) {
    TempDir dir;
    const std::string path = dir.File("cave.plt");
    const TGenStats stats = GeneratePlotFile(path, o);
    Load(path, data);
    return stats;
}

std::map<char, std::int64_t> RecordTypes(const TPlotData& data) {
    std::map<char, std::int64_t> types;
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i)
        ++types[data.Shots.RecordType(i)];
    return types;
}

void ExpectCountsMatch(const TGenStats& stats, TPlotData& data) {
    ASSERT_EQ(data.Shots.Count(), stats.StationLines);
    auto types = RecordTypes(data);
    EXPECT_EQ(types['M'], stats.MoveLines);
    EXPECT_EQ(types['D'], stats.DrawLines);
    EXPECT_EQ(types['d'], stats.HiddenDraws);
    EXPECT_EQ(types['L'] + types['V'], stats.FeatureLines);
    EXPECT_EQ(types['V'], stats.ValueLines);
    EXPECT_EQ(data.TraverseStarts.Count(), types['M'] + types['L'] + types['V']);

    ASSERT_EQ(data.Surveys.Count(), stats.Surveys + stats.Features);
    std::int32_t features = 0, ranged = 0;
    for (std::int32_t i = 0; i < data.Surveys.Count(); ++i) {
        features += data.Surveys[i].IsFeature ? 1 : 0;
        ranged += data.Surveys[i].SurveyKind == 2 ? 1 : 0;
    }
    EXPECT_EQ(features, stats.Features);
    EXPECT_EQ(ranged, stats.RangedFeatures);

    EXPECT_EQ(data.Sections.Count(), std::max(1, stats.Sections));
    std::int32_t fixed = 0;
    for (std::int32_t i = 0; i < data.Sections.Count(); ++i)
        fixed += data.Sections.FixedStations(i).Count();
    EXPECT_EQ(fixed, stats.FixedStations);

    ASSERT_EQ(data.Loops.Count(), stats.Loops);
    std::int64_t edges = 0;
    std::int32_t withValue = 0;
    for (std::int32_t i = 0; i < data.Loops.Count(); ++i) {
        edges += data.Loops[i].Count();
        withValue += data.Loops[i].HasValue ? 1 : 0;
        EXPECT_GE(data.Loops[i].ReferenceVertex, 0) << "loop " << i;
    }
    // Every edge of every loop was added: all the names of the R lines are known stations.
    EXPECT_EQ(edges, stats.LoopEdges);
    EXPECT_EQ(withValue, stats.LoopsWithValue);

    std::int64_t pMarks = 0;
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i)
        pMarks += data.Shots.Get(i).PMark ? 1 : 0;
    EXPECT_EQ(pMarks, stats.PMarks);
}

TEST(PlotGeneratorReadBack, LoadsWithTheCountsTheGeneratorReports) {
    TGenOptions south = Options(31, 7000);
    south.Southern = true;
    south.Sections = 5;
    TGenOptions bare = Options(32, 3000);
    bare.Sections = 0;
    bare.Georeferenced = false;
    for (const TGenOptions& o : {Options(30, 20000), south, bare}) {
        TPlotData data;
        const TGenStats stats = GenerateAndLoad(o, data);
        ExpectCountsMatch(stats, data);
    }
}

TEST(PlotGeneratorReadBack, ZoneAndDatumReachTheModel) {
    TGenOptions o = Options(33, 300);
    o.Southern = true;
    o.Zone = 55;
    TPlotData data;
    GenerateAndLoad(o, data);
    EXPECT_EQ(data.UTMZone, -55);
    EXPECT_TRUE(data.Georeferenced);
    EXPECT_EQ(data.DatumName, "WGS 1984");

    TGenOptions local = Options(33, 300);
    local.Georeferenced = false;
    TPlotData localData;
    GenerateAndLoad(local, localData);
    EXPECT_EQ(localData.UTMZone, 0);
    EXPECT_FALSE(localData.Georeferenced);
    EXPECT_EQ(localData.DatumName, "");
}

bool Inside(const T3DVector& p, const T3DVector& lo, const T3DVector& hi) {
    return p.X >= lo.X && p.X <= hi.X && p.Y >= lo.Y && p.Y <= hi.Y && p.Z >= lo.Z && p.Z <= hi.Z;
}

TEST(PlotGeneratorReadBack, EveryStationLiesInsideTheZBoxAndItsBlockBox) {
    TPlotData data;
    const TGenStats stats = GenerateAndLoad(Options(34, 15000), data);
    EXPECT_NEAR(data.MinBounds.X, stats.MinBounds.X, 1e-6);
    EXPECT_NEAR(data.MaxBounds.Y, stats.MaxBounds.Y, 1e-6);
    EXPECT_NEAR(data.MinBounds.Z, stats.MinBounds.Z, 1e-6);
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i)
        ASSERT_TRUE(Inside(data.Shots.Position(i), data.MinBounds, data.MaxBounds)) << i;
    for (std::int32_t i = 0; i < data.Sections.Count(); ++i) {
        const auto& fixed = data.Sections.FixedStations(i);
        for (std::int32_t k = 0; k < fixed.Count(); ++k)
            EXPECT_TRUE(Inside(fixed[k].Position, data.MinBounds, data.MaxBounds));
    }
    // The box is tight: some station touches each face.
    double lowZ = 1e300, highX = -1e300;
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i) {
        lowZ = std::min(lowZ, data.Shots.Position(i).Z);
        highX = std::max(highX, data.Shots.Position(i).X);
    }
    EXPECT_DOUBLE_EQ(lowZ, data.MinBounds.Z);
    EXPECT_DOUBLE_EQ(highX, data.MaxBounds.X);
    for (std::int32_t s = 0; s < data.Surveys.Count(); ++s) {
        const TRange r = data.SurveyShotRange(s);
        const TSurveyRecord& survey = data.Surveys[s];
        for (std::int32_t i = r.First; i <= r.Last; ++i)
            ASSERT_TRUE(Inside(data.Shots.Position(i), survey.MinBounds, survey.MaxBounds))
                << survey.Name.Str() << " record " << i;
    }
}

TEST(PlotGeneratorReadBack, RevisitedStationsKeepTheirPosition) {
    TPlotData data;
    GenerateAndLoad(Options(35, 10000), data);
    std::map<std::string, T3DVector> first;
    std::int64_t revisits = 0, revisitingMoves = 0;
    for (std::int32_t i = 0; i < data.Shots.Count(); ++i) {
        const std::string name(data.Shots.Station(i));
        const auto [it, fresh] = first.emplace(name, data.Shots.Position(i));
        if (fresh)
            continue;
        ++revisits;
        revisitingMoves += data.Shots.RecordType(i) == 'M' ? 1 : 0;
        ASSERT_EQ(it->second, data.Shots.Position(i)) << name;
    }
    // Branches start with M at known stations; loops end with D on them.
    EXPECT_GT(revisitingMoves, 100);
    EXPECT_GT(revisits, revisitingMoves);
    // Fixed stations are stations of the survey, at the same place.
    for (std::int32_t s = 0; s < data.Sections.Count(); ++s) {
        const auto& fixed = data.Sections.FixedStations(s);
        for (std::int32_t k = 0; k < fixed.Count(); ++k) {
            const auto it = first.find(fixed[k].Name.Str());
            ASSERT_NE(it, first.end()) << fixed[k].Name.Str();
            EXPECT_EQ(it->second, fixed[k].Position);
        }
    }
}

TEST(PlotGeneratorReadBack, HasPlumbAndSteepShotsMissingDimensionsAndValuesInRange) {
    TPlotData data;
    GenerateAndLoad(Options(36, 20000), data);
    std::int64_t plumb = 0, steep = 0, missing = 0, measured = 0, values = 0;
    for (std::int32_t i = 1; i < data.Shots.Count(); ++i) {
        const TPlotRecord r = data.Shots.Get(i);
        if (r.RecordType == 'V') {
            ++values;
            EXPECT_GE(r.Right, r.Down);
            EXPECT_LE(r.Right, r.Up);
            continue;
        }
        for (float d : {r.Left, r.Up, r.Down, r.Right})
            (d < 0.0f || d > 900.0f ? missing : measured) += 1;
        if (!r.IsDraw())
            continue;
        const T3DVector a = data.Shots.Position(i - 1);
        const double horizontal = std::hypot(r.Position.X - a.X, r.Position.Y - a.Y);
        const double vertical = std::abs(r.Position.Z - a.Z);
        plumb += horizontal == 0.0 && vertical > 0.0 ? 1 : 0;
        steep += horizontal > 0.0 && vertical > 1.4 * horizontal ? 1 : 0;
    }
    EXPECT_GT(plumb, 50);
    EXPECT_GT(steep, 50);
    EXPECT_GT(values, 0);
    EXPECT_GT(missing, 0);
    EXPECT_GT(measured, 10 * missing); // real-looking: mostly measured
}

void ExpectSameRecords(const TPlotRecord& a, const TPlotRecord& b, std::int32_t i) {
    EXPECT_EQ(a.RecordType, b.RecordType) << i;
    EXPECT_EQ(a.Station, b.Station) << i;
    EXPECT_EQ(a.Position, b.Position) << i;
    EXPECT_EQ(a.IValue, b.IValue) << i;
    EXPECT_EQ(a.Left, b.Left) << i;
    EXPECT_EQ(a.Up, b.Up) << i;
    EXPECT_EQ(a.Down, b.Down) << i;
    EXPECT_EQ(a.Right, b.Right) << i;
    EXPECT_EQ(a.ShotNumber, b.ShotNumber) << i;
    EXPECT_EQ(a.Flags, b.Flags) << i;
    EXPECT_EQ(a.PMark, b.PMark) << i;
    EXPECT_EQ(a.Comment, b.Comment) << i;
}

TEST(PlotGeneratorReadBack, LfFileLoadsToTheSameModelAsCrLfFile) {
    TGenOptions o = Options(37, 8000);
    o.Sections = 4;
    TPlotData crlf, lf;
    GenerateAndLoad(o, crlf);
    o.LineEnd = TLineEnd::Lf;
    GenerateAndLoad(o, lf);
    ASSERT_EQ(crlf.Shots.Count(), lf.Shots.Count());
    for (std::int32_t i = 0; i < crlf.Shots.Count(); ++i)
        ExpectSameRecords(crlf.Shots.Get(i), lf.Shots.Get(i), i);
    ASSERT_EQ(crlf.Surveys.Count(), lf.Surveys.Count());
    for (std::int32_t i = 0; i < crlf.Surveys.Count(); ++i) {
        const TSurveyRecord &a = crlf.Surveys[i], &b = lf.Surveys[i];
        EXPECT_EQ(a.Name, b.Name);
        EXPECT_EQ(a.Comment, b.Comment);
        EXPECT_EQ(a.Day, b.Day);
        EXPECT_EQ(a.Month, b.Month);
        EXPECT_EQ(a.Year, b.Year);
        EXPECT_EQ(a.SurveyKind, b.SurveyKind);
        EXPECT_EQ(a.FirstShot, b.FirstShot);
        EXPECT_EQ(a.FirstTraverse, b.FirstTraverse);
        EXPECT_EQ(a.MinBounds, b.MinBounds);
        EXPECT_EQ(a.MaxBounds, b.MaxBounds);
    }
    ASSERT_EQ(crlf.Sections.Count(), lf.Sections.Count());
    for (std::int32_t i = 0; i < crlf.Sections.Count(); ++i) {
        EXPECT_EQ(crlf.Sections[i].Name, lf.Sections[i].Name);
        EXPECT_EQ(crlf.Sections[i].FirstSurvey, lf.Sections[i].FirstSurvey);
        const auto &fa = crlf.Sections.FixedStations(i), &fb = lf.Sections.FixedStations(i);
        ASSERT_EQ(fa.Count(), fb.Count());
        for (std::int32_t k = 0; k < fa.Count(); ++k) {
            EXPECT_EQ(fa[k].Name, fb[k].Name);
            EXPECT_EQ(fa[k].Position, fb[k].Position);
        }
    }
    ASSERT_EQ(crlf.Loops.Count(), lf.Loops.Count());
    for (std::int32_t i = 0; i < crlf.Loops.Count(); ++i) {
        const TEdgeArray &a = crlf.Loops[i], &b = lf.Loops[i];
        ASSERT_EQ(a.Count(), b.Count());
        EXPECT_EQ(a.ReferenceVertex, b.ReferenceVertex);
        EXPECT_EQ(a.HasValue, b.HasValue);
        EXPECT_EQ(a.Value, b.Value);
        for (std::int32_t k = 0; k < a.Count(); ++k) {
            EXPECT_EQ(a.From[k], b.From[k]);
            EXPECT_EQ(a.To[k], b.To[k]);
        }
    }
    EXPECT_EQ(crlf.Graph.VertexCount(), lf.Graph.VertexCount());
    EXPECT_EQ(crlf.TraverseStarts.Count(), lf.TraverseStarts.Count());
    EXPECT_EQ(crlf.MinBounds, lf.MinBounds);
    EXPECT_EQ(crlf.MaxBounds, lf.MaxBounds);
    EXPECT_EQ(crlf.PassageTop, lf.PassageTop);
    EXPECT_EQ(crlf.PassageBottom, lf.PassageBottom);
    EXPECT_EQ(crlf.UTMZone, lf.UTMZone);
    EXPECT_EQ(crlf.DatumName, lf.DatumName);
}

TEST(PlotGeneratorReadBack, WithoutSectionsTheReaderAddsSectionNone) {
    TGenOptions o = Options(38, 400);
    o.Sections = 0;
    TPlotData data;
    const TGenStats stats = GenerateAndLoad(o, data);
    EXPECT_EQ(stats.Sections, 0);
    EXPECT_EQ(stats.FixedStations, 0);
    ASSERT_EQ(data.Sections.Count(), 1);
    EXPECT_EQ(data.Sections[0].Name.Str(), "(None)");
}

// --- lumora gen ---------------------------------------------------------------------------

// The "lumora gen" line of the sample's README, with the output replaced by outputPath.
std::string ReadmeCommand(const std::string& outputPath) {
    const std::string readme =
        test::ReadFile(std::string(LUMORA_SOURCE_DIR) + "/data/sample/README.md");
    for (const std::string& line : Lines(readme)) {
        if (line.rfind("lumora gen ", 0) != 0)
            continue;
        std::istringstream words(line.substr(std::string("lumora ").size()));
        std::string command = test::ShellQuote(test::LumoraCli()), word;
        bool output = false;
        while (words >> word) {
            command += " " + (output ? test::ShellQuote(outputPath) : word);
            output = word == "-o";
        }
        return command;
    }
    ADD_FAILURE() << "no lumora gen line in data/sample/README.md";
    return "false";
}

TEST(GenCommand, SampleCaveIsWhatTheReadmeCommandWritesToday) {
    TempDir dir;
    const std::string fresh = dir.File("sample.plt");
    const auto result = test::RunCommand(ReadmeCommand(fresh));
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    const std::string committed =
        test::ReadFile(std::string(LUMORA_SOURCE_DIR) + "/data/sample/sample-cave.plt");
    EXPECT_TRUE(test::ReadFile(fresh) == committed)
        << "data/sample/sample-cave.plt is stale: rerun the command in data/sample/README.md";
    EXPECT_LT(committed.size(), 500u * 1024u);
}

TEST(GenCommand, SampleCaveLoadsAsAFewThousandStations) {
    TPlotData data;
    Load(std::string(LUMORA_SOURCE_DIR) + "/data/sample/sample-cave.plt", data);
    EXPECT_GE(data.Shots.Count(), 2000);
    EXPECT_LE(data.Shots.Count(), 6000);
    EXPECT_EQ(data.Sections.Count(), 3);
    EXPECT_TRUE(data.Georeferenced);
}

TEST(GenCommand, DashWritesStandardOutputWithTheGivenOptions) {
    const auto result = test::RunCommand(test::ShellQuote(test::LumoraCli()) +
                                         " gen -o - --stations 700 --seed 9 --lf --sections 2 "
                                         "--south --zone 21 --datum 'South American 1969'");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    TGenOptions o = Options(9, 700);
    o.LineEnd = TLineEnd::Lf;
    o.Sections = 2;
    o.Southern = true;
    o.Zone = 21;
    o.Datum = "South American 1969";
    EXPECT_TRUE(result.Out == Generate(o));
}

TEST(GenCommand, CannotWriteExitsWithOneAndNamesTheFile) {
    TempDir dir;
    const std::string path = dir.File("no-such-folder/out.plt");
    const auto result = test::RunCommand(test::ShellQuote(test::LumoraCli()) + " gen -o " +
                                         test::ShellQuote(path) + " --stations 10");
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_NE(result.Err.find(path), std::string::npos) << result.Err;
}

} // namespace
} // namespace lumora::survey
