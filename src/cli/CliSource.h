// Where a command's entry lies: an archive's entry by its number, or a loose
// file taken whole.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

struct TCliSource {
    std::string Path;    // the file to read
    uint64_t Start = 0;  // the entry's first byte in it
    std::string Name;    // the entry's name (UTF-8), or the loose file's path
};

// A malformed INDEX: a usage error, not a failure.
class ECliSourceUsage : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// With `index` (the "№" column number), entry `index` of the archive
// `source`; without it, the file `source` itself from its first byte.
TCliSource ResolveCliSource(const std::string& source, const std::optional<std::string>& index);
