#include "demo/DemoPictures.h"

#include <algorithm>
#include <cmath>

#include "base/ByteOrder.h"

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

}  // namespace

TTextureBitmap DemoPicture(TDemoPattern pattern, int width, int height)
{
    TTextureBitmap img{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 4)};
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

}  // namespace korvane
