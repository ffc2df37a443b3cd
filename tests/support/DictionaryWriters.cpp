#include "support/DictionaryWriters.h"

#include <algorithm>

#include "support/ArchiveWriters.h"

using namespace korvane;

namespace {

std::string Field32(const std::string& s)
{
    std::string f = s.substr(0, 32);
    f.resize(32, '\0');
    return f;
}

void Expand565(uint16_t c, int* rgb)
{
    rgb[0] = (c >> 11) * 255 / 31;
    rgb[1] = ((c >> 5) & 63) * 255 / 63;
    rgb[2] = (c & 31) * 255 / 31;
}

// The colour block of one 4×4 area.
std::string EncodeColourBlock(unsigned w, unsigned h, unsigned bx, unsigned by, const TPixelFn& pixel)
{
    uint32_t px[16];
    for (unsigned p = 0; p < 16; ++p) {
        const unsigned x = std::min(bx * 4 + p % 4, w - 1), y = std::min(by * 4 + p / 4, h - 1);
        px[p] = pixel(x, y);
    }
    auto luma = [](uint32_t c) { return ((c >> 16) & 255) * 3 + ((c >> 8) & 255) * 6 + (c & 255); };
    auto to565 = [](uint32_t c) { return Rgb565(uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)); };
    const auto [lo, hi] = std::minmax_element(px, px + 16, [&](uint32_t a, uint32_t b) { return luma(a) < luma(b); });
    const uint16_t c0 = to565(*hi), c1 = to565(*lo);
    int pal[4][3];
    Expand565(c0, pal[0]);
    Expand565(c1, pal[1]);
    for (int k = 0; k < 3; ++k) {
        pal[2][k] = (2 * pal[0][k] + pal[1][k]) / 3;
        pal[3][k] = (pal[0][k] + 2 * pal[1][k]) / 3;
    }
    uint32_t indices = 0;
    for (unsigned p = 0; p < 16; ++p) {
        const int rgb[3] = {int((px[p] >> 16) & 255), int((px[p] >> 8) & 255), int(px[p] & 255)};
        int best = 0, bestDist = INT32_MAX;
        for (int i = 0; i < 4; ++i) {
            int d = 0;
            for (int k = 0; k < 3; ++k) d += (rgb[k] - pal[i][k]) * (rgb[k] - pal[i][k]);
            if (d < bestDist) bestDist = d, best = i;
        }
        indices |= uint32_t(best) << (2 * p);
    }
    return Dxt1Block(c0, c1, indices);
}

}  // namespace

std::string TextureHeaderBytes(const TTextureSpec& t)
{
    const uint32_t dataSize = t.dataSizeOverride >= 0 ? uint32_t(t.dataSizeOverride) : uint32_t(t.data.size());
    std::string h = LE32(t.platform) + LE32(0x1106);  // platform, filter and addressing
    h += Field32(t.name) + Field32(t.maskName);
    h += LE32(t.rasterFormat) + LE32(t.alphaFlag);
    h += LE16(t.width) + LE16(t.height);
    const char depth = t.palette.empty() ? char(32) : t.palette.size() > 128 ? char(8) : char(4);
    h += std::string{depth, char(1), char(4), char(t.flags)};  // depth, levels, raster type, compression/flags
    h += t.palette;
    h += LE32(dataSize);
    return h;
}

std::string TextureNativeBytes(const TTextureSpec& t)
{
    return RwSection(rwTextureNative, RwSection(rwStruct, TextureHeaderBytes(t) + t.data) + RwSection(rwExtension, t.extension));
}

std::string DictionaryBytes(const std::vector<TTextureSpec>& textures, int64_t countOverride)
{
    const uint16_t count = countOverride >= 0 ? uint16_t(countOverride) : uint16_t(textures.size());
    std::string body = RwSection(rwStruct, LE16(count) + LE16(0));
    for (const TTextureSpec& t : textures) body += TextureNativeBytes(t);
    body += RwSection(rwExtension, "");
    return RwSection(rwTextureDictionary, body);
}

std::string Bgra32Bytes(unsigned w, unsigned h, const TPixelFn& pixel)
{
    std::string out;
    out.reserve(size_t(w) * h * 4);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const uint32_t c = pixel(x, y);
            out += {char(c & 255), char((c >> 8) & 255), char((c >> 16) & 255), char(c >> 24)};
        }
    return out;
}

std::string Pixel16Bytes(unsigned w, unsigned h, const std::function<uint16_t(unsigned, unsigned)>& value)
{
    std::string out;
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) out += LE16(value(x, y));
    return out;
}

TTextureSpec MakeTexture(const std::string& name, const std::string& mask, unsigned w, unsigned h, std::string data)
{
    TTextureSpec t;
    t.name = name;
    t.maskName = mask;
    t.width = uint16_t(w);
    t.height = uint16_t(h);
    t.data = std::move(data);
    return t;
}

std::string Dxt1Block(uint16_t c0, uint16_t c1, uint32_t indices) { return LE16(c0) + LE16(c1) + LE32(indices); }

std::string Dxt3Block(uint64_t alphas, uint16_t c0, uint16_t c1, uint32_t indices)
{
    return LE32(uint32_t(alphas)) + LE32(uint32_t(alphas >> 32)) + Dxt1Block(c0, c1, indices);
}

std::string BlockBytes(unsigned w, unsigned h, const std::function<std::string(unsigned, unsigned)>& block)
{
    std::string out;
    for (unsigned by = 0; by < (h + 3) / 4; ++by)
        for (unsigned bx = 0; bx < w / 4; ++bx) out += block(bx, by);
    return out;
}

std::string EncodeDxt1(unsigned w, unsigned h, const TPixelFn& pixel)
{
    return BlockBytes(w, h, [&](unsigned bx, unsigned by) { return EncodeColourBlock(w, h, bx, by, pixel); });
}

std::string EncodeDxt3(unsigned w, unsigned h, const TPixelFn& pixel)
{
    return BlockBytes(w, h, [&](unsigned bx, unsigned by) {
        uint64_t alphas = 0;
        for (unsigned p = 0; p < 16; ++p) {
            const unsigned x = std::min(bx * 4 + p % 4, w - 1), y = std::min(by * 4 + p / 4, h - 1);
            alphas |= uint64_t(pixel(x, y) >> 28) << (4 * p);
        }
        const std::string colour = EncodeColourBlock(w, h, bx, by, pixel);
        return LE32(uint32_t(alphas)) + LE32(uint32_t(alphas >> 32)) + colour;
    });
}

uint16_t Rgb565(uint8_t r, uint8_t g, uint8_t b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

TTextureSpec Dxt1Texture(const std::string& name, unsigned w, unsigned h, const TPixelFn& pixel)
{
    return MakeTexture(name, "", w, h, EncodeDxt1(w, h, pixel));
}

TTextureSpec Dxt3Texture(const std::string& name, const std::string& mask, unsigned w, unsigned h, const TPixelFn& pixel)
{
    TTextureSpec t = MakeTexture(name, mask, w, h, EncodeDxt3(w, h, pixel));
    t.alphaFlag = 1;
    t.rasterFormat = 0x300;
    return t;
}

TTextureSpec Bgra32Texture(const std::string& name, const std::string& mask, unsigned w, unsigned h, const TPixelFn& pixel)
{
    TTextureSpec t = MakeTexture(name, mask, w, h, Bgra32Bytes(w, h, pixel));
    t.alphaFlag = 1;
    t.rasterFormat = 0x500;
    return t;
}

std::string Dxt5Block(uint8_t a0, uint8_t a1, uint64_t alphaIndices, uint16_t c0, uint16_t c1, uint32_t indices)
{
    std::string b{char(a0), char(a1)};
    for (int k = 0; k < 6; ++k) b += char((alphaIndices >> (8 * k)) & 255);
    return b + Dxt1Block(c0, c1, indices);
}

std::string EncodeDxt5(unsigned w, unsigned h, const TPixelFn& pixel)
{
    return BlockBytes(w, h, [&](unsigned bx, unsigned by) {
        unsigned alpha[16];
        for (unsigned p = 0; p < 16; ++p) {
            const unsigned x = std::min(bx * 4 + p % 4, w - 1), y = std::min(by * 4 + p / 4, h - 1);
            alpha[p] = pixel(x, y) >> 24;
        }
        const unsigned hi = *std::max_element(alpha, alpha + 16), lo = *std::min_element(alpha, alpha + 16);
        // a0 > a1 gives the eight-value rule; equal endpoints need index 0 only.
        uint64_t indices = 0;
        for (unsigned p = 0; p < 16; ++p) {
            unsigned best = 0, bestDist = 1000;
            for (unsigned i = 0; i < 8; ++i) {
                const unsigned v = i == 0 ? hi : i == 1 ? lo : ((8 - i) * hi + (i - 1) * lo + 3) / 7;
                const unsigned d = v > alpha[p] ? v - alpha[p] : alpha[p] - v;
                if (d < bestDist) bestDist = d, best = i;
            }
            indices |= uint64_t(best) << (3 * p);
        }
        return Dxt5Block(uint8_t(hi), uint8_t(lo), indices, 0, 0, 0).substr(0, 8) + EncodeColourBlock(w, h, bx, by, pixel);
    });
}

std::string PaletteBytes(const std::vector<uint32_t>& argb)
{
    std::string out;
    for (uint32_t c : argb) out += {char((c >> 16) & 255), char((c >> 8) & 255), char(c & 255), char(c >> 24)};
    return out;
}

std::string IndexBytes(unsigned w, unsigned h, unsigned bits, const std::function<uint8_t(unsigned, unsigned)>& index)
{
    std::string out;
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const uint8_t i = index(x, y);
            if (bits == 8)
                out += char(i);
            else if ((y * w + x) % 2 == 0)
                out += char(i & 15);
            else
                out.back() = char(out.back() | (i & 15) << 4);
        }
    return out;
}

uint32_t FourCC(const char* code)
{
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 | uint32_t(uint8_t(code[2])) << 16 |
           uint32_t(uint8_t(code[3])) << 24;
}

TTextureSpec Dxt5Texture(const std::string& name, const std::string& mask, unsigned w, unsigned h, const TPixelFn& pixel)
{
    TTextureSpec t = MakeTexture(name, mask, w, h, EncodeDxt5(w, h, pixel));
    t.platform = 9;
    t.alphaFlag = FourCC("DXT5");
    t.flags = 9;  // alpha, compressed
    t.rasterFormat = 0x300;
    return t;
}

TTextureSpec PalTexture(const std::string& name, unsigned w, unsigned h, bool pal4, const std::vector<uint32_t>& palette,
                        unsigned bits, const std::function<uint8_t(unsigned, unsigned)>& index)
{
    TTextureSpec t = MakeTexture(name, "", w, h, IndexBytes(w, h, bits, index));
    std::vector<uint32_t> entries = palette;
    entries.resize(pal4 ? 32 : 256, 0);
    t.palette = PaletteBytes(entries);
    t.rasterFormat = (pal4 ? 0x4000 : 0x2000) | 0x500;  // paletted 8888
    return t;
}
