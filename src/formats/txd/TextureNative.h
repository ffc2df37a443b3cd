// A native texture's struct, described once: where each field of its header
// lies, how the reader takes it and how the editor writes it. The dictionary
// viewer and the dictionary editor both go through here, so what the editor
// writes is what the viewer reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rw/SectionCursor.h"

namespace korvane {

enum class TTextureEncoding : uint8_t {
    Dxt3, Dxt1, Bgra32, Rgb1555, Rgb565, Argb4444, Rgb555, Dxt5, Pal8, Pal4, Unsupported
};

// One texture of a dictionary as read from its native struct.
struct TTextureInfo {
    std::string Name;      // at most 32 characters
    std::string MaskName;  // at most 32 characters, often empty
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint64_t DataPos = 0;   // position of the first level's pixels in the bytes read
    uint32_t DataSize = 0;  // byte size of those pixels
    bool HasAlpha = false;
    uint32_t RasterFormat = 0;  // tells the 16-bit layouts apart
    uint32_t Platform = 0;      // 8 for Direct3D 8, 9 for Direct3D 9
    // The alpha indicator, or on platform 9 the D3D format (a four-character
    // code such as "DXT5" for block textures).
    uint32_t PlatformFormat = 0;
    // The block compression (1, 3, 5) on platform 8, the flags (bit 0:
    // alpha) on platform 9.
    uint8_t PlatformFlags = 0;
    uint8_t Levels = 1;  // image levels stored
    // Paletted textures: 256 or 32 entries of red, green, blue, alpha stand
    // at PalettePos, just before the data size; 0 entries for the others.
    uint16_t PaletteEntries = 0;
    uint64_t PalettePos = 0;
};

// The header's fields: byte offsets in the struct's contents.
namespace NativeField {
constexpr size_t Platform = 0;
constexpr size_t Filtering = 4;  // filter mode, then addressing
constexpr size_t Name = 8;       // 32 bytes
constexpr size_t MaskName = 40;  // 32 bytes
constexpr size_t NameBytes = 32;
constexpr size_t RasterFormat = 72;
constexpr size_t PlatformFormat = 76;
constexpr size_t Width = 80;
constexpr size_t Height = 82;
constexpr size_t Depth = 84;
constexpr size_t Levels = 85;
constexpr size_t RasterType = 86;
constexpr size_t PlatformFlags = 87;
// The first level's size, or a paletted texture's palette (its size after it).
constexpr size_t DataSize = 88;
}  // namespace NativeField

constexpr size_t TextureHeaderSize = 92;
// Where the palette of a paletted texture begins inside the header.
constexpr size_t TexturePaletteOffset = NativeField::DataSize;
constexpr uint32_t RasterPal8 = 0x2000;
constexpr uint32_t RasterPal4 = 0x4000;
constexpr uint32_t D3DFormatDxt5 = 0x35545844;  // "DXT5"

// Palette entries a raster format asks for: 256 (PAL8), 32 (PAL4; only 16
// are indexed, but 32 are stored) or 0.
uint16_t PaletteEntriesOf(uint32_t rasterFormat);

// Parses the fields of a 92-byte texture header (DataPos and PalettePos are
// left alone; a paletted texture's DataSize follows its palette and is left
// at 0).
void ParseTextureHeader(const uint8_t* header, TTextureInfo& t);

// Reads the struct's contents from the cursor's position: the header, a
// paletted texture's palette and the first level's size after it. DataPos
// and PalettePos are positions in the cursor's bytes; the cursor ends on the
// first level's pixels. Bytes running short raise "Read beyond end of file".
void ReadNativeStruct(TSectionCursor& in, TTextureInfo& t);

// Header bytes for a picture of `width` × `height` stored in `enc` with
// `levels` levels: raster format, platform format, size, depth, levels and
// platform flags. The platform, filtering, addressing and names stay.
void StoreNativeFormat(uint8_t* header, TTextureEncoding enc, bool alpha, unsigned levels, int width, int height);

// The fixed header of a new texture named `name` (at most 31 bytes) for
// `platform`: linear filtering, wrapped, a plain texture raster.
void StoreNewNativeHeader(uint8_t* header, uint32_t platform, std::string_view name);

}  // namespace korvane
