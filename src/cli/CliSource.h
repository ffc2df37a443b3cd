// The entry a korvane-cli command works on: an entry of an archive, named by
// its number (the "№" column), or a loose file that is the entry whole.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "archive/ArchiveLock.h"
#include "archive/ArchiveOpen.h"
#include "archive/Catalogue.h"
#include "archive/EntryBytes.h"
#include "base/FileIO.h"
#include "formats/Formats.h"

struct TCliSource {
    korvane::TFile File;   // the archive (or the loose file), open
    uint64_t EntryPos = 0; // the entry's first byte in File
    uint64_t EntryLen = 0; // its length in bytes
    std::string Name;      // Windows-1251: the entry's Name, or the loose file's base name
    std::optional<uint32_t> Index;  // the entry's number; none for a loose file
    std::optional<korvane::Catalogue> Cat;  // the archive's directory, read once; none for a loose file
    korvane::TArchiveLock Lock;  // the archive's, held while the source is in use; none for a loose file
};

// Without `index`, `path` is a loose file; with it, an archive of any kind
// (a ".dir" path names the ".img" beside it), whose directory is read here
// once, under the archive's lock (exclusive for a change), which the source
// keeps. A number past the last entry raises an error that names the
// archive's entry count.
TCliSource OpenCliSource(const std::string& path, std::optional<uint32_t> index, const korvane::TLockWait& wait = {},
                         korvane::TLockMode mode = korvane::TLockMode::lmShared);

// The entry's bytes (the loose file whole), read once for the readers.
korvane::TEntryBytes ReadSourceBytes(TCliSource& source);

// Unless `bytes`, read from the source's start, begin as the format: raises
// the error that says the source holds none ("texture dictionary", "model",
// ...), naming the archive and the entry, or the loose file.
void RequireFormat(const TCliSource& source, korvane::TFormatKind kind, korvane::TByteSpan bytes);

// A reader's message about bytes of the source that lie ("The collision
// model "x" (number 1) is damaged: ..."), raised naming the source as
// RequireFormat does: "ARCHIVE: entry N (NAME): the collision model ...", or
// "FILE: the collision model ...".
[[noreturn]] void RaiseDamaged(const TCliSource& source, std::string message);

// Raises a reader's failure again, a `TDamage` (the reader's error for bytes
// that lie) through RaiseDamaged.
template <class TDamage>
[[noreturn]] void RethrowNamingSource(const TCliSource& source, const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const TDamage& e) {
        RaiseDamaged(source, e.what());
    }
}

// A decimal entry number, or nothing when `text` is not one.
std::optional<uint32_t> ParseEntryIndex(const std::string& text);
