// ShowExporter — the viewer's way into the exporter window: its current plot file loaded behind
// the small "3D Exporter" window, then the exporter window shown modally.
#pragma once

#include <string>

class QWidget;

namespace lumora::exporter {

class TExporterForm;

inline const char* const kLoadingCaption = "3D Exporter";
inline const char* const kLoadingText = "Loading Data.....";

// The exporter window of parent: made on the first call (so its options live as long as parent)
// and found again on later calls.
TExporterForm& ExporterOf(QWidget* parent);

// Unless plotFileName is empty: shows "Loading Data....." (white bold text on black, centred on
// the screen), opens the file in the exporter window and closes the small window again, also
// when the file cannot be read. Then shows the exporter window modally and returns when it is
// closed. With a null parent the window lives for this call only.
void ShowExporter(QWidget* parent, const std::string& plotFileName);

} // namespace lumora::exporter
