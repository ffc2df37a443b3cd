// PNG files through libpng: 8 bits a channel, compressed, RGB or RGBA.
#pragma once

#include <cstdint>
#include <string>

#include "formats/picture/Bitmap.h"

namespace korvane {

// Rgb leaves each pixel's fourth byte out; Rgba keeps it as the alpha.
enum class TPngChannels : uint8_t { Rgb, Rgba };

// A picture of width × height pixels of four bytes each, blue, green, red,
// alpha (the decoded textures' layout), rows top to bottom without padding.
// An empty picture (a side of 0) is refused before anything is written;
// libpng's own failures raise its message, a failing write its EInOutError.
std::string PngBytes(const uint8_t* bgra, int width, int height, TPngChannels channels);
// The same bytes written to `path`, replacing any file of that name.
void WritePngFile(const std::string& path, const uint8_t* bgra, int width, int height, TPngChannels channels);

inline std::string PngBytes(const TTextureBitmap& bmp, TPngChannels channels = TPngChannels::Rgb)
{
    return PngBytes(bmp.Pixels.data(), bmp.Width, bmp.Height, channels);
}
inline void WritePngFile(const std::string& path, const TTextureBitmap& bmp, TPngChannels channels = TPngChannels::Rgb)
{
    WritePngFile(path, bmp.Pixels.data(), bmp.Width, bmp.Height, channels);
}

}  // namespace korvane
