#include "formats/txd/TextureNative.h"

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"

namespace korvane {

namespace {

namespace F = NativeField;

constexpr uint32_t D3DFormatArgb = 21, D3DFormatXrgb = 22;

// The characters before the first zero byte of a 32-byte field; all 32 when
// there is none.
std::string FixedName(const uint8_t* field)
{
    const void* zero = std::memchr(field, 0, F::NameBytes);
    const size_t n = zero ? size_t(static_cast<const uint8_t*>(zero) - field) : F::NameBytes;
    return std::string(reinterpret_cast<const char*>(field), n);
}

bool BlockEncoding(TTextureEncoding e)
{
    return e == TTextureEncoding::Dxt1 || e == TTextureEncoding::Dxt3 || e == TTextureEncoding::Dxt5;
}

}  // namespace

uint16_t PaletteEntriesOf(uint32_t rasterFormat)
{
    if (rasterFormat & RasterPal8) return 256;
    if (rasterFormat & RasterPal4) return 32;
    return 0;
}

void ParseTextureHeader(const uint8_t* header, TTextureInfo& t)
{
    t.Platform = LoadLE32(header + F::Platform);
    t.Name = FixedName(header + F::Name);
    t.MaskName = FixedName(header + F::MaskName);
    t.RasterFormat = LoadLE32(header + F::RasterFormat);
    t.PlatformFormat = LoadLE32(header + F::PlatformFormat);
    t.PlatformFlags = header[F::PlatformFlags];
    // Direct3D 9 headers hold the D3D format where older ones hold the
    // alpha indicator; their alpha is a flag bit instead.
    t.HasAlpha = t.Platform == 9 ? (t.PlatformFlags & 1) != 0 : t.PlatformFormat == 1;
    t.Width = LoadLE16(header + F::Width);
    t.Height = LoadLE16(header + F::Height);
    t.Levels = header[F::Levels];
    t.PaletteEntries = PaletteEntriesOf(t.RasterFormat);
    t.DataSize = t.PaletteEntries ? 0 : LoadLE32(header + F::DataSize);
}

void ReadNativeStruct(TSectionCursor& in, TTextureInfo& t)
{
    const uint64_t start = in.Position();
    ParseTextureHeader(in.Take(TextureHeaderSize).data(), t);
    if (t.PaletteEntries) {
        // The palette stands where the data size would be; the size follows
        // it. Taken whole, so that a palette cut short fails here.
        t.PalettePos = start + F::DataSize;
        in.Seek(t.PalettePos);
        in.Take(uint64_t(t.PaletteEntries) * 4);
        t.DataSize = in.ReadLE32();
    }
    t.DataPos = in.Position();
}

void StoreNativeFormat(uint8_t* h, TTextureEncoding enc, bool alpha, unsigned levels, int width, int height)
{
    const uint32_t platform = LoadLE32(h + F::Platform);
    const bool block = BlockEncoding(enc);
    // The auto-mipmap flag and the low byte stay; palette bits go.
    uint32_t format = LoadLE32(h + F::RasterFormat) & 0x10FF;
    format |= enc == TTextureEncoding::Dxt1 ? 0x200 : block ? 0x300 : alpha ? 0x500 : 0x600;
    if (levels > 1) format |= 0x8000;
    StoreLE32(h + F::RasterFormat, format);
    if (platform == 9) {
        const char* fourCC = enc == TTextureEncoding::Dxt1 ? "DXT1" : enc == TTextureEncoding::Dxt3 ? "DXT3" : "DXT5";
        StoreLE32(h + F::PlatformFormat, block ? LoadLE32(reinterpret_cast<const uint8_t*>(fourCC))
                                                : alpha ? D3DFormatArgb : D3DFormatXrgb);
        // Bit 2 (automatic mipmaps) stays; bit 0 alpha, bit 3 compressed.
        h[F::PlatformFlags] = uint8_t((h[F::PlatformFlags] & 0x04) | (alpha ? 1 : 0) | (block ? 8 : 0));
    } else {
        StoreLE32(h + F::PlatformFormat, alpha ? 1 : 0);
        h[F::PlatformFlags] = uint8_t(enc == TTextureEncoding::Dxt1   ? 1
                                      : enc == TTextureEncoding::Dxt3 ? 3
                                      : enc == TTextureEncoding::Dxt5 ? 5
                                                                      : 0);
    }
    StoreLE16(h + F::Width, uint16_t(width));
    StoreLE16(h + F::Height, uint16_t(height));
    h[F::Depth] = block ? 16 : 32;
    h[F::Levels] = uint8_t(levels);
}

void StoreNewNativeHeader(uint8_t* h, uint32_t platform, std::string_view name)
{
    std::memset(h, 0, F::DataSize);
    StoreLE32(h + F::Platform, platform);
    h[F::Filtering] = 0x02;      // linear filtering
    h[F::Filtering + 1] = 0x11;  // wrapped in both directions
    std::memcpy(h + F::Name, name.data(), std::min(name.size(), F::NameBytes));
    h[F::RasterType] = 4;  // a texture
}

}  // namespace korvane
