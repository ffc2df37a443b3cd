// An entry's bytes read whole into memory, once, for the readers that parse
// it (previews, the texture editor, the glTF export).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/Catalogue.h"
#include "base/FileIO.h"

namespace korvane {

// What one preview or edit may hold in memory: an entry (or loose file)
// larger than this is refused before anything is allocated for it.
constexpr uint64_t MaxEntryBytesInMemory = 1ull << 30;

// The bytes of an entry (or a loose file) and the file they were read from,
// which reads past them name in their errors.
struct TEntryBytes {
    std::vector<uint8_t> Bytes;
    std::string Path;
};
using TSharedEntryBytes = std::shared_ptr<const TEntryBytes>;

// The `len` bytes from `pos` of `file` in one read, cut where the file ends
// (as extracting cuts an entry that runs past the archive's end). More than
// MaxEntryBytesInMemory of them raise EOutOfMemory ("Out of memory") before
// anything is allocated.
TEntryBytes ReadBytesAt(TFile& file, uint64_t pos, uint64_t len);

// The bytes of `entry` in the archive at `archivePath`, opened read-only.
TEntryBytes ReadEntryBytes(const std::string& archivePath, TArchiveKind kind, const TArchiveEntry& entry);

// A loose file whole.
TEntryBytes ReadFileBytes(const std::string& path);

}  // namespace korvane
