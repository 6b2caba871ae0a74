#include "survey/PlotReader.h"

#include "platform/Error.h"
#include "support/RecordingUi.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace lumora::survey {
namespace {

// Loads plot text (lines joined with CR LF) into a fresh model.
class PlotReaderTest : public ::testing::Test {
protected:
    void Load(const std::string& text) {
        const std::string path = m_Dir.File("cave.plt");
        test::WriteFile(path, text);
        LoadPlotFile(m_Data, path, nullptr, m_Ui);
    }
    static std::string Crlf(std::initializer_list<std::string> lines) {
        std::string out;
        for (const std::string& line : lines)
            out += line + "\r\n";
        return out;
    }
    void LoadLines(std::initializer_list<std::string> lines) { Load(Crlf(lines)); }
    // Header lines followed by one station record, without which a file holds no survey data.
    void LoadHeaders(std::initializer_list<std::string> lines) {
        Load(Crlf(lines) + "M 0 0 0 SLAST P -9 -9 -9 -9\r\n");
    }

    test::TempDir m_Dir;
    test::RecordingUi m_Ui;
    TPlotData m_Data;
};

TEST_F(PlotReaderTest, NormalisesSurveyDates) {
    LoadHeaders({"NA D 7 32 2001 Cfirst", "X 0 0 0 0 0 0", "NB D 2 30 1900", "X 0 0 0 0 0 0",
                 "NC D 2 30 2000", "X 0 0 0 0 0 0", "ND D 0 0 0", "X 0 0 0 0 0 0", "NE",
                 "X 0 0 0 0 0 0"});
    ASSERT_EQ(m_Data.Surveys.Count(), 5);
    auto date = [this](int i) {
        const TSurveyRecord& s = m_Data.Surveys[i];
        return std::to_string(s.Month) + "/" + std::to_string(s.Day) + "/" + std::to_string(s.Year);
    };
    EXPECT_EQ(date(0), "7/31/2001");
    EXPECT_EQ(m_Data.Surveys[0].Comment.View(), "first");
    EXPECT_EQ(date(1), "2/28/1900");
    EXPECT_EQ(date(2), "2/29/2000");
    EXPECT_EQ(date(3), "1/1/1");
    EXPECT_EQ(date(4), "1/1/1");
    EXPECT_EQ(m_Data.Surveys[4].Comment.View(), "");
}

TEST_F(PlotReaderTest, KeepsTheBlankOfASpacedDatumLine) {
    LoadHeaders({"O WGS 1984"});
    EXPECT_EQ(m_Data.DatumName, " WGS 1984");
    LoadHeaders({"ONorth American 1927"});
    EXPECT_EQ(m_Data.DatumName, "North American 1927");
}

TEST_F(PlotReaderTest, ReadsPositionsAsNorthEastVertical) {
    LoadLines({"NS", "M 10 20 30", "D 1 2 3 SA2 P 1 2 3 4", "X 0 0 0 0 0 0"});
    ASSERT_EQ(m_Data.Shots.Count(), 2);
    const TPlotRecord m = m_Data.Shots.Get(0);
    EXPECT_EQ(m.Station.View(), "?");
    EXPECT_EQ(m.Position, (T3DVector{20, 10, 30}));
    EXPECT_EQ(m.Up, 0.0f);
    const TPlotRecord d = m_Data.Shots.Get(1);
    EXPECT_EQ(d.Left, 1.0f);
    EXPECT_EQ(d.Up, 2.0f);
    EXPECT_EQ(d.Down, 3.0f);
    EXPECT_EQ(d.Right, 4.0f);
    EXPECT_EQ(d.ShotNumber, 0);
    EXPECT_EQ(m_Data.PassageTop, 30.0);
    EXPECT_EQ(m_Data.PassageBottom, 0.0);
}

// Elevations all far above 0, as in every georeferenced file: the range starts at the first
// station record, missing-dimension markers count as 0, and features take no part.
TEST_F(PlotReaderTest, PassageRangeSpansTheStationRecordsWithCleanDimensions) {
    LoadLines({"NS", "M 0 0 1000 SA1 P 1 2 3 4", "D 10 0 1200 SA2 P 999 999 -9999 5",
               "d 20 0 900 SA3 P 1 1 1 1", "D 30 0 950 SA4", "X 0 30 0 0 900 1200", "FWater R 1 9",
               "L 5 5 5000 SW1 P 0 0 0 0 V 7.5", "L 5 5 10 SW2 P 0 0 0 0 V 7.5",
               "X 5 5 5 5 10 5000"});
    EXPECT_EQ(m_Data.PassageTop, 1200.0);   // SA2 with its Up of 999 left out
    EXPECT_EQ(m_Data.PassageBottom, 899.0); // the hidden SA3 less its Down of 1
}

TEST_F(PlotReaderTest, ReadsFlagsAndQuotedCommentsWithEscapes) {
    LoadLines({"NS", R"(M 0 0 0 SA1 P 1 1 1 1 I 2.5 F "plain comment")",
               R"(D 1 0 0 SA2 P 1 1 1 1 I 0 FLPSXLONGFLAGS "say \"hi\" {p}there")",
               R"(D 2 0 0 SA3 P 1 1 1 1 I 0 F "")", "X 0 0 0 0 0 0"});
    const TPlotRecord a = m_Data.Shots.Get(0);
    EXPECT_EQ(a.IValue, 2.5);
    EXPECT_EQ(a.Flags.View(), "");
    EXPECT_EQ(a.Comment.View(), "plain comment");
    EXPECT_FALSE(a.PMark);
    const TPlotRecord b = m_Data.Shots.Get(1);
    EXPECT_EQ(b.Flags.View(), "LPSXLONGFL");
    EXPECT_EQ(b.Comment.View(), "say \"hi\" there");
    EXPECT_TRUE(b.PMark);
    EXPECT_EQ(m_Data.Shots.Get(2).Comment.View(), "");
}

TEST_F(PlotReaderTest, FeatureValuesTakeTheRangeOfTheirHeader) {
    LoadLines({"FWater R 1 9", "L 0 0 0 SW1 P 0 0 0 0 V 7.5", "X 0 0 0 0 0 0", "FMarks",
               "L 0 0 0 SW2 P 0 0 0 0", "X 0 0 0 0 0 0"});
    ASSERT_EQ(m_Data.Surveys.Count(), 2);
    EXPECT_EQ(m_Data.Surveys[0].SurveyKind, 2);
    EXPECT_TRUE(m_Data.Surveys[0].IsFeature);
    EXPECT_EQ(m_Data.Surveys[1].SurveyKind, 1);
    const TPlotRecord v = m_Data.Shots.Get(0);
    EXPECT_EQ(v.RecordType, 'V');
    EXPECT_EQ(v.Right, 7.5f);
    EXPECT_EQ(v.Down, 1.0f);
    EXPECT_EQ(v.Up, 9.0f);
    EXPECT_EQ(m_Data.Shots.Get(1).RecordType, 'L');
    EXPECT_EQ(m_Data.TraverseStarts.Count(), 2);
}

TEST_F(PlotReaderTest, WithoutZOrSLinesKeepsStartingBoundsAndAddsNoneSection) {
    LoadLines({"NS", "M 1 1 1", "X 0 0 0 0 0 0"});
    EXPECT_EQ(m_Data.Center, (T3DVector{0, 0, 0}));
    EXPECT_EQ(m_Data.DepthRange, -1.98e100);
    ASSERT_EQ(m_Data.Sections.Count(), 1);
    EXPECT_EQ(m_Data.Sections[0].Name.View(), "(None)");
    EXPECT_EQ(m_Data.Sections[0].FirstSurvey, 0);
    EXPECT_EQ(m_Data.FirstStation, (T3DVector{1, 1, 1}));
    EXPECT_TRUE(m_Data.Loaded);
}

TEST_F(PlotReaderTest, FlatBoxGivesDepthRangeOfOneTenth) {
    LoadLines({"Z 0 10 0 20 5 5", "Z -1 1 -1 1 5 5 I 3", "NS", "M 1 1 5", "X 0 0 0 0 0 0"});
    EXPECT_EQ(m_Data.DepthRange, 0.1);
    EXPECT_EQ(m_Data.MinBounds, (T3DVector{-1, -1, 5}));
    EXPECT_EQ(m_Data.Center, (T3DVector{9.5, 4.5, 5}));
}

TEST_F(PlotReaderTest, FileWithoutStationRecordsIsNoSurveyData) {
    // Empty, a lone Ctrl+Z, headers only, NUL bytes, UTF-16 text: nothing to hand on.
    for (const std::string& text :
         {std::string(), std::string("\x1a"), Crlf({"SMain", "NA", "X 0 0 0 0 0 0"}),
          std::string(64, '\0'), std::string("\xff\xfeM\0 \x001\0")}) {
        try {
            Load(text);
            ADD_FAILURE() << "no error for " << testing::PrintToString(text);
        } catch (const PlotFileError& e) {
            EXPECT_EQ(std::string(e.what()), m_Dir.File("cave.plt") + ": " + kNoSurveyDataText);
        }
        EXPECT_FALSE(m_Data.Loaded);
    }
}

TEST_F(PlotReaderTest, NumbersBeyondAnySurveyAreInvalid) {
    const std::string lineOne = m_Dir.File("cave.plt") + ":1: Invalid numeric input";
    for (const char* number : {"1e308", "1000000000001", "-2e12", "1e13", "123456789012345"}) {
        try {
            Load(std::string("M ") + number + " 0 0 SA P -9 -9 -9 -9\r\n");
            ADD_FAILURE() << number << " was accepted";
        } catch (const PlotFileError& e) {
            EXPECT_EQ(std::string(e.what()), lineOne) << number;
        }
    }
    // The largest values still allowed, long forms included.
    Load("M 1000000000000 -1e12 0.001e3 SA P -9 -9 -9 -9\r\n");
    EXPECT_EQ(m_Data.Shots.Position(0), (T3DVector{-1e12, 1e12, 1.0}));
}

TEST_F(PlotReaderTest, DevicesAndFoldersAreRefusedNotRead) {
    for (const std::string& path : {std::string("/dev/zero"), m_Dir.Path().string()}) {
        try {
            LoadPlotFile(m_Data, path, nullptr, m_Ui);
            ADD_FAILURE() << path << " was read";
        } catch (const PlotFileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
        }
        EXPECT_THROW(CountPlotRecords(path), PlotFileError);
    }
}

TEST_F(PlotReaderTest, ZoneZeroLeavesGeoreferencedAndSouthernZonesStayNegative) {
    LoadHeaders({"G-60", "G0"});
    EXPECT_EQ(m_Data.UTMZone, 0);
    EXPECT_TRUE(m_Data.Georeferenced);
    LoadHeaders({"G-13"});
    EXPECT_EQ(m_Data.UTMZone, -13);
}

TEST_F(PlotReaderTest, SectionsGroupSurveysAndHoldFixedStations) {
    LoadHeaders({"P IGNORED 1 2 3", "SMain Cave", "P FIX1 100 200 300", "NA", "X 0 0 0 0 0 0",
                 "S\tSecond", "NB", "X 0 0 0 0 0 0", "NC", "X 0 0 0 0 0 0"});
    ASSERT_EQ(m_Data.Sections.Count(), 2);
    EXPECT_EQ(m_Data.Sections[0].Name.View(), "Main Cave");
    EXPECT_EQ(m_Data.Sections[1].Name.View(), "Second");
    ASSERT_EQ(m_Data.Sections.FixedStations(0).Count(), 1);
    EXPECT_EQ(m_Data.Sections.FixedStations(0)[0].Position, (T3DVector{200, 100, 300}));
    EXPECT_EQ(m_Data.Sections.FixedStations(1).Count(), 0);
    const TRange second = m_Data.SectionSurveyRange(1);
    EXPECT_EQ(second.First, 1);
    EXPECT_EQ(second.Last, 2);
}

TEST_F(PlotReaderTest, RangesCoverEmptySurveysAndTheLastTraverse) {
    LoadLines({"NEmpty", "X 0 0 0 0 0 0", "NFull", "M 0 0 0 SA", "D 1 0 0 SB", "M 0 0 0 SA",
               "M 2 0 0 SC", "D 3 0 0 SD", "X 0 0 0 0 0 0"});
    TRange empty = m_Data.SurveyShotRange(0);
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.First, empty.Last + 1);
    EXPECT_EQ(m_Data.LastSurveyRecord.Name.View(), "Empty");
    const TRange full = m_Data.SurveyShotRange(1);
    EXPECT_EQ(full.First, 0);
    EXPECT_EQ(full.Last, 4);
    const TRange traverses = m_Data.SurveyTraverseRange(1);
    EXPECT_EQ(traverses.Last - traverses.First + 1, 3);
    const TRange single = m_Data.TraverseShotRange(1);
    EXPECT_EQ(single.First, single.Last);
    const TRange last = m_Data.TraverseShotRange(2);
    EXPECT_EQ(last.Last, 4);
    EXPECT_EQ(m_Data.Shots.Get(4).ShotNumber, 1);
}

TEST_F(PlotReaderTest, SurveyWithoutBoundsLineIsNeverAppended) {
    LoadLines({"NA", "M 0 0 0", "X 0 0 0 0 0 0", "NB", "M 1 1 1"});
    ASSERT_EQ(m_Data.Surveys.Count(), 1);
    EXPECT_EQ(m_Data.SurveyShotRange(0).Last, 1);
}

TEST_F(PlotReaderTest, BuildsTheGraphAndItsLoops) {
    LoadLines({"NS", "M 0 0 0 SA1", "D 10 0 0 SA2", "D 20 0 0 SA3", "M 99 99 99 SA2",
               "D 10 10 0 SA4", "X 0 0 0 0 0 0", "R 2 A1 A1 A2 A3 NOPE S 1.5", "R 1 X Y Z W"});
    EXPECT_EQ(m_Data.Graph.VertexCount(), 4);
    EXPECT_EQ(m_Data.Graph.Edges.Count(), 3);
    EXPECT_EQ(m_Data.Graph.Edges.From[2], 1);
    EXPECT_EQ(m_Data.Graph.Positions[1], (T3DVector{0, 10, 0}));
    ASSERT_EQ(m_Data.Loops.Count(), 2);
    const TEdgeArray& loop = m_Data.Loops[0];
    EXPECT_EQ(loop.ReferenceVertex, 0);
    ASSERT_EQ(loop.Count(), 2);
    EXPECT_EQ(loop.From[1], 1);
    EXPECT_EQ(loop.To[1], 2);
    EXPECT_TRUE(loop.HasValue);
    EXPECT_EQ(loop.Value, 1.5);
    const TEdgeArray& unknown = m_Data.Loops[1];
    ASSERT_EQ(unknown.Count(), 1);
    EXPECT_EQ(unknown.From[0], -1);
    EXPECT_EQ(unknown.To[0], -1);
    EXPECT_FALSE(unknown.HasValue);
}

TEST_F(PlotReaderTest, AbortIsNoticedAfterTheNextSurveyHeader) {
    std::string text;
    for (int s = 0; s < 30; ++s) {
        text += "NS" + std::to_string(s) + "\r\n";
        text += "M 0 0 0 SA\r\n";
        text += "X 0 0 0 0 0 0\r\n";
    }
    m_Ui.OnPendingEvents = [this] { m_Data.AbortLoad = true; };
    Load(text);
    // The first progress point comes with the tenth header; the load stops right after it.
    EXPECT_EQ(m_Data.Surveys.Count(), 9);
    EXPECT_EQ(m_Data.Shots.Count(), 9);
    EXPECT_TRUE(m_Data.Loaded);
    EXPECT_EQ(m_Data.Sections.Count(), 1);
}

TEST_F(PlotReaderTest, ReportsProgressEvery200StationLinesAndAtTheEnd) {
    std::string text = "NS\r\n";
    for (int i = 0; i < 450; ++i)
        text += "D 0 0 0\r\n";
    const std::string path = m_Dir.File("cave.plt");
    test::WriteFile(path, text + "X 0 0 0 0 0 0\r\n");
    std::vector<std::pair<int, int>> calls;
    LoadPlotFile(
        m_Data, path, [&calls](int surveys, int records) { calls.emplace_back(surveys, records); },
        m_Ui);
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 200}, {1, 400}, {1, 450}}));
    EXPECT_EQ(m_Ui.PendingEventRuns, 3);
    EXPECT_EQ(m_Ui.BusyCursorChanges, (std::vector<bool>{true, false}));
}

TEST_F(PlotReaderTest, MalformedNumbersNameTheFileAndLine) {
    const std::string path = m_Dir.File("bad.plt");
    test::WriteFile(path, "NS\r\nM 0 0 0\r\nD 1 2x 3\r\n");
    try {
        LoadPlotFile(m_Data, path, nullptr, m_Ui);
        FAIL() << "no error";
    } catch (const PlotFileError& e) {
        EXPECT_EQ(std::string(e.what()), path + ":3: Invalid numeric input");
    }
    EXPECT_EQ(m_Data.Shots.Count(), 1); // what was read stays
    EXPECT_FALSE(m_Data.Loaded);
    EXPECT_FALSE(m_Ui.Busy);

    test::WriteFile(path, "FX R 5- 6\r\n");
    EXPECT_THROW(LoadPlotFile(m_Data, path, nullptr, m_Ui), PlotFileError);
    test::WriteFile(path, "FX R 1..2 5\r\n");
    EXPECT_THROW(LoadPlotFile(m_Data, path, nullptr, m_Ui), PlotFileError);
}

TEST_F(PlotReaderTest, MissingFileIsFileNotFound) {
    const std::string path = m_Dir.File("absent.plt");
    try {
        LoadPlotFile(m_Data, path, nullptr, m_Ui);
        FAIL() << "no error";
    } catch (const PlotFileError& e) {
        EXPECT_EQ(std::string(e.what()), path + ": File not found");
    }
    EXPECT_THROW(CountPlotRecords(path), PlotFileError);
}

TEST_F(PlotReaderTest, OutOfMemoryWarnsAndKeepsWhatWasRead) {
    std::string text = "NS\r\n";
    for (int i = 0; i < 5000; ++i)
        text += "D 0 0 0\r\n";
    m_Data.Shots.SetByteLimit(64 * 1024);
    Load(text);
    ASSERT_EQ(m_Ui.Warnings.size(), 1u);
    EXPECT_EQ(m_Ui.Warnings[0], std::string("Out of Memory - File Partially Loaded\r\n"
                                            "Close Applications or Install More Memory"));
    EXPECT_GT(m_Data.Shots.Count(), 0);
    EXPECT_LT(m_Data.Shots.Count(), 5000);
    EXPECT_FALSE(m_Data.Loaded);
}

TEST_F(PlotReaderTest, LfAndBareCrFilesReadLikeTheirCrLfCopies) {
    const std::string lines[] = {"Z 0 10 0 20 0 5",
                                 "",
                                 "SMain",
                                 "NA D 1 2 2003 Cnote here",
                                 R"(M 1 2 3 SA1 P 1 2 3 4 I 0 FL "c")",
                                 "D 4 5 6 SA2",
                                 "X 0 1 0 1 0 1",
                                 "S",
                                 "NB",
                                 "X 0 1 0 1 0 1",
                                 "O WGS 1984",
                                 "G 33"};
    std::string crlf, lf, cr;
    for (const std::string& line : lines) {
        crlf += line + "\r\n";
        lf += line + "\n";
        cr += line + "\r";
    }
    auto dump = [this](const std::string& text) {
        TPlotData data;
        const std::string path = m_Dir.File("x.plt");
        test::WriteFile(path, text);
        LoadPlotFile(data, path, nullptr, m_Ui);
        return std::make_tuple(data.Shots.Count(), data.Surveys.Count(), data.Sections.Count(),
                               data.DatumName, data.UTMZone, data.Shots.Get(0).Comment.Str(),
                               data.Surveys[0].Comment.Str(), data.MaxBounds.Z);
    };
    EXPECT_EQ(dump(lf), dump(crlf));
    EXPECT_EQ(dump(cr), dump(crlf));
    EXPECT_EQ(std::get<0>(dump(crlf)), 2);
    EXPECT_EQ(std::get<6>(dump(crlf)), "note here");
}

TEST_F(PlotReaderTest, CtrlZEndsTheFile) {
    Load("NA\r\nM 0 0 0\r\n\x1A"
         "D 1 1 1\r\nX 0 0 0 0 0 0\r\n");
    EXPECT_EQ(m_Data.Shots.Count(), 1);
    EXPECT_EQ(m_Data.Surveys.Count(), 0);
}

TEST_F(PlotReaderTest, CountsDrawAndMoveLinesOfEveryLineEndStyle) {
    const std::string path = m_Dir.File("count.plt");
    test::WriteFile(path, "Z 0 0 0 0 0 0\r\nM 1\r\nD 2\r\nd 3\r\nD 4\nM 5\rD 6\r\n\x1A"
                          "D 7\r\n");
    const TPlotCounts counts = CountPlotRecords(path);
    EXPECT_EQ(counts.DrawCount, 3);
    EXPECT_EQ(counts.EndCount, 4);
}

} // namespace
} // namespace lumora::survey

namespace lumora::survey {
namespace {

// Loops are resolved while the graph grows on its own thread: a loop line must see the stations
// read before it and none of those after it, whatever the batching.
TEST_F(PlotReaderTest, LoopsSeeOnlyTheStationsReadBeforeThem) {
    std::string text = "NS\r\nM 0 0 0 SA0\r\n";
    for (int i = 1; i < 1000; ++i)
        text += "D " + std::to_string(i) + " 0 0 SA" + std::to_string(i) + "\r\n";
    text += "R 1 A0 A998 A999 LATER\r\n"; // LATER is drawn below
    text += "D 5 5 5 SLATER\r\nX 0 0 0 0 0 0\r\n";
    text += "R 1 A0 A999 LATER A1\r\n";
    Load(text);
    ASSERT_EQ(m_Data.Loops.Count(), 2);
    const TEdgeArray& early = m_Data.Loops[0];
    ASSERT_EQ(early.Count(), 1); // the chain edge to LATER is skipped
    EXPECT_EQ(early.From[0], 998);
    EXPECT_EQ(early.To[0], 999);
    const TEdgeArray& late = m_Data.Loops[1];
    ASSERT_EQ(late.Count(), 2);
    EXPECT_EQ(late.From[0], 999);
    EXPECT_EQ(late.To[0], 1000);
    EXPECT_EQ(late.To[1], 1);
}

} // namespace
} // namespace lumora::survey
