// The survey suite's settings: which foot the plot files mean, and where the suite keeps its files.
#pragma once

#include <string>

namespace lumora::survey {

inline constexpr double kInternationalFoot = 0.3048;
inline constexpr double kSurveyFoot = 0.304800609601;

// The process-wide feet-to-metres factor: 0.3048 until ReadUnitSettings has run, then the one
// "Quiltra32.ini" (section "Units", key "InternationalFoot", default true) asks for.
double FeetToMeters();

// Reads the foot setting from the bare file name "Quiltra32.ini", which IniFile resolves in the
// program's settings folder; called once at start-up by each program (and by tests).
void ReadUnitSettings();

// The factor the named INI file asks for (0.3048 when the file or the key is missing).
double ReadFeetToMeters(const std::string& iniFileName);

// The suite's settings folder ($XDG_CONFIG_HOME/quiltra/, default ~/.config/quiltra/), created
// when missing; with a trailing '/'.
std::string SuiteSettingsFolder();

} // namespace lumora::survey
