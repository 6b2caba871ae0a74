// The character-level scanner under the plot reader: buffered blocks, line ends, number tokens.
#pragma once

#include "survey/ReadAhead.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::survey {

// Reads a file in large blocks and presents it as a stream of characters in which every line ends
// in CR LF: a bare LF and a bare CR are both given as CR LF, so the reader's rules (which stop at
// CR) hold for files of any line-end convention. The first Ctrl+Z ends the stream.
// Errors throw PlotFileError with "file:line: " before the message.
class TPlotScanner {
public:
    static constexpr int kEnd = -1;
    static constexpr int kCR = 13;
    static constexpr int kLF = 10;

    // Opens the file; throws PlotFileError ("File not found" and the like).
    explicit TPlotScanner(const std::string& fileName);
    TPlotScanner(const TPlotScanner&) = delete;
    TPlotScanner& operator=(const TPlotScanner&) = delete;

    // True when no character follows.
    bool AtEnd() { return m_Pos == m_End && !Refill(); }
    // Reads one character (0..255, or kEnd) and makes it the current character.
    int Get() {
        if (m_Pos == m_End && !Refill())
            return m_Current = kEnd;
        const auto c = static_cast<unsigned char>(*m_Pos++);
        if (c == kLF)
            ++m_Line;
        return m_Current = c;
    }
    int Current() const { return m_Current; }
    bool CurrentIsCR() const { return m_Current == kCR; }
    // 1-based number of the line being read.
    std::int64_t Line() const { return m_Line; }

    // Reads up to and including the next LF, or to the end.
    void SkipLine();
    // Reads until Letter (true), a CR or the end (false).
    bool FindLetter(char letter);
    // Skips characters below minChar (stopping with "" at CR or form feed), then collects
    // characters up to the next one below minChar, which is consumed. Keeps maxLength characters.
    std::string_view ReadToken(int maxLength, int minChar);
    // The text between double quotes on the rest of the line ("" when there is no quote);
    // a backslash keeps the next character. Keeps maxLength characters.
    std::string_view ReadQuoted(int maxLength);
    // Characters from here up to a space or CR (consumed; not part of the word).
    std::string_view ReadFlagWord();
    // The characters up to the next CR, consumed; keeps maxLength.
    std::string_view ReadRestOfLine(int maxLength);
    // Skips to a digit or '.', keeping a sign right before it; 0 at the end. Throws on a malformed
    // number ("'-' is not a valid floating point value"). Does not change the current character.
    double ReadLooseNumber();
    // A blank-separated number: skips blanks and line ends, reads up to the next blank or line
    // end; 0 at the end. Throws "Invalid numeric input". Does not change the current character.
    double ReadReal();
    std::int32_t ReadInteger();

    // Throws PlotFileError "file:line: message".
    [[noreturn]] void Fail(const std::string& message) const;

private:
    bool Refill();
    // Makes at least n characters available after m_Pos unless the file ends first.
    void EnsureLookahead(std::size_t n);
    std::string_view ReadNumberToken();
    void Append(char c, int maxLength);

    std::string m_FileName;
    std::unique_ptr<TReadAhead> m_Source;
    const char* m_Pos = nullptr;
    const char* m_End = nullptr;
    bool m_SourceDone = false;
    int m_Current = 0;
    std::int64_t m_Line = 1;
    std::string m_Text; // the last token, quoted text or flag word
};

} // namespace lumora::survey
