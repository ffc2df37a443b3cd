// A picture in memory, as the texture decoder writes it and the picture
// files are read into and written from.
#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

// Width × Height pixels, four bytes each (blue, green, red, alpha), rows top
// to bottom with no padding. The decoder's three modes give opaque pictures
// (alpha 255: the mask mode shows alpha as grey, the composite mode blends it
// over the checkerboard); a picture read from a PNG or BMP file keeps its own
// alpha, 255 where the file has none.
struct TTextureBitmap {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;
};

}  // namespace korvane
