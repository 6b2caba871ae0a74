// The lumora info command on a small hand-written plot file: golden dump, JSON, errors.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

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
