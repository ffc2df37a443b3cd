#include "preview/SectionWalk.h"

#include <algorithm>

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

bool SectionStartsWithin(TFile& file, uint64_t start, uint64_t end, uint32_t id)
{
    end = std::min(end, file.Size());
    // Buffered: a run of empty headers (zero padding) is read in one go.
    TBufferedReader in(file);
    in.Seek(start);
    for (uint64_t pos = start; pos + 12 <= end;) {
        const uint32_t found = in.ReadLE32();
        const uint32_t size = in.ReadLE32();
        in.ReadLE32();
        if (found == id) return true;
        pos += 12;
        if (size != 0) {
            pos += size;
            if (pos < end) in.Seek(pos);
        }
    }
    return false;
}

}  // namespace korvane
