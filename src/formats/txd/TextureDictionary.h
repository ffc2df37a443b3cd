// Reading a RenderWare texture dictionary from bytes in memory: the
// textures, where each one's first image level lies in those bytes and how
// its pixels are stored. The native struct's fields: TextureNative.h; the
// writer beside this reader: TextureDictionaryWriter.h.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/txd/TextureNative.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"

namespace korvane {

// Walks from the cursor's position to the dictionary and its struct, reads
// the 16-bit texture count and drops the 16 bits after it.
uint16_t ReadTextureCount(TSectionCursor& in);

// Walks on to the next texture native and its struct, reads the struct (see
// ReadNativeStruct) into `t` and moves back onto the struct's header, so
// that the next walk skips the struct and the texture's extension by their
// sizes.
void ReadTextureHeader(TSectionCursor& in, TTextureInfo& t);

// The whole dictionary from the cursor's position; raises on the first failure.
std::vector<TTextureInfo> ReadTextureDictionary(TSectionCursor& in);

}  // namespace korvane
