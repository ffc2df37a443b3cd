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

uint16_t LoadLE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

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

void ParseTextureHeader(const uint8_t* header, TTextureInfo& t)
{
    t.Name = FixedName(header + 8);
    t.MaskName = FixedName(header + 40);
    t.RasterFormat = LoadLE32(header + 72);
    t.HasAlpha = LoadLE32(header + 76) == 1;
    t.Width = LoadLE16(header + 80);
    t.Height = LoadLE16(header + 82);
    t.DataSize = LoadLE32(header + 88);
}

void ReadTextureHeader(TFile& file, TTextureInfo& t)
{
    TSectionHeader section;
    FindSection(file, rwTextureNative, section);
    FindSection(file, rwStruct, section);
    uint8_t header[TextureHeaderSize];
    file.ReadExact(header, sizeof header);
    ParseTextureHeader(header, t);
    t.DataPos = file.Position();
    // Back onto the struct's own header: 92 bytes read plus 12 of the header.
    file.Seek(file.Position() - TextureHeaderSize - 12);
}

std::vector<TTextureInfo> ReadTextureDictionary(TFile& file)
{
    const uint16_t n = ReadTextureCount(file);
    std::vector<TTextureInfo> textures(n);
    for (TTextureInfo& t : textures) ReadTextureHeader(file, t);
    return textures;
}

}  // namespace korvane
