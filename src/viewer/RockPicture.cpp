#include "viewer/RockPicture.h"

#include "platform/SafeFile.h"

#include <algorithm>
#include <cmath>

namespace lumora::viewer {

using namespace scene;

namespace {

// Pseudo-random value 0..1 of a lattice point; the lattice repeats every period points.
double LatticeValue(int x, int y, int period, std::uint32_t seed) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967295.0;
}

double Smooth(double t) {
    return t * t * (3 - 2 * t);
}

// Smoothly interpolated lattice noise at (u, v) in lattice units, repeating every period.
double ValueNoise(double u, double v, int period, std::uint32_t seed) {
    const int x = int(std::floor(u)), y = int(std::floor(v));
    const double fx = Smooth(u - x), fy = Smooth(v - y);
    const double top =
        std::lerp(LatticeValue(x, y, period, seed), LatticeValue(x + 1, y, period, seed), fx);
    const double bottom = std::lerp(LatticeValue(x, y + 1, period, seed),
                                    LatticeValue(x + 1, y + 1, period, seed), fx);
    return std::lerp(top, bottom, fy);
}

// Octaves of noise over the unit square (s, t in 0..1), each twice as fine; tiles at 1.
double Layers(double s, double t, int octaves, int basePeriod, std::uint32_t seed) {
    double sum = 0, weight = 1, total = 0;
    for (int octave = 0, period = basePeriod; octave < octaves; ++octave, period *= 2) {
        sum += weight * ValueNoise(s * period, t * period, period, seed + std::uint32_t(octave));
        total += weight;
        weight *= 0.5;
    }
    return sum / total;
}

// value as count bytes, least significant first.
void AppendLittle(std::string& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
}

std::uint8_t Byte(double value) {
    return std::uint8_t(std::clamp(value, 0.0, 255.0));
}

} // namespace

std::vector<std::uint8_t> RockPixels(int size) {
    size = std::max(size, 1);
    std::vector<std::uint8_t> pixels(std::size_t(size) * std::size_t(size) * 3);
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            const double s = double(column) / size, t = double(row) / size;
            const double grain = Layers(s, t, 6, 4, 17); // the stone's mottling
            const double ridge = 1 - std::abs(2 * Layers(s, t, 4, 3, 91) - 1); // cracks
            const double crack = std::pow(ridge, 12);
            const double shade = (0.35 + 0.75 * grain) * (1 - 0.6 * crack);
            std::uint8_t* p = &pixels[(std::size_t(row) * size + column) * 3];
            p[0] = Byte(shade * 178); // a warm gray limestone
            p[1] = Byte(shade * 160);
            p[2] = Byte(shade * 138);
        }
    return pixels;
}

namespace {

QImage RockImage() {
    const std::vector<std::uint8_t> pixels = RockPixels(kRockPictureSize);
    const QImage view(pixels.data(), kRockPictureSize, kRockPictureSize, kRockPictureSize * 3,
                      QImage::Format_RGB888);
    return view.copy(); // owns its pixels
}

} // namespace

Result LoadRockTexture(TViewerScene& s, TTextures& t) {
    TexturePtr texture;
    const Result result = s.RMRoot.LoadTextureFromImage(RockImage(), texture);
    if (!Succeeded(result))
        return result;
    texture->SetName(kRockTextureName);
    t.CurrentTexture = texture;
    return Result::Ok;
}

std::string RockBitmapBytes() {
    const int size = kRockPictureSize;
    const std::vector<std::uint8_t> pixels = RockPixels(size);
    const std::uint32_t row = (std::uint32_t(size) * 3 + 3) & ~3u; // rows end on 4 bytes
    const std::uint32_t image = row * std::uint32_t(size);
    std::string bytes = "BM";
    AppendLittle(bytes, 54 + image, 4); // file size
    AppendLittle(bytes, 0, 4);          // reserved
    AppendLittle(bytes, 54, 4);         // offset of the pixels
    AppendLittle(bytes, 40, 4);         // size of the information header
    AppendLittle(bytes, std::uint32_t(size), 4);
    AppendLittle(bytes, std::uint32_t(size), 4); // positive: bottom row first
    AppendLittle(bytes, 1, 2);                   // planes
    AppendLittle(bytes, 24, 2);                  // bits per pixel
    AppendLittle(bytes, 0, 4);                   // no compression
    AppendLittle(bytes, image, 4);
    AppendLittle(bytes, 2835, 4); // 72 dots per inch, in dots per metre
    AppendLittle(bytes, 2835, 4);
    AppendLittle(bytes, 0, 4); // colours used
    AppendLittle(bytes, 0, 4); // important colours
    for (int y = size - 1; y >= 0; --y) {
        const std::uint8_t* p = &pixels[std::size_t(y) * std::size_t(size) * 3];
        for (int x = 0; x < size; ++x, p += 3)
            bytes += {char(p[2]), char(p[1]), char(p[0])};
        bytes.append(row - std::uint32_t(size) * 3, '\0');
    }
    return bytes;
}

void SaveRockPicture(const std::string& path) {
    platform::WriteFileContents(path, RockBitmapBytes());
}

} // namespace lumora::viewer
