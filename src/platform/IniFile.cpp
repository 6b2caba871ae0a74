#include "platform/IniFile.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/SettingsPaths.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t\v\f";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Names compare without regard to ASCII case: the folded form is the lookup key.
std::string Fold(std::string_view name) {
    std::string folded(Trim(name));
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// A value as read: trimmed, and without a pair of matching enclosing quotes.
std::string_view Unquote(std::string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The text that reads back as value.
std::string Quote(std::string_view value) {
    if (value.empty())
        return {};
    const bool blankEdge = kBlanks.find(value.front()) != std::string_view::npos ||
                           kBlanks.find(value.back()) != std::string_view::npos;
    const bool quoted =
        value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
    if (blankEdge || quoted)
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

void CheckNames(std::string_view section, std::string_view key) {
    const std::string_view trimmedKey = Trim(key);
    if (HasLineBreak(section) || Trim(section).find(']') != std::string_view::npos)
        throw Error("Invalid INI section name \"" + std::string(section) + "\"");
    if (trimmedKey.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        trimmedKey.front() == '[' || trimmedKey.front() == ';' || trimmedKey.front() == '#')
        throw Error("Invalid INI key name \"" + std::string(key) + "\"");
}

// Decimal digits, or hexadecimal ones; false on anything else or on overflow of 32 bits.
bool ParseUnsigned(std::string_view digits, int base, std::uint32_t& out) {
    if (digits.empty())
        return false;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, out, base);
    return ec == std::errc() && ptr == end;
}

bool ParseInteger(std::string_view text, std::int32_t& out) {
    text = Trim(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    std::uint32_t magnitude = 0;
    if (!text.empty() && text.front() == '$') {
        if (!ParseUnsigned(text.substr(1), 16, magnitude))
            return false;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (!ParseUnsigned(text.substr(2), 16, magnitude))
            return false;
    } else {
        const std::uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
        if (!ParseUnsigned(text, 10, magnitude) || magnitude > limit)
            return false;
    }
    const std::uint32_t bits = negative ? 0u - magnitude : magnitude;
    out = static_cast<std::int32_t>(bits);
    return true;
}

bool ParseReal(std::string_view text, char decimalSeparator, double& out) {
    std::string number(Trim(text));
    if (decimalSeparator != '.') {
        if (number.find('.') != std::string::npos)
            return false;
        std::replace(number.begin(), number.end(), decimalSeparator, '.');
    }
    std::string_view digits = number;
    const bool plus = !digits.empty() && digits.front() == '+';
    if (plus)
        digits.remove_prefix(1);
    if (digits.empty() || (plus && digits.front() == '-'))
        return false;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, out);
    return ec == std::errc() && ptr == end && std::isfinite(out);
}

// General format with up to 15 significant digits; the exponent as "E-6" or "E20".
std::string FormatReal(double value, char decimalSeparator) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    const auto e = text.find('e');
    if (e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        const bool negative = exponent.front() == '-';
        exponent.erase(0, exponent.find_first_not_of("+-0"));
        text = text.substr(0, e) + (negative ? "E-" : "E") + exponent;
    }
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

std::string ErrnoText() {
    return std::strerror(errno);
}

} // namespace

IniFile::IniFile(const std::string& fileName) {
    if (fileName.empty())
        throw Error("An INI file needs a name");
    m_FileName = ResolveSettingsFile(fileName);
    m_Sections.push_back({});
    Load();
}

IniFile::~IniFile() {
    if (!m_Modified || std::uncaught_exceptions() > m_UncaughtOnEntry)
        return;
    try {
        UpdateFile();
    } catch (...) {
        // A destructor cannot report; callers that care call UpdateFile themselves.
    }
}

void IniFile::Load() {
    std::error_code ec;
    const auto status = fs::status(m_FileName, ec);
    if (status.type() == fs::file_type::not_found)
        return;
    if (status.type() == fs::file_type::directory)
        throw Error(m_FileName + ": Is a directory");
    if (status.type() != fs::file_type::regular) // a device such as /dev/zero never ends
        throw Error(m_FileName + ": Not a regular file");
    const auto size = fs::file_size(m_FileName, ec);
    if (!ec && size > kMaxFileSize)
        throw Error(m_FileName + ": File too large for a settings file");
    std::ifstream in(m_FileName, std::ios::binary);
    if (!in)
        throw Error(m_FileName + ": " + ErrnoText());
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw Error(m_FileName + ": Read error");
    Parse(text.str());
}

void IniFile::Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        AddLine(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

void IniFile::AddLine(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
        const auto close = trimmed.find(']');
        std::string name(
            Trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1)));
        m_Index.try_emplace(Fold(name), m_Sections.size());
        m_Sections.push_back({std::move(name), std::string(line), {}, {}});
        return;
    }
    TSection& section = m_Sections.back();
    const auto equals = trimmed.find('=');
    const bool comment = !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
    const std::string_view key = Trim(trimmed.substr(0, equals));
    if (comment || equals == std::string_view::npos || key.empty() || m_Sections.size() == 1) {
        section.Lines.push_back({{}, {}, std::string(line)});
        return;
    }
    section.Keys.try_emplace(Fold(key), section.Lines.size());
    section.Lines.push_back(
        {std::string(key), std::string(Unquote(trimmed.substr(equals + 1))), std::string(line)});
}

bool IniFile::IsBlank(const TLine& line) {
    return line.Key.empty() && Trim(line.Text).empty();
}

std::string IniFile::Render() const {
    std::string out;
    for (const TSection& section : m_Sections) {
        if (&section != &m_Sections.front())
            out += section.Header + '\n';
        for (const TLine& line : section.Lines) {
            if (!line.Text.empty() || line.Key.empty())
                out += line.Text;
            else
                out += line.Key + '=' + Quote(line.Value);
            out += '\n';
        }
    }
    return out;
}

std::size_t IniFile::FindIndex(std::string_view section) const {
    const auto found = m_Index.find(Fold(section));
    return found == m_Index.end() ? kNone : found->second;
}

const IniFile::TSection* IniFile::Find(std::string_view section) const {
    const std::size_t i = FindIndex(section);
    return i == kNone ? nullptr : &m_Sections[i];
}

IniFile::TSection& IniFile::FindOrAdd(std::string_view section) {
    if (const std::size_t i = FindIndex(section); i != kNone)
        return m_Sections[i];
    // A blank line between sections, unless the file already ends with one.
    TSection& last = m_Sections.back();
    const bool endsBlank =
        last.Lines.empty() ? &last == &m_Sections.front() : IsBlank(last.Lines.back());
    if (!endsBlank)
        last.Lines.push_back({});
    const std::string name(Trim(section));
    m_Index.emplace(Fold(name), m_Sections.size());
    m_Sections.push_back({name, "[" + name + "]", {}, {}});
    return m_Sections.back();
}

const IniFile::TLine* IniFile::FindLine(std::string_view section, std::string_view key) const {
    const TSection* found = Find(section);
    if (!found)
        return nullptr;
    const auto line = found->Keys.find(Fold(key));
    return line == found->Keys.end() ? nullptr : &found->Lines[line->second];
}

void IniFile::Put(std::string_view section, std::string_view key, std::string value) {
    CheckNames(section, key);
    if (HasLineBreak(value))
        throw Error("The value of INI key \"" + std::string(key) + "\" holds a line break");
    TSection& target = FindOrAdd(section);
    const auto [slot, added] = target.Keys.try_emplace(Fold(key), target.Lines.size());
    if (added) {
        // A new key follows the last non-blank line, so blank lines keep separating sections.
        std::size_t at = target.Lines.size();
        while (at > 0 && IsBlank(target.Lines[at - 1]))
            --at;
        target.Lines.insert(target.Lines.begin() + static_cast<std::ptrdiff_t>(at),
                            {std::string(Trim(key)), std::move(value), {}});
        if (at != target.Lines.size() - 1)
            Reindex(target);
    } else {
        TLine& line = target.Lines[slot->second];
        if (line.Value == value)
            return;
        line.Value = std::move(value);
        line.Text.clear();
    }
    m_Modified = true;
}

void IniFile::Reindex(TSection& section) {
    section.Keys.clear();
    for (std::size_t i = 0; i < section.Lines.size(); ++i)
        if (!section.Lines[i].Key.empty())
            section.Keys.try_emplace(Fold(section.Lines[i].Key), i);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    const TLine* line = FindLine(section, key);
    std::int32_t value = 0;
    return line && ParseInteger(line->Value, value) ? value : defaultValue;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    const TLine* line = FindLine(section, key);
    if (!line)
        return defaultValue;
    const std::string word = Fold(line->Value);
    if (word == "true" || word == "false")
        return word == "true";
    std::int32_t value = 0;
    return ParseInteger(line->Value, value) ? value != 0 : defaultValue;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double defaultValue,
                          char decimalSeparator) const {
    const TLine* line = FindLine(section, key);
    double value = 0.0;
    return line && ParseReal(line->Value, decimalSeparator, value) ? value : defaultValue;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const TLine* line = FindLine(section, key);
    return line ? line->Value : std::string(defaultValue);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    Put(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    Put(section, key, value ? "1" : "0");
}

void IniFile::WriteFloat(std::string_view section, std::string_view key, double value,
                         char decimalSeparator) {
    Put(section, key, FormatReal(value, decimalSeparator));
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Put(section, key, std::string(value));
}

void IniFile::EraseSection(std::string_view section) {
    const std::string folded = Fold(section);
    const auto before = m_Sections.size();
    std::erase_if(m_Sections, [&](const TSection& s) {
        return &s != &m_Sections.front() && Fold(s.Name) == folded;
    });
    if (m_Sections.size() == before)
        return;
    m_Index.clear();
    for (std::size_t i = 1; i < m_Sections.size(); ++i)
        m_Index.try_emplace(Fold(m_Sections[i].Name), i);
    m_Modified = true;
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    const std::size_t i = FindIndex(section);
    if (i == kNone)
        return;
    TSection& target = m_Sections[i];
    const auto line = target.Keys.find(Fold(key));
    if (line == target.Keys.end())
        return;
    target.Lines.erase(target.Lines.begin() + static_cast<std::ptrdiff_t>(line->second));
    Reindex(target);
    m_Modified = true;
}

bool IniFile::SectionExists(std::string_view section) const {
    return Find(section) != nullptr;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindLine(section, key) != nullptr;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    const TSection* found = Find(section);
    if (!found)
        return keys;
    for (std::size_t i = 0; i < found->Lines.size(); ++i) {
        const std::string& key = found->Lines[i].Key;
        if (!key.empty() && found->Keys.at(Fold(key)) == i)
            keys.push_back(key);
    }
    return keys;
}

std::vector<std::string> IniFile::ReadSections() const {
    std::vector<std::string> names;
    for (std::size_t i = 1; i < m_Sections.size(); ++i)
        if (m_Index.at(Fold(m_Sections[i].Name)) == i)
            names.push_back(m_Sections[i].Name);
    return names;
}

void IniFile::UpdateFile() {
    if (!m_Modified)
        return;
    WriteFileContents(m_FileName, Render());
    m_Modified = false;
}

} // namespace lumora::platform
