#include "listview/RowOrder.h"

#include <algorithm>
#include <numeric>

namespace korvane {

namespace {

void DropRow(tDWORDArray& order, uint32_t index)
{
    auto at = std::find(order.begin(), order.end(), index);
    if (at != order.end())
        order.erase(at);
    else if (!order.empty())
        order.pop_back();
    for (uint32_t& i : order)
        if (i > index) --i;
}

}  // namespace

TRowOrder OpenedRowOrder(size_t entries)
{
    TRowOrder rows;
    rows.RowOrder.resize(entries);
    std::iota(rows.RowOrder.begin(), rows.RowOrder.end(), 0u);
    return rows;
}

void FollowChanges(TRowOrder& rows, const TEntryChanges& changes, size_t from)
{
    for (size_t k = from; k < changes.Steps.size(); ++k) {
        const TEntryChange& step = changes.Steps[k];
        switch (step.Kind) {
        case TEntryChange::ecAdded:
            rows.RowOrder.push_back(step.To);
            break;
        case TEntryChange::ecRemoved:
            DropRow(rows.RowOrder, step.From);
            break;
        case TEntryChange::ecMoved:
            DropRow(rows.RowOrder, step.From);
            rows.RowOrder.push_back(step.To);
            break;
        case TEntryChange::ecChanged:
            break;  // same slot, same row
        }
    }
}

}  // namespace korvane
