// --depth-colors and --rock on the command line: render, export gltf and video change what they
// write; a number that is no table is refused.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace lumora::test;

namespace {

std::string Lumora(const std::string& arguments) {
    return "timeout 120 " + ShellQuote(LumoraCli()) + " " + arguments;
}

class DepthColorsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        Cave = Dir.File("cave.plt");
        const CommandResult r =
            RunCommand(Lumora("gen --sections 1 --stations 1500 -o " + ShellQuote(Cave)));
        ASSERT_EQ(r.ExitCode, 0) << r.Err;
    }
    // The bytes command (which writes out) wrote.
    std::string Written(const std::string& command, const std::string& out) {
        const CommandResult r = RunCommand(Lumora(command));
        EXPECT_EQ(r.ExitCode, 0) << command << "\n" << r.Err;
        return ReadFile(out);
    }
    std::string Render(const std::string& flags) {
        const std::string png = Dir.File("view.png");
        return Written("render -q --samples 1 --size 320x240 " + ShellQuote(Cave) + " -o " +
                           ShellQuote(png) + " " + flags,
                       png);
    }

    TempDir Dir;
    std::string Cave;
};

TEST_F(DepthColorsCommand, RenderDrawsDepthColoursAndTheRockTexture) {
    const std::string plain = Render("");
    const std::string depth = Render("--depth-colors");
    const std::string twelve = Render("--depth-colors 12");
    const std::string rock = Render("--rock");
    ASSERT_GT(plain.size(), 1000u);
    EXPECT_NE(depth, plain);
    EXPECT_NE(twelve, plain);
    EXPECT_NE(twelve, depth);
    EXPECT_NE(rock, plain);
    EXPECT_EQ(Render("--depth-colors 24"), depth); // 24 colours when no number is given
    // With the legend, the legend shows the bar used: 12 colours differ from 24.
    EXPECT_NE(Render("--depth-colors 12 --legend"), Render("--depth-colors 12"));
}

TEST_F(DepthColorsCommand, ANumberThatIsNoTableIsRefused) {
    const CommandResult r =
        RunCommand(Lumora("render -q " + ShellQuote(Cave) + " -o " + ShellQuote(Dir.File("v.png")) +
                          " --depth-colors 13"));
    EXPECT_NE(r.ExitCode, 0);
    EXPECT_NE(r.Err.find("--depth-colors"), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(Dir.File("v.png")));
}

TEST_F(DepthColorsCommand, GltfAndVideoTakeTheDepthColours) {
    const std::string glb = Dir.File("cave.glb");
    const std::string plain = Written("export gltf -q " + ShellQuote(Cave) + " -o " + glb, glb);
    const std::string depth =
        Written("export gltf -q " + ShellQuote(Cave) + " -o " + glb + " --depth-colors 30", glb);
    ASSERT_GT(plain.size(), 1000u);
    EXPECT_NE(depth, plain);
    const std::string avi = Dir.File("fly.avi");
    const std::string video = "video -q --size 64x48 --seconds 0.2 --fps 5 " + ShellQuote(Cave) +
                              " -o " + ShellQuote(avi);
    EXPECT_NE(Written(video + " --depth-colors", avi), Written(video, avi));
}

} // namespace
