// The OBJ mesh of passage polygons: shared vertices, exact numbers, and a peer reader.
#include "passage/PassageObj.h"
#include "passage/PassageLib.h"
#include "passage/PassageTestData.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>

namespace lumora::passage {
namespace {

using test::TempDir;

// The "v" and "f" lines of an OBJ text.
struct TObjText {
    std::vector<T3DVector> Vertices;
    std::vector<std::vector<int>> Faces;
};

double ParseNumber(const std::string& word) {
    double value = 0;
    const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
    EXPECT_EQ(result.ptr, word.data() + word.size()) << word;
    return value;
}

TObjText ParseObj(const std::string& text) {
    TObjText obj;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, a, b, c;
        words >> kind;
        if (kind == "v") {
            words >> a >> b >> c;
            obj.Vertices.push_back({ParseNumber(a), ParseNumber(b), ParseNumber(c)});
        } else if (kind == "f") {
            obj.Faces.emplace_back();
            int index = 0;
            while (words >> index)
                obj.Faces.back().push_back(index);
        }
    }
    return obj;
}

// A value of "Faces:" and the like in the output of `assimp info`.
long AssimpCount(const std::string& out, const std::string& label) {
    const auto at = out.find(label);
    if (at == std::string::npos)
        return -1;
    return std::stol(out.substr(at + label.size()));
}

TEST(TObjMesh, SharesExactlyEqualPointsAndKeepsFaceOrder) {
    TObjMesh mesh;
    mesh.AddQuad({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0});
    mesh.AddTriangle({0, 0, -0.0}, {1, 1, 0}, {0.1 + 0.2, 5, 5}); // -0 is the same point as 0
    mesh.AddTriangle({0.3, 5, 5}, {1, 0, 0}, {0, 1, 0});          // 0.3 is not 0.1 + 0.2
    EXPECT_EQ(mesh.VertexCount(), 6);
    EXPECT_EQ(mesh.FaceCount(), 3);
    TempDir dir;
    mesh.Write(dir.File("mesh.obj"));
    const TObjText obj = ParseObj(test::ReadFile(dir.File("mesh.obj")));
    ASSERT_EQ(obj.Faces.size(), 3u);
    EXPECT_EQ(obj.Faces[0], (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(obj.Faces[1], (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(obj.Faces[2], (std::vector<int>{6, 2, 4}));
    ASSERT_EQ(obj.Vertices.size(), 6u);
    EXPECT_EQ(obj.Vertices[4].X, 0.1 + 0.2);
    EXPECT_EQ(obj.Vertices[5].X, 0.3);
}

TEST(TObjMesh, WritesEveryCoordinateSoThatItReadsBackExactly) {
    survey::TPlotData data;
    test::BuildRandomCave(data, 3, 300);
    TPassageOptions options;
    options.SealEnds = true;
    options.MetricUnits = true;
    TObjMesh mesh;
    TPassageRunState state;
    auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                    const T3DVector& p3) { mesh.AddQuad(p0, p1, p2, p3); };
    auto cap = [&](const T3DVector& c, const T3DVector& a, const T3DVector& b, bool) {
        mesh.AddTriangle(c, a, b);
    };
    GeneratePassages(data, options, state, cap, wall, nullptr);
    TempDir dir;
    mesh.Write(dir.File("cave.obj"));
    const TObjText obj = ParseObj(test::ReadFile(dir.File("cave.obj")));
    ASSERT_EQ(static_cast<std::int64_t>(obj.Faces.size()), state.PolygonCount);
    ASSERT_EQ(obj.Vertices.size(), mesh.Vertices().size());
    for (std::size_t i = 0; i < obj.Vertices.size(); ++i)
        ASSERT_TRUE(test::SameBits(obj.Vertices[i], mesh.Vertices()[i])) << i;
}

TEST(TObjMesh, FailureToWriteNamesTheFile) {
    TObjMesh mesh;
    mesh.AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    TempDir dir;
    const std::string file = dir.File("missing-folder/mesh.obj");
    try {
        mesh.Write(file);
        FAIL() << "no exception";
    } catch (const WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    }
}

TEST(TObjMesh, AssimpReadsTheTubesOfAGeneratedCave) {
    ASSERT_TRUE(test::HaveProgram("assimp")) << "the peer reader assimp (assimp-utils) is missing";
    survey::TPlotData data;
    test::BuildRandomCave(data, 4, 400);
    TPassageOptions options;
    options.SealEnds = true;
    TObjMesh mesh;
    TPassageRunState state;
    std::int64_t quads = 0, triangles = 0;
    auto wall = [&](const T3DVector& p0, const T3DVector& p1, const T3DVector& p2,
                    const T3DVector& p3) {
        mesh.AddQuad(p0, p1, p2, p3);
        ++quads;
    };
    auto cap = [&](const T3DVector& c, const T3DVector& a, const T3DVector& b, bool) {
        mesh.AddTriangle(c, a, b);
        ++triangles;
    };
    GeneratePassages(data, options, state, cap, wall, nullptr);
    TempDir dir;
    mesh.Write(dir.File("cave.obj"));
    const test::CommandResult info =
        test::RunCommand("assimp info " + test::ShellQuote(dir.File("cave.obj")));
    ASSERT_EQ(info.ExitCode, 0) << info.Out << info.Err;
    // assimp splits each quadrilateral into two triangles.
    EXPECT_EQ(AssimpCount(info.Out, "Faces:"), 2 * quads + triangles) << info.Out;
}

} // namespace
} // namespace lumora::passage
