// Settings files in INI layout: read and write integers, Booleans, reals and strings by key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumora::platform {

// One INI file held in memory: "[Section]" lines followed by "Key=Value" lines.
//
// Reading follows the conventions of the classic INI service: section and key names compare
// without regard to (ASCII) case; names and values are trimmed of surrounding blanks and a value
// enclosed in a pair of matching quotes loses them; the first of two equal sections or keys wins;
// comments (';' or '#'), blank lines and lines that are neither a section nor a key are kept as
// they are and written back unchanged. A missing file reads as empty.
//
// Writing keeps the order of the file: a new section goes at the end of the file, a new key at
// the end of its section, a rewritten key keeps its place and its spelling. Changes stay in memory
// until UpdateFile, which replaces the file atomically (a temporary file in the same folder, then
// a rename); the destructor calls it for pending changes and ignores a failure, except while an
// exception unwinds the stack, when pending changes are dropped. Call UpdateFile to learn of a
// failure.
//
// Not shared between threads. Two objects on the same file do not see each other's changes.
class IniFile {
public:
    // Files above this size are refused rather than read (settings files are a few kilobytes).
    static constexpr std::uintmax_t kMaxFileSize = 64u << 20;

    // Reads fileName; a bare name (no '/') names a file in the settings folder (SettingsFolder).
    // Throws lumora::Error naming the file when the name is empty, or when the file exists but
    // cannot be read or is larger than kMaxFileSize.
    explicit IniFile(const std::string& fileName);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // The full path of the file.
    const std::string& FileName() const { return m_FileName; }

    // Decimal with an optional sign, or hexadecimal after '$' or "0x"; 32 bits (hexadecimal
    // values wrap, so "$FFFFFFFF" reads -1). Anything else, or a missing key, gives the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // An integer (non-zero is true) or "true"/"false" in any case; else the default.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // A finite real written with decimalSeparator (a '.' is then unreadable unless it is the
    // separator); an empty, unreadable, infinite or NaN value gives the default.
    double ReadFloat(std::string_view section, std::string_view key, double defaultValue,
                     char decimalSeparator = '.') const;
    // The value as written; the default only when the key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // The writers throw lumora::Error when a name or value cannot be stored in an INI line:
    // line breaks anywhere, an empty key, a key holding '=' or starting with '[', ';' or '#', a
    // section holding ']'. The file is unchanged then.
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // Written as 1 or 0.
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // General format, up to 15 significant digits, with decimalSeparator as the decimal point.
    void WriteFloat(std::string_view section, std::string_view key, double value,
                    char decimalSeparator = '.');
    // A value with surrounding blanks or quotes is written in double quotes, so it reads back
    // exactly.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Removes every section of that name with all its lines.
    void EraseSection(std::string_view section);
    // Removes the key from its section (its first occurrence).
    void DeleteKey(std::string_view section, std::string_view key);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // The key names of the section, in file order, each once; empty when the section is missing.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The section names, in file order, each once.
    std::vector<std::string> ReadSections() const;

    // Writes pending changes (nothing when there are none). Throws lumora::WriteError naming the
    // file and the reason when the file cannot be written; the old file is then untouched and the
    // changes stay pending.
    void UpdateFile();
    bool Modified() const { return m_Modified; }

private:
    struct TLine {
        std::string Key; // empty for comments, blanks and unreadable lines
        std::string Value;
        std::string Text; // the line as read; empty once the key is rewritten
    };
    struct TSection {
        std::string Name;   // empty for the lines before the first section
        std::string Header; // the "[Name]" line as read or made
        std::vector<TLine> Lines;
        std::unordered_map<std::string, std::size_t> Keys; // folded key -> first line
    };

    void Parse(std::string_view text);
    void AddLine(std::string_view line);
    void Load();
    std::string Render() const;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t FindIndex(std::string_view section) const; // kNone when missing
    const TSection* Find(std::string_view section) const;
    TSection& FindOrAdd(std::string_view section);
    const TLine* FindLine(std::string_view section, std::string_view key) const;
    void Put(std::string_view section, std::string_view key, std::string value);
    void Reindex(TSection& section);
    static bool IsBlank(const TLine& line);

    std::string m_FileName;
    std::vector<TSection> m_Sections; // m_Sections[0] holds the lines before the first section
    std::unordered_map<std::string, std::size_t> m_Index; // folded name -> first section
    bool m_Modified = false;
    int m_UncaughtOnEntry = std::uncaught_exceptions();
};

} // namespace lumora::platform
