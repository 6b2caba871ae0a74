// The rose card drawn by the program: north marked in red at the top, a tick every 10 degrees,
// longer ones and a label every 30 degrees, and its use as the texture "QUILTRA".
#include "analysis/RoseCard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace lumora::test {
namespace {

using analysis::kRoseCardSize;

struct TCard {
    std::vector<std::uint8_t> Pixels = analysis::RoseCardPixels(kRoseCardSize);

    struct TRgb {
        int R, G, B;
        int Light() const { return (R + G + B) / 3; }
    };
    TRgb At(int x, int y) const {
        const std::uint8_t* p = &Pixels[(std::size_t(y) * kRoseCardSize + std::size_t(x)) * 3];
        return {p[0], p[1], p[2]};
    }
    // The pixel at a bearing (clockwise from north, which is up) and a radius (a fraction of
    // the side) from the centre.
    std::pair<int, int> Where(double bearing, double radius) const {
        const double a = bearing * std::numbers::pi / 180, r = radius * kRoseCardSize;
        const double c = kRoseCardSize / 2.0;
        return {int(std::floor(c + r * std::sin(a))), int(std::floor(c - r * std::cos(a)))};
    }
    // The darkest of the 3 x 3 pixels around that point.
    int Darkest(double bearing, double radius) const {
        const auto [x, y] = Where(bearing, radius);
        int darkest = 255;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                darkest = std::min(darkest, At(x + dx, y + dy).Light());
        return darkest;
    }
    // Dark pixels (ink) in the square of half side h around that point.
    int InkAround(double bearing, double radius, int h) const {
        const auto [x, y] = Where(bearing, radius);
        int ink = 0;
        for (int dy = -h; dy <= h; ++dy)
            for (int dx = -h; dx <= h; ++dx)
                ink += At(x + dx, y + dy).Light() < 120 ? 1 : 0;
        return ink;
    }
};

TEST(RoseCard, SquareOfTheGivenSizeAndAlwaysTheSame) {
    const TCard card;
    EXPECT_EQ(card.Pixels.size(), std::size_t(kRoseCardSize) * kRoseCardSize * 3);
    EXPECT_EQ(card.Pixels, analysis::RoseCardPixels(kRoseCardSize));
    EXPECT_EQ(analysis::RoseCardPixels(64).size(), 64u * 64 * 3);
    // Corners are plain paper.
    EXPECT_GT(card.At(2, 2).Light(), 200);
    EXPECT_GT(card.At(kRoseCardSize - 3, kRoseCardSize - 3).Light(), 200);
}

TEST(RoseCard, NorthIsMarkedRedAtTheTop) {
    const TCard card;
    const double ring = (analysis::kCardMajorInner + analysis::kCardRim) / 2;
    const auto [x, y] = card.Where(0, ring);
    const auto north = card.At(x, y);
    EXPECT_GT(north.R, 150);
    EXPECT_LT(north.G, 100);
    EXPECT_LT(y, kRoseCardSize / 2); // up in the picture
    for (double bearing : {90.0, 180.0, 270.0}) {
        const auto [sx, sy] = card.Where(bearing, ring);
        const auto other = card.At(sx, sy);
        EXPECT_FALSE(other.R > 150 && other.G < 100) << bearing;
    }
}

TEST(RoseCard, ATickEveryTenDegreesAndLongerOnesEveryThirty) {
    const TCard card;
    const double ring = (analysis::kCardTickInner + analysis::kCardRim) / 2;
    const double inner = (analysis::kCardMajorInner + analysis::kCardTickInner) / 2;
    for (int bearing = 10; bearing < 360; bearing += 10) {
        EXPECT_LT(card.Darkest(bearing, ring), 150) << bearing;
        EXPECT_GT(card.Darkest(bearing + 5, ring), 200) << bearing + 5;
        if (bearing % 30 == 0)
            EXPECT_LT(card.Darkest(bearing, inner), 150) << bearing;
        else
            EXPECT_GT(card.Darkest(bearing, inner), 200) << bearing;
    }
}

TEST(RoseCard, ALabelEveryThirtyDegreesAndNoneBetween) {
    const TCard card;
    const int h = int(analysis::kCardLabelHeight * kRoseCardSize * 0.6);
    for (int bearing = 30; bearing < 360; bearing += 30) {
        EXPECT_GT(card.InkAround(bearing, analysis::kCardLabel, h), 20) << bearing;
        EXPECT_EQ(card.InkAround(bearing + 15, analysis::kCardLabel, h / 2), 0) << bearing + 15;
    }
    // "N" is written in red.
    const auto [x, y] = card.Where(0, analysis::kCardLabel);
    int red = 0;
    for (int dy = -h; dy <= h; ++dy)
        for (int dx = -h; dx <= h; ++dx) {
            const auto p = card.At(x + dx, y + dy);
            red += p.R > 150 && p.G < 100 ? 1 : 0;
        }
    EXPECT_GT(red, 20);
}

TEST(RoseCard, LoadsAsTheCurrentTextureNamedQuiltra) {
    viewer::TViewerScene s;
    viewer::TTextures t;
    ASSERT_EQ(analysis::LoadRoseCard(s, t), scene::Result::Ok);
    ASSERT_TRUE(t.CurrentTexture);
    EXPECT_EQ(t.CurrentTexture->GetName(), "QUILTRA");
    EXPECT_EQ(t.CurrentTexture->GetWidth(), kRoseCardSize);
    EXPECT_EQ(t.CurrentTexture->GetHeight(), kRoseCardSize);
    const QRgb north = t.CurrentTexture->Image().pixel(kRoseCardSize / 2, 20); // the red point
    EXPECT_GT(qRed(north), 150);
    EXPECT_LT(qGreen(north), 100);
}

} // namespace
} // namespace lumora::test
