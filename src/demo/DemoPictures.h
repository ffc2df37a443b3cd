// Pictures and block encodings for the demo archives, drawn by code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// Rows top to bottom, four bytes per pixel: blue, green, red, alpha.
struct TBgraImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;
};

enum class TDemoPattern {
    Rings,    // concentric rainbow rings, opaque
    Bricks,   // a brick wall, opaque
    Glass,    // a tinted pane whose alpha fades towards the edges
    Emblem,   // a star on a transparent ground
};

TBgraImage DemoPicture(TDemoPattern pattern, int width, int height);

// S3TC encodings of an image whose sides are multiples of 4: DXT1 (8 bytes
// per block, always the four-colour mode) and DXT3 (4-bit alpha + colour).
std::string EncodeDxt1(const TBgraImage& image);
std::string EncodeDxt3(const TBgraImage& image);

}  // namespace korvane
