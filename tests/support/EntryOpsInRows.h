// The entry operations as the window runs them over a list of `rows` rows:
// the row count follows what each one did, also when it fails half-way.
#pragma once

#include <cstdint>
#include <string>

#include "archive/EntryOps.h"
#include "listview/ShownRows.h"

namespace korvane {

inline uint32_t AddFileEntry(Catalogue& cat, uint32_t& rows, const std::string& path)
{
    TShownRows shown(cat, rows);
    return AddFileEntry(cat, path);
}

inline void RemoveEntry(Catalogue& cat, uint32_t& rows, uint32_t index)
{
    TShownRows shown(cat, rows);
    RemoveEntry(cat, index);
}

inline TReplaceResult ReplaceEntry(Catalogue& cat, uint32_t& rows, uint32_t index, const std::string& path)
{
    TShownRows shown(cat, rows);
    return ReplaceEntry(cat, index, path);
}

}  // namespace korvane
