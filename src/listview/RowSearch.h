// The search commands' walks over the list rows and the catalogue, shared by
// the window and korvane-cli.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/Catalogue.h"
#include "listview/RowOrder.h"
#include "listview/SearchMask.h"

namespace korvane {

// Find next: the first of rows from .. rowCount-1 whose entry's name
// matches, or -1. Tests no name (and so reports no malformed mask) when from
// is past the last row.
int64_t FindNextRow(const Catalogue& cat, const TRowOrder& rows, uint32_t rowCount, uint32_t from, const TNameMatcher& matcher);

// Find all: every row of 0 .. rowCount-1 whose entry's name matches, in list order.
std::vector<uint32_t> FindAllRows(const Catalogue& cat, const TRowOrder& rows, uint32_t rowCount, const TNameMatcher& matcher);

// The filter switched on: RowOrder[0 .. k-1] become the indices of the
// matching entries in catalogue order; returns k, the new row count. The
// slots after k keep what they held. Nothing is written before the first
// name has been tested, so a malformed mask leaves RowOrder as it was.
uint32_t FilterRows(const Catalogue& cat, TRowOrder& rows, const TNameMatcher& matcher);

// The filter switched off: one row per entry in catalogue order; returns the row count.
uint32_t ShowAllRows(const Catalogue& cat, TRowOrder& rows);

}  // namespace korvane
