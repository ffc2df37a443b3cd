// The rows following what the entry operations did, worked out by hand.
#include <gtest/gtest.h>

#include "listview/RowOrder.h"

using namespace korvane;

namespace {

using C = TEntryChange;

struct TCase {
    const char* what;
    tDWORDArray before;
    std::vector<TEntryChange> steps;
    tDWORDArray after;
};

}  // namespace

TEST(RowOrder, FollowsAddedRemovedMovedAndChangedEntries)
{
    const TCase cases[] = {
        {"a new entry is the last row, whatever the sort", {3, 1, 4, 0, 2}, {C::Added(5)}, {3, 1, 4, 0, 2, 5}},
        {"a removed entry's row goes, later indices move down", {3, 1, 4, 0, 2, 5}, {C::Removed(1)}, {2, 3, 0, 1, 4}},
        {"no row shows it: the last row goes", {1, 3}, {C::Removed(0)}, {0}},
        {"removing the only row", {0}, {C::Removed(0)}, {}},
        {"no rows at all", {}, {C::Removed(0)}, {}},
        {"a moved entry loses its row and becomes the last", {2, 1, 0}, {C::Moved(1, 2)}, {1, 0, 2}},
        {"moving the last entry", {2, 1, 0}, {C::Moved(2, 2)}, {1, 0, 2}},
        {"changed in place keeps its row", {2, 0, 1}, {C::Changed(0)}, {2, 0, 1}},
        {"highest first, as deleting several", {4, 0, 3, 1, 2}, {C::Removed(3), C::Removed(1)}, {2, 0, 1}},
        {"several added", {1, 0}, {C::Added(2), C::Added(3)}, {1, 0, 2, 3}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TRowOrder rows{c.before, 2};
        FollowChanges(rows, TEntryChanges{c.steps});
        EXPECT_EQ(rows.RowOrder, c.after);
        EXPECT_EQ(rows.SortColumn, 2);
    }
    // Only the steps from `from` on are followed.
    TRowOrder rows{{0, 1}, -1};
    FollowChanges(rows, TEntryChanges{{C::Added(2), C::Added(3)}}, 1);
    EXPECT_EQ(rows.RowOrder, tDWORDArray({0, 1, 3}));
    EXPECT_EQ(OpenedRowOrder(3).RowOrder, tDWORDArray({0, 1, 2}));
    EXPECT_EQ(OpenedRowOrder(3).SortColumn, -1);
}
