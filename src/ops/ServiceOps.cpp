#include "ops/ServiceOps.h"

#include "listview/RowSearch.h"
#include "listview/RowSort.h"
#include "ops/OpErrors.h"

namespace korvane::ops {

TListing List(const Catalogue& cat, const std::optional<TSearchMask>& filter, const std::vector<int>& sorts)
{
    TListing l;
    l.Order = OpenedRowOrder(cat.Entries.size());
    l.Rows = uint32_t(cat.Entries.size());
    if (filter) l.Rows = FilterRows(cat, l.Order, TNameMatcher(*filter));
    for (int col : sorts)
        if (SortByColumn(cat, l.Order, l.Rows, col) == TSortOutcome::soSorted) l.Marked = col;
    return l;
}

void CheckServiceKind(TArchiveKind kind)
{
    if (!IsSectorKind(kind)) throw ENoServiceCommands();
}

void Repack(TLockedCatalogue& locked, const TRepackProgress& progress)
{
    Catalogue& cat = locked.Cat;
    CheckServiceKind(cat.ArchiveKind);
    const std::vector<uint32_t> offsets = RepackArchive(cat, progress);
    for (size_t i = 0; i < offsets.size(); ++i) cat.Entries[i].Offset = offsets[i];
}

TCheckResult Check(const Catalogue& cat)
{
    CheckServiceKind(cat.ArchiveKind);
    return QuickCheck(cat.Entries);
}

}  // namespace korvane::ops
