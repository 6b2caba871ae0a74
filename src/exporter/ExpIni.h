// The exporter's settings file "ZazoRerora.ini": every option of the exporter window, saved and
// restored key by key in a fixed order of sections and keys.
#pragma once

#include "exporter/ExportOptions.h"

#include <string>

namespace lumora::exporter {

// The settings file's bare name; IniFile places a bare name in the program's settings folder.
inline constexpr const char* kExportSettingsFile = "ZazoRerora.ini";

// The decimal separator of the user's locale (the environment's LC_NUMERIC / LANG); '.' when
// the locale is unknown.
char UserDecimalSeparator();

// The options of a window just created: the defaults of every control.
TExportOptions DefaultExportOptions();

// Writes every key (sections Global, Shape, VRML, VRLM, DXF, KML, Walls, in that order of first
// appearance), reals with decimalSeparator, DXF layer colours as the colour of their index.
// Other keys of an existing file stay. Throws lumora::Error naming the file when it cannot be
// read or written (the old file is then untouched).
void SaveExportSettings(const TExportOptions& options,
                        const std::string& fileName = kExportSettingsFile,
                        char decimalSeparator = UserDecimalSeparator());

// Reads every key with the current value as default: a missing file, key or unreadable value
// leaves the option as it is; a choice above its range takes the last item, below 0 no item
// (-1); the datum outside 0..22 no selection (-1); the KML transparency and the reals are kept
// within their controls' ranges; DXF colours become the nearest colour index. "DataTypes" is
// restored before "FileType", and a data type that the Shapefile type does not offer (the prisms
// for 2D, the never-shown bounding polygons, or none) becomes "Stations". Throws lumora::Error
// naming the file when it exists but cannot be read (or is larger than IniFile reads); options
// are then unchanged.
void RestoreExportSettings(TExportOptions& options,
                           const std::string& fileName = kExportSettingsFile,
                           char decimalSeparator = UserDecimalSeparator());

// The data-type availability rule of the Shapefile tab: returns Stations when the type is not
// offered for the file type.
TShapeDataType AvailableDataType(TShapeDataType type, bool threeD);

} // namespace lumora::exporter
