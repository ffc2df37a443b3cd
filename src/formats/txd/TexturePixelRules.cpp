// The per-pixel rules: colour mixing with its single-precision rounding, the
// block alphas, the checkerboard and the blend over it.
#include "formats/txd/TexturePixelRules.h"

#include <algorithm>
#include <cmath>

#include "base/ByteOrder.h"
#include "formats/txd/TextureDecode.h"

namespace korvane {

namespace {

constexpr double K5 = 8.2258;  // 5-bit blue and red
constexpr double K6 = 4.0476;  // 6-bit green

uint8_t RoundSingle(double v)
{
    const float f = float(v);
    const float r = std::nearbyint(f);
    return uint8_t(std::clamp(r, 0.0f, 255.0f));
}

}  // namespace

void Dxt5AlphaTable(const uint8_t* block, uint8_t* table)
{
    const unsigned a0 = block[0], a1 = block[1];
    table[0] = uint8_t(a0);
    table[1] = uint8_t(a1);
    if (a0 > a1) {
        for (unsigned i = 2; i < 8; ++i) table[i] = uint8_t(((8 - i) * a0 + (i - 1) * a1 + 3) / 7);
    } else {
        for (unsigned i = 2; i < 6; ++i) table[i] = uint8_t(((6 - i) * a0 + (i - 1) * a1 + 2) / 5);
        table[6] = 0;
        table[7] = 255;
    }
}

uint64_t Dxt5Indices(const uint8_t* block)
{
    uint64_t bits = 0;
    for (int k = 7; k >= 2; --k) bits = bits << 8 | block[k];
    return bits;
}

uint8_t MixBlockColor(unsigned f0, unsigned f1, unsigned index, bool sixBit)
{
    static constexpr unsigned weight[4] = {3, 0, 2, 1};
    const float g = float(weight[index & 3]) / 3.0f;
    return RoundSingle((f0 * double(g) + f1 * (1.0 - double(g))) * (sixBit ? K6 : K5));
}

void DecodeBlockColor(const uint8_t* colourBlock, unsigned p, uint8_t* bgr)
{
    const unsigned c0 = LoadLE16(colourBlock), c1 = LoadLE16(colourBlock + 2);
    const unsigned i = (LoadLE32(colourBlock + 4) >> (2 * p)) & 3;
    bgr[0] = MixBlockColor(c0 & 31, c1 & 31, i, false);
    bgr[1] = MixBlockColor((c0 >> 5) & 63, (c1 >> 5) & 63, i, true);
    bgr[2] = MixBlockColor(c0 >> 11, c1 >> 11, i, false);
}

unsigned BlockAlpha(const uint8_t* block, unsigned p)
{
    const uint8_t b = block[p / 2];
    return p % 2 ? b >> 4 : b & 15;
}

unsigned Dxt5Alpha(const uint8_t* block, unsigned p)
{
    uint8_t table[8];
    Dxt5AlphaTable(block, table);
    return table[(Dxt5Indices(block) >> (3 * p)) & 7];
}

uint8_t CheckerGrey(unsigned x, unsigned y) { return (x % 16 < 8) == (y % 16 < 8) ? 192 : 255; }

void BlendOverGrey(uint8_t* pixel, uint8_t grey, float a)
{
    for (int k = 0; k < 3; ++k) pixel[k] = RoundSingle(pixel[k] * double(a) + (1.0 - double(a)) * grey);
}

}  // namespace korvane
