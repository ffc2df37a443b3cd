// One command's change of a sector-kind archive (add, replace, delete,
// rename, a texture change), made whole or not at all, also across a power
// cut (see ChangeJournal.h).
//
// While the change is built, new data is appended to the archive (past its
// old end, where nothing points yet) and the catalogue follows every step;
// the directory records and the in-place data are only staged. Commit
// flushes the appended data, journals what the staged writes overwrite,
// writes them, flushes, and removes the journal. A change that is not
// committed (a failure on the way) gives the catalogue back as it was and cuts
// the appended bytes off again.
//
// Flushes per commit: the appended data (when there is any), the journal and
// its folder, and each file written (one; two when an ".img"+".dir" entry is
// replaced in place), however many entries the command changes.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/Catalogue.h"
#include "archive/EntryChanges.h"
#include "base/FileIO.h"

namespace korvane {

// What a committed change wrote over in the directory's file: each range's
// bytes before and after it, and the ".dir" length before and after, so that
// the change can be taken back, and made again, as a change of its own.
struct TWrittenRange {
    uint64_t Pos;
    std::string Before;  // as much as the file held there
    std::string After;   // empty for the tail a ".dir" lost
};
struct TChangeImage {
    std::vector<TWrittenRange> Ranges;
    uint64_t DirLengthBefore = 0, DirLengthAfter = 0;  // the ".dir"'s; VER2: 0
    bool Empty() const { return Ranges.empty(); }
    size_t Bytes() const
    {
        size_t n = 0;
        for (const TWrittenRange& r : Ranges) n += r.Before.size() + r.After.size();
        return n;
    }
};

class TArchiveChange {
public:
    explicit TArchiveChange(Catalogue& cat);
    ~TArchiveChange();
    TArchiveChange(const TArchiveChange&) = delete;
    TArchiveChange& operator=(const TArchiveChange&) = delete;

    Catalogue& Cat() { return cat_; }
    // The archive, open for appending new data past its end.
    TFile& Archive();
    // The steps of the catalogue, handed to the caller's list by Commit.
    TEntryChanges& Steps() { return steps_; }

    // Staged: the record at e.DirPos.
    void PutRecord(const TArchiveEntry& e);
    // Staged: the records of slot `index` to the last, as the catalogue holds
    // them when the change is committed (entries that moved down a slot).
    void RecordsChangedFrom(size_t index) { changedFrom_ = std::min(changedFrom_, index); }
    // Staged: the number of records (the VER2 count; the ".dir" length).
    void SetCount(uint64_t count);
    // Staged: `len` bytes of `source` (from its start) over the archive at `pos`.
    void Overwrite(uint64_t pos, TFile source, uint64_t len);

    // Keeps what the change writes over in `image` once it is made. An entry
    // replaced by data that fits its sectors then gets the data appended
    // instead, so that its old bytes stay for an undo.
    void KeepImage(TChangeImage* image) { image_ = image; }
    bool AppendsOnly() const { return image_ != nullptr; }
    // Staged: bytes of the directory's file as they stand (an undo or redo;
    // the catalogue does not follow, the caller reads the directory again).
    void PutDirectoryBytes(uint64_t pos, std::string bytes) { raw_.push_back({pos, std::move(bytes)}); }

    // Makes the change; its steps are appended to `changes`.
    void Commit(TEntryChanges& changes);

private:
    struct TOverwrite {
        uint64_t Pos;
        TFile Source;
        uint64_t Len;
    };
    Catalogue& cat_;
    Catalogue before_;
    std::optional<TFile> archive_;
    uint64_t archiveSizeBefore_ = 0;
    uint64_t dirSizeBefore_ = 0;
    std::map<uint64_t, std::array<uint8_t, 32>> records_;
    size_t changedFrom_ = SIZE_MAX;
    std::optional<uint64_t> count_;
    std::vector<TOverwrite> overwrites_;
    std::vector<std::pair<uint64_t, std::string>> raw_;
    TChangeImage* image_ = nullptr;
    TEntryChanges steps_;
    bool committed_ = false;
};

}  // namespace korvane
