#include "survey/PlotReader.h"

#include "platform/Error.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace lumora::survey {
namespace {

// A small file with every kind of line, quotes, escapes and odd spacing.
const std::string kEveryKind = "Z 0 100 0 200 -50 50 I 1\r\n"
                               "G-13\r\n"
                               "O WGS 1984\r\n"
                               "SMain\r\n"
                               "P FIX1 10 20 30\r\n"
                               "NA1 D 7 14 1999 Csome comment\r\n"
                               "M 0 0 0 SA1 P 1 2 3 4 I 1 FLP \"a \\\"quoted\\\" {P}note\"\r\n"
                               "D 10 0 -5 SA2 P -9 -9 -9 -9 I 0 F \"\"\r\n"
                               "d 20 5 -5 SA3 P 999 1 1 1\r\n"
                               "M 10 0 -5 SA2\r\n"
                               "D 10 10 -7 SA4\r\n"
                               "X 0 20 0 10 -7 0\r\n"
                               "FWater R -1.5 2e1\r\n"
                               "L 5 5 5 SW1 P 0 0 0 0 V 3.25\r\n"
                               "X 5 5 5 5 5 5\r\n"
                               "R 2 A1 A1 A2 A4 A1 S 0.25\r\n"
                               "C 7\r\n";

bool LoadsOrThrowsPlotFileError(const std::string& path) {
    test::RecordingUi ui;
    TPlotData data;
    try {
        LoadPlotFile(data, path, nullptr, ui);
        CountPlotRecords(path);
        return true;
    } catch (const PlotFileError&) {
        return true;
    } catch (...) {
        return false;
    }
}

TEST(PlotReaderRobustness, EveryPrefixLoadsOrThrowsAPlotFileError) {
    test::TempDir dir;
    const std::string path = dir.File("cut.plt");
    for (std::size_t length = 0; length <= kEveryKind.size(); ++length) {
        test::WriteFile(path, kEveryKind.substr(0, length));
        EXPECT_TRUE(LoadsOrThrowsPlotFileError(path)) << "prefix of " << length << " bytes";
    }
}

TEST(PlotReaderRobustness, TheFullSampleLoadsEveryKindOfLine) {
    test::TempDir dir;
    const std::string path = dir.File("all.plt");
    test::WriteFile(path, kEveryKind);
    test::RecordingUi ui;
    TPlotData data;
    LoadPlotFile(data, path, nullptr, ui);
    EXPECT_EQ(data.Shots.Count(), 6);
    EXPECT_EQ(data.Surveys.Count(), 2);
    EXPECT_EQ(data.Loops.Count(), 1);
    EXPECT_EQ(data.UTMZone, -13);
    EXPECT_EQ(data.Shots.Get(5).Right, 3.25f);
    EXPECT_EQ(data.Shots.Get(5).Up, 20.0f);
}

// A deterministic stream of bytes for garbage inputs.
std::string Garbage(std::size_t size, std::uint64_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        c = static_cast<char>(seed >> 56);
    }
    return bytes;
}

TEST(PlotReaderRobustness, BinaryGarbageEndsCleanly) {
    test::TempDir dir;
    const std::string path = dir.File("garbage.plt");
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        test::WriteFile(path, Garbage(20000, seed));
        EXPECT_TRUE(LoadsOrThrowsPlotFileError(path)) << "seed " << seed;
    }
}

TEST(PlotReaderRobustness, GarbageMadeOfRecordLettersEndsCleanly) {
    test::TempDir dir;
    const std::string path = dir.File("letters.plt");
    const std::string alphabet = "MDdLNFXZSPGORC \t\r\n\"\\{}0123456789.-+eE\x1A";
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        std::string text = Garbage(4000, seed);
        for (char& c : text)
            c = alphabet[static_cast<unsigned char>(c) % alphabet.size()];
        test::WriteFile(path, text);
        EXPECT_TRUE(LoadsOrThrowsPlotFileError(path)) << "seed " << seed;
    }
}

TEST(PlotReaderRobustness, HugeLinesAndEmptyFilesEndCleanly) {
    test::TempDir dir;
    const std::string path = dir.File("odd.plt");
    test::WriteFile(path, "");
    EXPECT_TRUE(LoadsOrThrowsPlotFileError(path));
    // A comment of megabytes without a line end, and a station name as long.
    test::WriteFile(path, "NS\r\nM 0 0 0 SA P 1 1 1 1 I 0 F \"" + std::string(3 << 20, 'x'));
    EXPECT_TRUE(LoadsOrThrowsPlotFileError(path));
    test::WriteFile(path, "NS\r\nM 0 0 0 S" + std::string(3 << 20, 'y') + " P 1 1 1 1\r\n");
    EXPECT_TRUE(LoadsOrThrowsPlotFileError(path));
    // A number token longer than any number: an error, not a crash.
    test::WriteFile(path, "M " + std::string(1 << 20, '7') + " 0 0\r\n");
    EXPECT_TRUE(LoadsOrThrowsPlotFileError(path));
    // A loop count far beyond the names that follow.
    test::WriteFile(path, "R 2000000000 A B C\r\n");
    EXPECT_TRUE(LoadsOrThrowsPlotFileError(path));
}

TEST(PlotReaderRobustness, LongStationNamesAreCutToTwentyCharacters) {
    test::TempDir dir;
    const std::string path = dir.File("names.plt");
    test::WriteFile(path, "NS\r\nM 0 0 0 Sabcdefghijklmnopqrstuvwxyz P 1 1 1 1\r\n"
                          "D 1 0 0 Sabcdefghijklmnopqrstuvwxyz0123 P 1 1 1 1\r\nX 0 0 0 0 0 0\r\n");
    test::RecordingUi ui;
    TPlotData data;
    LoadPlotFile(data, path, nullptr, ui);
    EXPECT_EQ(data.Shots.Get(0).Station.View(), "abcdefghijklmnopqrst");
    EXPECT_EQ(data.Shots.Get(0).Left, 1.0f);
    // Both names cut alike: one vertex, one edge from it to itself.
    EXPECT_EQ(data.Graph.VertexCount(), 1);
    EXPECT_EQ(data.Graph.Edges.Count(), 1);
}

} // namespace
} // namespace lumora::survey

#include "survey/PlotGenerator.h"

namespace lumora::survey {
namespace {

// The reader adds shots to the graph in prefetched batches; the graph must be the one that adding
// every draw on its own, in file order, gives.
TEST(PlotReaderGraph, MatchesTheGraphOfOneShotAtATime) {
    test::TempDir dir;
    const std::string path = dir.File("gen.plt");
    TGenOptions options;
    options.Stations = 20000;
    options.Seed = 3;
    GeneratePlotFile(path, options);
    test::RecordingUi ui;
    TPlotData data;
    LoadPlotFile(data, path, nullptr, ui);

    TSurveyGraph expected;
    for (std::int32_t i = 1; i < data.Shots.Count(); ++i)
        if (data.Shots.RecordType(i) == 'D' || data.Shots.RecordType(i) == 'd')
            expected.AddShot(data.Shots.Station(i - 1), data.Shots.Station(i),
                             data.Shots.Position(i - 1), data.Shots.Position(i));
    ASSERT_GT(expected.Edges.Count(), 10000);
    ASSERT_EQ(data.Graph.VertexCount(), expected.VertexCount());
    ASSERT_EQ(data.Graph.Edges.Count(), expected.Edges.Count());
    for (std::int32_t e = 0; e < expected.Edges.Count(); ++e) {
        ASSERT_EQ(data.Graph.Edges.From[e], expected.Edges.From[e]) << "edge " << e;
        ASSERT_EQ(data.Graph.Edges.To[e], expected.Edges.To[e]) << "edge " << e;
    }
    for (std::int32_t v = 0; v < expected.VertexCount(); ++v)
        ASSERT_EQ(data.Graph.Positions[v], expected.Positions[v]) << "vertex " << v;
}

} // namespace
} // namespace lumora::survey
