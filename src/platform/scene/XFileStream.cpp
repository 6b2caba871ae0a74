#include "platform/scene/XFileStream.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace lumora::scene {

namespace {

// Binary token numbers of the format.
constexpr std::uint16_t kTokenName = 1, kTokenString = 2, kTokenIntegerList = 6,
                        kTokenFloatList = 7, kTokenOpenBrace = 10, kTokenCloseBrace = 11,
                        kTokenSemicolon = 20;

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

XFileStream::XFileStream(std::ostream& out, bool text) : m_Out(out), m_Text(text) {
    m_Out << (text ? "xof 0302txt 0032\n" : "xof 0302bin 0032");
}

XFileStream::~XFileStream() {
    FlushNumbers();
}

std::string XFileStream::TextIdentifier(std::string_view name) {
    std::string id;
    for (char c : name)
        id += IsIdentifierChar(c) ? c : '_';
    if (!id.empty() && id[0] >= '0' && id[0] <= '9')
        id.insert(id.begin(), '_');
    return id;
}

void XFileStream::Word(std::uint16_t token) {
    const char bytes[2] = {char(token & 0xFF), char(token >> 8)};
    m_Out.write(bytes, 2);
}

void XFileStream::DWord(std::uint32_t value) {
    const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF),
                           char((value >> 16) & 0xFF), char(value >> 24)};
    m_Out.write(bytes, 4);
}

void XFileStream::FlushNumbers() {
    if (m_Text)
        return;
    if (!m_Ints.empty()) {
        Word(kTokenIntegerList);
        DWord(std::uint32_t(m_Ints.size()));
        for (std::uint32_t value : m_Ints)
            DWord(value);
        m_Ints.clear();
    }
    if (!m_Floats.empty()) {
        Word(kTokenFloatList);
        DWord(std::uint32_t(m_Floats.size()));
        for (float value : m_Floats) {
            std::uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            DWord(bits);
        }
        m_Floats.clear();
    }
}

void XFileStream::NewLine() {
    if (m_Text)
        m_Out << '\n' << std::string(std::size_t(m_Depth), ' ');
}

void XFileStream::Begin(std::string_view type, std::string_view name) {
    FlushNumbers();
    if (m_Text) {
        NewLine();
        m_Out << type;
        const std::string id = TextIdentifier(name);
        if (!id.empty())
            m_Out << ' ' << id;
        m_Out << " {";
        ++m_Depth;
        return;
    }
    Word(kTokenName);
    DWord(std::uint32_t(type.size()));
    m_Out.write(type.data(), std::streamsize(type.size()));
    if (!name.empty()) {
        Word(kTokenName);
        DWord(std::uint32_t(name.size()));
        m_Out.write(name.data(), std::streamsize(name.size()));
    }
    Word(kTokenOpenBrace);
}

void XFileStream::End() {
    FlushNumbers();
    if (m_Text) {
        --m_Depth;
        NewLine();
        m_Out << '}';
        if (m_Depth == 0)
            m_Out << '\n';
        return;
    }
    Word(kTokenCloseBrace);
}

void XFileStream::Int(std::uint32_t value, std::string_view separators) {
    if (m_Text) {
        char buffer[16];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        m_Out.write(buffer, end - buffer);
        m_Out << separators;
        return;
    }
    if (!m_Floats.empty())
        FlushNumbers();
    m_Ints.push_back(value);
}

void XFileStream::Float(float value, std::string_view separators) {
    if (!std::isfinite(value))
        value = 0; // readers cannot take infinities or NaN
    if (m_Text) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        m_Out.write(buffer, end - buffer);
        m_Out << separators;
        return;
    }
    if (!m_Ints.empty())
        FlushNumbers();
    m_Floats.push_back(value);
}

void XFileStream::Separator(std::string_view separators) {
    if (m_Text)
        m_Out << separators;
}

void XFileStream::String(std::string_view text) {
    FlushNumbers();
    if (m_Text) {
        std::string clean(text);
        for (char& c : clean)
            if (c == '"' || c == '\n' || c == '\r')
                c = '_';
        m_Out << '"' << clean << "\";";
        return;
    }
    Word(kTokenString);
    DWord(std::uint32_t(text.size()));
    m_Out.write(text.data(), std::streamsize(text.size()));
    Word(kTokenSemicolon);
}

bool XFileStream::Finish() {
    FlushNumbers();
    m_Out.flush();
    return bool(m_Out);
}

} // namespace lumora::scene
