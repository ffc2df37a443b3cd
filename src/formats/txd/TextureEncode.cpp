#include "formats/txd/TextureEncode.h"

#include <algorithm>
#include <cstring>
#include <squish.h>
#include <stdexcept>

namespace korvane {

namespace {

bool BlockEncoding(TTextureEncoding enc)
{
    return enc == TTextureEncoding::Dxt1 || enc == TTextureEncoding::Dxt3 || enc == TTextureEncoding::Dxt5;
}

}  // namespace

bool HasTransparentPixels(const TTextureBitmap& picture)
{
    for (size_t i = 3; i < picture.Pixels.size(); i += 4)
        if (picture.Pixels[i] != 255) return true;
    return false;
}

uint64_t LevelBytes(TTextureEncoding enc, uint32_t width, uint32_t height)
{
    if (!BlockEncoding(enc)) return uint64_t(width) * height * 4;
    const uint64_t blocks = uint64_t(std::max(1u, (width + 3) / 4)) * std::max(1u, (height + 3) / 4);
    return blocks * (enc == TTextureEncoding::Dxt1 ? 8 : 16);
}

std::string EncodeTextureLevel(const TTextureBitmap& picture, TTextureEncoding enc)
{
    const auto w = uint32_t(picture.Width), h = uint32_t(picture.Height);
    if (enc == TTextureEncoding::Bgra32) return std::string(picture.Pixels.begin(), picture.Pixels.end());
    if (!BlockEncoding(enc)) throw std::logic_error("pictures are encoded as DXT1, DXT3, DXT5 or 32-bit only");
    // libsquish takes red, green, blue, alpha (its flag for the other order
    // is not honoured by every build of it).
    std::vector<uint8_t> rgba(picture.Pixels.size());
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = picture.Pixels[i + 2];
        rgba[i + 1] = picture.Pixels[i + 1];
        rgba[i + 2] = picture.Pixels[i];
        rgba[i + 3] = picture.Pixels[i + 3];
    }
    // Without alpha weighting, so that transparent pixels keep their colours.
    const int fit = squish::kColourClusterFit;
    const uint64_t bytes = LevelBytes(enc, w, h);
    if (enc != TTextureEncoding::Dxt1) {
        std::string out(bytes, '\0');
        squish::CompressImage(rgba.data(), int(w), int(h), out.data(),
                              fit | (enc == TTextureEncoding::Dxt3 ? squish::kDxt3 : squish::kDxt5));
        return out;
    }
    // libsquish's DXT1 may pick the three-colour rule; its DXT3 colour half
    // never does, and is the same fit otherwise.
    std::string dxt3(bytes * 2, '\0');
    squish::CompressImage(rgba.data(), int(w), int(h), dxt3.data(), fit | squish::kDxt3);
    std::string out(bytes, '\0');
    for (size_t b = 0; b < bytes / 8; ++b) std::memcpy(out.data() + b * 8, dxt3.data() + b * 16 + 8, 8);
    return out;
}

TTextureBitmap HalveImage(const TTextureBitmap& picture)
{
    const int w = picture.Width, h = picture.Height;
    TTextureBitmap out;
    out.Width = std::max(1, w / 2);
    out.Height = std::max(1, h / 2);
    out.Pixels.resize(size_t(out.Width) * size_t(out.Height) * 4);
    const int dx = w > 1 ? 1 : 0, dy = h > 1 ? 1 : 0;
    const unsigned n = unsigned((dx + 1) * (dy + 1));
    for (int y = 0; y < out.Height; ++y)
        for (int x = 0; x < out.Width; ++x) {
            const int sx = x * (dx + 1), sy = y * (dy + 1);
            const uint8_t* a = picture.Pixels.data() + (size_t(sy) * size_t(w) + size_t(sx)) * 4;
            const uint8_t* b = a + size_t(dx) * 4;
            const uint8_t* c = a + size_t(dy) * size_t(w) * 4;
            const uint8_t* d = c + size_t(dx) * 4;
            uint8_t* o = out.Pixels.data() + (size_t(y) * size_t(out.Width) + size_t(x)) * 4;
            for (int k = 0; k < 4; ++k) {
                // With a side of 1 the pairs repeat: b = a, d = c, or c = a.
                const unsigned sum = n == 4 ? a[k] + b[k] + c[k] + d[k] : a[k] + (dx ? b[k] : c[k]);
                o[k] = uint8_t(n == 1 ? a[k] : (sum + n / 2) / n);
            }
        }
    return out;
}

unsigned MaxMipLevels(uint32_t width, uint32_t height)
{
    unsigned levels = 1;
    for (uint32_t side = std::max(width, height); side > 1; side /= 2) ++levels;
    return levels;
}

}  // namespace korvane
