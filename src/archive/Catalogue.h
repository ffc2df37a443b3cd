// The in-memory model of the one open archive.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "archive/BulkAllocator.h"

namespace korvane {

constexpr uint32_t SectorSize = 2048;

enum TArchiveKind : uint8_t { akImg = 0, akSyb = 1, akImgV2 = 2, akBig = 3 };

// Mirrors a directory record closely enough that editing commands can write
// the first 32 bytes straight back; copied as raw memory.
struct TArchiveEntry {
    uint32_t Offset;  // sectors for akImg/akImgV2, bytes for akSyb/akBig
    uint32_t Size;    // same unit as Offset
    char Name[512];   // zero-terminated, at most 511 characters
    uint32_t DirPos;  // byte position of the slot's 32-byte directory record
};
static_assert(std::is_trivially_copyable_v<TArchiveEntry>);
static_assert(sizeof(TArchiveEntry) == 524);

using TRecArray = std::vector<TArchiveEntry, TBulkAllocator<TArchiveEntry>>;
using tDWORDArray = std::vector<uint32_t>;

struct Catalogue {
    TRecArray Entries;
    std::string ArchivePath;  // for akImg the data file, never the ".dir"
    std::string DirPath;      // the file that holds the directory
    TArchiveKind ArchiveKind = akImg;
};

inline bool IsSectorKind(TArchiveKind kind) { return kind == akImg || kind == akImgV2; }

// Positions are computed in 64 bits so that archives past 4 GiB show and read
// the real place of their data instead of a wrapped one.
inline uint64_t EntryBytePos(TArchiveKind kind, const TArchiveEntry& e)
{
    return IsSectorKind(kind) ? uint64_t(e.Offset) * SectorSize : e.Offset;
}

inline uint64_t EntryByteLen(TArchiveKind kind, const TArchiveEntry& e)
{
    return IsSectorKind(kind) ? uint64_t(e.Size) * SectorSize : e.Size;
}

// The characters before the first zero byte of the Name field.
inline std::string_view EntryName(const TArchiveEntry& e)
{
    return {e.Name, strnlen(e.Name, sizeof e.Name)};
}

}  // namespace korvane
