// Writes the .x mesh file format token by token, as text or binary, so one description of each
// object serves both encodings.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::scene {

class XFileStream {
public:
    // Writes the 16-byte file header ("xof 0302txt 0032" or "xof 0302bin 0032").
    XFileStream(std::ostream& out, bool text);
    // Flushes pending binary numbers.
    ~XFileStream();
    XFileStream(const XFileStream&) = delete;
    XFileStream& operator=(const XFileStream&) = delete;

    // Opens an object of a template type, named when name is not empty. In text the name is made
    // a valid identifier (other characters become '_'); binary keeps it as it is.
    void Begin(std::string_view type, std::string_view name);
    void End();
    // A number followed, in text, by its separators (";", ",", ";;", ";,"); binary ignores them
    // and packs runs of numbers into integer and float lists.
    void Int(std::uint32_t value, std::string_view separators);
    void Float(float value, std::string_view separators);
    // Text only: separators with no number before them (after an empty list).
    void Separator(std::string_view separators);
    // A quoted string ended by a semicolon.
    void String(std::string_view text);
    // Text only: starts a new line at the current depth.
    void NewLine();
    // Flushes pending data; false when the stream failed.
    bool Finish();

    static std::string TextIdentifier(std::string_view name);

private:
    void Word(std::uint16_t token);
    void DWord(std::uint32_t value);
    void FlushNumbers();

    std::ostream& m_Out;
    bool m_Text;
    int m_Depth = 0;
    std::vector<std::uint32_t> m_Ints;
    std::vector<float> m_Floats;
};

} // namespace lumora::scene
