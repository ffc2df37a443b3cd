// Textures written to picture files: BMP as ever, or PNG, which keeps a
// texture's alpha in colour mode.
#pragma once

#include <string>

#include "formats/txd/TextureDecode.h"

namespace korvane {

enum class TPictureFormat : uint8_t { Bmp, Png };

// The colour picture with each pixel's fourth byte set to the texture's own
// alpha, over the full 0..255 (a DXT3 alpha a is a × 17, where the mask shows
// a × 16); opaque encodings give 255, pixels outside the data 0.
TTextureBitmap BuildTextureBitmapWithAlpha(TByteSpan bytes, const TTextureInfo& t, int reqWidth, int reqHeight,
                                           std::string_view bytesPath = {});

// Decodes `t` from the dictionary's `bytes` (read from `bytesPath`) at
// reqWidth × reqHeight in `mode` and writes it to `path`: BMP, or PNG, RGBA
// in colour mode when the texture has alpha and RGB otherwise.
void ExportTexture(TByteSpan bytes, const TTextureInfo& t, int reqWidth, int reqHeight, TDecodeMode mode,
                   TPictureFormat format, const std::string& path, std::string_view bytesPath = {});

}  // namespace korvane
