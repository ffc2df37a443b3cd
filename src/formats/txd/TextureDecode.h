// Texture pixels decoded into plain BGRA buffers: the three S3TC block
// encodings (DXT1, DXT3, DXT5), 32-bit pixels, the 16-bit layouts and the
// paletted ones, in three modes, stretched to any size. Which encoding a
// texture's data is in: TextureEncoding.cpp; the per-pixel rules:
// TexturePixelRules.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <string_view>

#include "formats/picture/Bitmap.h"
#include "formats/txd/TextureDictionary.h"

namespace korvane {

// The numbers are part of the interface: menu items carry them in their tags.
enum TDecodeMode : uint8_t { dmColor = 0, dmMask = 1, dmComposite = 2 };

// Paletted textures by DataSize: W×H bytes → one index a byte, W×H/2 (or
// rounded up) → two a byte; other sizes are not decoded. The rest chosen by DataSize: W×H bytes
// → DXT3 (DXT5 when the header names it: "DXT5" on platform 9, compression 5
// on platform 8), W×H/2 → DXT1, at least W×H×4 → 32-bit; W×H×2 with a 16-bit
// raster format → that layout; anything else is not decoded.
TTextureEncoding TextureEncoding(const TTextureInfo& t);
const char* EncodingName(TTextureEncoding e);  // "dxt1", "bgra32", "pal8", "unsupported", ...
int EncodingBitsPerPixel(TTextureEncoding e);  // 4, 8, 32, 16; 0 when unsupported
// The palette's bytes (PaletteEntries × 4: red, green, blue, alpha) are read
// along with the pixels of these.
inline bool Paletted(TTextureEncoding e) { return e == TTextureEncoding::Pal8 || e == TTextureEncoding::Pal4; }


// Decodes the texture's first level from `bytes` (the dictionary's bytes the
// texture was read from, `path` naming their file in errors), stretched
// without filtering: target pixel (x, y) is source pixel (x·W div ReqWidth,
// y·H div ReqHeight). Data running past the end of the bytes raises "Read
// beyond end of file" before anything is allocated, and so does a palette
// that does. Pixels whose block or row lies outside the data, all pixels of
// an empty texture and every pixel of an unsupported one stay black; an index
// past the palette's entries reads as 0, 0, 0, alpha 0. A picture of more
// than MaxUnbackedPixels pixels and more than twice the bytes raises
// EOutOfMemory ("Out of memory") before it is made.
TTextureBitmap BuildTextureBitmap(TByteSpan bytes, const TTextureInfo& t, int reqWidth, int reqHeight, TDecodeMode mode,
                                  std::string_view path = {});
constexpr uint64_t MaxUnbackedPixels = 8192ull * 8192;

// The same decode from pixel data already in memory (`size` bytes of it);
// a paletted texture's palette is `palette` (PaletteEntries × 4 bytes), all
// zero when none is given.
TTextureBitmap DecodeTexture(const uint8_t* data, size_t size, const TTextureInfo& t, int reqWidth, int reqHeight,
                             TDecodeMode mode, const uint8_t* palette = nullptr);

// The per-pixel rules, exposed for the tests.
// A channel of a block colour: (f0·g + f1·(1−g))·K with g = w/3 for the index's
// weight w, rounded to single precision, then to nearest (ties to even).
uint8_t MixBlockColor(unsigned f0, unsigned f1, unsigned index, bool sixBit);
// Blue, green, red of pixel p (0..15) of the colour part of a block (c0, c1,
// index word).
void DecodeBlockColor(const uint8_t* colourBlock, unsigned p, uint8_t* bgr);
// The 4-bit alpha of pixel p of a 16-byte block.
unsigned BlockAlpha(const uint8_t* block, unsigned p);
// The 8-bit alpha of pixel p of a DXT5 block: endpoints a0, a1 in bytes 0
// and 1, 3-bit indices from byte 2 on; eight values when a0 > a1, otherwise
// six plus 0 and 255; the values between are rounded to nearest.
unsigned Dxt5Alpha(const uint8_t* block, unsigned p);
uint8_t CheckerGrey(unsigned x, unsigned y);  // 192 or 255, squares of 8
// Blue, green and red over the grey by weight a (single precision).
void BlendOverGrey(uint8_t* pixel, uint8_t grey, float a);

}  // namespace korvane
