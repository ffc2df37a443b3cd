// The operations a user asks of an archive's entries, shared by the window
// and korvane-cli. Each makes its checks here, once, in this order: the
// entry numbers, the kind, then the files (see Writability.h); then it calls
// the archive layer, which checks nothing of that again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveOpen.h"
#include "archive/Catalogue.h"
#include "archive/EntryChanges.h"
#include "archive/EntryOps.h"

namespace korvane::ops {

// An archive opened to be looked at: its whole directory.
Catalogue OpenForReading(const std::string& path);
Catalogue OpenForReading(const TArchiveLocation& where);
// An archive opened to be changed: its directory read afresh; each change
// still makes its own checks.
Catalogue OpenForChanging(const std::string& path);

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

// The changes record what they did in `changes` as the catalogue takes it
// (also when they fail part-way), so that the rows can follow.

// The file as a new, last entry named after it; returns its index.
uint32_t Add(Catalogue& cat, const std::string& file, TEntryChanges& changes);
// The file's data and name for the entry: in place, or moved to the end.
TReplaceResult Replace(Catalogue& cat, uint32_t index, const std::string& file, TEntryChanges& changes);
// The entries out of the directory, the highest first, a number given twice
// removed once.
void Delete(Catalogue& cat, std::vector<uint32_t> indices, TEntryChanges& changes);
// `name` is raw Windows-1251 bytes.
void Rename(Catalogue& cat, uint32_t index, std::string_view name, TEntryChanges& changes);

}  // namespace korvane::ops
