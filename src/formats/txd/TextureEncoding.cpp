// Which of the pixel encodings a texture's data is in, told by its size and,
// where the size alone would mislead, by its header.
#include "formats/txd/TextureDecode.h"

namespace korvane {

TTextureEncoding TextureEncoding(const TTextureInfo& t)
{
    const uint32_t pixels = uint32_t(t.Width) * t.Height;
    if (t.PaletteEntries) {
        if (t.DataSize == pixels) return TTextureEncoding::Pal8;
        // Two indices a byte; an odd count ends on a byte of its own.
        if (t.DataSize == pixels / 2 || t.DataSize == pixels / 2 + pixels % 2) return TTextureEncoding::Pal4;
        return TTextureEncoding::Unsupported;
    }
    if (t.DataSize == pixels) {
        const bool dxt5 = t.Platform == 9 ? t.PlatformFormat == D3DFormatDxt5 : t.Platform == 8 && t.PlatformFlags == 5;
        return dxt5 ? TTextureEncoding::Dxt5 : TTextureEncoding::Dxt3;
    }
    if (t.DataSize == pixels / 2) return TTextureEncoding::Dxt1;
    if (t.DataSize >= uint64_t(pixels) * 4) return TTextureEncoding::Bgra32;
    if (t.DataSize == uint64_t(pixels) * 2) {
        switch ((t.RasterFormat >> 8) & 0xF) {
        case 0x1: return TTextureEncoding::Rgb1555;
        case 0x2: return TTextureEncoding::Rgb565;
        case 0x3: return TTextureEncoding::Argb4444;
        case 0xA: return TTextureEncoding::Rgb555;
        default: break;
        }
    }
    return TTextureEncoding::Unsupported;
}

const char* EncodingName(TTextureEncoding e)
{
    switch (e) {
    case TTextureEncoding::Dxt3: return "dxt3";
    case TTextureEncoding::Dxt1: return "dxt1";
    case TTextureEncoding::Bgra32: return "bgra32";
    case TTextureEncoding::Rgb1555: return "rgb1555";
    case TTextureEncoding::Rgb565: return "rgb565";
    case TTextureEncoding::Argb4444: return "argb4444";
    case TTextureEncoding::Rgb555: return "rgb555";
    case TTextureEncoding::Dxt5: return "dxt5";
    case TTextureEncoding::Pal8: return "pal8";
    case TTextureEncoding::Pal4: return "pal4";
    case TTextureEncoding::Unsupported: break;
    }
    return "unsupported";
}

int EncodingBitsPerPixel(TTextureEncoding e)
{
    switch (e) {
    case TTextureEncoding::Dxt1:
    case TTextureEncoding::Pal4: return 4;
    case TTextureEncoding::Dxt3:
    case TTextureEncoding::Dxt5:
    case TTextureEncoding::Pal8: return 8;
    case TTextureEncoding::Bgra32: return 32;
    case TTextureEncoding::Unsupported: return 0;
    default: return 16;
    }
}

}  // namespace korvane
