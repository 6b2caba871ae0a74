#include "analysis/RoseCard.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

namespace lumora::analysis {

using namespace scene;

namespace {

struct TRgb {
    double R, G, B;
};
constexpr TRgb kPaper{247, 242, 228}, kInk{28, 38, 78}, kFaint{196, 200, 214}, kNorth{200, 30, 30};

struct TPoint {
    double X, Y;
};

// A stroke of a glyph, on a grid 4 wide and 6 high, y up.
using TStroke = std::span<const TPoint>;

constexpr TPoint kZero[] = {{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}};
constexpr TPoint kOne[] = {{1, 5}, {2, 6}, {2, 0}};
constexpr TPoint kOneFoot[] = {{1, 0}, {3, 0}};
constexpr TPoint kTwo[] = {{0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 4}, {0, 0}, {4, 0}};
constexpr TPoint kThreeTop[] = {{0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {1.5, 3}};
constexpr TPoint kThreeBottom[] = {{3, 3}, {4, 2}, {4, 1}, {3, 0}, {1, 0}, {0, 1}};
constexpr TPoint kFour[] = {{3, 0}, {3, 6}, {0, 2}, {4, 2}};
constexpr TPoint kFive[] = {{4, 6}, {0, 6}, {0, 3.5}, {3, 3.5}, {4, 2.5},
                            {4, 1}, {3, 0}, {1, 0},   {0, 1}};
constexpr TPoint kSix[] = {{4, 5}, {3, 6}, {1, 6},   {0, 5},   {0, 1},  {1, 0},
                           {3, 0}, {4, 1}, {4, 2.5}, {3, 3.5}, {0, 3.5}};
constexpr TPoint kSeven[] = {{0, 6}, {4, 6}, {1.5, 0}};
constexpr TPoint kEight[] = {{1, 3}, {0, 4}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3},
                             {1, 3}, {0, 2}, {0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}};
constexpr TPoint kNine[] = {{0, 1}, {1, 0}, {3, 0},   {4, 1},   {4, 5},  {3, 6},
                            {1, 6}, {0, 5}, {0, 3.5}, {1, 2.5}, {4, 2.5}};
constexpr TPoint kLetterN[] = {{0, 0}, {0, 6}, {4, 0}, {4, 6}};
constexpr TPoint kLetterE[] = {{4, 6}, {0, 6}, {0, 0}, {4, 0}};
constexpr TPoint kLetterEBar[] = {{0, 3}, {3, 3}};
constexpr TPoint kLetterS[] = {{4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 4}, {1, 3},
                               {3, 3}, {4, 2}, {4, 1}, {3, 0}, {1, 0}, {0, 1}};
constexpr TPoint kLetterW[] = {{0, 6}, {1, 0}, {2, 4}, {3, 0}, {4, 6}};

struct TGlyph {
    char Character;
    std::array<TStroke, 2> Strokes;
};

const TGlyph kGlyphs[] = {
    {'0', {kZero, {}}},    {'1', {kOne, kOneFoot}},
    {'2', {kTwo, {}}},     {'3', {kThreeTop, kThreeBottom}},
    {'4', {kFour, {}}},    {'5', {kFive, {}}},
    {'6', {kSix, {}}},     {'7', {kSeven, {}}},
    {'8', {kEight, {}}},   {'9', {kNine, {}}},
    {'N', {kLetterN, {}}}, {'E', {kLetterE, kLetterEBar}},
    {'S', {kLetterS, {}}}, {'W', {kLetterW, {}}},
};
constexpr double kGlyphWidth = 4, kGlyphHeight = 6, kGlyphGap = 1.5;

// The picture as it is drawn: colours in doubles, blended by coverage.
class TCanvas {
public:
    explicit TCanvas(int size) : m_Size(size), m_Pixels(std::size_t(size) * size, kPaper) {}

    // A line of the given width with soft edges.
    void Line(TPoint a, TPoint b, double width, const TRgb& color) {
        const double reach = width / 2 + 1;
        const int x0 = std::max(0, int(std::floor(std::min(a.X, b.X) - reach)));
        const int x1 = std::min(m_Size - 1, int(std::ceil(std::max(a.X, b.X) + reach)));
        const int y0 = std::max(0, int(std::floor(std::min(a.Y, b.Y) - reach)));
        const int y1 = std::min(m_Size - 1, int(std::ceil(std::max(a.Y, b.Y) + reach)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Blend(x, y, color, Coverage(SegmentDistance({x + 0.5, y + 0.5}, a, b), width));
    }

    // A circle line of radius r about the centre.
    void Circle(double r, double width, const TRgb& color) {
        const double c = m_Size / 2.0, reach = width / 2 + 1;
        const double inner = std::max(0.0, r - reach), outer = r + reach;
        const int y0 = std::max(0, int(c - outer)), y1 = std::min(m_Size - 1, int(c + outer) + 1);
        for (int y = y0; y <= y1; ++y)
            for (int x = y0; x <= y1; ++x) {
                const double dx = x + 0.5 - c, dy = y + 0.5 - c, d2 = dx * dx + dy * dy;
                if (d2 < inner * inner || d2 > outer * outer)
                    continue; // far from the line
                Blend(x, y, color, Coverage(std::abs(std::sqrt(d2) - r), width));
            }
    }

    // A filled triangle, its edges smoothed by 4 x 4 samples a pixel.
    void Triangle(TPoint a, TPoint b, TPoint c, const TRgb& color) {
        const int x0 = std::max(0, int(std::floor(std::min({a.X, b.X, c.X}))));
        const int x1 = std::min(m_Size - 1, int(std::ceil(std::max({a.X, b.X, c.X}))));
        const int y0 = std::max(0, int(std::floor(std::min({a.Y, b.Y, c.Y}))));
        const int y1 = std::min(m_Size - 1, int(std::ceil(std::max({a.Y, b.Y, c.Y}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                int inside = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        inside += Inside({x + (sx + 0.5) / 4, y + (sy + 0.5) / 4}, a, b, c);
                Blend(x, y, color, inside / 16.0);
            }
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(m_Pixels.size() * 3);
        for (const TRgb& p : m_Pixels)
            for (double v : {p.R, p.G, p.B})
                bytes.push_back(std::uint8_t(std::clamp(std::lround(v), 0L, 255L)));
        return bytes;
    }

private:
    static double Coverage(double distance, double width) {
        return std::clamp(width / 2 + 0.5 - distance, 0.0, 1.0);
    }
    static double SegmentDistance(TPoint p, TPoint a, TPoint b) {
        const double dx = b.X - a.X, dy = b.Y - a.Y, length2 = dx * dx + dy * dy;
        const double t = length2 > 0
                             ? std::clamp(((p.X - a.X) * dx + (p.Y - a.Y) * dy) / length2, 0.0, 1.0)
                             : 0.0;
        return std::hypot(p.X - (a.X + t * dx), p.Y - (a.Y + t * dy));
    }
    static double Side(TPoint p, TPoint a, TPoint b) {
        return (b.X - a.X) * (p.Y - a.Y) - (b.Y - a.Y) * (p.X - a.X);
    }
    static int Inside(TPoint p, TPoint a, TPoint b, TPoint c) {
        const double ab = Side(p, a, b), bc = Side(p, b, c), ca = Side(p, c, a);
        return ((ab >= 0 && bc >= 0 && ca >= 0) || (ab <= 0 && bc <= 0 && ca <= 0)) ? 1 : 0;
    }
    void Blend(int x, int y, const TRgb& color, double alpha) {
        if (alpha <= 0)
            return;
        TRgb& p = m_Pixels[std::size_t(y) * m_Size + x];
        p = {p.R + (color.R - p.R) * alpha, p.G + (color.G - p.G) * alpha,
             p.B + (color.B - p.B) * alpha};
    }

    int m_Size;
    std::vector<TRgb> m_Pixels;
};

// The picture's axes: bearings clockwise from north (up), radii from the centre in pixels.
struct TCardGeometry {
    double Centre;
    double Side;
    TPoint At(double bearingDegrees, double radius) const {
        const double a = bearingDegrees * std::numbers::pi / 180;
        return {Centre + radius * std::sin(a), Centre - radius * std::cos(a)};
    }
};

const TGlyph* FindGlyph(char c) {
    for (const TGlyph& g : kGlyphs)
        if (g.Character == c)
            return &g;
    return nullptr;
}

// A label centred on its bearing at the label circle, its letters' tops pointing outwards.
void Label(TCanvas& canvas, const TCardGeometry& g, double bearing, const std::string& text,
           const TRgb& color) {
    const double unit = kCardLabelHeight * g.Side / kGlyphHeight;
    const double a = bearing * std::numbers::pi / 180;
    const TPoint up{std::sin(a), -std::cos(a)}, right{std::cos(a), std::sin(a)};
    const TPoint centre = g.At(bearing, kCardLabel * g.Side);
    const double width = text.size() * kGlyphWidth + (text.size() - 1) * kGlyphGap;
    const auto place = [&](double gx, double gy) {
        const double u = (gx - width / 2) * unit, v = (gy - kGlyphHeight / 2) * unit;
        return TPoint{centre.X + right.X * u + up.X * v, centre.Y + right.Y * u + up.Y * v};
    };
    double left = 0;
    for (char c : text) {
        if (const TGlyph* glyph = FindGlyph(c))
            for (const TStroke& stroke : glyph->Strokes)
                for (std::size_t i = 1; i < stroke.size(); ++i)
                    canvas.Line(place(left + stroke[i - 1].X, stroke[i - 1].Y),
                                place(left + stroke[i].X, stroke[i].Y), unit * 0.9, color);
        left += kGlyphWidth + kGlyphGap;
    }
}

std::string LabelText(int bearing) {
    switch (bearing) {
    case 0:
        return "N";
    case 90:
        return "E";
    case 180:
        return "S";
    case 270:
        return "W";
    default:
        return std::to_string(bearing);
    }
}

} // namespace

std::vector<std::uint8_t> RoseCardPixels(int size) {
    size = std::max(size, 16);
    TCanvas canvas(size);
    const TCardGeometry g{size / 2.0, double(size)};
    const double line = std::max(1.0, size / 400.0);
    // Range rings and the cross of the four quarters, faint under everything.
    for (double fraction : {0.25, 0.5, 0.75})
        canvas.Circle(fraction * kCardInnerRing * size, line, kFaint);
    for (int bearing = 0; bearing < 360; bearing += 90)
        canvas.Line(g.At(bearing, 0), g.At(bearing, kCardMajorInner * size), line, kFaint);
    canvas.Circle(kCardRim * size, 2 * line, kInk);
    canvas.Circle(kCardInnerRing * size, line, kInk);
    for (int bearing = 0; bearing < 360; bearing += 10) {
        const bool major = bearing % 30 == 0;
        const double inner = (major ? kCardMajorInner : kCardTickInner) * size;
        canvas.Line(g.At(bearing, inner), g.At(bearing, kCardRim * size), major ? 2 * line : line,
                    kInk);
    }
    // North: a red point across the tick ring.
    canvas.Triangle(g.At(0, kCardRim * size), g.At(-4, kCardMajorInner * size),
                    g.At(4, kCardMajorInner * size), kNorth);
    for (int bearing = 0; bearing < 360; bearing += 30)
        Label(canvas, g, bearing, LabelText(bearing), bearing == 0 ? kNorth : kInk);
    // A small four-pointed star at the centre, north point red.
    const double star = 0.06 * size, waist = 0.015 * size;
    for (int bearing = 0; bearing < 360; bearing += 90) {
        const TRgb& color = bearing == 0 ? kNorth : kInk;
        canvas.Triangle(g.At(bearing, star), g.At(bearing - 45, waist), g.At(0, 0), color);
        canvas.Triangle(g.At(bearing, star), g.At(bearing + 45, waist), g.At(0, 0), color);
    }
    return canvas.Bytes();
}

Result LoadRoseCard(viewer::TViewerScene& s, viewer::TTextures& t) {
    static const std::vector<std::uint8_t> pixels = RoseCardPixels(kRoseCardSize); // drawn once
    const QImage view(pixels.data(), kRoseCardSize, kRoseCardSize, kRoseCardSize * 3,
                      QImage::Format_RGB888);
    TexturePtr texture;
    const Result result = s.RMRoot.LoadTextureFromImage(view.copy(), texture);
    if (!Succeeded(result))
        return result;
    texture->SetName(kRoseCardName);
    t.CurrentTexture = texture;
    return Result::Ok;
}

} // namespace lumora::analysis
