#include "exporter/ExpGlobal.h"

#include "survey/SuiteSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace lumora::exporter {

double UnitFactor(bool meters) {
    return meters ? survey::FeetToMeters() : 1.0;
}

const char* UnitLabel(bool meters) {
    return meters ? "M." : "Ft.";
}

void TExportIo::Status(const std::string& text) const {
    if (ShowStatus)
        ShowStatus(text);
}

void TExportIo::Gauge(int percent) const {
    if (ShowGauge)
        ShowGauge(percent);
    if (Ui)
        Ui->ProcessPendingEvents();
}

void AppendFixed(std::string& out, double v, int decimals) {
    char buffer[400];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        out += "0";
        return;
    }
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    // A negative value that rounds to zero loses its sign.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos)
        out.append(text.substr(1));
    else
        out.append(text);
}

std::string FormatFixed(double v, int decimals) {
    std::string out;
    AppendFixed(out, v, decimals);
    return out;
}

std::string FormatGeneral(double v) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

passage::TPassageOptions& ApplyWallSettings(const TWallSettings& w) {
    passage::TPassageOptions& p = passage::PassageOptions();
    p.PassShape = static_cast<passage::TPassShape>(std::clamp(w.PassShape, 0, 2));
    p.SubstituteDiam = w.Substitute();
    p.ExpandWalls = w.ExpandWalls;
    p.RoundDepth = std::max(w.RoundDepth, 0);
    p.CornerThreshold = w.CornerThreshold;
    p.VerticalPrisms = w.VerticalPrisms;
    p.VerticalThreshold = w.VerticalThreshold;
    return p;
}

} // namespace lumora::exporter
