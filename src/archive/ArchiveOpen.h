// Telling the archive kinds apart and reading their directories.
#pragma once

#include <cstdint>
#include <string>

#include "archive/Catalogue.h"

namespace korvane {

// "VXBG" -> akSyb, "VER2" -> akImgV2, "BIGF" or "BIG4" -> akBig, anything else
// (a file shorter than four bytes too) -> akImg.
TArchiveKind DetectArchiveKind(const std::string& path);

// The path with its extension (from a "." after the last "/") replaced by
// `ext`, or `ext` appended when it has none.
std::string WithExtension(const std::string& path, const char* ext);
// A ".dir" path (any letter case) names the ".img" file beside it.
std::string ArchivePathFor(const std::string& path);
// The path with its extension replaced by ".dir", or ".dir" appended.
std::string DirPathFor(const std::string& archivePath);

struct TArchiveLocation {
    std::string ArchivePath;
    std::string DirPath;  // for akImg the ".dir" file, which may be missing
    TArchiveKind Kind = akImg;
};

// Path rules and kind detection of an open, without asking anything.
TArchiveLocation LocateArchive(const std::string& path);

// The whole directory of an archive. Counts are checked against the file's
// length before anything is sized from them, so a truncated or hostile
// directory raises "Read beyond end of file" without a large allocation.
TRecArray ReadDirectory(const TArchiveLocation& where);

// An archive opened into a new catalogue: the directory read whole, the
// paths and kind of `where`. The window builds the catalogue it swaps in this way, korvane-cli
// the one its verbs work on.
Catalogue OpenCatalogue(const TArchiveLocation& where);
Catalogue OpenCatalogue(const std::string& path);  // located by LocateArchive

// Most entries a directory may produce; more ends the open with EOutOfMemory.
constexpr uint64_t MaxDirectoryEntries = 4u * 1024 * 1024;

// The loading percentage shown after entry i of n has been added to the list.
int LoadPercent(uint32_t i, uint32_t n);

}  // namespace korvane
