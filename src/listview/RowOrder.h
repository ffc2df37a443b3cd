// The order of the entry list's rows: which entry each row shows, and the
// column last sorted by. The window owns it; the catalogue knows nothing of it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/Catalogue.h"
#include "archive/EntryChanges.h"

namespace korvane {

struct TRowOrder { tDWORDArray RowOrder; int32_t SortColumn = -1; };

// One row per entry in catalogue order, nothing sorted: the rows of an
// archive just opened.
TRowOrder OpenedRowOrder(size_t entries);

// The rows follow what entry operations did: a new entry becomes the last
// row, whatever the sort; a removed entry's row goes (or the last row, when
// none shows it) and the indices after it move down one; an entry that left
// its slot for the last one loses its row and becomes the last row. An entry
// changed in place keeps its row.
void FollowChanges(TRowOrder& rows, const TEntryChanges& changes, size_t from = 0);

}  // namespace korvane
