// The walk over the 12-byte section headers of a RenderWare binary stream.
#pragma once

#include <cstdint>

#include "archive/FileIO.h"

namespace korvane {

enum : uint32_t {
    rwStruct = 0x01,
    rwTextureNative = 0x15,
    rwTextureDictionary = 0x16,
};

struct TSectionHeader {
    uint32_t Id = 0;
    uint32_t Size = 0;     // bytes of contents after the header
    uint32_t Version = 0;  // library version stamp, not looked at by the walk
};

// Reads headers from the file's position on, skipping each section by its
// size, until one with `id`; the file is then on that section's first content
// byte and `header` holds its header. Running off the end of the file (a
// size that skips past it included) raises "Read beyond end of file"; sections
// past 4 GiB of a large archive are walked like any other. The walk only ever
// moves forward.
void FindSection(TFile& file, uint32_t id, TSectionHeader& header);

// Whether the walk from `start` meets a section with `id` whose header lies
// before `end` (and the file's end): whether the bytes from `start` to `end`
// hold that section, not merely some later ones. Moves the file's position.
bool SectionStartsWithin(TFile& file, uint64_t start, uint64_t end, uint32_t id);

}  // namespace korvane
