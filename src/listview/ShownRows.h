// The list's rows around an entry operation. The list shows RowOrder[0 ..
// rows-1]; with the search filter on, the slots after them mean nothing. An
// entry operation appends a new entry's slot to RowOrder and takes a removed
// entry's slot out of it. While one runs, the slots past the rows are set
// aside, so that a new entry becomes the row after the last one shown and a
// removed entry's row goes from among them; however the operation ends, the
// row count then follows what it did to the catalogue.
#pragma once

#include <cstdint>

#include "archive/Catalogue.h"

namespace korvane {

class TShownRows {
public:
    // `rows` is the list's row count; it is brought up to date by Finish.
    TShownRows(Catalogue& cat, uint32_t& rows);
    ~TShownRows();
    TShownRows(const TShownRows&) = delete;
    TShownRows& operator=(const TShownRows&) = delete;

    // The rows so far, while the operation runs.
    uint32_t Rows() const { return uint32_t(cat_.RowOrder.size()); }
    // Sets the row count, then gives RowOrder back a slot per entry (which
    // may allocate); only the first call counts.
    void Finish();

private:
    Catalogue& cat_;
    uint32_t& rows_;
    bool finished_ = false;
};

}  // namespace korvane
