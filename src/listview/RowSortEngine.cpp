// The quicksort engine under the list's column sort: the exact partitions
// the list has always made, without their deep recursion, and with the key
// tree for ranges whose partitions keep coming out lopsided.
#include "listview/RowSort.h"

#include "listview/RowSortTree.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <utility>
#include <vector>

namespace korvane {

namespace {

using namespace rowsort;

// Ranges up to this size are first tried with an insertion sort.
constexpr Index kInsertionRange = 16;
// Ranges up to this size are cheap enough to partition by plain scanning even
// when the partitions are as lopsided as they get.
constexpr Index kSmallRange = 32;

// One partition of a[lo..hi] (hi > lo), as the list has always done it: the
// last row is the pivot, both scans stop on keys equal to it, each scan also
// stops next to where the other one stands, and an exchange made after the
// scans have met is taken back. Those details decide where equal keys end up,
// so they are kept exactly. The scans stay inside lo..hi: every row below i
// holds a key <= pivot and stops a j that runs past i, and the pivot stops i.
Index PartitionRows(Row* a, Index lo, Index hi)
{
    const uint32_t pivot = KeyOf(a[hi]);
    Index i = lo - 1;
    Index j = hi;
    for (;;) {
        --j;
        while (KeyOf(a[j]) > pivot && j != i + 1) --j;
        ++i;
        while (KeyOf(a[i]) < pivot && i != j - 1) ++i;
        // Once the scans have met, the exchange would only be undone.
        if (j <= i) break;
        std::swap(a[i], a[j]);
    }
    std::swap(a[i], a[hi]);
    return i;
}

// When the keys of a range are distinct the quicksort can only end in the
// ascending order, so a small range is insertion-sorted on the side. Returns
// false, leaving the range untouched, as soon as two keys turn out equal.
bool SortSmallDistinct(Row* a, Index lo, Index hi)
{
    Row buf[kInsertionRange];
    const Index m = hi - lo + 1;
    assert(m <= kInsertionRange);
    for (Index k = 0; k < m; ++k) {
        const Row x = a[lo + k];
        const uint32_t key = KeyOf(x);
        Index q = k;
        while (q > 0 && KeyOf(buf[q - 1]) > key) {
            buf[q] = buf[q - 1];
            --q;
        }
        if (q > 0 && KeyOf(buf[q - 1]) == key) return false;
        buf[q] = x;
    }
    std::copy(buf, buf + m, a + lo);
    return true;
}

// The quicksort on a range small enough that recursion depth is no concern.
void SortSmallRange(Row* a, Index lo, Index hi)
{
    while (hi > lo) {
        if (hi - lo < kInsertionRange && SortSmallDistinct(a, lo, hi)) return;
        const Index p = PartitionRows(a, lo, hi);
        SortSmallRange(a, lo, p - 1);
        lo = p + 1;
    }
}

// How far a scan of a tree-assisted partition steps on its own before asking
// the tree: most scans stop within a few rows, and reading those is cheaper
// than a walk through the tree.
constexpr Index kProbe = 8;

// The same partition as above, with long scans answered by the tree: the cost
// is a few tree walks per exchange rather than one step per row passed. The
// tree is not updated here: the scans that ask it only cover rows between i
// and j, which no exchange of this partition has touched yet. The positions
// whose keys changed are appended to moved instead.
Index PartitionRows(Row* a, Index lo, Index hi, const KeyTree& tree, std::vector<Index>& moved)
{
    const uint32_t pivot = KeyOf(a[hi]);
    const auto exchange = [&](Index x, Index y) {
        if (KeyOf(a[x]) != KeyOf(a[y])) {
            moved.push_back(x);
            moved.push_back(y);
        }
        std::swap(a[x], a[y]);
    };
    Index i = lo - 1;
    Index j = hi;
    for (;;) {
        // j: the last row below j with a key <= pivot, stopping at i + 1.
        if (j - 1 > i) {
            const Index floor = std::max(i + 1, j - kProbe);
            --j;
            while (KeyOf(a[j]) > pivot && j > floor) --j;
            if (KeyOf(a[j]) > pivot && j > i + 1) {
                const Index q = tree.LastAtMost(i + 1, j - 1, pivot);
                j = q != kNone ? q : i + 1;
            }
        } else {
            // j is just above i after an exchange; the row that exchange put
            // at i holds a key <= pivot and stops the scan at once.
            j = i;
            assert(KeyOf(a[j]) <= pivot);
        }
        // i: the first row above i with a key >= pivot, stopping at j - 1.
        if (i + 1 < j) {
            const Index probeEnd = std::min(j - 1, i + kProbe);
            ++i;
            while (KeyOf(a[i]) < pivot && i < probeEnd) ++i;
            if (KeyOf(a[i]) < pivot && i < j - 1) {
                const Index q = tree.FirstAtLeast(i + 1, j - 1, pivot);
                i = q != kNone ? q : j - 1;
            }
        } else {
            // Starting at or past j - 1 nothing stops i but a key >= pivot;
            // the rows just past j, exchanged or passed over by j, hold such
            // keys (and so does the pivot), so this walk is short.
            ++i;
            while (KeyOf(a[i]) < pivot) ++i;
        }
        if (j <= i) break;
        exchange(i, j);
    }
    exchange(i, hi);
    return i;
}

// Lopsided partitions are what makes the quicksort slow: one whose smaller
// side holds less than an eighth of the rows counts as one.
bool Lopsided(Index lo, Index hi, Index p)
{
    return std::min(p - lo, hi - p) < (hi - lo + 1) / 8;
}

void QuickSortRows(Row* a, Index lo, Index hi, int lopsidedLimit);

// The quicksort of lo..hi with tree-assisted partitions for as long as they
// come out lopsided. A range split evenly goes back to plain partitions, which
// are faster there, and small ranges are finished by plain scanning too. The
// tree is only told about rows that moved inside ranges it will search again;
// everywhere else it may keep stale blocks, which its searches allow for.
void SortWithTree(Row* a, Index lo, Index hi, int lopsidedLimit)
{
    KeyTree tree(a, lo, hi);
    std::vector<Index> moved;
    std::vector<std::pair<Index, Index>> pending{{lo, hi}};
    const auto usesTree = [](Index l, Index h) { return h - l >= kSmallRange; };
    while (!pending.empty()) {
        auto [l, h] = pending.back();
        pending.pop_back();
        while (h > l) {
            if (!usesTree(l, h)) {
                SortSmallRange(a, l, h);
                break;
            }
            moved.clear();
            const Index p = PartitionRows(a, l, h, tree, moved);
            if (!Lopsided(l, h, p)) {
                QuickSortRows(a, l, p - 1, lopsidedLimit);
                QuickSortRows(a, p + 1, h, lopsidedLimit);
                break;
            }
            const bool leftTree = usesTree(l, p - 1);
            const bool rightTree = usesTree(p + 1, h);
            // Exchanges alternate between the i side and the j side, each
            // moving through its blocks in turn: remembering the last block
            // updated on either side skips most repeats.
            Index recent[2] = {kNone, kNone};
            for (const Index q : moved) {
                if (!((q < p && leftTree) || (q > p && rightTree))) continue;
                if ((recent[0] != kNone && tree.SameBlock(q, recent[0])) ||
                    (recent[1] != kNone && tree.SameBlock(q, recent[1])))
                    continue;
                tree.Update(q);
                recent[1] = recent[0];
                recent[0] = q;
            }
            // Carry on with the smaller side so that few ranges wait.
            if (p - l < h - p) {
                pending.emplace_back(p + 1, h);
                h = p - 1;
            } else {
                pending.emplace_back(l, p - 1);
                l = p + 1;
            }
        }
    }
}

// A range whose partitions keep coming out lopsided. With distinct keys any
// correct sort gives the quicksort's result; otherwise the exact partitions
// are replayed with the help of the tree.
void SortDegenerate(Row* a, Index lo, Index hi, int lopsidedLimit)
{
    const auto sameKey = [](Row x, Row y) { return KeyOf(x) == KeyOf(y); };
    // Neighbours with equal keys (keys in order with ties) settle it at once.
    if (std::adjacent_find(a + lo, a + hi + 1, sameKey) == a + hi + 1) {
        std::vector<Row> sorted(a + lo, a + hi + 1);
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end(), sameKey) == sorted.end()) {
            std::copy(sorted.begin(), sorted.end(), a + lo);
            return;
        }
    }
    SortWithTree(a, lo, hi, lopsidedLimit);
}

// The list's quicksort over a[lo..hi] with its recursion turned into a loop.
// The two sides of a partition never touch each other's rows, so the order in
// which they are done does not change the result. A range that has been
// through lopsidedLimit lopsided partitions is handed to SortDegenerate, much
// as an introsort gives up on quicksort.
void QuickSortRows(Row* a, Index lo, Index hi, int lopsidedLimit)
{
    struct Range {
        Index lo, hi;
        int lopsidedLeft;
    };
    std::vector<Range> pending{{lo, hi, lopsidedLimit}};
    while (!pending.empty()) {
        auto [l, h, left] = pending.back();
        pending.pop_back();
        while (h > l) {
            if (h - l < kInsertionRange && SortSmallDistinct(a, l, h)) break;
            if (left <= 0 && h - l >= kSmallRange) {
                SortDegenerate(a, l, h, lopsidedLimit);
                break;
            }
            const Index p = PartitionRows(a, l, h);
            if (Lopsided(l, h, p)) --left;
            if (p - l < h - p) {
                pending.push_back({p + 1, h, left});
                h = p - 1;
            } else {
                pending.push_back({l, p - 1, left});
                l = p + 1;
            }
        }
    }
}

}  // namespace

void SortKeyedRows(uint64_t* rows, size_t n, int lopsidedLimit)
{
    if (n < 2) return;
    // Keys already strictly ascending or descending are common (an archive
    // stored in address order, a list sorted before) and are the quicksort's
    // worst case; with distinct keys its result is simply the ascending order.
    const auto keyAtLeast = [](Row x, Row y) { return KeyOf(x) >= KeyOf(y); };
    const auto keyAtMost = [](Row x, Row y) { return KeyOf(x) <= KeyOf(y); };
    if (std::adjacent_find(rows, rows + n, keyAtLeast) == rows + n) return;
    if (std::adjacent_find(rows, rows + n, keyAtMost) == rows + n) {
        std::reverse(rows, rows + n);
        return;
    }
    // Random keys rarely give a range more lopsided partitions than this;
    // rows in or near key order give one at nearly every level.
    const int limit = lopsidedLimit >= 0 ? lopsidedLimit : int(std::bit_width(n)) / 2;
    QuickSortRows(rows, 0, Index(n - 1), limit);
}

}  // namespace korvane
