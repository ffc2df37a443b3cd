#include "listview/ShownRows.h"

#include <algorithm>

namespace korvane {

TShownRows::TShownRows(Catalogue& cat, uint32_t& rows) : cat_(cat), rows_(rows)
{
    cat_.RowOrder.resize(std::min<size_t>(rows, cat_.RowOrder.size()));
}

TShownRows::~TShownRows()
{
    try {
        Finish();
    } catch (...) {
        // Out of memory for the slots past the rows: the row count is right,
        // and nothing reads those slots.
    }
}

void TShownRows::Finish()
{
    if (finished_) return;
    finished_ = true;
    rows_ = Rows();
    cat_.RowOrder.resize(cat_.Entries.size());
}

}  // namespace korvane
