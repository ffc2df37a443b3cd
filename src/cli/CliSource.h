// The entry a korvane-cli command works on: an entry of an archive, named by
// its number (the "№" column), or a loose file that is the entry whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archive/ArchiveOpen.h"
#include "archive/Catalogue.h"
#include "archive/FileIO.h"

struct TCliSource {
    korvane::TFile File;   // the archive (or the loose file), open
    uint64_t EntryPos = 0; // the entry's first byte in File
    uint64_t EntryLen = 0; // its length in bytes
    std::string Name;      // Windows-1251: the entry's Name, or the loose file's base name
};

// Without `index`, `path` is a loose file; with it, an archive of any kind
// (a ".dir" path names the ".img" beside it). A number past the last entry
// raises an error that names the archive's entry count.
TCliSource OpenCliSource(const std::string& path, std::optional<uint32_t> index);

// A decimal entry number, or nothing when `text` is not one.
std::optional<uint32_t> ParseEntryIndex(const std::string& text);
