// lumora export gltf as a user runs it: the file it writes is read by the validator, assimp and
// gltfpack with the counts it reports, its name follows the plot file's, and a file that cannot
// be read or written is named while any older output stays as it was.
#include "scene/GltfPeers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

using namespace lumora::test;

namespace {

namespace fs = std::filesystem;

std::string Lumora(const std::string& arguments) {
    return ShellQuote(LumoraCli()) + " " + arguments;
}

std::string InFolder(const TempDir& dir, const std::string& arguments) {
    return "cd " + ShellQuote(dir.Path().string()) + " && " + Lumora(arguments);
}

std::string GenerateCave(const TempDir& dir, int stations) {
    const std::string file = dir.File("cave.plt");
    const CommandResult r = RunCommand(
        Lumora("gen --stations " + std::to_string(stations) + " -o " + ShellQuote(file)));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return file;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What the command's "Wrote" line says it wrote.
struct Written {
    long long Meshes = -1, Triangles = -1, Lines = -1, Vertices = -1;
};

Written WroteLine(const std::string& out) {
    Written w;
    std::smatch m;
    const std::regex line("Wrote .* \\((binary|text), (\\d+) meshes, (\\d+) triangles, (\\d+) "
                          "lines, (\\d+) vertices");
    if (std::regex_search(out, m, line)) {
        w.Meshes = std::stoll(m[2]);
        w.Triangles = std::stoll(m[3]);
        w.Lines = std::stoll(m[4]);
        w.Vertices = std::stoll(m[5]);
    }
    return w;
}

TEST(GltfExport, BothFormsAreValidAndThePeersReadTheCountsTheCommandReports) {
    TempDir dir;
    const std::string cave = GenerateCave(dir, 600);
    for (const std::string name : {"cave.glb", "cave.gltf"}) {
        const std::string out = dir.File(name);
        const CommandResult r = RunCommand(
            Lumora("export gltf -q --shots " + ShellQuote(cave) + " -o " + ShellQuote(out)));
        ASSERT_EQ(r.ExitCode, 0) << r.Err;
        EXPECT_EQ(r.Err, "");
        const Written w = WroteLine(r.Out);
        ASSERT_GT(w.Triangles, 1000) << r.Out;
        ASSERT_GT(w.Lines, 100) << r.Out;
        EXPECT_TRUE(Contains(r.Out, name == "cave.glb" ? "(binary" : "(text")) << r.Out;
        ExpectValidGltf(out);
        const AssimpTotals totals = AssimpInfo(out);
        EXPECT_EQ(totals.Faces, w.Triangles + w.Lines) << name;
        EXPECT_EQ(totals.Vertices, w.Vertices) << name;
        if (name == "cave.glb")
            ExpectGltfpackReads(out, dir.File("packed.glb"));
    }
}

TEST(GltfExport, TheFileIsNamedAfterThePlotFileAndThePassageFlagsChangeIt) {
    TempDir dir;
    GenerateCave(dir, 300);
    CommandResult r = RunCommand(InFolder(dir, "export gltf -q cave.plt"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_TRUE(fs::exists(dir.File("cave.glb"))) << r.Out;
    const Written octagons = WroteLine(r.Out);
    r = RunCommand(InFolder(dir, "export gltf -q cave.plt --shape square -o square.glb"));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    const Written squares = WroteLine(r.Out);
    EXPECT_GT(squares.Triangles, 0);
    EXPECT_LT(squares.Triangles, octagons.Triangles) << "a square tube has fewer faces";
    EXPECT_EQ(octagons.Lines, 0) << "no shot lines unless asked";
    ExpectValidGltf(dir.File("square.glb"));
}

TEST(GltfExport, UnreadableInputAndUnwritableOutputAreNamedAndTheOldFileStays) {
    TempDir dir;
    const std::string cave = GenerateCave(dir, 2000);
    const std::string out = dir.File("good.glb");
    const std::string command =
        Lumora("export gltf -q " + ShellQuote(cave) + " -o " + ShellQuote(out));
    ASSERT_EQ(RunCommand(command).ExitCode, 0);
    const std::string good = ReadFile(out);
    ASSERT_GT(good.size(), 100000u);

    CommandResult r;
    {
        FileSizeLimit full(good.size() / 2);
        r = RunCommand(command);
    }
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(Contains(r.Err, "lumora: " + out + ": ")) << r.Err;
    EXPECT_FALSE(Contains(r.Out, "Wrote")) << r.Out;
    EXPECT_TRUE(ReadFile(out) == good) << "the good file was changed";

    r = RunCommand("timeout 20 " + Lumora("export gltf -q " + ShellQuote(cave) + " -o /dev/full"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, "lumora: /dev/full: Not a regular file\n");

    const std::string notPlot = dir.File("notes.plt");
    WriteFile(notPlot, "these are not survey data\n");
    r = RunCommand(Lumora("export gltf -q " + ShellQuote(notPlot) + " -o " +
                          ShellQuote(dir.File("notes.glb"))));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(Contains(r.Err, notPlot)) << r.Err;
    EXPECT_FALSE(fs::exists(dir.File("notes.glb")));
    // Nothing but the inputs and the good file: no temporary file is left behind.
    EXPECT_EQ(FolderEntries(dir.Path().string()),
              (std::vector<std::string>{"cave.plt", "good.glb", "notes.plt"}));
}

} // namespace
