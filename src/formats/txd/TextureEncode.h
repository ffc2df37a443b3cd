// Pictures encoded as texture pixel data: the three block encodings through
// libsquish's cluster fit, and 32-bit pixels; mip levels by box filtering.
#pragma once

#include <cstdint>
#include <string>

#include "formats/txd/TextureDecode.h"

namespace korvane {

// True when some pixel's alpha (the fourth byte) is below 255.
bool HasTransparentPixels(const TTextureBitmap& picture);

// One image level's pixel data in `enc` (Dxt1, Dxt3, Dxt5 or Bgra32): the
// blocks row by row, the last row and column of blocks filled out when a side
// is not a multiple of 4; or blue, green, red, alpha per pixel. DXT1 blocks
// always use the four-colour rule (first colour above the second, or both the
// same with every index 0), the one rule every reader of these dictionaries
// agrees on; their alpha is not stored.
std::string EncodeTextureLevel(const TTextureBitmap& picture, TTextureEncoding enc);

// Bytes of one level of W×H pixels in `enc`; sides under 4 still take one block.
uint64_t LevelBytes(TTextureEncoding enc, uint32_t width, uint32_t height);

// The next smaller mip level: each side halved (never below 1), each pixel
// the rounded mean of the 2×2 pixels it covers (2×1 or 1×2 where a side is
// already 1), every channel alike. The last row or column of an odd side is
// dropped.
TTextureBitmap HalveImage(const TTextureBitmap& picture);

// How many levels a W×H texture can have: down to 1×1.
unsigned MaxMipLevels(uint32_t width, uint32_t height);

}  // namespace korvane
