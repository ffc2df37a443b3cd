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

namespace {

// `fileMessage` after a loose file's name; after an archive's, the entry
// ("entry 20 (x.dff)") and then `entryTail`.
[[noreturn]] void RaiseAboutSource(const TCliSource& source, const std::string& entryTail,
                                   const std::string& fileMessage)
{
    if (!source.Index) throw ECliFileError(source.File.Path(), fileMessage);
    throw ECliFileError(source.File.Path(), "entry " + std::to_string(*source.Index) + " (" + Cp1251ToUtf8(source.Name) +
                                                ")" + entryTail);
}

}  // namespace

void RequireFormat(const TCliSource& source, korvane::TFormatKind kind, korvane::TByteSpan bytes)
{
    const TFormat& format = FormatOf(kind);
    if (format.Starts(bytes)) return;
    const std::string what(format.Name);
    RaiseAboutSource(source, " holds no " + what, "the file holds no " + what);
}

void RaiseDamaged(const TCliSource& source, std::string message)
{
    // After the name the sentence goes on: "/home/u/a.col: the collision model ...".
    if (!message.empty() && message[0] >= 'A' && message[0] <= 'Z') message[0] = char(message[0] - 'A' + 'a');
    RaiseAboutSource(source, ": " + message, message);
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
