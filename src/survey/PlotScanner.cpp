#include "survey/PlotScanner.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace lumora::survey {

namespace {

constexpr std::size_t kLookahead = 1024; // longest number token read without copying
constexpr int kFormFeed = 12;
// Far beyond any survey in feet; larger values are damage, and would turn into infinities in
// the writers' arithmetic.
constexpr double kLargestMagnitude = 1e12;

bool InSurveyRange(double value) {
    return value >= -kLargestMagnitude && value <= kLargestMagnitude; // false for NaN too
}

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// Converts a whole token as a decimal real: optional sign, digits with an optional point, an
// optional exponent. No hex, infinities or NaNs.
bool ParseReal(std::string_view text, double& value);

// Plain decimals of at most 15 significant digits, the form plot files use: the digits make an
// exact integer and the power of ten is exact, so one division rounds correctly.
bool ParsePlainDecimal(std::string_view text, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        ++i;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = -1; // digits after the point; -1 before a point is seen
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            ++digits;
            if (fraction >= 0)
                ++fraction;
        } else if (c == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return false;
        }
    }
    if (digits == 0 || digits > 15)
        return false;
    value = static_cast<double>(mantissa) / kPowers[fraction > 0 ? fraction : 0];
    if (negative)
        value = -value;
    return true;
}

bool ParseReal(std::string_view text, double& value) {
    if (ParsePlainDecimal(text, value))
        return true;
    std::string_view digits = text;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-'))
        digits.remove_prefix(1);
    if (digits.empty() || !(IsDigit(digits[0]) || digits[0] == '.'))
        return false;
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end;
}

std::string OpenErrorText(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    case EACCES:
    case EPERM:
        return "File access denied";
    default:
        return std::strerror(error);
    }
}

} // namespace

TPlotScanner::TPlotScanner(const std::string& fileName) : m_FileName(fileName) {
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file)
        throw PlotFileError(fileName + ": " + OpenErrorText(errno));
    if (const auto reason = platform::NotRegularReason(::fileno(file))) {
        std::fclose(file);
        throw PlotFileError(fileName + ": " + *reason);
    }
    m_Source = std::make_unique<TReadAhead>(file);
}

void TPlotScanner::Fail(const std::string& message) const {
    throw PlotFileError(m_FileName + ":" + std::to_string(m_Line) + ": " + message);
}

// Moves on to the next block, keeping what is left of this one right in front of it.
bool TPlotScanner::Refill() {
    while (!m_SourceDone) {
        const std::size_t left = static_cast<std::size_t>(m_End - m_Pos);
        char carried[kLookahead];
        if (left > 0) // fewer than kLookahead: callers refill only then
            std::memcpy(carried, m_Pos, left);
        TReadAhead::TBlock& block = m_Source->Next();
        if (block.Failed)
            Fail("Disk read error");
        m_SourceDone = block.Last;
        char* text = block.Text();
        if (left > 0)
            std::memcpy(text - left, carried, left);
        m_Pos = text - left;
        m_End = text + block.Size;
        if (m_End != m_Pos)
            return true;
    }
    return m_Pos != m_End;
}

void TPlotScanner::EnsureLookahead(std::size_t n) {
    if (static_cast<std::size_t>(m_End - m_Pos) < n && !m_SourceDone)
        Refill();
}

void TPlotScanner::SkipLine() {
    for (;;) {
        const char* lf = static_cast<const char*>(std::memchr(m_Pos, '\n', m_End - m_Pos));
        if (lf) {
            m_Pos = lf + 1;
            ++m_Line;
            m_Current = kLF;
            return;
        }
        m_Pos = m_End;
        if (!Refill())
            return;
    }
}

bool TPlotScanner::FindLetter(char letter) {
    const int target = static_cast<unsigned char>(letter);
    for (;;) {
        const int c = Get();
        if (c == target)
            return true;
        if (c == kCR || c == kEnd)
            return false;
    }
}

void TPlotScanner::Append(char c, int maxLength) {
    if (static_cast<int>(m_Text.size()) < maxLength)
        m_Text += c;
}

std::string_view TPlotScanner::ReadToken(int maxLength, int minChar) {
    m_Text.clear();
    int c = Get();
    while (c != kEnd && c < minChar) {
        if (c == kCR || c == kFormFeed)
            return m_Text;
        c = Get();
    }
    while (c != kEnd && c >= minChar) {
        Append(static_cast<char>(c), maxLength);
        c = Get();
    }
    return m_Text;
}

std::string_view TPlotScanner::ReadQuoted(int maxLength) {
    m_Text.clear();
    if (!FindLetter('"'))
        return m_Text;
    for (;;) {
        int c = Get();
        if (c == '"' || c == kCR || c == kFormFeed || c == kEnd)
            return m_Text;
        if (c == '\\') {
            c = Get();
            if (c == kEnd)
                return m_Text;
        }
        Append(static_cast<char>(c), maxLength);
    }
}

std::string_view TPlotScanner::ReadFlagWord() {
    m_Text.clear();
    for (;;) {
        const int c = Get();
        if (c == ' ' || c == kCR || c == kEnd)
            return m_Text;
        Append(static_cast<char>(c), 255);
    }
}

std::string_view TPlotScanner::ReadRestOfLine(int maxLength) {
    m_Text.clear();
    for (;;) {
        const int c = Get();
        if (c == kCR || c == kEnd)
            return m_Text;
        Append(static_cast<char>(c), maxLength);
    }
}

// Skips blanks and line ends, then returns the characters up to the next blank or line end
// without consuming that terminator; "" at the end of the file.
std::string_view TPlotScanner::ReadNumberToken() {
    for (;;) {
        while (m_Pos < m_End && static_cast<unsigned char>(*m_Pos) <= ' ') {
            if (*m_Pos == '\n')
                ++m_Line;
            ++m_Pos;
        }
        if (m_Pos < m_End || !Refill())
            break;
    }
    EnsureLookahead(kLookahead);
    const char* start = m_Pos;
    const char* p = start;
    while (p<m_End&& static_cast<unsigned char>(*p)> ' ')
        ++p;
    if (p == m_End && !m_SourceDone)
        Fail("Invalid numeric input");
    m_Pos = p;
    return {start, static_cast<std::size_t>(p - start)};
}

double TPlotScanner::ReadReal() {
    // The common case in one pass: a plain decimal, well inside the buffer, ended by a blank.
    while (m_Pos < m_End && static_cast<unsigned char>(*m_Pos) <= ' ' && *m_Pos != '\n')
        ++m_Pos;
    if (m_End - m_Pos >= 32) {
        const char* p = m_Pos;
        const bool negative = *p == '-';
        p += (*p == '-' || *p == '+');
        std::uint64_t mantissa = 0;
        int digits = 0;
        int fraction = -1;
        for (;; ++p) {
            const unsigned c = static_cast<unsigned char>(*p);
            if (c - '0' < 10) {
                mantissa = mantissa * 10 + (c - '0');
                ++digits;
                fraction += fraction >= 0;
            } else if (c == '.' && fraction < 0) {
                fraction = 0;
            } else {
                break;
            }
        }
        if (static_cast<unsigned char>(*p) <= ' ' && digits > 0 && digits <= 15) {
            static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
            m_Pos = p;
            const double value =
                static_cast<double>(mantissa) / kPowers[fraction > 0 ? fraction : 0];
            if (value > kLargestMagnitude)
                Fail("Invalid numeric input");
            return negative ? -value : value;
        }
    }
    const std::string_view token = ReadNumberToken();
    if (token.empty())
        return 0.0;
    double value = 0.0;
    if (!ParseReal(token, value) || !InSurveyRange(value))
        Fail("Invalid numeric input");
    return value;
}

std::int32_t TPlotScanner::ReadInteger() {
    std::string_view token = ReadNumberToken();
    if (token.empty())
        return 0;
    if (token[0] == '+')
        token.remove_prefix(1);
    std::int32_t value = 0;
    auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (token.empty() || ec != std::errc() || ptr != token.data() + token.size())
        Fail("Invalid numeric input");
    return value;
}

double TPlotScanner::ReadLooseNumber() {
    int sign = 0; // the '+' or '-' right before the number, if any
    int c;
    for (;;) {
        if (m_Pos == m_End && !Refill())
            return 0.0;
        c = static_cast<unsigned char>(*m_Pos++);
        if (c == kLF)
            ++m_Line;
        if (IsDigit(c) || c == '.')
            break;
        sign = (c == '+' || c == '-') ? c : 0;
    }
    std::string text;
    if (sign)
        text += static_cast<char>(sign);
    for (;;) {
        if (IsDigit(c) || c == '.' || c == 'E' || c == 'e' || c == '+' || c == '-') {
            if (text.size() < 256)
                text += static_cast<char>(c);
        } else {
            if (c == kLF)
                ++m_Line;
            break;
        }
        if (m_Pos == m_End && !Refill())
            break;
        c = static_cast<unsigned char>(*m_Pos++);
    }
    double value = 0.0;
    if (!ParseReal(text, value) || !InSurveyRange(value))
        Fail("'" + text + "' is not a valid floating point value");
    return value;
}

} // namespace lumora::survey
