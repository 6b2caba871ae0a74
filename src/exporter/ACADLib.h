// The drawing format's building blocks: the 256-colour index palette (both ways) and a writer of
// group code / value pairs with the format's number and string rules.
#pragma once

#include "exporter/BinaryFile.h"
#include "exporter/ExportOptions.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumora::exporter {

// One palette entry: red, green and blue as fractions 0 to 1.
struct TAciColor {
    double Red = 0.0;
    double Green = 0.0;
    double Blue = 0.0;
};

// The palette entry of a colour index; indexes outside 0..255 give black.
TAciColor AciPalette(std::int32_t index);
// The window colour (red in the lowest byte) of a colour index: each fraction × 255, truncated.
TColorValue AciToColor(std::int32_t index);
// The colour index nearest to a window colour (squared distance of the fractions); greys are
// searched from index 1, other colours from 0; the first of equal distances wins and an exact
// match ends the search; 255 becomes 7.
std::int32_t ColorToAci(TColorValue color);

// A string value as the drawing holds it: every character other than 0-9, A-Z, a-z, '$', '-'
// and '.' becomes '0'.
std::string DxfString(std::string_view text);

// Writes groups straight into a buffered file: the code right-aligned in 3 characters, then the
// value, each on a line ending in CR LF. Every failure throws lumora::WriteError naming the file.
class TDXFWriter {
public:
    explicit TDXFWriter(const std::string& fileName) : m_File(fileName) {}

    void String(int code, std::string_view value);
    // Right-aligned in 3 characters.
    void Integer(int code, std::int32_t value);
    // Fixed-point, two decimals, the integer part right-aligned in at least 5 characters.
    void Real(int code, double value);
    // Codes base, base + 10, base + 20 for x, y and z.
    void Point(int base, double x, double y, double z);
    // The closing Ctrl+Z (no line end), then flush and close.
    void Finish();

private:
    TBinaryFile m_File; // the groups are formatted straight into its buffer
};

} // namespace lumora::exporter
