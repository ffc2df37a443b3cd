// Pictures read from PNG and BMP files, to be put into texture dictionaries.
#pragma once

#include <stdexcept>
#include <string>

#include "formats/picture/Bitmap.h"

namespace korvane {

// A picture file this program cannot take: the message names the file.
class EImageError : public std::runtime_error {
public:
    EImageError(const std::string& path, const std::string& reason) : std::runtime_error(path + ": " + reason) {}
};

// No texture side is longer; larger pictures are refused before their pixels
// are allocated.
constexpr int MaxTextureSide = 4096;

// The picture in `path`, told apart by its first bytes: PNG (8 or 16 bits a
// channel, grey, palette, RGB, with or without alpha, interlaced or not) or
// BMP (uncompressed, 24 or 32 bits a pixel, either row order). The pixels come
// as blue, green, red, alpha; pictures without alpha are opaque. Raises
// EImageError for a file that is neither, is damaged or whose sides are not
// 1..MaxTextureSide, and the file errors of reading it.
TTextureBitmap ReadImageFile(const std::string& path);

// "W×H" for the messages about sizes.
std::string SizeText(int width, int height);

}  // namespace korvane
