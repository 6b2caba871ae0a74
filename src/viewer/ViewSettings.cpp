#include "viewer/ViewSettings.h"

#include "platform/IniFile.h"
#include "survey/SuiteSettings.h"

#include <algorithm>

namespace lumora::viewer {

void LoadViewSettings(const std::string& iniFile, TOverlaySettings& overlays,
                      TWindowPlacement& window) {
    const platform::IniFile ini(iniFile);
    const std::string units = ini.ReadString(kViewSection, "Units", "Feet");
    overlays.Units = units == "Meters" ? TLengthUnit::Meters : TLengthUnit::Feet;
    overlays.Compass = ini.ReadBool(kViewSection, "Compass", overlays.Compass);
    overlays.ScaleBar = ini.ReadBool(kViewSection, "ScaleBar", overlays.ScaleBar);
    overlays.DepthLegend = ini.ReadBool(kViewSection, "DepthLegend", overlays.DepthLegend);
    overlays.StationNames = ini.ReadBool(kViewSection, "StationNames", overlays.StationNames);
    const int width = ini.ReadInteger(kWindowSection, "Width", 0);
    const int height = ini.ReadInteger(kWindowSection, "Height", 0);
    window.Known = width > 0 && height > 0;
    if (!window.Known)
        return;
    window.Width = width;
    window.Height = height;
    window.Left = ini.ReadInteger(kWindowSection, "Left", 0);
    window.Top = ini.ReadInteger(kWindowSection, "Top", 0);
    window.Maximized = ini.ReadBool(kWindowSection, "Maximized", false);
    window.HierarchyWidth =
        std::clamp(ini.ReadInteger(kWindowSection, "HierarchyWidth", 185), 1, 185);
}

void SaveViewSettings(const std::string& iniFile, const TOverlaySettings& overlays,
                      const TWindowPlacement& window) {
    platform::IniFile ini(iniFile);
    ini.WriteString(kViewSection, "Units",
                    overlays.Units == TLengthUnit::Meters ? "Meters" : "Feet");
    ini.WriteBool(kViewSection, "Compass", overlays.Compass);
    ini.WriteBool(kViewSection, "ScaleBar", overlays.ScaleBar);
    ini.WriteBool(kViewSection, "DepthLegend", overlays.DepthLegend);
    ini.WriteBool(kViewSection, "StationNames", overlays.StationNames);
    if (window.Known) {
        ini.WriteInteger(kWindowSection, "Left", window.Left);
        ini.WriteInteger(kWindowSection, "Top", window.Top);
        ini.WriteInteger(kWindowSection, "Width", window.Width);
        ini.WriteInteger(kWindowSection, "Height", window.Height);
        ini.WriteBool(kWindowSection, "Maximized", window.Maximized);
        ini.WriteInteger(kWindowSection, "HierarchyWidth", window.HierarchyWidth);
    }
    ini.UpdateFile();
}

const char* UnitText(TLengthUnit unit) {
    return unit == TLengthUnit::Meters ? "m" : "ft";
}

double FromFeet(double feet, TLengthUnit unit) {
    return unit == TLengthUnit::Meters ? feet * survey::FeetToMeters() : feet;
}

} // namespace lumora::viewer
