// lumora rose as a user runs it: the histogram's CSV read back by Python's csv module (hand-made
// shots, units, options, and a generated cave against the shot-by-shot count), the flags' limits
// and the failures.
#include "RoseTestData.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace lumora::test {
namespace {

// One row of the table as the peer reader parsed it.
struct TRow {
    int Layer = 0;
    double Bottom = 0, Top = 0;
    int Petal = 0;
    double StartBearing = 0, EndBearing = 0;
    long long Count = 0;
};

// Reads the CSV with Python's csv module: the header must be the expected one and every row
// seven numbers; the rows come back one per line, tab-separated.
std::vector<TRow> ReadCsv(const std::string& file) {
    const std::string script =
        "import csv, sys\n"
        "with open(sys.argv[1], newline='') as f:\n"
        "    rows = list(csv.reader(f))\n"
        "assert rows[0] == ['layer','bottom','top','petal','start_bearing','end_bearing',"
        "'count'], rows[0]\n"
        "for r in rows[1:]:\n"
        "    assert len(r) == 7, r\n"
        "    print(int(r[0]), float(r[1]), float(r[2]), int(r[3]), float(r[4]), float(r[5]),\n"
        "          int(r[6]), sep='\\t')\n";
    const CommandResult read =
        RunCommand("/usr/bin/python3 -c " + ShellQuote(script) + " " + ShellQuote(file));
    EXPECT_EQ(read.ExitCode, 0) << read.Err;
    std::vector<TRow> rows;
    std::istringstream lines(read.Out);
    TRow r;
    while (lines >> r.Layer >> r.Bottom >> r.Top >> r.Petal >> r.StartBearing >> r.EndBearing >>
           r.Count)
        rows.push_back(r);
    return rows;
}

CommandResult Rose(const std::string& arguments) {
    return RunCommand(LumoraCli() + " rose -q " + arguments);
}

// Shots whose cells are known, in a cave 40 feet deep (4 layers of 10 feet):
//   12.7 feet at 45, level at 5 feet: layer 0, petal 4, 12;
//   30 feet west at 20 feet: layer 2, petal 27, 30;
//   on from there 20 feet south and 20 up to the top (40): layer 3, petal 18, 28 (28.28);
//   a hidden shot, then 5 feet straight down to 35: layer 3, petal 9 (bearing 90), 5.
std::string KnownShots(const TempDir& dir) {
    const std::string file = dir.File("known.plt");
    WriteFile(file, "Z 0 100 0 100 0 40\r\nSMain\r\nNA D 1 1 2000 C\r\n"
                    "M 0 0 5 A0 P -9 -9 -9 -9\r\nD 8.98 8.98 5 A1 P -9 -9 -9 -9\r\n"
                    "M 0 0 20 B0 P -9 -9 -9 -9\r\nD 0 -30 20 B1 P -9 -9 -9 -9\r\n"
                    "D -20 -30 40 B2 P -9 -9 -9 -9\r\nd -20 -20 40 B3 P -9 -9 -9 -9\r\n"
                    "D -20 -20 35 B4 P -9 -9 -9 -9\r\nX 0 100 0 100 0 40\r\n");
    return file;
}

void ExpectRows(const std::vector<TRow>& actual, const std::vector<TRow>& expected,
                double unit = 1.0) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const TRow &a = actual[i], &e = expected[i];
        EXPECT_EQ(a.Layer, e.Layer) << "row " << i;
        EXPECT_NEAR(a.Bottom, e.Bottom * unit, 0.005) << "row " << i;
        EXPECT_NEAR(a.Top, e.Top * unit, 0.005) << "row " << i;
        EXPECT_EQ(a.Petal, e.Petal) << "row " << i;
        EXPECT_DOUBLE_EQ(a.StartBearing, e.StartBearing) << "row " << i;
        EXPECT_DOUBLE_EQ(a.EndBearing, e.EndBearing) << "row " << i;
        EXPECT_EQ(a.Count, e.Count) << "row " << i;
    }
}

TEST(RoseCommand, CsvHoldsOneRowPerCellWithACount) {
    TempDir dir;
    const std::string csv = dir.File("rose.csv");
    const CommandResult run =
        Rose(ShellQuote(KnownShots(dir)) + " --layers 4 --csv " + ShellQuote(csv));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_NE(run.Out.find("Wrote " + csv), std::string::npos) << run.Out;
    ExpectRows(ReadCsv(csv), {{0, 0, 10, 4, 40, 50, 12},
                              {2, 20, 30, 27, 270, 280, 30},
                              {3, 30, 40, 9, 90, 100, 5},
                              {3, 30, 40, 18, 180, 190, 28}});
    // Spreadsheet lines: CR LF.
    EXPECT_EQ(ReadFile(csv).substr(0, 56),
              "layer,bottom,top,petal,start_bearing,end_bearing,count\r\n");
}

TEST(RoseCommand, OptionsFoldWeighAndFilterTheShots) {
    TempDir dir;
    const std::string plot = KnownShots(dir), csv = dir.File("rose.csv");
    // By frequency, halved, 8 petals of 45 degrees: 270 joins 90, 180 becomes 0.
    ASSERT_EQ(Rose(ShellQuote(plot) + " --layers 4 --petals 8 --type 180 --frequency --csv " +
                   ShellQuote(csv))
                  .ExitCode,
              0);
    ExpectRows(ReadCsv(csv), {{0, 0, 10, 1, 45, 90, 1},
                              {2, 20, 30, 2, 90, 135, 1},
                              {3, 30, 40, 0, 0, 45, 1},
                              {3, 30, 40, 2, 90, 135, 1}});
    // Water flow turns the climb south to north; horizontal lengths; no shot under 10 feet.
    ASSERT_EQ(Rose(ShellQuote(plot) +
                   " --layers 4 --type flow --horizontal --min-length 10 "
                   "--csv " +
                   ShellQuote(csv))
                  .ExitCode,
              0);
    ExpectRows(
        ReadCsv(csv),
        {{0, 0, 10, 4, 40, 50, 12}, {2, 20, 30, 27, 270, 280, 30}, {3, 30, 40, 0, 0, 10, 20}});
}

TEST(RoseCommand, MetersForElevationsAndTheMinimumLength) {
    TempDir dir, config;
    EnvScope configDir("LUMORA_CONFIG_DIR", config.Path().string()); // the international foot
    const std::string plot = KnownShots(dir), csv = dir.File("rose.csv");
    // 3.5 m is 11.48 feet: the 5-foot drop stays out, the 12.7-foot shot stays in.
    ASSERT_EQ(
        Rose(ShellQuote(plot) + " --layers 4 --meters --min-length 3.5 --csv " + ShellQuote(csv))
            .ExitCode,
        0);
    ExpectRows(
        ReadCsv(csv),
        {{0, 0, 10, 4, 40, 50, 12}, {2, 20, 30, 27, 270, 280, 30}, {3, 30, 40, 18, 180, 190, 28}},
        0.3048);
}

// The CSV of a generated cave equals the count made here shot by shot, for several options.
TEST(RoseCommand, GeneratedCaveCsvMatchesAShotByShotCount) {
    TempDir dir;
    const std::string plot = dir.File("cave.plt"), csv = dir.File("rose.csv");
    ASSERT_EQ(RunCommand(LumoraCli() + " gen -q --sections 1 --stations 8000 --seed 5 -o " +
                         ShellQuote(plot))
                  .ExitCode,
              0);
    auto data = std::make_unique<survey::TPlotData>();
    SilentUi ui;
    survey::LoadPlotFile(*data, plot, {}, ui);
    struct TCase {
        std::string Flags;
        analysis::TRoseOptions Options;
    };
    std::vector<TCase> cases(3);
    cases[1].Flags = "--petals 7 --layers 5 --type 180 --frequency";
    cases[1].Options.Petals = 7;
    cases[1].Options.Layers = 5;
    cases[1].Options.RoseType = analysis::TRoseType::Half180;
    cases[1].Options.GraphBy = analysis::TGraphBy::Frequency;
    cases[2].Flags = "--petals 360 --layers 180 --type flow --horizontal --min-length 5";
    cases[2].Options.Petals = 360;
    cases[2].Options.Layers = 180;
    cases[2].Options.RoseType = analysis::TRoseType::WaterFlow;
    cases[2].Options.SlopeLength = false;
    cases[2].Options.MinLength = 5;
    for (const TCase& c : cases) {
        const CommandResult run =
            Rose(ShellQuote(plot) + " " + c.Flags + " --csv " + ShellQuote(csv));
        ASSERT_EQ(run.ExitCode, 0) << c.Flags << run.Err;
        const TBruteForce expected(*data, c.Options);
        const double thickness = (data->MaxBounds.Z - data->MinBounds.Z) / c.Options.Layers;
        std::vector<TRow> rows;
        for (int j = 0; j < c.Options.Layers; ++j)
            for (int m = 0; m < c.Options.Petals; ++m)
                if (expected.Counts[j][m] != 0)
                    rows.push_back({j, data->MinBounds.Z + j * thickness,
                                    data->MinBounds.Z + (j + 1) * thickness, m,
                                    m * 360.0 / c.Options.Petals,
                                    (m + 1) * 360.0 / c.Options.Petals, expected.Counts[j][m]});
        ASSERT_GT(rows.size(), 10u) << c.Flags;
        SCOPED_TRACE(c.Flags);
        ExpectRows(ReadCsv(csv), rows);
    }
}

TEST(RoseCommand, FlagsOutsideTheDialogsLimitsAreRefused) {
    TempDir dir;
    const std::string plot = KnownShots(dir), csv = ShellQuote(dir.File("rose.csv"));
    for (const std::string flags : {"--petals 3", "--petals 361", "--layers 1", "--layers 181",
                                    "--type 90", "--min-length -1", "--min-length 100001"}) {
        const CommandResult run = Rose(ShellQuote(plot) + " " + flags + " --csv " + csv);
        EXPECT_NE(run.ExitCode, 0) << flags;
        EXPECT_FALSE(run.Err.empty()) << flags;
    }
    EXPECT_TRUE(FolderEntries(dir.Path().string()) == std::vector<std::string>{"known.plt"});
}

TEST(RoseCommand, FailuresSayWhyAndWriteNothing) {
    TempDir dir;
    const std::string plot = KnownShots(dir);
    const CommandResult nothing = Rose(ShellQuote(plot));
    EXPECT_EQ(nothing.ExitCode, 1);
    EXPECT_NE(nothing.Err.find("nothing to write"), std::string::npos) << nothing.Err;

    // Every shot under the minimum length: the rose would be empty.
    const CommandResult empty =
        Rose(ShellQuote(plot) + " --min-length 1000 --csv " + ShellQuote(dir.File("e.csv")));
    EXPECT_EQ(empty.ExitCode, 1);
    EXPECT_NE(empty.Err.find("The rose is empty"), std::string::npos) << empty.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.csv")));

    const std::string missing = dir.File("no/such/folder/rose.csv");
    const CommandResult unwritable = Rose(ShellQuote(plot) + " --csv " + ShellQuote(missing));
    EXPECT_EQ(unwritable.ExitCode, 1);
    EXPECT_NE(unwritable.Err.find(missing + ": "), std::string::npos) << unwritable.Err;
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"known.plt"});

    const CommandResult notAPlot = Rose(ShellQuote(dir.File("none.plt")) + " --csv x.csv");
    EXPECT_NE(notAPlot.ExitCode, 0);
}

} // namespace
} // namespace lumora::test
