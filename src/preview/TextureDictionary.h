// The textures of a RenderWare texture dictionary: where each one's first
// image level lies in the archive file and how its pixels are stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/FileIO.h"

namespace korvane {

// One texture of the dictionary being previewed.
struct TTextureInfo {
    std::string Name;      // at most 32 characters
    std::string MaskName;  // at most 32 characters, often empty
    // Thumbnails in the page's image list; -1 until the thumbnail worker has
    // made them, so that a row never shows another dictionary's picture.
    int32_t ImageIndex = -1;
    int32_t MaskImageIndex = -1;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint64_t DataPos = 0;   // absolute file position of the first level's pixels
    uint32_t DataSize = 0;  // byte size of those pixels
    bool HasAlpha = false;
    uint32_t RasterFormat = 0;  // header bytes 72..75; tells the 16-bit layouts apart
};

constexpr size_t TextureHeaderSize = 92;

// Walks from the file's position to the dictionary (0x16) and its struct,
// reads the 16-bit texture count and drops the 16 bits after it.
uint16_t ReadTextureCount(TFile& file);

// Walks on to the next texture native (0x15) and its struct, reads the 92-byte
// header into `t` and moves back onto the struct's header, so that the next
// walk skips the struct and the texture's extension by their sizes.
void ReadTextureHeader(TFile& file, TTextureInfo& t);

// Parses the fields of a 92-byte texture header (DataPos is left alone).
void ParseTextureHeader(const uint8_t* header, TTextureInfo& t);

// The whole dictionary from the file's position; raises on the first failure.
std::vector<TTextureInfo> ReadTextureDictionary(TFile& file);

}  // namespace korvane
