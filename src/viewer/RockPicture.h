// The program's built-in rock picture "TEXTURE1": a tileable stone surface drawn by the program
// itself, and its use as the current texture.
#pragma once

#include "viewer/lvtxture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::viewer {

// Name of the built-in picture, and of the texture made from it.
inline const std::string kRockTextureName = "TEXTURE1";
// Side of the square picture, in pixels.
constexpr int kRockPictureSize = 256;

// The picture's pixels: size x size, rows top down, three bytes (red, green, blue) each. The
// picture tiles: its right edge continues into its left edge, its bottom into its top. The same
// size always gives the same picture.
std::vector<std::uint8_t> RockPixels(int size = kRockPictureSize);

// "Set Rock Texture"'s first step: the picture as the current texture, named "TEXTURE1".
scene::Result LoadRockTexture(TViewerScene& s, TTextures& t);
// The picture as the bytes of a 24-bit bitmap file (BMP, rows bottom up, blue green red).
std::string RockBitmapBytes();
// Writes the picture as a 24-bit bitmap file, whole or not at all: on failure no temporary file
// stays and a file of that name is left as it was. Throws lumora::WriteError "PATH: reason".
void SaveRockPicture(const std::string& path);

} // namespace lumora::viewer
