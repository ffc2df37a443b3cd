#include "cli/CliSource.h"

#include "archive/ArchiveOpen.h"
#include "archive/FileIO.h"
#include "archive/NameCodec.h"

using namespace korvane;

TCliSource ResolveCliSource(const std::string& source, const std::optional<std::string>& index)
{
    if (!index) {
        // Raises "File not found" and the like now rather than half-way.
        TFile::OpenReadOnly(source);
        return {source, 0, source};
    }
    const std::string& text = *index;
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        throw ECliSourceUsage("INDEX must be an entry number, not '" + text + "'");
    const uint64_t n = std::stoull(text);
    const TArchiveLocation where = LocateArchive(source);
    const TRecArray entries = ReadDirectory(where);
    if (n >= entries.size())
        throw std::runtime_error("no entry " + text + " in the archive (" + std::to_string(entries.size()) +
                                 " entries)");
    const TArchiveEntry& e = entries[size_t(n)];
    return {where.ArchivePath, EntryBytePos(where.Kind, e), Cp1251ToUtf8(EntryName(e))};
}
