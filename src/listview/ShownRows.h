// The list's rows around entry operations. The list shows RowOrder[0 ..
// rows-1]; with the search filter on, the slots after them mean nothing.
// While operations run, the slots past the rows are set aside, so that a new
// entry becomes the row after the last one shown and a removed entry's row
// goes from among them. The operations record what they did in Changes();
// the rows follow it, and however the operations end, the row count then
// follows what they did to the catalogue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/Catalogue.h"
#include "archive/EntryChanges.h"
#include "listview/RowOrder.h"

namespace korvane {

class TShownRows {
public:
    // `rows` is the list's row count; it is brought up to date by Finish.
    TShownRows(const Catalogue& cat, TRowOrder& order, uint32_t& rows);
    ~TShownRows();
    TShownRows(const TShownRows&) = delete;
    TShownRows& operator=(const TShownRows&) = delete;

    // Where the operations record what they change.
    TEntryChanges& Changes() { return changes_; }
    // The rows so far, after what the operations recorded.
    uint32_t Rows();
    // Sets the row count, then gives RowOrder back a slot per entry (which
    // may allocate); only the first call counts.
    void Finish();

private:
    const Catalogue& cat_;
    TRowOrder& order_;
    uint32_t& rows_;
    TEntryChanges changes_;
    size_t followed_ = 0;  // steps of changes_ the rows have followed
    bool finished_ = false;
};

}  // namespace korvane
