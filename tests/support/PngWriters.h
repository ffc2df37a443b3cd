// PNG files written through libpng's own write side, in any colour type and
// depth, and PNG chunks put together by hand for damaged files.
#pragma once

#include <cstdint>
#include <string>

struct TPngSpec {
    uint32_t width = 1, height = 1;
    int colourType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    int depth = 8;
    bool interlaced = false;
    std::string rows = {};     // each row's samples as the file stores them (big-endian, packed), no filter byte
    std::string palette = {};  // red, green, blue per entry
    std::string alphas = {};   // the tRNS chunk's contents
};
std::string PngFileBytes(const TPngSpec& spec);

// One chunk: length, type, data, CRC (or `crc` when not negative).
std::string PngChunk(const std::string& type, const std::string& data, int64_t crc = -1);
