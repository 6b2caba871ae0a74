// The cave the scene holds, pinned down byte for byte: the .x files `lumora mesh` writes for
// generated caves keep their checksums, so a faster mesh store or normal generation cannot change
// a single vertex, normal, face, colour or their order unnoticed. (When the scene is meant to
// change, remake the sums with `lumora gen` and `lumora mesh` as below and say why in the commit.)
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace lumora::test;

namespace {

struct TChecksumCase {
    std::string Name;
    std::string Gen;  // lumora gen arguments
    std::string Mesh; // lumora mesh arguments
    std::string Sha256;
};

void PrintTo(const TChecksumCase& c, std::ostream* out) {
    *out << c.Name;
}

std::string Sha256Of(const std::string& file) {
    const CommandResult r = RunCommand("sha256sum " + ShellQuote(file));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return r.Out.substr(0, 64);
}

class MeshChecksum : public ::testing::TestWithParam<TChecksumCase> {};

TEST_P(MeshChecksum, MeshFileOfAGeneratedCaveKeepsItsBytes) {
    const TChecksumCase& c = GetParam();
    TempDir dir;
    const std::string plot = dir.File("cave.plt");
    const std::string mesh = dir.File("cave.x");
    const std::string cli = ShellQuote(LumoraCli());
    ASSERT_EQ(RunCommand(cli + " gen -q " + c.Gen + " -o " + ShellQuote(plot)).ExitCode, 0);
    const CommandResult r =
        RunCommand(cli + " mesh -q " + ShellQuote(plot) + " -o " + ShellQuote(mesh) + c.Mesh);
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(Sha256Of(mesh), c.Sha256);
}

INSTANTIATE_TEST_SUITE_P(
    GeneratedCaves, MeshChecksum,
    ::testing::Values(
        TChecksumCase{"Text", "--seed 1 --stations 3000 --sections 1", "",
                      "bf034dac486b3e50064661e75a53b3fca336a1cf26dfb996129cafad5f10341a"},
        TChecksumCase{"Binary", "--seed 1 --stations 3000 --sections 1", " --binary",
                      "6e7e333eba8a22f49040d56dc8e4aaede0c2fc40475a02ef0fb77d610fe62ecb"},
        TChecksumCase{"HiddenSquareTwoPassesSealed", "--seed 7 --stations 5000 --sections 3",
                      " --hidden --shape square --round 2 --seal",
                      "83423eed02b6eb70826aacd43a7b8046835ee571503c8ef9fbf0c80c8f099783"},
        TChecksumCase{"ManyMeshes", "--seed 11 --stations 20000 --sections 2", "",
                      "518db1fc46d5c1192d58ff8b06abbc7aa2c504ee7ca12c4469606146d14e957c"},
        TChecksumCase{"ManyMeshesHiddenSquareSealed", "--seed 11 --stations 20000 --sections 2",
                      " --hidden --shape square --round 2 --seal",
                      "b15ce71bb783404daba8bf55ecbd449b14d168092f81a73c33c9cb53367fa0de"}),
    [](const ::testing::TestParamInfo<TChecksumCase>& info) { return info.param.Name; });

} // namespace
