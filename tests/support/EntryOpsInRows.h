// The entry operations (with their checks) as the window runs them over a list of `rows` rows:
// the row order and the row count follow what each one did, also when it
// fails half-way.
#pragma once

#include <cstdint>
#include <string>

#include "archive/ArchiveOpen.h"
#include "archive/EntryOps.h"
#include "ops/ArchiveOps.h"
#include "support/ListedCatalogue.h"
#include "listview/ShownRows.h"

namespace korvane {

inline uint32_t AddFileEntry(TListedCatalogue& cat, uint32_t& rows, const std::string& path)
{
    TShownRows shown(cat, cat, rows);
    return ops::Add(cat, path, shown.Changes());
}

inline void RemoveEntry(TListedCatalogue& cat, uint32_t& rows, uint32_t index)
{
    TShownRows shown(cat, cat, rows);
    ops::Delete(cat, {index}, shown.Changes());
}

inline TReplaceResult ReplaceEntry(TListedCatalogue& cat, uint32_t& rows, uint32_t index, const std::string& path)
{
    TShownRows shown(cat, cat, rows);
    return ops::Replace(cat, index, path, shown.Changes());
}

}  // namespace korvane
