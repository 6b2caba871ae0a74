#include "analysis/RoseTable.h"

#include "platform/SafeFile.h"

#include <charconv>

namespace lumora::analysis {

namespace {

// Two decimals, '.' whatever the locale.
void AppendFixed(std::string& out, double value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    out.append(buffer, end.ptr);
}

// The shortest text that reads back as the same double (10, 11.25).
void AppendShortest(std::string& out, double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end.ptr);
}

} // namespace

std::string RoseCsv(const TRoseHistogram& h, double unitFactor) {
    std::string out = kRoseCsvHeader;
    out += "\r\n";
    const int layers = h.Layers(), petals = h.Petals();
    const double thickness = layers > 0 ? h.Range() / layers : 0;
    const double width = petals > 0 ? 360.0 / petals : 0;
    for (int j = 0; j < layers; ++j)
        for (int m = 0; m < petals; ++m) {
            const std::int64_t count = h.Count(j, m);
            if (count == 0)
                continue;
            const double bottom = h.Bottom() + j * thickness;
            out += std::to_string(j);
            out += ',';
            AppendFixed(out, bottom * unitFactor);
            out += ',';
            AppendFixed(out, (bottom + thickness) * unitFactor);
            out += ',';
            out += std::to_string(m);
            out += ',';
            AppendShortest(out, m * width);
            out += ',';
            AppendShortest(out, (m + 1) * width);
            out += ',';
            out += std::to_string(count);
            out += "\r\n";
        }
    return out;
}

void WriteRoseCsv(const std::string& path, const TRoseHistogram& histogram, double unitFactor) {
    platform::WriteFileContents(path, RoseCsv(histogram, unitFactor));
}

} // namespace lumora::analysis
