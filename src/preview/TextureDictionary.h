// The textures of a RenderWare texture dictionary: where each one's first
// image level lies in the archive file and how its pixels are stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/FileIO.h"

namespace korvane {

// One texture of the dictionary being previewed.
struct TTextureInfo {
    std::string Name;      // at most 32 characters
    std::string MaskName;  // at most 32 characters, often empty
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint64_t DataPos = 0;   // absolute file position of the first level's pixels
    uint32_t DataSize = 0;  // byte size of those pixels
    bool HasAlpha = false;
    uint32_t RasterFormat = 0;  // header bytes 72..75; tells the 16-bit layouts apart
    uint32_t Platform = 0;      // header bytes 0..3: 8 for Direct3D 8, 9 for Direct3D 9
    // Header bytes 76..79: the alpha indicator, or on platform 9 the D3D
    // format (a four-character code such as "DXT5" for block textures).
    uint32_t PlatformFormat = 0;
    // Header byte 87: the block compression (1, 3, 5) on platform 8, the
    // flags (bit 0: alpha) on platform 9.
    uint8_t PlatformFlags = 0;
    // Paletted textures: 256 or 32 entries of red, green, blue, alpha stand
    // at PalettePos, just before the data size; 0 entries for the others.
    uint16_t PaletteEntries = 0;
    uint64_t PalettePos = 0;
};

constexpr size_t TextureHeaderSize = 92;
// Where the palette of a paletted texture begins inside the header.
constexpr size_t TexturePaletteOffset = 88;
constexpr uint32_t RasterPal8 = 0x2000;
constexpr uint32_t RasterPal4 = 0x4000;
constexpr uint32_t D3DFormatDxt5 = 0x35545844;  // "DXT5"

// Palette entries a raster format asks for: 256 (PAL8), 32 (PAL4; only 16
// are indexed, but 32 are stored) or 0.
uint16_t PaletteEntriesOf(uint32_t rasterFormat);

// Walks from the file's position to the dictionary (0x16) and its struct,
// reads the 16-bit texture count and drops the 16 bits after it.
uint16_t ReadTextureCount(TFile& file);

// Walks on to the next texture native (0x15) and its struct, reads the 92-byte
// header (and a paletted texture's palette and data size) into `t` and moves
// back onto the struct's header, so that the next
// walk skips the struct and the texture's extension by their sizes.
void ReadTextureHeader(TFile& file, TTextureInfo& t);

// Parses the fields of a 92-byte texture header (DataPos and PalettePos are
// left alone; a paletted texture's DataSize follows its palette and is left
// at 0).
void ParseTextureHeader(const uint8_t* header, TTextureInfo& t);

// The whole dictionary from the file's position; raises on the first failure.
std::vector<TTextureInfo> ReadTextureDictionary(TFile& file);

}  // namespace korvane
