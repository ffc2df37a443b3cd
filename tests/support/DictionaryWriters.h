// RenderWare texture dictionaries built byte by byte: textures of every
// encoding the previews decode, with the pixels the caller gives.
#pragma once

#include "support/ArchiveWriters.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TTextureSpec {
    std::string name;      // raw bytes; 32 or more bytes leave no zero
    std::string maskName;
    uint16_t width = 0;
    uint16_t height = 0;
    std::string data;         // pixel data of the first image level
    uint32_t alphaFlag = 0;   // header bytes 76..79; 1 means "has alpha" (the D3D format on platform 9)
    uint32_t rasterFormat = 0;  // header bytes 72..75
    int64_t dataSizeOverride = -1;  // the header's data size when it should lie
    std::string extension;          // contents of the texture's extension section
    uint32_t platform = 8;          // header bytes 0..3
    uint8_t flags = 0;              // header byte 87: compression (platform 8) or flags (platform 9)
    std::string palette;            // written at header byte 88, before the data size, when not empty
};

TTextureSpec MakeTexture(const std::string& name, const std::string& mask, unsigned w, unsigned h, std::string data);

// The 92-byte texture header; with a palette, 88 bytes, the palette and the
// data size.
std::string TextureHeaderBytes(const TTextureSpec& t);
// A texture native section: struct (header + pixels) and extension.
std::string TextureNativeBytes(const TTextureSpec& t);
// A texture dictionary section holding the textures; the stated count is
// `countOverride` when that is not negative.
std::string DictionaryBytes(const std::vector<TTextureSpec>& textures, int64_t countOverride = -1);

// Pixels given as 0xAARRGGBB by position.
using TPixelFn = std::function<uint32_t(unsigned x, unsigned y)>;

// 32-bit pixel data: blue, green, red, alpha per pixel.
std::string Bgra32Bytes(unsigned w, unsigned h, const TPixelFn& pixel);
// 16-bit pixel data, each value given as it is stored.
std::string Pixel16Bytes(unsigned w, unsigned h, const std::function<uint16_t(unsigned x, unsigned y)>& value);

// One colour block: c0, c1 (RGB565) and the 32-bit index word.
std::string Dxt1Block(uint16_t c0, uint16_t c1, uint32_t indices);
// One 16-byte block: sixteen 4-bit alphas (pixel p in bits 4p..4p+3), then
// the colour block.
std::string Dxt3Block(uint64_t alphas, uint16_t c0, uint16_t c1, uint32_t indices);
// Block data with the given block at each block position (bx, by).
std::string BlockBytes(unsigned w, unsigned h, const std::function<std::string(unsigned bx, unsigned by)>& block);

// A plain encoder for fixtures and demo archives: each block takes its
// brightest and darkest colour as c0 and c1 and every pixel the nearest of
// the four colours; DXT3 keeps the top four bits of each alpha.
std::string EncodeDxt1(unsigned w, unsigned h, const TPixelFn& pixel);
std::string EncodeDxt3(unsigned w, unsigned h, const TPixelFn& pixel);

uint16_t Rgb565(uint8_t r, uint8_t g, uint8_t b);

// One DXT5 block: alpha endpoints, sixteen 3-bit alpha indices (pixel p in
// bits 3p..3p+2), then the colour block.
std::string Dxt5Block(uint8_t a0, uint8_t a1, uint64_t alphaIndices, uint16_t c0, uint16_t c1, uint32_t indices);
// DXT5 data: each block's alpha endpoints are its highest and lowest alpha,
// every pixel the nearest of the eight values between.
std::string EncodeDxt5(unsigned w, unsigned h, const TPixelFn& pixel);

// Palette entries given as 0xAARRGGBB, stored as red, green, blue, alpha.
std::string PaletteBytes(const std::vector<uint32_t>& argb);
// Index data: one byte a pixel, or two a byte (low nibble first) for 4 bits.
std::string IndexBytes(unsigned w, unsigned h, unsigned bits, const std::function<uint8_t(unsigned x, unsigned y)>& index);

// "DXT5" and the like as the 32-bit value a platform 9 header holds.
uint32_t FourCC(const char* code);

// Textures of each kind in one call.
TTextureSpec Dxt1Texture(const std::string& name, unsigned w, unsigned h, const TPixelFn& pixel);
TTextureSpec Dxt3Texture(const std::string& name, const std::string& mask, unsigned w, unsigned h, const TPixelFn& pixel);
TTextureSpec Bgra32Texture(const std::string& name, const std::string& mask, unsigned w, unsigned h, const TPixelFn& pixel);
// A platform 9 DXT5 texture (D3D format "DXT5", alpha flag set).
TTextureSpec Dxt5Texture(const std::string& name, const std::string& mask, unsigned w, unsigned h, const TPixelFn& pixel);
// A paletted texture: PAL8 (256 entries) or PAL4 (32 entries), indices of
// `bits` 8 or 4; the palette is padded with zero entries to its full count.
TTextureSpec PalTexture(const std::string& name, unsigned w, unsigned h, bool pal4, const std::vector<uint32_t>& palette,
                        unsigned bits, const std::function<uint8_t(unsigned x, unsigned y)>& index);
