// Every export of the lumora program, twenty times in a row on a cave of 20,000 shots: each run
// succeeds and writes the same files as the first, byte for byte but for the moments they carry.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace lumora::test {
namespace {

constexpr int kRuns = 20;

struct ExportKind {
    const char* Name;
    std::string Arguments;          // after "export", with OUT standing for the output folder
    std::vector<std::string> Files; // what a run writes into the output folder
};

std::vector<ExportKind> Kinds() {
    return {
        {"shapefile",
         "shapefile --type passage --zip -o OUT/cave",
         {"cave.shp", "cave.shx", "cave.dbf", "cave.prj", "cave.zip"}},
        {"kml polygons", "kml -o OUT/cave.kml", {"cave.kml"}},
        {"kml lines", "kml --overlay lines -o OUT/cave.kml", {"cave.kml"}},
        {"vrml", "vrml --shot-lines -o OUT/cave.wrl", {"cave.wrl"}},
        {"dxf", "dxf -o OUT/cave.dxf", {"cave.dxf"}},
        {"gltf", "gltf --shots --stations -o OUT/cave.glb", {"cave.glb"}},
    };
}

// A file's bytes with the moments written into them blanked: the dBase table's date of last
// update (bytes 1 to 3 of its header). The zip archive stamps its entries with the files'
// times, so only its size is compared, beside the unzip program's test of it.
std::string Comparable(const std::string& name, std::string bytes) {
    if (name.ends_with(".dbf") && bytes.size() > 4)
        bytes.replace(1, 3, 3, '\0');
    if (name.ends_with(".zip"))
        return std::to_string(bytes.size()) + " bytes";
    return bytes;
}

std::string WithFolder(std::string arguments, const std::string& folder) {
    for (std::size_t at; (at = arguments.find("OUT")) != std::string::npos;)
        arguments.replace(at, 3, ShellQuote(folder));
    return arguments;
}

TEST(ExportSoak, TwentyExportsOfEachKindSucceedAndWriteTheSameFiles) {
    TempDir dir;
    const std::string cave = dir.File("cave.plt");
    const CommandResult gen = RunCommand(
        ShellQuote(LumoraCli()) + " gen -q --stations 20000 --seed 7 -o " + ShellQuote(cave));
    ASSERT_EQ(gen.ExitCode, 0) << gen.Err;
    for (const ExportKind& kind : Kinds()) {
        SCOPED_TRACE(kind.Name);
        std::vector<std::string> first;
        for (int run = 1; run <= kRuns; ++run) {
            // A fresh folder each time: nothing of an earlier run is there to be taken as written.
            const std::string out = dir.File("out");
            std::filesystem::remove_all(out);
            std::filesystem::create_directory(out);
            const CommandResult r =
                RunCommand(ShellQuote(LumoraCli()) + " export " + WithFolder(kind.Arguments, out) +
                           " -q " + ShellQuote(cave));
            ASSERT_EQ(r.ExitCode, 0) << "run " << run << "\n" << r.Out << r.Err;
            ASSERT_EQ(FolderEntries(out).size(), kind.Files.size()) << "run " << run;
            for (std::size_t f = 0; f < kind.Files.size(); ++f) {
                const std::string file = out + "/" + kind.Files[f];
                const std::string bytes = Comparable(file, ReadFile(file));
                if (file.ends_with(".zip")) {
                    const CommandResult test = RunCommand("unzip -tq " + ShellQuote(file));
                    ASSERT_EQ(test.ExitCode, 0) << "run " << run << "\n" << test.Out << test.Err;
                }
                if (run == 1) {
                    ASSERT_FALSE(bytes.empty()) << kind.Files[f];
                    first.push_back(bytes);
                } else {
                    ASSERT_TRUE(bytes == first[f]) << kind.Files[f] << " differs in run " << run;
                }
            }
        }
    }
}

} // namespace
} // namespace lumora::test
