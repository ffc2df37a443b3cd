// Rewriting an archive without the unused space that deleting and replacing
// entries leave behind.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/Catalogue.h"

namespace korvane {

// Bytes of the new archive written so far and its whole length.
using TRepackProgress = std::function<void(uint64_t done, uint64_t total)>;

// Where the new archive and its directory take shape before they replace the
// old ones.
struct TRepackFiles {
    std::string ArchiveTemp;  // the archive path with the extension ".~new"
    std::string DirTemp;      // akImg: the new ".dir", beside the old one
    std::string DirBackup;    // akImg: a copy of the old ".dir" kept until the swap is done
};
TRepackFiles RepackFilesFor(const Catalogue& cat);

// The new archive's layout: each entry's new Offset (sectors), the bytes
// before the first entry's data (the VER2 directory and its filler) and the
// whole length. Raises when the offsets would not fit 32 bits.
struct TRepackLayout {
    std::vector<uint32_t> Offsets;
    uint64_t DataStart = 0;
    uint64_t Length = 0;
};
TRepackLayout PlanRepack(TArchiveKind kind, const TRecArray& entries);

// One stretch of the new archive's data: `Length` bytes copied from byte
// `From` of the old file, then `Zeros` zero bytes where an entry runs past
// the old file's end. Entries that lie one after the other in the old file
// and follow each other in the catalogue make one run, so that the kernel
// copies them in one go.
struct TCopyRun {
    uint64_t From = 0;
    uint64_t Length = 0;
    uint64_t Zeros = 0;
    bool operator==(const TCopyRun&) const = default;
};
// The runs for the entries in catalogue order, given the old file's length;
// empty entries take none.
std::vector<TCopyRun> PlanCopyRuns(TArchiveKind kind, const TRecArray& entries, uint64_t oldLength);

// Copies every entry's data, in catalogue order and without gaps, into a new
// archive (for akImgV2 after the directory and zero filler up to the next
// multiple of 4096), writes the directory with the new offsets and puts both
// in place of the old files; returns the new offsets. Entries that share
// bytes get copies of their own; data running past the end of the old
// archive is padded with zero bytes to the entry's whole size.
//
// Nothing of the old archive is lost on failure: the new files are written
// whole and flushed before an atomic rename puts them in place, and a
// failure before that removes them and leaves the old files as they were.
// The only moment a crash can leave a mismatched pair is for akImg, between
// the rename of the new ".dir" and the rename of the new data file right
// after it; then the old directory is still in DirBackup and the new data in
// ArchiveTemp.
std::vector<uint32_t> RepackArchive(const Catalogue& cat, const TRepackProgress& progress = {});

}  // namespace korvane
