// lumora rose drawn headless: a stack of full layers shows the rainbow colours from the bottom
// (pink) to the top (orange) with the rose card's plate under it; without rainbow colours the
// stack is red; seen from above the card's north point is up.
#include "PixelScene.h"

#include "support/TestSupport.h"

#include <QColor>

#include <cmath>
#include <numbers>

namespace lumora::test {
namespace {

// Six layers of 10 feet, each a full disc: 36 level shots from a centre station, one into the
// middle of every petal of 10 degrees.
std::string FullLayers(const TempDir& dir) {
    std::string text = "Z 0 100 0 100 0 60\r\nSMain\r\nNA D 1 1 2000 C\r\n";
    for (int j = 0; j < 6; ++j)
        for (int k = 0; k < 36; ++k) {
            const double b = (5 + 10 * k) * std::numbers::pi / 180;
            const std::string z = std::to_string(10 * j + 5);
            text += "M 0 0 " + z + " C P -9 -9 -9 -9\r\nD " + std::to_string(10 * std::cos(b)) +
                    " " + std::to_string(10 * std::sin(b)) + " " + z + " E P -9 -9 -9 -9\r\n";
        }
    text += "X 0 100 0 100 0 60\r\n";
    const std::string file = dir.File("layers.plt");
    WriteFile(file, text);
    return file;
}

QImage Rose(const TempDir& dir, const std::string& flags) {
    const std::string png = dir.File("rose.png");
    const CommandResult run = RunCommand(LumoraCli() + " rose -q " + ShellQuote(FullLayers(dir)) +
                                         " -o " + ShellQuote(png) + " --size 320x320 " + flags);
    EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    return QImage(QString::fromStdString(png));
}

bool Saturated(QRgb p) {
    const QColor c(p);
    return c.hsvSaturation() > 120 && c.value() > 60;
}

// Hue distance on the colour circle.
int HueApart(int a, int b) {
    const int d = std::abs(a - b) % 360;
    return std::min(d, 360 - d);
}

TEST(RosePicture, LayersShowTheRainbowFromBottomToTopWithTheCardUnderThem) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const QImage image = Rose(dir, "--layers 6 --frequency --pitch 20");
    KeepImage(image, "RosePicture_Rainbow");
    ASSERT_EQ(image.size(), QSize(320, 320));
    // Up the middle column, the runs of one hue: the six layers' table entries 23, 19, 15, 11,
    // 8 and 4 (FF007F, 7F00FF, 007FFF, 00FF7F, 3FFF00, FFBF00), the top layer's lid last.
    const int expected[] = {330, 270, 210, 150, 105, 45};
    std::vector<int> runs;
    int stackBottom = -1, stackTop = -1;
    for (int y = image.height() - 1; y >= 0; --y) {
        const QRgb p = image.pixel(image.width() / 2, y);
        if (!Saturated(p))
            continue;
        stackBottom = stackBottom < 0 ? y : stackBottom;
        stackTop = y;
        const int hue = QColor(p).hsvHue();
        if (runs.empty() || HueApart(runs.back(), hue) > 25)
            runs.push_back(hue);
    }
    ASSERT_EQ(runs.size(), 6u) << "hues up the middle";
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_LE(HueApart(runs[i], expected[i]), 20) << "layer " << i << " hue " << runs[i];
    // The plate: pale, unsaturated pixels (not the grey background), all in the lower part of
    // the stack or below it, reaching out further left and right than the stack does.
    int plateTop = image.height(), plateLeft = image.width(), plateRight = -1;
    int stackLeft = image.width(), stackRight = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            if (Saturated(image.pixel(x, y))) {
                stackLeft = std::min(stackLeft, x);
                stackRight = std::max(stackRight, x);
            } else if (c.hsvSaturation() < 40 && c.value() > 150) {
                plateTop = std::min(plateTop, y);
                plateLeft = std::min(plateLeft, x);
                plateRight = std::max(plateRight, x);
            }
        }
    ASSERT_GE(plateRight, 0) << "no plate";
    EXPECT_GT(plateTop, (stackTop + stackBottom) / 2);
    EXPECT_LT(plateLeft, stackLeft);
    EXPECT_GT(plateRight, stackRight);
}

TEST(RosePicture, WithoutRainbowColoursTheStackIsRed) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const QImage image = Rose(dir, "--layers 6 --frequency --pitch 20 --no-rainbow");
    KeepImage(image, "RosePicture_Red");
    long long saturated = 0, red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Saturated(image.pixel(x, y))) {
                ++saturated;
                red += HueApart(QColor(image.pixel(x, y)).hsvHue(), 0) <= 10 ? 1 : 0;
            }
    EXPECT_GT(saturated, 5000);
    EXPECT_EQ(red, saturated);
}

// From above, a thin rose (two layers of short petals) leaves most of the card in view: its red
// north point lies above the centre, and the card's dark ink shows round the rose.
TEST(RosePicture, FromAboveTheCardsNorthIsUp) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string plot = dir.File("east.plt");
    WriteFile(plot, "Z 0 100 0 100 0 10\r\nSMain\r\nNA D 1 1 2000 C\r\n"
                    "M 0 0 5 A0 P -9 -9 -9 -9\r\nD 0 3 5 A1 P -9 -9 -9 -9\r\n"
                    "X 0 100 0 100 0 10\r\n");
    const std::string png = dir.File("top.png");
    ASSERT_EQ(RunCommand(LumoraCli() + " rose -q " + ShellQuote(plot) + " -o " + ShellQuote(png) +
                         " --size 400x400 --pitch 90 --layers 2 --petals 36 --no-rainbow")
                  .ExitCode,
              0);
    const QImage image(QString::fromStdString(png));
    KeepImage(image, "RosePicture_FromAbove");
    // The red petal points east (right); the card's red north point is at the top. Tell them
    // apart by where the red lies: right of the centre (petal) and above it (north point).
    long long above = 0, below = 0, right = 0, ink = 0;
    const int cx = image.width() / 2, cy = image.height() / 2;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            const bool isRed = c.hsvSaturation() > 120 && HueApart(c.hsvHue(), 0) <= 15;
            if (isRed && std::abs(x - cx) < 8) {
                above += y < cy - 40 ? 1 : 0;
                below += y > cy + 40 ? 1 : 0;
            }
            if (isRed && x > cx + 10 && std::abs(y - cy) < 15)
                ++right;
            ink += c.value() < 120 && c.blue() > c.red() + 10 ? 1 : 0;
        }
    EXPECT_GT(above, 20) << "the north point";
    EXPECT_EQ(below, 0);
    EXPECT_GT(right, 50) << "the petal pointing east";
    EXPECT_GT(ink, 500) << "ticks, rings and labels";
}

} // namespace
} // namespace lumora::test
