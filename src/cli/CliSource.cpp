#include "cli/CliSource.h"

#include <stdexcept>

#include "archive/ArchiveOpen.h"
#include "base/NameCodec.h"
#include "cli/CliError.h"
#include "ops/ArchiveOps.h"
#include "ops/OpErrors.h"

using namespace korvane;

TCliSource OpenCliSource(const std::string& path, std::optional<uint32_t> index, const TLockWait& wait, TLockMode mode)
{
    if (!index) {
        // Reading only: loose files and archives may be write-protected.
        TFile file = TFile::OpenReadOnly(path);
        const uint64_t size = file.Size();
        const size_t slash = path.find_last_of('/');
        std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        return {std::move(file), 0, size, Utf8ToCp1251(base), std::nullopt, std::nullopt, {}};
    }
    ops::TLockedCatalogue held =
        mode == TLockMode::lmExclusive ? ops::OpenForChanging(path, wait) : ops::OpenForReadingHeld(path, wait);
    Catalogue& cat = held.Cat;
    try {
        ops::CheckEntryIndex(cat, *index);
    } catch (const ops::ENoSuchEntry& e) {
        throw std::runtime_error("no entry " + std::to_string(e.Index) + ": the archive has " + std::to_string(e.Count) +
                                 " entries");
    }
    const TArchiveEntry e = cat.Entries[*index];
    TFile file = TFile::OpenReadOnly(cat.ArchivePath);
    return {std::move(file), EntryBytePos(cat.ArchiveKind, e), EntryByteLen(cat.ArchiveKind, e), std::string(EntryName(e)),
            index, std::move(cat), std::move(held.Lock)};
}

TEntryBytes ReadSourceBytes(TCliSource& source) { return ReadBytesAt(source.File, source.EntryPos, source.EntryLen); }

void RequireFormat(const TCliSource& source, korvane::TFormatKind kind, korvane::TByteSpan bytes)
{
    const TFormat& format = FormatOf(kind);
    if (format.Starts(bytes)) return;
    const std::string what(format.Name);
    if (!source.Index) throw ECliFileError(source.File.Path(), "the file holds no " + what);
    throw ECliFileError(source.File.Path(), "entry " + std::to_string(*source.Index) + " (" + Cp1251ToUtf8(source.Name) +
                                                ") holds no " + what);
}

std::optional<uint32_t> ParseEntryIndex(const std::string& text)
{
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + uint64_t(c - '0');
    }
    if (v > UINT32_MAX) return std::nullopt;
    return uint32_t(v);
}
