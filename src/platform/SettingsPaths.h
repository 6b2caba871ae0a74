// Where Lumora keeps its settings files: the per-user settings folder and bare INI file names.
#pragma once

#include <string>

namespace lumora::platform {

// The per-user folder of Lumora's settings files, with a trailing '/':
// $LUMORA_CONFIG_DIR when set (tests point it at a temporary folder), else
// $XDG_CONFIG_HOME/lumora/ when that is an absolute path, else ~/.config/lumora/.
// The folder is created when missing; when it cannot be created the path is still returned and
// the failure shows up as soon as a file in it is written. Never throws.
std::string SettingsFolder();

// The per-user base folder of settings of all programs, with a trailing '/':
// $XDG_CONFIG_HOME/ when that is an absolute path, else ~/.config/. Not created. Never throws.
std::string ConfigHome();

// A settings file's full path: a bare file name (no '/') names a file in SettingsFolder();
// any other name is returned unchanged. Never throws.
std::string ResolveSettingsFile(const std::string& name);

} // namespace lumora::platform
