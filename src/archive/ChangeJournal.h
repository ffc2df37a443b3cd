// The rollback journal that makes a change of an archive whole or not at all,
// also across a power cut, and the recovery every open runs before it reads
// the directory.
//
// A change appends its new data and flushes it first; then, before any byte
// the old directory (or an entry's data) holds is overwritten, the original
// bytes of every range about to change go into "ARCHIVE.korvane-journal"
// beside the archive, which is flushed with its folder. Only then are the
// ranges written and flushed, and the journal removed: its removal is the
// moment the change is made. A journal found at an open was left by a change
// that was cut off; writing its bytes back gives the archive as it was before.
//
// A repack of ".img"+".dir" renames two finished files into place; the same
// journal file, of another kind, records the swap before the first rename,
// so that a cut between the renames is finished at the next open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/ArchiveOpen.h"

namespace korvane {

// "ARCHIVE.korvane-journal", ARCHIVE being the data file (links followed).
std::string JournalPathFor(const std::string& archivePath);
bool JournalPresent(const std::string& archivePath);

// One range of a file about to be overwritten.
struct TJournalRange {
    uint8_t File;  // 0: the archive, 1: the ".dir"
    uint64_t Pos;
    uint64_t Len;
};

// The files of a change and their lengths. The archive's length names it in
// the journal, so that a journal left beside another archive is never
// applied to it.
struct TJournalFiles {
    std::string ArchivePath;
    std::string DirPath;            // empty when the directory is in the archive
    uint64_t ArchiveSize = 0;       // now, with the new data appended
    uint64_t ArchiveSizeBefore = 0; // before the change: a roll back cuts to it
    uint64_t DirSizeBefore = 0;
};

// Writes and flushes the journal (and its folder) with the present bytes of
// every range, also into `before` when given (one string a range); returns
// its path.
std::string WriteRollbackJournal(const TJournalFiles& files, const std::vector<TJournalRange>& ranges,
                                 std::vector<std::string>* before = nullptr);

// The two-file repack's swap: `newArchive` and `newDir` (flushed, beside the
// files they replace) are renamed over the archive and its ".dir"; `dirBackup`
// is the copy of the old ".dir" kept meanwhile.
std::string WriteSwapJournal(const std::string& archivePath, const std::string& newArchive, const std::string& newDir,
                             const std::string& dirBackup);

// Removes the journal of a change that is made. A journal that cannot be
// removed is emptied, so that it never rolls the change back, and the error
// is raised.
void RemoveJournal(const std::string& journalPath);

// What an open does under the exclusive lock before it reads the directory:
// a complete journal of this archive is rolled back (a swap finished), an
// unfinished one (its checksum fails: the archive was never touched) or one
// of another file is removed. A journal that must be applied while this user
// may not write the files raises EInOutError naming it: the torn directory
// is never read.
void RecoverArchive(const TArchiveLocation& where);

// The scratch files a cut repack leaves (the "~new" and "~old" files beside
// the archive) are removed; for the next exclusive open, with no journal left.
void RemoveRepackScratch(const TArchiveLocation& where) noexcept;

}  // namespace korvane
