#include "ops/ArchiveOps.h"

#include <algorithm>

#include "ops/OpErrors.h"
#include "ops/Writability.h"

namespace korvane::ops {

namespace {

// Every check a change of entry `index` makes, in order.
void CheckChange(const Catalogue& cat, uint32_t index)
{
    CheckEntryIndex(cat, index);
    CheckChangeableKind(cat);
    ProbeWritable(cat);
}

}  // namespace

Catalogue OpenForReading(const std::string& path) { return OpenCatalogue(path); }
Catalogue OpenForReading(const TArchiveLocation& where) { return OpenCatalogue(where); }
Catalogue OpenForChanging(const std::string& path) { return OpenCatalogue(path); }

void CheckEntryIndex(const Catalogue& cat, uint32_t index)
{
    if (index >= cat.Entries.size()) throw ENoSuchEntry(index, cat.Entries.size());
}

void CheckEntryIndices(const Catalogue& cat, const std::vector<uint32_t>& indices)
{
    for (uint32_t index : indices) CheckEntryIndex(cat, index);
}

void Extract(const Catalogue& cat, uint32_t index, const std::string& path)
{
    CheckEntryIndex(cat, index);
    ExtractEntry(cat, index, path);
}

void ExtractInto(const Catalogue& cat, const std::vector<uint32_t>& indices, const std::string& folder)
{
    CheckEntryIndices(cat, indices);
    ExtractEntriesInto(cat, indices, folder);
}

std::string ExtractForOpen(const Catalogue& cat, uint32_t index, const std::string& tempDir)
{
    CheckEntryIndex(cat, index);
    return ExtractEntryForOpen(cat, index, tempDir);
}

uint32_t Add(Catalogue& cat, const std::string& file, TEntryChanges& changes)
{
    CheckChangeableKind(cat);
    // Before the data, which would otherwise be appended for nothing.
    CheckRoomForEntry(cat);
    ProbeWritable(cat);
    return AddFileEntry(cat, file, changes);
}

TReplaceResult Replace(Catalogue& cat, uint32_t index, const std::string& file, TEntryChanges& changes)
{
    CheckChange(cat, index);
    return ReplaceEntry(cat, index, file, changes);
}

void Delete(Catalogue& cat, std::vector<uint32_t> indices, TEntryChanges& changes)
{
    CheckEntryIndices(cat, indices);
    if (indices.empty()) return;
    CheckChangeableKind(cat);
    ProbeWritable(cat);
    // From the highest index down, so the indices still to go stay valid.
    std::sort(indices.rbegin(), indices.rend());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (uint32_t index : indices) RemoveEntry(cat, index, changes);
}

void Rename(Catalogue& cat, uint32_t index, std::string_view name, TEntryChanges& changes)
{
    CheckChange(cat, index);
    RenameEntry(cat, index, name);
    changes.Add(TEntryChange::Changed(index));
}

}  // namespace korvane::ops
