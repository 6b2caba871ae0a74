// `lumora passages`: its counts against the library, its options, and its OBJ read by assimp.
#include "passage/PassageLib.h"
#include "passage/PassageTestData.h"
#include "support/TestSupport.h"
#include "survey/PlotReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

namespace lumora::passage {
namespace {

using test::CommandResult;
using test::TempDir;

// Three surveys in two sections: a bend, a steep pitch with a hidden shot, and a second traverse.
constexpr const char* kPlot = "Z 0 100 0 100 -50 10\r\n"
                              "SMAIN CAVE\r\n"
                              "NENTRANCE D 3 14 2001 C the way in\r\n"
                              "M 0 0 0 SA1 P 2 3 1 2\r\n"
                              "D 10 0 -1 SA2 P 2 3 1 2\r\n"
                              "D 10 10 -2 SA3 P 1 2 2 1\r\n"
                              "D 20 14 -2 SA4 P -9.9 -9.9 -9.9 -9.9\r\n"
                              "X 0 20 0 14 -2 0\r\n"
                              "NPITCH D 3 15 2001 C down\r\n"
                              "M 20 14 -2 SA4 P 2 2 2 2\r\n"
                              "D 21 14 -30 SB1 P 3 1 1 3\r\n"
                              "d 22 15 -31 SB2 P 1 1 1 1\r\n"
                              "D 30 15 -32 SB3 P 0 0 0 0\r\n"
                              "M 30 15 -32 SB3 P 1 1 1 1\r\n"
                              "D 30 25 -32 SB4 P 1 1 1 1\r\n"
                              "X 20 30 14 25 -32 -2\r\n"
                              "SSIDE\r\n"
                              "NSIDE D 3 16 2001 C side\r\n"
                              "M 10 10 -2 SA3 P 1 1 1 1\r\n"
                              "D 10 30 -2 SC1 P 1 1 1 1\r\n"
                              "D 40 30 -2 SC2 P 1 1 1 1\r\n"
                              "X 10 40 10 30 -2 -2\r\n";

std::int64_t Field(const std::string& out, const std::string& label) {
    const auto at = out.find(label);
    EXPECT_NE(at, std::string::npos) << label << " missing in:\n" << out;
    if (at == std::string::npos)
        return -1;
    return std::stoll(out.substr(at + label.size()));
}

class PassagesCommand : public ::testing::Test {
protected:
    PassagesCommand() { test::WriteFile(Plot, kPlot); }

    CommandResult Run(const std::string& arguments) {
        // A settings folder of its own: the international foot, whatever the user's files say.
        return test::RunCommand("LUMORA_CONFIG_DIR=" + test::ShellQuote(Dir.File("config")) + " " +
                                test::ShellQuote(test::LumoraCli()) + " passages " +
                                test::ShellQuote(Plot) + " " + arguments);
    }
    // The same file through the library with the given options.
    test::TRecorder Expected(const TPassageOptions& options) {
        SilentUi ui;
        survey::LoadPlotFile(Data, Plot, {}, ui);
        return test::RecordPassages(Data, options, State);
    }

    TempDir Dir;
    std::string Plot = Dir.File("cave.plt");
    survey::TPlotData Data;
    TPassageRunState State;
};

TEST_F(PassagesCommand, PrintsTheLibrarysCountsAndTheEstimate) {
    const CommandResult result = Run("--seal");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    TPassageOptions options;
    options.SealEnds = true;
    const test::TRecorder expected = Expected(options);
    EXPECT_EQ(Field(result.Out, "Wall quadrilaterals: "), expected.Count(false));
    EXPECT_EQ(Field(result.Out, "Cap triangles: "), expected.Count(true));
    EXPECT_EQ(Field(result.Out, "PolygonCount: "), State.PolygonCount);
    EXPECT_GT(expected.Count(true), 0u);
    const survey::TPlotCounts counts = survey::CountPlotRecords(Plot);
    const TMeshEstimate estimate = EstimatePassageMesh(counts.DrawCount, counts.EndCount, options);
    EXPECT_EQ(Field(result.Out, "Estimate: "), estimate.Vertices);
    EXPECT_NE(result.Out.find(std::to_string(estimate.Faces) + " faces"), std::string::npos);
    EXPECT_NE(result.Out.find("Time: "), std::string::npos);
}

TEST_F(PassagesCommand, PassesEveryOptionToTheGenerator) {
    const CommandResult result =
        Run("--shape square --round 2 --corner 30 --substitute 0 --no-expand --no-merge "
            "--no-vertical --vertical-threshold 60 --hidden --center --seal");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    TPassageOptions options;
    options.PassShape = TPassShape::Square;
    options.RoundDepth = 2;
    options.CornerThreshold = 30;
    options.SubstituteDiam = 0;
    options.ExpandWalls = false;
    options.MergePass = false;
    options.VerticalPrisms = false;
    options.VerticalThreshold = 60;
    options.IncludeHiddenShots = true;
    options.CenterOnCave = true;
    options.SealEnds = true;
    const test::TRecorder expected = Expected(options);
    EXPECT_EQ(Field(result.Out, "Wall quadrilaterals: "), expected.Count(false));
    EXPECT_EQ(Field(result.Out, "PolygonCount: "), State.PolygonCount);
}

TEST_F(PassagesCommand, RejectsAnUnknownShape) {
    const CommandResult result = Run("--shape hexagon");
    EXPECT_NE(result.ExitCode, 0);
}

TEST_F(PassagesCommand, ObjHoldsThePolygonsInOrderWithCapsFacingOutAndAssimpReadsIt) {
    ASSERT_TRUE(test::HaveProgram("assimp")) << "the peer reader assimp (assimp-utils) is missing";
    const std::string obj = Dir.File("cave.obj");
    const CommandResult result = Run("--seal --metric --obj " + test::ShellQuote(obj));
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    TPassageOptions options;
    options.SealEnds = true;
    options.MetricUnits = true;
    const test::TRecorder expected = Expected(options);

    std::vector<T3DVector> vertices;
    std::vector<std::vector<std::size_t>> faces;
    std::istringstream lines(test::ReadFile(obj));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "v") {
            double xyz[3];
            for (double& value : xyz) {
                std::string word;
                words >> word;
                std::from_chars(word.data(), word.data() + word.size(), value);
            }
            vertices.push_back({xyz[0], xyz[1], xyz[2]});
        } else if (kind == "f") {
            faces.emplace_back();
            for (std::size_t index; words >> index;)
                faces.back().push_back(index - 1);
        }
    }
    ASSERT_EQ(faces.size(), expected.Polygons.size());
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const test::TPolygon& p = expected.Polygons[i];
        std::vector<T3DVector> points = p.Points;
        if (p.IsCap && !p.IsStart)
            std::swap(points[1], points[2]); // the end cap runs centre, B, A
        ASSERT_EQ(faces[i].size(), points.size()) << i;
        for (std::size_t k = 0; k < points.size(); ++k)
            ASSERT_TRUE(test::SameBits(vertices.at(faces[i][k]), points[k])) << i << " " << k;
    }

    const CommandResult info = test::RunCommand("assimp info " + test::ShellQuote(obj));
    ASSERT_EQ(info.ExitCode, 0) << info.Out << info.Err;
    const std::int64_t quads = static_cast<std::int64_t>(expected.Count(false));
    const std::int64_t triangles = static_cast<std::int64_t>(expected.Count(true));
    EXPECT_EQ(Field(info.Out, "Faces:"), 2 * quads + triangles) << info.Out;
}

// North 100 ft, a hidden shot east 100 ft, north 100 ft again, as the viewer and the OBJ see it
// through the peer reader: assimp's faces keep off the diagonal that would join the stations on
// either side of the hidden shot, and off the hidden shot itself unless hidden shots are asked
// for.
TEST_F(PassagesCommand, ALeftOutHiddenShotGivesNoTubeInTheObj) {
    ASSERT_TRUE(test::HaveProgram("assimp")) << "the peer reader assimp (assimp-utils) is missing";
    test::WriteFile(Plot, "Z 0 200 0 100 0 0\r\nSMAIN\r\nNA D 1 1 2000 C\r\n"
                          "M 0 0 0 SA1 P 3 3 3 3\r\n"
                          "D 100 0 0 SA2 P 3 3 3 3\r\n"
                          "d 100 100 0 SA3 P 3 3 3 3\r\n"
                          "D 200 100 0 SA4 P 3 3 3 3\r\n"
                          "X 0 200 0 100 0 0\r\n");
    // Plan distance from p to the middle part (20 % to 80 %) of the diagonal from SA2 to SA4.
    auto fromDiagonal = [](const T3DVector& p) {
        const double t = std::clamp((p.X + p.Y - 100.0) / 200.0, 0.2, 0.8);
        return std::hypot(p.X - 100.0 * t, p.Y - (100.0 + 100.0 * t));
    };
    for (const char* hidden : {"", " --hidden"}) {
        const std::string obj = Dir.File("bend.obj");
        const std::string ply = Dir.File("bend.ply");
        ASSERT_EQ(Run("--seal --round 2 --obj " + test::ShellQuote(obj) + hidden).ExitCode, 0);
        const CommandResult convert = test::RunCommand("assimp export " + test::ShellQuote(obj) +
                                                       " " + test::ShellQuote(ply) + " -fply");
        ASSERT_EQ(convert.ExitCode, 0) << convert.Out << convert.Err;
        std::istringstream in(test::ReadFile(ply));
        std::size_t vertexCount = 0, faceCount = 0;
        for (std::string word; in >> word && word != "end_header";) {
            if (word == "element") {
                std::string kind;
                in >> kind;
                (kind == "vertex" ? vertexCount : faceCount) = 0;
                in >> (kind == "vertex" ? vertexCount : faceCount);
            }
        }
        std::vector<T3DVector> vertices(vertexCount);
        for (T3DVector& v : vertices)
            in >> v.X >> v.Y >> v.Z;
        ASSERT_GT(faceCount, 0u);
        double nearest = 1e300;       // to the diagonal
        double nearestHidden = 1e300; // to the middle of the hidden shot
        auto look = [&](const T3DVector& p) {
            nearest = std::min(nearest, fromDiagonal(p));
            nearestHidden = std::min(nearestHidden, std::hypot(p.X - 50.0, p.Y - 100.0));
        };
        for (std::size_t f = 0; f < faceCount; ++f) {
            std::size_t corners = 0;
            in >> corners;
            T3DVector centre;
            for (std::size_t k = 0; k < corners; ++k) {
                std::size_t index = 0;
                in >> index;
                const T3DVector& p = vertices.at(index);
                look(p);
                centre = survey::Add(centre, survey::Scale(p, 1.0 / corners));
            }
            look(centre);
        }
        ASSERT_TRUE(in) << "assimp's PLY could not be read";
        EXPECT_GT(nearest, 15.0) << "a wall lies on the diagonal" << hidden;
        if (*hidden == '\0')
            EXPECT_GT(nearestHidden, 15.0) << "the hidden shot has walls";
        else
            EXPECT_LT(nearestHidden, 5.0) << "the hidden shot has no walls";
    }
}

} // namespace
} // namespace lumora::passage
