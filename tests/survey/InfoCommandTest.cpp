// The lumora info command on a small hand-written plot file: golden dump, JSON, errors.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>

namespace lumora::test {
namespace {

const std::string kGoldenDir = std::string(LUMORA_SOURCE_DIR) + "/tests/survey/golden/";

TEST(InfoCommand, DumpMatchesTheGoldenFile) {
    const CommandResult result = RunCommand(ShellQuote(LumoraCli()) + " info --dump " +
                                            ShellQuote(kGoldenDir + "small.plt"));
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Out, ReadFile(kGoldenDir + "small.dump"));
}

TEST(InfoCommand, JsonIsReadByAJsonParser) {
    TempDir dir;
    const std::string json = dir.File("info.json");
    const CommandResult result =
        RunCommand(ShellQuote(LumoraCli()) + " info --json --surveys " +
                   ShellQuote(kGoldenDir + "small.plt") + " > " + ShellQuote(json));
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    const CommandResult parsed = RunCommand(
        "/usr/bin/python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
        "print(d[\"surveys\"], d[\"features\"], d[\"stationRecords\"][\"V\"], d[\"utmZone\"], "
        "d[\"datum\"], d[\"surveyNames\"][0], d[\"maxBounds\"][1])' " +
        ShellQuote(json));
    ASSERT_EQ(parsed.ExitCode, 0) << parsed.Err;
    EXPECT_EQ(parsed.Out, "1 1 1 -13  WGS 1984 A1 100\n");
}

TEST(InfoCommand, SummaryNamesTheZoneAndCounts) {
    const CommandResult result =
        RunCommand(ShellQuote(LumoraCli()) + " info " + ShellQuote(kGoldenDir + "small.plt"));
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_NE(result.Out.find("UTM zone:         -13 (south)"), std::string::npos) << result.Out;
    EXPECT_NE(result.Out.find("Station records:  6 (M 2, D 2, d 1, L 0, V 1)"), std::string::npos)
        << result.Out;
}

// The highest elevation plus its Up and the lowest minus its Down over the M, D and d lines of a
// plot file, a dimension outside 0 to 900 counting as 0: read straight from the text.
std::pair<double, double> PassageRangeOf(const std::string& text) {
    double top = 0, bottom = 0;
    bool first = true;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || (line[0] != 'M' && line[0] != 'D' && line[0] != 'd'))
            continue;
        std::istringstream words(line.substr(1));
        double north = 0, east = 0, z = 0, left = 0, up = 0, down = 0;
        std::string word;
        words >> north >> east >> z;
        while (words >> word && word != "P") {
        }
        if (word == "P")
            words >> left >> up >> down;
        auto clean = [](double v) { return v >= 0 && v <= 900 ? v : 0.0; };
        top = first ? z + clean(up) : std::max(top, z + clean(up));
        bottom = first ? z - clean(down) : std::min(bottom, z - clean(down));
        first = false;
    }
    return {top, bottom};
}

double InfoValue(const std::string& out, const std::string& label) {
    const std::size_t at = out.find(label);
    EXPECT_NE(at, std::string::npos) << label << " missing in:\n" << out;
    return at == std::string::npos ? -1e300 : std::stod(out.substr(at + label.size()));
}

// A generated cave in UTM coordinates: every elevation lies thousands of feet above 0.
TEST(InfoCommand, PassageTopAndBottomOfACaveFarAboveZero) {
    TempDir dir;
    const std::string plot = dir.File("cave.plt");
    const CommandResult gen =
        RunCommand(ShellQuote(LumoraCli()) + " gen --stations 2000 -o " + ShellQuote(plot));
    ASSERT_EQ(gen.ExitCode, 0) << gen.Err;
    const auto [top, bottom] = PassageRangeOf(ReadFile(plot));
    ASSERT_GT(bottom, 1000.0);
    const CommandResult info = RunCommand(ShellQuote(LumoraCli()) + " info " + ShellQuote(plot));
    ASSERT_EQ(info.ExitCode, 0) << info.Err;
    EXPECT_NEAR(InfoValue(info.Out, "Passage top:"), top, 0.0005) << info.Out;
    EXPECT_NEAR(InfoValue(info.Out, "Passage bottom:"), bottom, 0.0005) << info.Out;
}

TEST(InfoCommand, ErrorsGoToStandardErrorWithExitCodeOne) {
    TempDir dir;
    const std::string bad = dir.File("bad.plt");
    WriteFile(bad, "NS\r\nM 0 0 0\r\nD 1 2x 3\r\n");
    CommandResult result = RunCommand(ShellQuote(LumoraCli()) + " info " + ShellQuote(bad));
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_NE(result.Err.find(bad + ":3: Invalid numeric input"), std::string::npos) << result.Err;
    result = RunCommand(ShellQuote(LumoraCli()) + " info " + ShellQuote(dir.File("none.plt")));
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_NE(result.Err.find("File not found"), std::string::npos) << result.Err;
}

} // namespace
} // namespace lumora::test
