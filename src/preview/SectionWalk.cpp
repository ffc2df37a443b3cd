#include "preview/SectionWalk.h"

#include "archive/ByteOrder.h"
#include "archive/Errors.h"

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
        const uint64_t next = file.Position() + header.Size;
        if (next > 0xFFFFFFFFu) RaiseReadBeyondEof(file.Path());
        file.Seek(next);
    }
}

}  // namespace korvane
