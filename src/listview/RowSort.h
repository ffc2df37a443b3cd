// Sorting the rows of the entry list by a column.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/Catalogue.h"
#include "listview/RowOrder.h"

namespace korvane {

enum class TSortOutcome { soNothing, soReversed, soSorted };

// Compares the rows at positions a and b of RowOrder by column col:
// -1, 0 or 1.
int CompareRows(const Catalogue& cat, const TRowOrder& rows, uint32_t a, uint32_t b, int col);

// One click on the header of column col (0..3) for the first rowCount rows
// of rows.RowOrder: sorts ascending (and sets SortColumn) or, when col is
// already the sort column, reverses the rows. Does nothing for an empty
// catalogue. The caller updates the column captions when soSorted comes back.
// A column outside 0..3 changes nothing and gives soNothing; rowCount is
// clamped to the length of RowOrder.
TSortOutcome SortByColumn(const Catalogue& cat, TRowOrder& rows, uint32_t rowCount, int col);

// The engine under SortByColumn, on rows already reduced to numbers: each
// element holds a row's key in its high 32 bits and its entry index in the
// low 32 bits. Puts them in exactly the order the list's quicksort gives,
// equal keys included, without its deep recursion and quadratic time.
// lopsidedLimit is how many badly split partitions a range may go through
// before it is handed to the path for degenerate inputs; a negative value
// picks the default (about log2(n) / 2). The tests pass 0 to drive that path
// on small inputs.
void SortKeyedRows(uint64_t* rows, size_t n, int lopsidedLimit = -1);

}  // namespace korvane
