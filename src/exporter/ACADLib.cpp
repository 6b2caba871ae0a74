#include "exporter/ACADLib.h"

#include "exporter/ExpGlobal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace lumora::exporter {

namespace {

constexpr std::array<double, 5> kValues{1.0, 0.65, 0.5, 0.3, 0.15};

TAciColor HueColor(std::int32_t i) {
    const double h = (i - 10) / 10;
    const double v = kValues[static_cast<std::size_t>((i % 10) / 2)];
    const double s = i % 2 == 0 ? 1.0 : 0.5;
    const int sector = static_cast<int>(h / 4);
    const double f = h / 4 - sector;
    const double p = 1 - s;
    const double q = 1 - s * f;
    const double t = 1 - s * (1 - f);
    TAciColor c;
    switch (sector) {
    case 0:
        c = {1, t, p};
        break;
    case 1:
        c = {q, 1, p};
        break;
    case 2:
        c = {p, 1, t};
        break;
    case 3:
        c = {p, q, 1};
        break;
    case 4:
        c = {t, p, 1};
        break;
    default:
        c = {1, p, q};
        break;
    }
    return {c.Red * v, c.Green * v, c.Blue * v};
}

const std::array<TAciColor, 256>& Palette() {
    static const std::array<TAciColor, 256> palette = [] {
        std::array<TAciColor, 256> p{};
        const TAciColor basic[10] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1},
                                     {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
        for (int i = 0; i < 10; ++i)
            p[i] = basic[i];
        for (int i = 10; i < 250; ++i)
            p[i] = HueColor(i);
        for (int i = 250; i < 256; ++i) {
            const double grey = (i - 250) * 0.134 + 0.33;
            p[i] = {grey, grey, grey};
        }
        return p;
    }();
    return palette;
}

std::uint32_t Byte(double fraction) {
    return static_cast<std::uint32_t>(std::trunc(fraction * 255.0)) & 0xFFu;
}

double Squared(double v) {
    return v * v;
}

} // namespace

TAciColor AciPalette(std::int32_t index) {
    if (index < 0 || index > 255)
        return {};
    return Palette()[static_cast<std::size_t>(index)];
}

TColorValue AciToColor(std::int32_t index) {
    const TAciColor c = AciPalette(index);
    return Byte(c.Red) | Byte(c.Green) << 8 | Byte(c.Blue) << 16;
}

std::int32_t ColorToAci(TColorValue color) {
    const std::uint32_t r = color & 0xFF, g = color >> 8 & 0xFF, b = color >> 16 & 0xFF;
    const TAciColor want{r / 255.0, g / 255.0, b / 255.0};
    const int first = r == g && g == b ? 1 : 0;
    int best = first;
    double bestDistance = 1e300;
    for (int i = first; i < 256; ++i) {
        const TAciColor& c = Palette()[static_cast<std::size_t>(i)];
        const double d =
            Squared(c.Red - want.Red) + Squared(c.Green - want.Green) + Squared(c.Blue - want.Blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0.0)
                break;
        }
    }
    return best == 255 ? 7 : best;
}

namespace {

// Room the writers claim in the file's buffer: a group code line, a real's text, the longest
// string written in one piece.
constexpr std::size_t kCodeText = 16;
constexpr std::size_t kMaxRealText = 408;
constexpr std::size_t kLongText = 4096;

bool KeptInStrings(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '$' ||
           c == '-' || c == '.';
}

// An integer right-aligned in 3 characters (wider when it needs more), then CR LF, at out (room
// for 16 characters). Returns the end.
char* PutRightAligned(char* out, std::int32_t value) {
    if (value >= 0 && value < 100) {
        out[0] = ' ';
        out[1] = value >= 10 ? static_cast<char>('0' + value / 10) : ' ';
        out[2] = static_cast<char>('0' + value % 10);
    } else {
        char buffer[16];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        const auto length = static_cast<std::size_t>(result.ptr - buffer);
        const std::size_t pad = length < 3 ? 3 - length : 0;
        std::memset(out, ' ', pad);
        std::memcpy(out + pad, buffer, length);
        out += pad + length - 3;
    }
    out[3] = '\r';
    out[4] = '\n';
    return out + 5;
}

// A string value's bytes with every character the drawing does not keep replaced by '0'.
char* PutDxfText(char* out, std::string_view text) {
    for (char c : text)
        *out++ = KeptInStrings(c) ? c : '0';
    return out;
}

// "00" to "99", for writing two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the two digits of n (0..99) at out.
void PutPair(char* out, std::uint64_t n) {
    std::memcpy(out, &kDigitPairs[static_cast<std::size_t>(2 * n)], 2);
}

// Writes v with two decimals, the integer part right-aligned in 5 characters, into out (at
// least 40 characters) when the value is safely away from a rounding tie (the exact binary
// value then rounds the same way as v × 100 does). Returns the length, or 0 otherwise. Drawings
// hold tens of millions of coordinates, so this is the writer's hottest path: no library calls
// but one copy, digits two at a time.
int FormatRealQuickly(char* out, double v) {
    const double scaled = std::fabs(v * 100.0);
    if (!(scaled < 1e13))
        return 0;
    const auto whole = static_cast<std::uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) < 0.01)
        return 0;
    const std::uint64_t cents = whole + (fraction > 0.5 ? 1 : 0);
    const bool negative = v < 0.0 && cents != 0; // never "-0.00"
    // Right to left: two decimals, the point, then the integer part (at least one digit).
    char text[32];
    char* at = text + sizeof text;
    at -= 2;
    PutPair(at, cents % 100);
    *--at = '.';
    std::uint64_t integer = cents / 100;
    while (integer >= 100) {
        at -= 2;
        PutPair(at, integer % 100);
        integer /= 100;
    }
    if (integer >= 10) {
        at -= 2;
        PutPair(at, integer);
    } else {
        *--at = static_cast<char>('0' + integer);
    }
    if (negative)
        *--at = '-';
    const auto length = static_cast<int>(text + sizeof text - at);
    // Pad so that the integer part (with its sign) takes at least 5 characters.
    const int pad = length < 8 ? 8 - length : 0;
    std::memset(out, ' ', 8);
    std::memcpy(out + pad, at, static_cast<std::size_t>(length));
    return pad + length;
}

// The same for any value: std::to_chars with two decimals, no "-0.00"; out has room for
// kMaxRealText characters.
int FormatReal(char* out, double v) {
    if (const int length = FormatRealQuickly(out, v); length > 0)
        return length;
    char buffer[kMaxRealText - 8];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (result.ec != std::errc())
        text = "0.00";
    else if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos)
        text.remove_prefix(1); // no "-0.00"
    const std::size_t integerPart = text.find('.');
    const std::size_t pad = integerPart < 5 ? 5 - integerPart : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text.data(), text.size());
    return static_cast<int>(pad + text.size());
}

} // namespace

std::string DxfString(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (!KeptInStrings(c))
            c = '0';
    return out;
}

void TDXFWriter::String(int code, std::string_view value) {
    if (value.size() <= kLongText) {
        char* const start = m_File.Claim(kCodeText + kLongText + 2);
        char* out = PutDxfText(PutRightAligned(start, code), value);
        out[0] = '\r';
        out[1] = '\n';
        m_File.Commit(static_cast<std::size_t>(out + 2 - start));
        return;
    }
    char* const start = m_File.Claim(kCodeText);
    m_File.Commit(static_cast<std::size_t>(PutRightAligned(start, code) - start));
    for (; !value.empty(); value.remove_prefix(std::min(value.size(), kLongText))) {
        const std::string_view part = value.substr(0, kLongText);
        char* const to = m_File.Claim(part.size());
        PutDxfText(to, part);
        m_File.Commit(part.size());
    }
    m_File.Write("\r\n", 2);
}

void TDXFWriter::Integer(int code, std::int32_t value) {
    char* const start = m_File.Claim(2 * kCodeText);
    char* out = PutRightAligned(PutRightAligned(start, code), value);
    m_File.Commit(static_cast<std::size_t>(out - start));
}

void TDXFWriter::Real(int code, double value) {
    char* const start = m_File.Claim(kCodeText + kMaxRealText + 2);
    char* out = PutRightAligned(start, code);
    out += FormatReal(out, value);
    out[0] = '\r';
    out[1] = '\n';
    m_File.Commit(static_cast<std::size_t>(out + 2 - start));
}

void TDXFWriter::Point(int base, double x, double y, double z) {
    Real(base, x);
    Real(base + 10, y);
    Real(base + 20, z);
}

void TDXFWriter::Finish() {
    m_File.WriteByte(0x1a);
    m_File.Close();
}

} // namespace lumora::exporter
