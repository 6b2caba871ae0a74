// The survey suite's settings: which foot the plot files mean, and where the suite keeps its files.
#pragma once

#include <string>

namespace lumora::survey {

inline constexpr double kInternationalFoot = 0.3048;
inline constexpr double kSurveyFoot = 0.304800609601;

// The process-wide feet-to-metres factor: 0.3048 until ReadUnitSettings has run, then the one
// "Quiltra32.ini" (section "Units", key "InternationalFoot", default true) asks for.
double FeetToMeters();

// Sets FeetToMeters from "Quiltra32.ini": the copy in SuiteSettingsFolder() when there is one
// (the survey program keeps its settings there), else the bare file name, which IniFile resolves
// in the program's settings folder. Called once at start-up by each program (and by tests).
// Never throws: a missing or unreadable file leaves the international foot.
void ReadUnitSettings();

// The factor the named INI file asks for: 0.3048 when the file or the key is missing or the
// file cannot be read, 0.304800609601 when "InternationalFoot" is false. Never throws.
double ReadFeetToMeters(const std::string& iniFileName);

// The suite's settings folder with a trailing '/': $XDG_CONFIG_HOME/quiltra/ (default
// ~/.config/quiltra/), or $LUMORA_CONFIG_DIR/quiltra/ when that is set, so that tests never touch
// the user's files. Created when missing. Never throws.
std::string SuiteSettingsFolder();

} // namespace lumora::survey
