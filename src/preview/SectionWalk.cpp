#include "preview/SectionWalk.h"

#include "archive/ByteOrder.h"

namespace korvane {

void FindSection(TFile& file, uint32_t id, TSectionHeader& header)
{
    for (;;) {
        unsigned char raw[12];
        file.ReadExact(raw, sizeof raw);
        header.Id = LoadLE32(raw);
        header.Size = LoadLE32(raw + 4);
        header.Version = LoadLE32(raw + 8);
        if (header.Id == id) return;
        // Positions are 64-bit: a large size cannot wrap back onto the header
        // just read, and one past the end fails on the next read.
        file.Seek(file.Position() + header.Size);
    }
}

}  // namespace korvane
