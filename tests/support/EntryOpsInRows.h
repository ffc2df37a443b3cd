// The entry operations (with their checks) as the window runs them over a list of `rows` rows:
// the row order and the row count follow what each one did, also when it
// fails half-way.
#pragma once

#include <cstdint>
#include <string>

#include "archive/ArchiveOpen.h"
#include "archive/EntryOps.h"
#include "listview/ShownRows.h"
#include "ops/ArchiveOps.h"
#include "support/ListedCatalogue.h"

namespace korvane {

// Runs `op` on the listed catalogue lent to a TLockedCatalogue, and gives it
// back however `op` ends. Each test works alone on its archive, so the loan
// holds no lock: a fault injected at a step then meets the operation's own
// steps only.
template <class TOp>
decltype(auto) OnLoan(TListedCatalogue& cat, TOp&& op)
{
    struct TGiveBack {
        TListedCatalogue& to;
        ops::TLockedCatalogue& from;
        ~TGiveBack() { static_cast<Catalogue&>(to) = std::move(from.Cat); }
    };
    ops::TLockedCatalogue locked{TArchiveLock(), std::move(static_cast<Catalogue&>(cat))};
    const TGiveBack back{cat, locked};
    return op(locked);
}

inline uint32_t AddFileEntry(TListedCatalogue& cat, uint32_t& rows, const std::string& path)
{
    return OnLoan(cat, [&](ops::TLockedCatalogue& locked) {
        TShownRows shown(locked.Cat, cat, rows);
        return ops::Add(locked, path, shown.Changes());
    });
}

inline void RemoveEntry(TListedCatalogue& cat, uint32_t& rows, uint32_t index)
{
    OnLoan(cat, [&](ops::TLockedCatalogue& locked) {
        TShownRows shown(locked.Cat, cat, rows);
        ops::Delete(locked, {index}, shown.Changes());
    });
}

inline TReplaceResult ReplaceEntry(TListedCatalogue& cat, uint32_t& rows, uint32_t index, const std::string& path)
{
    return OnLoan(cat, [&](ops::TLockedCatalogue& locked) {
        TShownRows shown(locked.Cat, cat, rows);
        return ops::Replace(locked, index, path, shown.Changes());
    });
}

// One change of the archive layer, committed: `op` stages it in `change`.
template <class TOp>
void Committed(Catalogue& cat, TOp&& op)
{
    TArchiveChange change(cat);
    op(change);
    TEntryChanges changes;
    change.Commit(changes);
}

inline void RenameEntry(Catalogue& cat, uint32_t index, std::string_view name)
{
    Committed(cat, [&](TArchiveChange& change) { RenameEntry(change, index, name); });
}

}  // namespace korvane
