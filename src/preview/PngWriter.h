// PNG files from decoded texture bitmaps: 8-bit RGB, zlib stream of stored
// (uncompressed) deflate blocks, so no compressor is needed.
#pragma once

#include <string>

#include "preview/TextureDecode.h"

namespace korvane {

std::string PngBytes(const TTextureBitmap& bmp);
void WritePngFile(const std::string& path, const TTextureBitmap& bmp);

}  // namespace korvane
