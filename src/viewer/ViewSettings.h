// What the viewer keeps between runs beside its recent files: the window's place and size and
// the overlay choices (units, compass, scale bar, depth legend, station names), in sections of
// their own in "lumora.ini".
#pragma once

#include <string>

namespace lumora::viewer {

enum class TLengthUnit { Feet, Meters };

struct TOverlaySettings {
    TLengthUnit Units = TLengthUnit::Feet;
    bool Compass = true;
    bool ScaleBar = true;
    bool DepthLegend = true; // shown while the cave is coloured by depth
    bool StationNames = false;
};

// The window as it was left; Known is false before the first run ended.
struct TWindowPlacement {
    bool Known = false;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Maximized = false;
    int HierarchyWidth = 185;
};

inline const char* const kViewSection = "View";
inline const char* const kWindowSection = "Window";

// Reads both from iniFile (a bare name is a file in the settings folder); missing or unreadable
// values keep their defaults. Never throws for a bad file's contents; throws lumora::Error when
// the file exists and cannot be read.
void LoadViewSettings(const std::string& iniFile, TOverlaySettings& overlays,
                      TWindowPlacement& window);
// Writes both, keeping every other section of the file; the file is replaced whole or not at
// all. Throws lumora::Error naming the file on failure.
void SaveViewSettings(const std::string& iniFile, const TOverlaySettings& overlays,
                      const TWindowPlacement& window);

// Display units: "ft" or "m", and the number of them in a length of feet (the suite's foot).
const char* UnitText(TLengthUnit unit);
double FromFeet(double feet, TLengthUnit unit);

} // namespace lumora::viewer
