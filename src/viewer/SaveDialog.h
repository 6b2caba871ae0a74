// The rules of the save dialog ("Save DX File") under its window: what "OK" does with the file
// name field, the chosen path, the replace question and the file list's mask.
#pragma once

#include "platform/UiServices.h"

#include <string>
#include <vector>

namespace lumora::viewer {

// What "OK", or a double-click in the file list, does with the file name field's text.
enum class TSaveDialogOk {
    FilterList, // the text holds "*" or "?": it becomes the file list's mask
    OpenFolder, // the text names a folder: the dialog moves there
    StayOpen,   // nothing chosen, or the user would not replace the file
    Close,      // the path is chosen
};

// A file that exists is replaced only when the user answers Yes to ReplaceQuestion.
TSaveDialogOk SaveDialogOk(UiServices& ui, const std::string& folder, const std::string& fileName);
// The chosen path: the field's text, prefixed by the folder and "/" unless it is absolute.
std::string SaveDialogPath(const std::string& folder, const std::string& fileName);
// fileName, "\n\r", "This file already exists.", "\n\r", "Do you want to replace it?".
std::string ReplaceQuestion(const std::string& fileName);
// True when the text holds a wildcard ("*" or "?").
bool HasWildcard(const std::string& text);
// The patterns of a mask ("*.bmp;*.ppm"): blanks trimmed, empty ones left out, and "*.*" meaning
// every file, as it does in the masks of the type list.
std::vector<std::string> MaskPatterns(const std::string& mask);
// The type list's entries from a filter "Caption|mask|Caption|mask".
struct TFileType {
    std::string Caption;
    std::string Mask;
};
std::vector<TFileType> FilterTypes(const std::string& filter);

} // namespace lumora::viewer
