// The operations a user asks of an archive's entries, shared by the window
// and korvane-cli. Each makes its checks here, once, in this order: the
// entry numbers, the kind, then the files (see Writability.h); then it calls
// the archive layer, which checks nothing of that again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveLock.h"
#include "archive/ArchiveOpen.h"
#include "archive/Catalogue.h"
#include "archive/EntryChanges.h"
#include "archive/EntryOps.h"

namespace korvane::ops {

// Every open reads the directory under the archive's lock (see
// ArchiveLock.h), waiting for another program's change as `wait` says.

// An archive opened to be looked at: its whole directory, read under the
// shared lock, which is let go once it is read.
Catalogue OpenForReading(const std::string& path, const TLockWait& wait = {});
Catalogue OpenForReading(const TArchiveLocation& where, const TLockWait& wait = {});

// A directory together with the lock it was read under; the lock goes with
// this object. The changes below take one, so that their callers cannot
// forget the exclusive lock: the CLI gets it from OpenForChanging, the window
// puts the lock LockForChange gave into its session's for one command.
struct TLockedCatalogue {
    TArchiveLock Lock;
    Catalogue Cat;
    // When set, each change below keeps what it writes over here, for an
    // undo (see TArchiveChange::KeepImage).
    TChangeImage* Image = nullptr;
};
// As OpenForReading, the shared lock kept, so that the entries' data read
// later is the data of this directory.
TLockedCatalogue OpenForReadingHeld(const std::string& path, const TLockWait& wait = {});
TLockedCatalogue OpenForReadingHeld(const TArchiveLocation& where, const TLockWait& wait = {});
// An archive opened to be changed: the exclusive lock taken, then its
// directory read afresh under it. Every change made while the result lives
// works from what the disk holds; each change still makes its own checks.
TLockedCatalogue OpenForChanging(const std::string& path, const TLockWait& wait = {});
TLockedCatalogue OpenForChanging(const TArchiveLocation& where, const TLockWait& wait = {});

// For a catalogue read earlier (the window's, read at its open): the
// exclusive lock for a change, taken only when the directory on disk is still
// the one `loaded` holds; otherwise nothing may be written from it, and
// EArchiveChanged is raised (the lock let go).
TArchiveLock LockForChange(const Catalogue& loaded, const TLockWait& wait = {});
// Whether the directory on disk, read under the shared lock, is the one
// `loaded` holds (see SameDirectory).
bool DirectoryUnchanged(const Catalogue& loaded, const TLockWait& wait = {});
// The records as the directory file holds them: for the two sector kinds the
// 32-byte records (the count of VER2 being their number), each at its own
// place; for the others each entry's place, size and name.
bool SameDirectory(const Catalogue& loaded, const TRecArray& onDisk);

// Raises ENoSuchEntry for a number past the last entry; all are checked
// before anything is done.
void CheckEntryIndex(const Catalogue& cat, uint32_t index);
void CheckEntryIndices(const Catalogue& cat, const std::vector<uint32_t>& indices);

// The entry's data into the file at `path` (created or truncated).
void Extract(const Catalogue& cat, uint32_t index, const std::string& path);
// Each entry into `folder` under its name (see ExtractEntriesInto).
void ExtractInto(const Catalogue& cat, const std::vector<uint32_t>& indices, const std::string& folder);
// Open's copy of the entry (see ExtractEntryForOpen); returns its path.
std::string ExtractForOpen(const Catalogue& cat, uint32_t index, const std::string& tempDir);

// The changes work on the catalogue of a TLockedCatalogue whose lock is the
// archive's exclusive one, held from before the directory was read (or
// compared with the disk) until the change is written. Once it is made, they
// add what they did to `changes`, so that the rows can follow.

// Each change below is one: made whole or not at all, also across a power
// cut (see ArchiveChange.h); a failure leaves the catalogue as it was.

// The file as a new, last entry named after it; returns its index.
uint32_t Add(TLockedCatalogue& locked, const std::string& file, TEntryChanges& changes);
// The files as new, last entries, in order, as one change; returns the last one's index.
uint32_t Add(TLockedCatalogue& locked, const std::vector<std::string>& files, TEntryChanges& changes);
// The file's data and name for the entry: in place, or moved to the end.
TReplaceResult Replace(TLockedCatalogue& locked, uint32_t index, const std::string& file, TEntryChanges& changes);
// The entries out of the directory, the highest first, a number given twice
// removed once.
void Delete(TLockedCatalogue& locked, std::vector<uint32_t> indices, TEntryChanges& changes);
// `name` is raw Windows-1251 bytes.
void Rename(TLockedCatalogue& locked, uint32_t index, std::string_view name, TEntryChanges& changes);

// Takes a change back (`undo`) or makes it again, from its image: the
// directory's bytes written back, as one change. Raises EArchiveChanged,
// writing nothing, when the directory's file no longer holds what the change
// left there (or, for a redo, what its undo left). The catalogue is not
// followed: read the directory again afterwards.
void ApplyImage(TLockedCatalogue& locked, const TChangeImage& image, bool undo);

// ---- import: files replace the entries of their names, the rest are added

// One file of an import and what it does to the archive.
struct TImportStep {
    std::string File;
    std::string Name;         // as the directory will hold it: raw Windows-1251, at most 24 bytes
    bool NameCut = false;     // not the file's name as it stands (cut, or with "?")
    bool Replaces = false;    // else it is added
    uint32_t Replaced = 0;    // the entry it replaces, numbered as before the import
    uint32_t SameNamed = 0;   // the entries of that name before the import (the first is replaced)
    uint32_t Entry = 0;       // its entry's number after the import
};

// The files of an import's operands: a file itself, a folder's files (not
// its subfolders), those of each folder in byte order of their names.
// Raises the file error of an operand that cannot be read.
std::vector<std::string> ImportFiles(const std::vector<std::string>& operands);

// What importing `files` does, nothing written: each file replaces the first
// entry whose name is its own, a-z and A-Z alike (the Windows-1251 bytes
// compared, only ASCII letters folded), or is added. Refuses, before
// anything is written, a kind that cannot be changed, two files of one name,
// more entries than a directory holds, and (unless `cutNames`, which stores
// them as Add does) names the directory cannot hold (ENameDoesNotFit).
// Entry is what Import will make it (see there).
std::vector<TImportStep> PlanImport(const Catalogue& cat, const std::vector<std::string>& files, bool cutNames);

// The plan (from PlanImport on this catalogue) made as one change: the adds
// first, in order, becoming the last entries; then the replaces, the highest
// entry first, each in place or, when its file does not fit there, moved to
// the end (the entries after it moving down one). Sets each step's Entry.
void Import(TLockedCatalogue& locked, std::vector<TImportStep>& plan, TEntryChanges& changes);

}  // namespace korvane::ops
