// Uncompressed BMP files from decoded texture bitmaps.
#pragma once

#include <string>

#include "formats/picture/Bitmap.h"

namespace korvane {

// Writes `bmp` to `path` (replacing any file of that name) as a bottom-up
// BI_RGB bitmap of 24 bits per pixel, rows padded to four bytes.
void WriteBmpFile(const std::string& path, const TTextureBitmap& bmp);

// The same file's bytes.
std::string BmpBytes(const TTextureBitmap& bmp);

}  // namespace korvane
