// What the KML, VRML and DXF writers share: the unit factor and label of the "Units" choice, the
// progress display they report to, locale-independent number text, and the passage options of
// the walls page (which the Shapefile layers use too).
#pragma once

#include "exporter/ExportOptions.h"
#include "passage/CrossSection.h"
#include "platform/UiServices.h"

#include <functional>
#include <string>

namespace lumora::exporter {

// 1 for feet; the suite's feet-to-metres factor for metres.
double UnitFactor(bool meters);
// "Ft." or "M.".
const char* UnitLabel(bool meters);

// What the caller lends a writer: the user (busy cursor, pending events) and the window's
// "Status:" text and progress gauge (0 to 100). Empty functions show nothing; Ui may be null.
struct TExportIo {
    UiServices* Ui = nullptr;
    std::function<void(const std::string&)> ShowStatus;
    std::function<void(int)> ShowGauge;

    void Status(const std::string& text) const;
    // Sets the gauge and lets pending events run.
    void Gauge(int percent) const;
};

// Appends v in fixed notation with the given decimals and '.' as the decimal point, whatever the
// locale. A value that rounds to zero is written without a sign ("0.00", never "-0.00").
void AppendFixed(std::string& out, double v, int decimals);
std::string FormatFixed(double v, int decimals);
// General format with up to 15 significant digits and '.' (0.1 as "0.1", 4 as "4").
std::string FormatGeneral(double v);

// Copies the walls page into the process-wide passage options (shape clamped to 0..2, rounding
// depth at least 0, the substitute only when its box is checked) and returns them. Merging,
// sealed ends, centring, units and hidden shots are each writer's own choice.
passage::TPassageOptions& ApplyWallSettings(const TWallSettings& w);

} // namespace lumora::exporter
