#include "listview/ShownRows.h"

#include <algorithm>

namespace korvane {

TShownRows::TShownRows(const Catalogue& cat, TRowOrder& order, uint32_t& rows) : cat_(cat), order_(order), rows_(rows)
{
    order_.RowOrder.resize(std::min<size_t>(rows, order_.RowOrder.size()));
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

uint32_t TShownRows::Rows()
{
    FollowChanges(order_, changes_, followed_);
    followed_ = changes_.Steps.size();
    return uint32_t(order_.RowOrder.size());
}

void TShownRows::Finish()
{
    if (finished_) return;
    finished_ = true;
    try {
        rows_ = Rows();
    } catch (...) {
        rows_ = uint32_t(order_.RowOrder.size());
        throw;
    }
    order_.RowOrder.resize(cat_.Entries.size());
}

}  // namespace korvane
