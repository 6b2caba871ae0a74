// The files of render, mesh, passages, gen and info: a failed write is reported with the file's
// name and never replaces a good file, devices are refused, and output to a full disk fails.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace lumora::test;

namespace {

namespace fs = std::filesystem;

std::string Lumora(const std::string& arguments) {
    return "timeout 120 " + ShellQuote(LumoraCli()) + " " + arguments;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CommandFiles : public ::testing::Test {
protected:
    void SetUp() override {
        Cave = Dir.File("cave.plt");
        const CommandResult r =
            RunCommand(Lumora("gen --sections 1 --stations 2000 -o " + ShellQuote(Cave)));
        ASSERT_EQ(r.ExitCode, 0) << r.Err;
    }

    // Runs command (which writes out) once to make a good file, then again on a disk that fills
    // half way: the second run must fail naming out, and leave the good file as it was.
    void ExpectFullDiskKeepsTheGoodFile(const std::string& command, const std::string& out) {
        ASSERT_EQ(RunCommand(command).ExitCode, 0) << command;
        const std::string good = ReadFile(out);
        ASSERT_GT(good.size(), 500u) << out;
        CommandResult r;
        {
            FileSizeLimit full(good.size() / 2);
            r = RunCommand(command);
        }
        EXPECT_EQ(r.ExitCode, 1) << command;
        EXPECT_TRUE(Contains(r.Err, "lumora: " + out + ": ")) << r.Err;
        EXPECT_FALSE(Contains(r.Out, "Wrote")) << r.Out;
        EXPECT_TRUE(ReadFile(out) == good) << out << " was changed by the failed write";
    }

    TempDir Dir;
    std::string Cave;
};

TEST_F(CommandFiles, RenderRefusesDevicesAndKeepsTheOldPictureOnAFullDisk) {
    const CommandResult r = RunCommand(Lumora("render -q " + ShellQuote(Cave) + " -o /dev/full"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "lumora: /dev/full: Not a regular file\n");
    EXPECT_EQ(r.Out, "");
    const std::string png = Dir.File("view.png");
    ExpectFullDiskKeepsTheGoodFile(
        Lumora("render -q --size 400x300 " + ShellQuote(Cave) + " -o " + ShellQuote(png)), png);
}

TEST_F(CommandFiles, MeshAndObjFilesKeepTheOldFileOnAFullDisk) {
    const std::string x = Dir.File("cave.x");
    ExpectFullDiskKeepsTheGoodFile(Lumora("mesh -q " + ShellQuote(Cave) + " -o " + ShellQuote(x)),
                                   x);
    const std::string obj = Dir.File("cave.obj");
    ExpectFullDiskKeepsTheGoodFile(
        Lumora("passages -q " + ShellQuote(Cave) + " --obj " + ShellQuote(obj)), obj);
    EXPECT_EQ(FolderEntries(Dir.Path().string()),
              (std::vector<std::string>{"cave.obj", "cave.plt", "cave.x"}));
}

TEST_F(CommandFiles, GenAndSettingsKeepTheOldFileOnAFullDisk) {
    const std::string plot = Dir.File("big.plt");
    ExpectFullDiskKeepsTheGoodFile(Lumora("gen -q --stations 5000 -o " + ShellQuote(plot)), plot);
    // A settings file whose values differ from the defaults, so that writing them changes it.
    const std::string ini = Dir.File("ex.ini");
    ASSERT_EQ(RunCommand(Lumora("settings --write " + ShellQuote(ini))).ExitCode, 0);
    std::string edited = ReadFile(ini);
    ASSERT_NE(edited.find("=100"), std::string::npos);
    edited.replace(edited.find("=100"), 4, "=7");
    WriteFile(ini, edited);
    CommandResult r;
    {
        FileSizeLimit full(edited.size() / 2);
        r = RunCommand(Lumora("settings --write " + ShellQuote(ini)));
    }
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(Contains(r.Err, "lumora: " + ini + ": File too large")) << r.Err;
    EXPECT_EQ(ReadFile(ini), edited);
}

TEST_F(CommandFiles, InfoRefusesDevicesAndFilesWithoutSurveyData) {
    CommandResult r = RunCommand(Lumora("info -q /dev/zero"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "lumora: /dev/zero: Not a regular file\n");
    const std::string empty = Dir.File("empty.plt");
    WriteFile(empty, "");
    r = RunCommand(Lumora("info " + ShellQuote(empty)));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "lumora: " + empty + ": no survey data (no station records)\n");
}

TEST_F(CommandFiles, InfoFailsWhenItsOutputCannotBeWritten) {
    const CommandResult r = RunCommand(Lumora("info --dump " + ShellQuote(Cave) + " >/dev/full"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(Contains(r.Err, "standard output: No space left on device")) << r.Err;
}

} // namespace
