// lumora render --depth-colors and --rock drawn headless: a profile of a generated cave lit by
// an even light shows the bar's bands from the top of the picture down in the bar's order, and
// the rock texture changes the passages' pixels.
#include "PixelScene.h"

#include "support/TestSupport.h"

#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace lumora::test {
namespace {

// The 24-colour bar's bands 1 to 23, top first (RGB hex).
constexpr QRgb kBands[] = {0xFF0000, 0xFF3F00, 0xFF7F00, 0xFFBF00, 0xFFFF00, 0xBFFF00,
                           0x7FFF00, 0x3FFF00, 0x00FF00, 0x00FF3F, 0x00FF7F, 0x00FFBF,
                           0x00FFFF, 0x00BFFF, 0x007FFF, 0x003FFF, 0x0000FF, 0x3F00FF,
                           0x7F00FF, 0xBF00FF, 0xFF00FF, 0xFF00BF, 0xFF007F};

// The band (1..23) nearest the pixel, or 0 when none is close.
int NearestBand(QRgb p) {
    int best = 0, bestDistance = 3 * 10;
    for (int i = 1; i <= 23; ++i) {
        const QRgb c = kBands[i - 1];
        const int d = std::abs(qRed(p) - qRed(c)) + std::abs(qGreen(p) - qGreen(c)) +
                      std::abs(qBlue(p) - qBlue(c));
        if (d < bestDistance)
            best = i, bestDistance = d;
    }
    return best;
}

// Drawn under an even white light (the direct light made ambient, no other), each pixel shows
// its face's colour as it is.
constexpr const char* kEvenProfile =
    "--size 960x720 --view north --fit --light ambient --ambient 0 --shading flat";

TEST(DepthPicture, AProfileShowsTheBandsFromTopToBottomInTheBarsOrder) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string cave = GeneratedPlot(dir, 3000);
    const QImage image =
        RenderCommandPicture(dir, cave, std::string(kEvenProfile) + " --depth-colors");
    KeepImage(image, "DepthPicture_Profile");
    std::map<int, std::pair<double, long long>> rows; // band: sum of y, pixels
    long long passage = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (p == qRgb(64, 64, 64))
                continue;
            ++passage;
            if (const int band = NearestBand(p)) {
                rows[band].first += y;
                ++rows[band].second;
            }
        }
    ASSERT_GT(passage, 4000);
    long long matched = 0;
    for (const auto& [band, sum] : rows)
        matched += sum.second;
    EXPECT_GT(double(matched) / double(passage), 0.9) << "pixels not of a band";
    // Bands with a few pixels are edges blended with their neighbours: count the real ones.
    std::vector<std::pair<int, double>> seen; // band, mean row
    for (const auto& [band, sum] : rows)
        if (sum.second >= 30)
            seen.emplace_back(band, sum.first / double(sum.second));
    ASSERT_GE(seen.size(), 10u);
    // Faces reach below the band of their highest point and the view has perspective, so
    // neighbouring bands may overlap by a few rows; bands further apart are strictly in order.
    for (std::size_t i = 0; i < seen.size(); ++i)
        for (std::size_t j = i + 1; j < seen.size(); ++j) {
            const double slack = seen[j].first - seen[i].first >= 2 ? 0 : 3;
            EXPECT_LT(seen[i].second, seen[j].second + slack)
                << "band " << seen[i].first << " is not above band " << seen[j].first;
        }
}

TEST(DepthPicture, TheRockTextureChangesThePassages) {
    LUMORA_REQUIRE_EGL();
    TempDir dir;
    const std::string cave = GeneratedPlot(dir, 3000);
    const QImage plain = RenderCommandPicture(dir, cave, kEvenProfile);
    const QImage rock = RenderCommandPicture(dir, cave, std::string(kEvenProfile) + " --rock");
    KeepImage(rock, "DepthPicture_Rock");
    ASSERT_EQ(plain.size(), rock.size());
    long long passage = 0, changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) == qRgb(64, 64, 64))
                continue;
            ++passage;
            changed += plain.pixel(x, y) != rock.pixel(x, y) ? 1 : 0;
        }
    ASSERT_GT(passage, 4000);
    EXPECT_GT(double(changed) / double(passage), 0.8);
    // The stone is not one flat colour: many different pixels where the passages were red.
    std::set<QRgb> shades;
    for (int y = 0; y < rock.height(); ++y)
        for (int x = 0; x < rock.width(); ++x)
            if (plain.pixel(x, y) != qRgb(64, 64, 64))
                shades.insert(rock.pixel(x, y));
    EXPECT_GT(shades.size(), 50u);
}

} // namespace
} // namespace lumora::test
