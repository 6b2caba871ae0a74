// PictureFile — a picture written as an image file (BMP, PNG, ...) whole or not at all.
#pragma once

#include <string>

class QImage;

namespace lumora::viewer {

// Encodes picture in format ("BMP", "PNG") and writes it as the whole of path through a temporary
// file beside it: on failure nothing is left behind and an older file at path stays as it was.
// Throws lumora::WriteError "PATH: reason" (also for an empty picture or one the format cannot
// hold).
void WritePictureFile(const QImage& picture, const std::string& path, const char* format);

} // namespace lumora::viewer
