// The per-pixel rules of the block encodings, shared by the decoders.
#pragma once

#include <cstdint>

namespace korvane {

// The eight alphas a DXT5 block's 3-bit indices choose from.
void Dxt5AlphaTable(const uint8_t* block, uint8_t* table);
// The 48 bits of a DXT5 block's alpha indices, pixel p in bits 3p..3p+2.
uint64_t Dxt5Indices(const uint8_t* block);

}  // namespace korvane
