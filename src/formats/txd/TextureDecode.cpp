#include "formats/txd/TextureDecode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>

#include "base/ByteOrder.h"
#include "base/Errors.h"
#include "formats/txd/TexturePixelRules.h"

namespace korvane {

static_assert(std::endian::native == std::endian::little, "pixels are stored as little-endian words");

namespace {

constexpr uint32_t Black = 0xFF000000u;

uint32_t Bgr(unsigned b, unsigned g, unsigned r) { return b | g << 8 | r << 16 | Black; }

// Every value the mixing and the blend can produce, computed once by the
// rules themselves.
struct TTables {
    uint8_t mix5[32][32][4];
    uint8_t mix6[64][64][4];
    // blend[weight][grey is 255][channel]: weights 0..255 of alpha/255, then
    // 256..271 for the 4-bit alphas a/15.
    uint8_t blend[272][2][256];
    TTables()
    {
        for (unsigned f0 = 0; f0 < 64; ++f0)
            for (unsigned f1 = 0; f1 < 64; ++f1)
                for (unsigned i = 0; i < 4; ++i) {
                    if (f0 < 32 && f1 < 32) mix5[f0][f1][i] = MixBlockColor(f0, f1, i, false);
                    mix6[f0][f1][i] = MixBlockColor(f0, f1, i, true);
                }
        for (unsigned w = 0; w < 272; ++w) {
            const float a = w < 256 ? float(w) / 255.0f : float(w - 256) / 15.0f;
            for (unsigned g = 0; g < 2; ++g)
                for (unsigned c = 0; c < 256; ++c) {
                    uint8_t px[3] = {uint8_t(c), uint8_t(c), uint8_t(c)};
                    BlendOverGrey(px, g ? 255 : 192, a);
                    blend[w][g][c] = px[0];
                }
        }
    }
};

const TTables& Tables()
{
    static const std::unique_ptr<TTables> tables = std::make_unique<TTables>();
    return *tables;
}

uint32_t Grey(unsigned v) { return Bgr(v, v, v); }

// A pixel's alpha as the modes use it: the grey the mask shows and the
// weight of the blend over the checkerboard (0..255 for a/255, 256 + a for a
// 4-bit a/15).
struct TAlpha {
    unsigned grey;
    unsigned weight;
};
TAlpha Alpha8(unsigned a) { return {a, a}; }
TAlpha Alpha4(unsigned a) { return {a * 16, 256 + a}; }
constexpr TAlpha Opaque = {255, 255};  // a blend by 255/255 gives the colour itself

// One pixel in a mode: the colour as it is, the alpha as a grey, or the
// colour over the checkerboard's grey (`light`: 255 rather than 192) by the
// alpha. `AlwaysOpaque` (DXT1 decoded whole) skips the table, whose blend
// by 255/255 gives the colour itself.
template <TDecodeMode Mode, bool AlwaysOpaque = false>
uint32_t ShadeAs(const TTables& tb, uint32_t colour, TAlpha a, unsigned light)
{
    if constexpr (Mode == dmColor || (Mode == dmComposite && AlwaysOpaque)) {
        return colour;
    } else if constexpr (Mode == dmMask) {
        return Grey(a.grey);
    } else {
        const auto& row = tb.blend[a.weight][light];
        return Bgr(row[colour & 0xFF], row[(colour >> 8) & 0xFF], row[(colour >> 16) & 0xFF]);
    }
}

// The four colours of a block's colour part (c0, c1 and the 565 unpacking).
void BlockPalette(const TTables& tb, const uint8_t* colourBlock, uint32_t* pal)
{
    const unsigned c0 = LoadLE16(colourBlock), c1 = LoadLE16(colourBlock + 2);
    const unsigned b0 = c0 & 31, g0 = (c0 >> 5) & 63, r0 = c0 >> 11;
    const unsigned b1 = c1 & 31, g1 = (c1 >> 5) & 63, r1 = c1 >> 11;
    for (unsigned i = 0; i < 4; ++i) pal[i] = Bgr(tb.mix5[b0][b1][i], tb.mix6[g0][g1][i], tb.mix5[r0][r1][i]);
}

// Which source bytes one target row needs, and how it decodes them.
struct TJob {
    const TTextureInfo* t;
    TTextureEncoding enc;
    TDecodeMode mode;
    int reqWidth;
    std::vector<uint32_t> xs;  // source column of each target column
    const TTables* tables;
    // Paletted textures: each index's colour and alpha; entries past the
    // palette's own are black and clear.
    std::array<uint32_t, 256> palColour{};
    std::array<uint8_t, 256> palAlpha{};

    bool Blocks() const
    {
        return enc == TTextureEncoding::Dxt1 || enc == TTextureEncoding::Dxt3 || enc == TTextureEncoding::Dxt5;
    }
    unsigned BlockBytes() const { return enc == TTextureEncoding::Dxt1 ? 8 : 16; }
    unsigned PixelBytes() const { return enc == TTextureEncoding::Bgra32 ? 4 : 2; }

    // Byte range [begin, end) of the data that source row sy can touch,
    // before clipping to DataSize.
    void RowRange(uint32_t sy, uint64_t& begin, uint64_t& end) const
    {
        const uint64_t w = t->Width;
        if (Blocks()) {
            const uint64_t first = uint64_t(sy / 4) * (w / 4);
            begin = first * BlockBytes();
            end = (first + (w - 1) / 4 + 1) * BlockBytes();
        } else if (enc == TTextureEncoding::Pal8) {
            begin = uint64_t(sy) * w;
            end = begin + w;
        } else if (enc == TTextureEncoding::Pal4) {
            // Pixel n in byte n div 2; a row of odd width shares its bytes.
            const uint64_t n = uint64_t(sy) * w;
            begin = n / 2;
            end = (n + w - 1) / 2 + 1;
        } else {
            begin = uint64_t(sy) * w * PixelBytes();
            end = begin + w * PixelBytes();
        }
    }

    // Decodes target row `out` from source row sy; `data` holds bytes
    // [begin, end) of the pixel data.
    void Row(uint32_t sy, const uint8_t* data, uint64_t begin, uint64_t end, uint32_t* out) const;
    void BlockRow(uint32_t sy, const uint8_t* data, uint64_t begin, uint64_t end, uint32_t* out) const;
    // Full-size decodes: a whole block row at once, each block's colours
    // worked out once for its sixteen pixels. Fills target rows y..y+3.
    void FullBlockRow(int y, const uint8_t* data, uint64_t begin, uint64_t end, TTextureBitmap& bmp) const;
    void PixelRow(uint32_t sy, const uint8_t* data, uint64_t begin, uint32_t* out) const;
    void PaletteRow(uint32_t sy, const uint8_t* data, uint64_t begin, uint32_t* out) const;
    // Source pixel (sx, sy) in the job's mode.
    uint32_t Shade(uint32_t colour, TAlpha a, uint32_t sx, uint32_t sy) const
    {
        switch (mode) {
        case dmColor: return ShadeAs<dmColor>(*tables, colour, a, 0);
        case dmMask: return ShadeAs<dmMask>(*tables, colour, a, 0);
        default: return ShadeAs<dmComposite>(*tables, colour, a, CheckerGrey(sx, sy) == 255);
        }
    }
};

void TJob::Row(uint32_t sy, const uint8_t* data, uint64_t begin, uint64_t end, uint32_t* out) const
{
    if (Blocks())
        BlockRow(sy, data, begin, end, out);
    else
        PixelRow(sy, data, begin, out);
}

void TJob::BlockRow(uint32_t sy, const uint8_t* data, uint64_t begin, uint64_t end, uint32_t* out) const
{
    const unsigned bs = BlockBytes();
    const uint64_t rowFirst = uint64_t(sy / 4) * (t->Width / 4);
    const unsigned rowShift = 4 * (sy % 4);
    uint32_t lastBx = UINT32_MAX;
    bool valid = false;
    uint32_t pal[4] = {};
    uint32_t indices = 0;
    uint16_t alphas = 0;         // DXT3: this row's four nibbles
    unsigned alphaIndices = 0;   // DXT5: this row's four 3-bit indices
    uint8_t alphaTable[8] = {};  // DXT5: the values they choose from
    for (int x = 0; x < reqWidth; ++x) {
        const uint32_t sx = xs[size_t(x)];
        const uint32_t bx = sx / 4;
        if (bx != lastBx) {
            lastBx = bx;
            const uint64_t off = (rowFirst + bx) * bs;
            valid = off + bs <= end;
            if (valid) {
                const uint8_t* b = data + (off - begin);
                if (enc == TTextureEncoding::Dxt3) {
                    alphas = LoadLE16(b + 2 * (sy % 4));
                } else if (enc == TTextureEncoding::Dxt5) {
                    Dxt5AlphaTable(b, alphaTable);
                    alphaIndices = unsigned(Dxt5Indices(b) >> (3 * rowShift)) & 0xFFF;
                }
                if (enc != TTextureEncoding::Dxt1) b += 8;
                indices = LoadLE32(b + 4) >> (2 * rowShift);
                BlockPalette(*tables, b, pal);
            }
        }
        if (!valid) continue;  // stays black
        const unsigned col = sx % 4;
        const uint32_t colour = pal[(indices >> (2 * col)) & 3];
        const TAlpha a = enc == TTextureEncoding::Dxt1   ? Opaque
                         : enc == TTextureEncoding::Dxt5 ? Alpha8(alphaTable[(alphaIndices >> (3 * col)) & 7])
                                                         : Alpha4((alphas >> (4 * col)) & 15);
        out[x] = Shade(colour, a, sx, sy);
    }
}

template <TTextureEncoding Enc, TDecodeMode Mode>
void FullBlocks(const TJob& job, int y, const uint8_t* data, uint64_t begin, uint64_t end, TTextureBitmap& bmp)
{
    constexpr bool Dxt3 = Enc == TTextureEncoding::Dxt3, Dxt5 = Enc == TTextureEncoding::Dxt5;
    const TTables& tb = *job.tables;
    constexpr unsigned bs = Dxt3 || Dxt5 ? 16 : 8;
    const unsigned w = job.t->Width;
    const int rows = std::min(4, bmp.Height - y);
    const uint64_t first = uint64_t(y / 4) * (w / 4);
    uint32_t* out = reinterpret_cast<uint32_t*>(bmp.Pixels.data()) + size_t(y) * w;
    for (unsigned bx = 0; bx <= (w - 1) / 4; ++bx) {
        const uint64_t off = (first + bx) * bs;
        if (off + bs > end) break;  // and so are all after it
        const uint8_t* alpha = data + (off - begin);
        const uint8_t* b = bs == 16 ? alpha + 8 : alpha;
        const uint32_t indices = LoadLE32(b + 4);
        uint8_t alphaTable[8] = {};
        uint64_t alphaIndices = 0;
        if (Dxt5 && Mode != dmColor) {
            Dxt5AlphaTable(alpha, alphaTable);
            alphaIndices = Dxt5Indices(alpha);
        }
        uint32_t pal[4] = {};
        if (Mode != dmMask) BlockPalette(tb, b, pal);
        const unsigned cols = std::min(4u, w - bx * 4);
        for (int r = 0; r < rows; ++r) {
            uint32_t* px = out + size_t(r) * w + bx * 4;
            const uint32_t idx = indices >> (8 * r);
            const unsigned alphas = Dxt3 ? LoadLE16(alpha + 2 * r) : 0;
            const unsigned rowIndices = unsigned(alphaIndices >> (12 * r));
            // A block's four columns lie in one square of the checkerboard.
            const unsigned light = CheckerGrey(bx * 4, unsigned(y + r)) == 255;
            for (unsigned c = 0; c < cols; ++c) {
                const TAlpha a = Dxt5   ? Alpha8(alphaTable[(rowIndices >> (3 * c)) & 7])
                                 : Dxt3 ? Alpha4((alphas >> (4 * c)) & 15)
                                        : Opaque;
                px[c] = ShadeAs<Mode, !Dxt3 && !Dxt5>(tb, pal[(idx >> (2 * c)) & 3], a, light);
            }
        }
    }
}

template <TTextureEncoding Enc>
void FullBlocksIn(const TJob& job, int y, const uint8_t* data, uint64_t begin, uint64_t end, TTextureBitmap& bmp)
{
    switch (job.mode) {
    case dmColor: return FullBlocks<Enc, dmColor>(job, y, data, begin, end, bmp);
    case dmMask: return FullBlocks<Enc, dmMask>(job, y, data, begin, end, bmp);
    case dmComposite: return FullBlocks<Enc, dmComposite>(job, y, data, begin, end, bmp);
    }
}

void TJob::FullBlockRow(int y, const uint8_t* data, uint64_t begin, uint64_t end, TTextureBitmap& bmp) const
{
    switch (enc) {
    case TTextureEncoding::Dxt3: return FullBlocksIn<TTextureEncoding::Dxt3>(*this, y, data, begin, end, bmp);
    case TTextureEncoding::Dxt5: return FullBlocksIn<TTextureEncoding::Dxt5>(*this, y, data, begin, end, bmp);
    default: return FullBlocksIn<TTextureEncoding::Dxt1>(*this, y, data, begin, end, bmp);
    }
}

void TJob::PaletteRow(uint32_t sy, const uint8_t* data, uint64_t begin, uint32_t* out) const
{
    const uint64_t first = uint64_t(sy) * t->Width;
    for (int x = 0; x < reqWidth; ++x) {
        const uint32_t sx = xs[size_t(x)];
        const uint64_t n = first + sx;
        // Two pixels a byte: the low nibble first.
        const unsigned i = enc == TTextureEncoding::Pal8 ? data[n - begin] : (data[n / 2 - begin] >> (4 * (n % 2))) & 15;
        out[x] = Shade(palColour[i], Alpha8(palAlpha[i]), sx, sy);
    }
}

void TJob::PixelRow(uint32_t sy, const uint8_t* data, uint64_t begin, uint32_t* out) const
{
    if (Paletted(enc)) return PaletteRow(sy, data, begin, out);
    const uint8_t* row = data + (uint64_t(sy) * t->Width * PixelBytes() - begin);
    for (int x = 0; x < reqWidth; ++x) {
        const uint32_t sx = xs[size_t(x)];
        uint32_t colour;
        unsigned a = 255;
        if (enc == TTextureEncoding::Bgra32) {
            const uint8_t* p = row + size_t(sx) * 4;
            colour = Bgr(p[0], p[1], p[2]);
            a = p[3];
        } else {
            const unsigned v = LoadLE16(row + size_t(sx) * 2);
            auto x5 = [](unsigned f) { return (f << 3) | (f >> 2); };
            switch (enc) {
            case TTextureEncoding::Rgb565:
                colour = Bgr(x5(v & 31), ((v >> 5) & 63) << 2 | ((v >> 5) & 63) >> 4, x5(v >> 11));
                break;
            case TTextureEncoding::Argb4444:
                colour = Bgr((v & 15) * 17, ((v >> 4) & 15) * 17, ((v >> 8) & 15) * 17);
                a = (v >> 12) * 17;
                break;
            default:  // 1555 and 555
                colour = Bgr(x5(v & 31), x5((v >> 5) & 31), x5((v >> 10) & 31));
                if (enc == TTextureEncoding::Rgb1555) a = v & 0x8000 ? 255 : 0;
                break;
            }
        }
        out[x] = Shade(colour, Alpha8(a), sx, sy);
    }
}

// Prepares the result and the column map; false when nothing is to decode.
bool Prepare(const TTextureInfo& t, int reqWidth, int reqHeight, TDecodeMode mode, const uint8_t* palette,
             TTextureBitmap& bmp, TJob& job)
{
    bmp.Width = std::max(reqWidth, 0);
    bmp.Height = std::max(reqHeight, 0);
    bmp.Pixels.assign(size_t(bmp.Width) * size_t(bmp.Height) * 4, 0);
    for (size_t i = 3; i < bmp.Pixels.size(); i += 4) bmp.Pixels[i] = 255;
    job.t = &t;
    job.enc = TextureEncoding(t);
    job.mode = mode;
    job.reqWidth = bmp.Width;
    if (job.enc == TTextureEncoding::Unsupported || t.Width == 0 || t.Height == 0 || bmp.Pixels.empty()) return false;
    if (mode != dmColor && mode != dmMask && mode != dmComposite) return false;
    job.tables = &Tables();
    if (Paletted(job.enc)) {
        job.palColour.fill(Black);
        for (unsigned i = 0; palette && i < std::min<unsigned>(t.PaletteEntries, 256); ++i) {
            const uint8_t* e = palette + 4 * i;  // red, green, blue, alpha
            job.palColour[i] = Bgr(e[2], e[1], e[0]);
            job.palAlpha[i] = e[3];
        }
    }
    job.xs.resize(size_t(bmp.Width));
    for (int x = 0; x < bmp.Width; ++x) job.xs[size_t(x)] = uint32_t(uint64_t(x) * t.Width / uint64_t(bmp.Width));
    return true;
}

uint32_t SourceRow(const TTextureInfo& t, int y, int reqHeight) { return uint32_t(uint64_t(y) * t.Height / uint64_t(reqHeight)); }

uint32_t* OutRow(TTextureBitmap& bmp, int y) { return reinterpret_cast<uint32_t*>(bmp.Pixels.data()) + size_t(y) * size_t(bmp.Width); }

}  // namespace

TTextureBitmap DecodeTexture(const uint8_t* data, size_t size, const TTextureInfo& t, int reqWidth, int reqHeight,
                             TDecodeMode mode, const uint8_t* palette)
{
    TTextureBitmap bmp;
    TJob job;
    if (!Prepare(t, reqWidth, reqHeight, mode, palette, bmp, job)) return bmp;
    const uint64_t limit = std::min<uint64_t>(size, t.DataSize);
    const bool full = job.Blocks() && bmp.Width == t.Width && bmp.Height == t.Height;
    for (int y = 0; y < bmp.Height; y += full ? 4 : 1) {
        const uint32_t sy = SourceRow(t, y, bmp.Height);
        uint64_t begin, end;
        job.RowRange(sy, begin, end);
        if (begin >= limit) continue;
        if (!job.Blocks() && end > limit) continue;
        if (full)
            job.FullBlockRow(y, data + begin, begin, std::min(end, limit), bmp);
        else
            job.Row(sy, data + begin, begin, std::min(end, limit), OutRow(bmp, y));
    }
    return bmp;
}

TTextureBitmap BuildTextureBitmap(TByteSpan bytes, const TTextureInfo& t, int reqWidth, int reqHeight, TDecodeMode mode,
                                  std::string_view path)
{
    const uint64_t size = bytes.size();
    const TTextureEncoding enc = TextureEncoding(t);
    const uint64_t paletteBytes = Paletted(enc) ? uint64_t(std::min<uint16_t>(t.PaletteEntries, 256)) * 4 : 0;
    const auto past = [size](uint64_t pos, uint64_t n) { return pos > size || n > size - pos; };
    if (enc != TTextureEncoding::Unsupported && past(t.DataPos, t.DataSize)) RaiseReadBeyondEof(std::string(path));
    if (past(t.PalettePos, paletteBytes)) RaiseReadBeyondEof(std::string(path));
    // The densest encoding holds two pixels a byte, so a real texture's full
    // picture never has more pixels than twice the bytes; a larger one (an
    // unsupported texture with a hostile size, all black) is refused before
    // it is made.
    const uint64_t pixels = uint64_t(std::max(reqWidth, 0)) * uint64_t(std::max(reqHeight, 0));
    if (pixels > std::max(MaxUnbackedPixels, 2 * size)) throw EOutOfMemory();
    std::array<uint8_t, 256 * 4> palette{};
    if (paletteBytes) std::memcpy(palette.data(), bytes.data() + t.PalettePos, size_t(paletteBytes));
    // An unsupported texture reads nothing: its data may lie anywhere.
    const uint64_t dataSize = enc == TTextureEncoding::Unsupported || t.DataPos > size ? 0 : std::min<uint64_t>(t.DataSize, size - t.DataPos);
    return DecodeTexture(bytes.data() + (dataSize ? t.DataPos : 0), size_t(dataSize), t, reqWidth, reqHeight, mode,
                         palette.data());
}

}  // namespace korvane
