#include "preview/TextureDictionary.h"

#include <cstring>

#include "archive/ByteOrder.h"
#include "preview/SectionWalk.h"

namespace korvane {

namespace {

// The characters before the first zero byte of a 32-byte field; all 32 when
// there is none.
std::string FixedName(const uint8_t* field)
{
    const void* zero = std::memchr(field, 0, 32);
    const size_t n = zero ? size_t(static_cast<const uint8_t*>(zero) - field) : 32;
    return std::string(reinterpret_cast<const char*>(field), n);
}

}  // namespace

uint16_t ReadTextureCount(TFile& file)
{
    TSectionHeader header;
    FindSection(file, rwTextureDictionary, header);
    FindSection(file, rwStruct, header);
    uint8_t raw[4];
    file.ReadExact(raw, sizeof raw);
    return LoadLE16(raw);
}

uint16_t PaletteEntriesOf(uint32_t rasterFormat)
{
    if (rasterFormat & RasterPal8) return 256;
    if (rasterFormat & RasterPal4) return 32;
    return 0;
}

void ParseTextureHeader(const uint8_t* header, TTextureInfo& t)
{
    t.Platform = LoadLE32(header);
    t.Name = FixedName(header + 8);
    t.MaskName = FixedName(header + 40);
    t.RasterFormat = LoadLE32(header + 72);
    t.PlatformFormat = LoadLE32(header + 76);
    t.PlatformFlags = header[87];
    // Direct3D 9 headers hold the D3D format where older ones hold the
    // alpha indicator; their alpha is a flag bit instead.
    t.HasAlpha = t.Platform == 9 ? (t.PlatformFlags & 1) != 0 : t.PlatformFormat == 1;
    t.Width = LoadLE16(header + 80);
    t.Height = LoadLE16(header + 82);
    t.PaletteEntries = PaletteEntriesOf(t.RasterFormat);
    t.DataSize = t.PaletteEntries ? 0 : LoadLE32(header + 88);
}

void ReadTextureHeader(TFile& file, TTextureInfo& t)
{
    TSectionHeader section;
    FindSection(file, rwTextureNative, section);
    FindSection(file, rwStruct, section);
    const uint64_t start = file.Position();
    uint8_t header[TextureHeaderSize];
    file.ReadExact(header, sizeof header);
    ParseTextureHeader(header, t);
    if (t.PaletteEntries) {
        // The palette stands where the data size would be; the size follows
        // it. Read whole, so that a palette cut short fails here.
        t.PalettePos = start + TexturePaletteOffset;
        file.Seek(t.PalettePos);
        uint8_t palette[256 * 4];
        file.ReadExact(palette, size_t(t.PaletteEntries) * 4);
        uint8_t size[4];
        file.ReadExact(size, sizeof size);
        t.DataSize = LoadLE32(size);
    }
    t.DataPos = file.Position();
    // Back onto the struct's own header, so that the next walk skips the
    // struct by its size.
    file.Seek(start - 12);
}

std::vector<TTextureInfo> ReadTextureDictionary(TFile& file)
{
    const uint16_t n = ReadTextureCount(file);
    std::vector<TTextureInfo> textures(n);
    for (TTextureInfo& t : textures) ReadTextureHeader(file, t);
    return textures;
}

}  // namespace korvane
