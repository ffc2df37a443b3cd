#include "demo/DemoPictures.h"

#include <algorithm>
#include <cmath>

#include "archive/ByteOrder.h"

namespace korvane {

namespace {

struct TRgba {
    float R, G, B, A;
};

TRgba Hue(float h)
{
    h = h - std::floor(h);
    const float r = std::clamp(std::fabs(h * 6 - 3) - 1, 0.f, 1.f);
    const float g = std::clamp(2 - std::fabs(h * 6 - 2), 0.f, 1.f);
    const float b = std::clamp(2 - std::fabs(h * 6 - 4), 0.f, 1.f);
    return {r, g, b, 1};
}

TRgba Shade(TDemoPattern pattern, float u, float v)
{
    const float dx = u - 0.5f, dy = v - 0.5f;
    const float r = std::sqrt(dx * dx + dy * dy);
    switch (pattern) {
    case TDemoPattern::Rings: {
        TRgba c = Hue(r * 2.5f);
        const float band = 0.75f + 0.25f * std::cos(r * 60);
        return {c.R * band, c.G * band, c.B * band, 1};
    }
    case TDemoPattern::Bricks: {
        const float rows = 8, cols = 4;
        const float row = std::floor(v * rows);
        const float x = u * cols + (int(row) % 2 ? 0.5f : 0.f);
        const bool mortar = (v * rows - row) < 0.12f || (x - std::floor(x)) < 0.06f;
        if (mortar) return {0.78f, 0.76f, 0.72f, 1};
        const float tint = 0.08f * std::sin(row * 7.3f + std::floor(x) * 3.1f);
        return {0.62f + tint, 0.24f + tint / 2, 0.16f, 1};
    }
    case TDemoPattern::Glass: {
        const float a = std::clamp(1.1f - r * 2.2f, 0.f, 1.f);
        return {0.35f + 0.4f * u, 0.7f, 0.95f - 0.3f * v, a};
    }
    case TDemoPattern::Emblem: {
        const float angle = std::atan2(dy, dx);
        const float edge = 0.28f + 0.14f * std::cos(5 * angle);
        if (r > edge) return {0, 0, 0, 0};
        return {1, 0.8f - r, 0.1f, 1};
    }
    }
    return {0, 0, 0, 1};
}

uint8_t Byte(float x) { return uint8_t(std::lround(std::clamp(x, 0.f, 1.f) * 255)); }

uint16_t To565(const uint8_t* bgra)
{
    return uint16_t((bgra[2] >> 3) << 11 | (bgra[1] >> 2) << 5 | (bgra[0] >> 3));
}

void Expand565(uint16_t c, int rgb[3])
{
    const int r = c >> 11 & 31, g = c >> 5 & 63, b = c & 31;
    rgb[0] = r << 3 | r >> 2;
    rgb[1] = g << 2 | g >> 4;
    rgb[2] = b << 3 | b >> 2;
}

// One 8-byte colour block: the two extreme colours by brightness as
// endpoints (the first the larger, so every decoder takes the four-colour
// mode), each pixel given the nearest of the four.
void ColourBlock(const TBgraImage& img, int bx, int by, std::string& out)
{
    const uint8_t* px[16];
    for (int i = 0; i < 16; ++i)
        px[i] = &img.Pixels[(size_t(by * 4 + i / 4) * img.Width + size_t(bx * 4 + i % 4)) * 4];
    auto luma = [](const uint8_t* p) { return p[2] * 3 + p[1] * 6 + p[0]; };
    int lo = 0, hi = 0;
    for (int i = 1; i < 16; ++i) {
        if (luma(px[i]) < luma(px[lo])) lo = i;
        if (luma(px[i]) > luma(px[hi])) hi = i;
    }
    uint16_t c0 = To565(px[hi]), c1 = To565(px[lo]);
    if (c0 < c1) std::swap(c0, c1);
    uint32_t indices = 0;
    if (c0 != c1) {
        int e0[3], e1[3], pal[4][3];
        Expand565(c0, e0);
        Expand565(c1, e1);
        for (int k = 0; k < 3; ++k) {
            pal[0][k] = e0[k];
            pal[1][k] = e1[k];
            pal[2][k] = (2 * e0[k] + e1[k]) / 3;
            pal[3][k] = (e0[k] + 2 * e1[k]) / 3;
        }
        for (int i = 0; i < 16; ++i) {
            const int rgb[3] = {px[i][2], px[i][1], px[i][0]};
            int best = 0, bestDist = 1 << 30;
            for (int p = 0; p < 4; ++p) {
                int d = 0;
                for (int k = 0; k < 3; ++k) d += (rgb[k] - pal[p][k]) * (rgb[k] - pal[p][k]);
                if (d < bestDist) bestDist = d, best = p;
            }
            indices |= uint32_t(best) << (2 * i);
        }
    }
    AppendLE16(out, c0);
    AppendLE16(out, c1);
    for (int k = 0; k < 4; ++k) out += char(indices >> (8 * k) & 0xFF);
}

}  // namespace

TBgraImage DemoPicture(TDemoPattern pattern, int width, int height)
{
    TBgraImage img{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TRgba c = Shade(pattern, (x + 0.5f) / float(width), (y + 0.5f) / float(height));
            uint8_t* p = &img.Pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
            p[0] = Byte(c.B);
            p[1] = Byte(c.G);
            p[2] = Byte(c.R);
            p[3] = Byte(c.A);
        }
    return img;
}

std::string EncodeDxt1(const TBgraImage& image)
{
    std::string out;
    for (int by = 0; by < image.Height / 4; ++by)
        for (int bx = 0; bx < image.Width / 4; ++bx) ColourBlock(image, bx, by, out);
    return out;
}

std::string EncodeDxt3(const TBgraImage& image)
{
    std::string out;
    for (int by = 0; by < image.Height / 4; ++by)
        for (int bx = 0; bx < image.Width / 4; ++bx) {
            // Explicit alpha: one nibble per pixel, row by row, low nibble first.
            for (int i = 0; i < 16; i += 2) {
                auto alpha = [&](int k) {
                    const size_t at = (size_t(by * 4 + k / 4) * size_t(image.Width) + size_t(bx * 4 + k % 4)) * 4 + 3;
                    return (image.Pixels[at] + 8) / 17;
                };
                out += char(alpha(i) | alpha(i + 1) << 4);
            }
            ColourBlock(image, bx, by, out);
        }
    return out;
}

}  // namespace korvane
