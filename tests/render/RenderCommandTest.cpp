// lumora render and lumora mesh end to end: pictures of a generated cave drawn headless, and the
// saved .x files read back by assimp.
#include "PixelScene.h"

#include "support/TestSupport.h"

namespace lumora::test {
namespace {

// Pixels where one channel clearly leads: red passages, blue shots, yellow markers.
double Share(const QImage& image, bool (*test)(QRgb)) {
    long long hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            hits += test(image.pixel(x, y)) ? 1 : 0;
    return double(hits) / (double(image.width()) * image.height());
}
bool Reddish(QRgb p) {
    return qRed(p) > qGreen(p) + 40 && qRed(p) > qBlue(p) + 40;
}
bool Bluish(QRgb p) {
    return qBlue(p) > qRed(p) + 40 && qBlue(p) > qGreen(p) + 40;
}
bool Yellowish(QRgb p) {
    return qRed(p) > qBlue(p) + 80 && qGreen(p) > qBlue(p) + 80;
}

TEST(RenderCommand, CaveAppearsRedOnTheGreyBackground) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const QImage image =
        RenderCommandPicture(dir, GeneratedPlot(dir, 300), "--size 320x240 --pitch 80");
    ASSERT_EQ(image.size(), QSize(320, 240));
    EXPECT_EQ(image.pixel(0, 0), qRgb(64, 64, 64));
    EXPECT_GT(ShareOfColor(image, qRgb(64, 64, 64), 0), 0.5);
    EXPECT_GT(Share(image, Reddish), 0.003);
    EXPECT_EQ(Share(image, Bluish), 0.0);
}

// A zig-zag survey of 10-foot shots without passage dimensions: no walls hide the shot lines
// and station markers that run inside them.
std::string BareSurvey(const TempDir& dir) {
    std::string text = "Z 0 10 0 40 0 0\r\nSMain\r\nNA D 1 1 2000 C\r\n";
    for (int i = 0; i <= 4; ++i)
        text += std::string(i == 0 ? "M " : "D ") + (i % 2 ? "10" : "0") + " " +
                std::to_string(i * 10) + " 0 SA" + std::to_string(i) +
                " P -9.00 -9.00 -9.00 -9.00 I 10.00\r\n";
    text += "X 0 0 0 0 0 0\r\n";
    const std::string file = dir.File("bare.plt");
    WriteFile(file, text);
    return file;
}

TEST(RenderCommand, ShotLinesAreBlueAndStationsYellow) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string cave = BareSurvey(dir);
    const QImage shots =
        RenderCommandPicture(dir, cave, "--size 320x240 --pitch 80 --substitute 0 --shots");
    KeepImage(shots, "RenderCommand_Shots");
    EXPECT_GT(Share(shots, Bluish), 0.002);
    EXPECT_EQ(Share(shots, Yellowish), 0.0);
    const QImage stations =
        RenderCommandPicture(dir, cave, "--size 320x240 --pitch 80 --substitute 0 --stations");
    KeepImage(stations, "RenderCommand_Stations");
    EXPECT_GT(Share(stations, Yellowish), 0.0008); // five small cubes
    EXPECT_EQ(Share(stations, Bluish), 0.0);
}

// An L of bare shots: 100 ft north and 50 ft east from one station.
std::string NorthAndEastArms(const TempDir& dir) {
    const std::string file = dir.File("arms.plt");
    WriteFile(file, "Z 0 100 0 50 0 0\r\nSMain\r\nNA D 1 1 2000 C\r\n"
                    "M 0 0 0 SA0 P -9 -9 -9 -9\r\nD 100 0 0 SN P -9 -9 -9 -9\r\n"
                    "M 0 0 0 SA0 P -9 -9 -9 -9\r\nD 0 50 0 SE P -9 -9 -9 -9\r\n"
                    "X 0 100 0 50 0 0\r\n");
    return file;
}

// Looking straight down (--pitch 90) shows the plan as a map does: the north arm runs up from the
// corner and the east arm to the right, so the blue L fills every quarter of its box but the
// upper right one. Seen from below, or mirrored, another quarter stays empty.
TEST(RenderCommand, PitchNinetyLooksDownWithNorthUpAndEastRight) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const QImage image = RenderCommandPicture(dir, NorthAndEastArms(dir),
                                              "--size 320x240 --pitch 90 --substitute 0 --shots");
    KeepImage(image, "RenderCommand_PlanFromAbove");
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Bluish(image.pixel(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GT(right - left, 20) << "no shots in the picture";
    ASSERT_GT(bottom - top, 20);
    // The north arm is twice as long as the east arm.
    EXPECT_GT(bottom - top, 1.5 * (right - left));
    int quarter[2][2] = {{0, 0}, {0, 0}}; // [lower][right]
    const int middleX = (left + right) / 2, middleY = (top + bottom) / 2;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (Bluish(image.pixel(x, y)))
                ++quarter[y > middleY][x > middleX];
    EXPECT_EQ(quarter[0][1], 0) << "upper right";
    EXPECT_GT(quarter[0][0], 10) << "upper left: the north arm";
    EXPECT_GT(quarter[1][0], 10) << "lower left: the corner";
    EXPECT_GT(quarter[1][1], 10) << "lower right: the east arm";
}

TEST(RenderCommand, TurningTheModelChangesThePicture) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string cave = GeneratedPlot(dir, 300);
    const QImage side = RenderCommandPicture(dir, cave, "--size 160x120");
    const QImage turned = RenderCommandPicture(dir, cave, "--size 160x120 --yaw 90 --pitch 45");
    EXPECT_NE(side, turned);
}

TEST(RenderCommand, LookFlagsChangeBackgroundFillAndFog) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string cave = GeneratedPlot(dir, 300);
    const std::string view = "--size 320x240 --pitch 80 ";
    const QImage solid = RenderCommandPicture(dir, cave, view + "--background ff8000");
    EXPECT_EQ(solid.pixel(0, 0), qRgb(255, 128, 0));
    const QImage points = RenderCommandPicture(dir, cave, view + "--fill points");
    EXPECT_LT(Share(points, Reddish) * 3, Share(solid, Reddish));
    // Fog nearer than the model and as thick as can be: the cave takes the fog's colour.
    const QImage fogged = RenderCommandPicture(
        dir, cave, view + "--fog linear --fog-start 0 --fog-end 1 --fog-color 00ff00");
    EXPECT_EQ(Share(fogged, Reddish), 0.0);
    EXPECT_GT(ShareOfColor(fogged, qRgb(0, 255, 0), 0), 0.003);
}

TEST(RenderCommand, HalfTransparentCaveAndItsShadowAreDrawn) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string cave = GeneratedPlot(dir, 300);
    const QImage solid = RenderCommandPicture(dir, cave, "--size 320x240 --pitch 30");
    const QImage glass =
        RenderCommandPicture(dir, cave, "--size 320x240 --pitch 30 --transparency 50 --shadow 1");
    KeepImage(glass, "RenderCommand_Glass");
    EXPECT_NE(solid, glass);
    EXPECT_GT(ShareOfColor(glass, qRgb(0, 0, 0), 0), 0.001); // the shadow
}

TEST(RenderCommand, RejectsALookFlagOutsideItsChoices) {
    TempDir dir;
    const std::string cave = GeneratedPlot(dir, 20);
    for (const std::string flags : {"--fog-color blue", "--fill dots", "--samples 0"}) {
        const CommandResult run = RunCommand(LumoraCli() + " render -q " + ShellQuote(cave) +
                                             " -o " + ShellQuote(dir.File("x.png")) + " " + flags);
        EXPECT_EQ(run.ExitCode, flags == "--samples 0" ? 105 : 1) << flags << run.Err;
        EXPECT_NE(run.Err.find(flags.substr(0, flags.find(' '))), std::string::npos) << run.Err;
    }
}

TEST(RenderCommand, RejectsAMalformedSize) {
    TempDir dir;
    const CommandResult run =
        RunCommand(LumoraCli() + " render " + ShellQuote(GeneratedPlot(dir, 20)) + " -o " +
                   ShellQuote(dir.File("x.png")) + " --size 10by10");
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find("10by10"), std::string::npos) << run.Err;
}

// The saved cave read back by the peer reader, in both forms.
TEST(MeshCommand, AssimpReadsTheTextAndBinaryCave) {
    ASSERT_TRUE(HaveProgram("assimp")) << "assimp (the .x peer reader) is not installed";
    TempDir dir;
    const std::string cave = GeneratedPlot(dir, 300);
    for (const std::string form : {"", " --binary"}) {
        const std::string x = dir.File("cave.x");
        const CommandResult run = RunCommand(LumoraCli() + " mesh -q " + ShellQuote(cave) + " -o " +
                                             ShellQuote(x) + form);
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        const std::size_t faces = std::stoul(run.Out.substr(run.Out.find("meshes, ") + 8));
        const CommandResult info = RunCommand("assimp info " + ShellQuote(x));
        EXPECT_EQ(info.ExitCode, 0) << form << info.Out << info.Err;
        EXPECT_NE(info.Out.find("Meshes:"), std::string::npos) << form << info.Out;
        EXPECT_GT(faces, 100u);
        const std::string head = ReadFile(x).substr(0, 16);
        EXPECT_EQ(head.substr(8, 4), form.empty() ? "txt " : "bin ") << head;
    }
}

} // namespace
} // namespace lumora::test
