#include "listview/RowSort.h"

#include "listview/RowSortTree.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <functional>
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

void WriteBack(uint32_t* rows, const std::vector<Row>& keyed)
{
    for (size_t r = 0; r < keyed.size(); ++r) rows[r] = EntryOf(keyed[r]);
}

void SortByNumber(uint32_t* rows, size_t n)
{
    // The key is the entry index itself: rows with equal keys (which the
    // catalogue never has anyway) could not be told apart, so any ascending
    // order is the quicksort's.
    if (std::is_sorted(rows, rows + n)) return;
    if (std::is_sorted(rows, rows + n, std::greater<uint32_t>())) {
        std::reverse(rows, rows + n);
        return;
    }
    std::sort(rows, rows + n);
}

constexpr size_t kNameLen = sizeof(TArchiveEntry::Name);

// Eight bytes of a name from position at on, as a number that orders like
// the bytes; past the end of the field it counts zeros, the same for every
// name.
uint64_t NameChunk(const unsigned char* name, size_t at)
{
    uint64_t v = 0;
    for (size_t k = at; k < at + 8; ++k) v = (v << 8) | (k < kNameLen ? name[k] : 0);
    return v;
}

void SortByName(const TArchiveEntry* entries, uint32_t* rows, size_t n)
{
    const auto name = [&](size_t r) { return reinterpret_cast<const unsigned char*>(entries[rows[r]].Name); };

    // Names are compared as whole fields, bytes after the terminating zero
    // included, exactly like the list has always compared them.
    bool ascending = true, descending = true;
    for (size_t r = 1; r < n && (ascending || descending); ++r) {
        const int c = std::memcmp(name(r - 1), name(r), kNameLen);
        ascending = ascending && c < 0;
        descending = descending && c > 0;
    }
    if (ascending) return;
    if (descending) {
        std::reverse(rows, rows + n);
        return;
    }

    // Put the rows in name order eight bytes at a time: sort a run of rows by
    // one chunk, then go on only within the runs that agree so far. Bytes that
    // a whole run shares are skipped first (names in one archive often share
    // long prefixes); a run that agrees to the end of the field is a set of
    // equal names.
    struct NameKey {
        uint64_t chunk;
        uint32_t row;
    };
    struct Run {
        size_t begin, end, at;  // keys[begin..end) agree on the bytes before at
    };
    std::vector<NameKey> keys(n);
    for (size_t r = 0; r < n; ++r) keys[r] = NameKey{0, uint32_t(r)};
    std::vector<uint8_t> groupStart(n, 0);
    size_t groups = 0;
    std::vector<Run> pending{{0, n, 0}};
    while (!pending.empty()) {
        const Run run = pending.back();
        pending.pop_back();
        NameKey* const first = keys.data() + run.begin;
        NameKey* const last = keys.data() + run.end;
        if (last - first == 1) {
            groupStart[run.begin] = 1;
            ++groups;
            continue;
        }

        // How far the whole run agrees.
        size_t agreed = kNameLen;
        const unsigned char* const f = name(first->row);
        for (NameKey* k = first + 1; k != last && agreed > run.at; ++k) {
            const unsigned char* const g = name(k->row);
            if (std::memcmp(f + run.at, g + run.at, agreed - run.at) == 0) continue;
            size_t q = run.at;
            while (f[q] == g[q]) ++q;
            agreed = q;
        }
        if (agreed == kNameLen) {
            groupStart[run.begin] = 1;
            ++groups;
            continue;
        }

        for (NameKey* k = first; k != last; ++k) k->chunk = NameChunk(name(k->row), agreed);
        std::sort(first, last, [](const NameKey& x, const NameKey& y) { return x.chunk < y.chunk; });
        for (NameKey* b = first; b != last;) {
            NameKey* e = b + 1;
            while (e != last && e->chunk == b->chunk) ++e;
            pending.push_back({size_t(b - keys.data()), size_t(e - keys.data()), agreed + 8});
            b = e;
        }
    }

    if (groups == n) {
        // Distinct names have only one ascending order: the one just found.
        std::vector<uint32_t> sorted(n);
        for (size_t k = 0; k < n; ++k) sorted[k] = rows[keys[k].row];
        std::copy(sorted.begin(), sorted.end(), rows);
        return;
    }
    // Equal names share a rank; the quicksort then decides where each goes.
    std::vector<Row> keyed(n);
    uint32_t rank = 0;
    for (size_t k = 0; k < n; ++k) {
        if (k > 0 && groupStart[k]) ++rank;
        keyed[keys[k].row] = MakeRow(rank, rows[keys[k].row]);
    }
    SortKeyedRows(keyed.data(), n);
    WriteBack(rows, keyed);
}

template <uint32_t TArchiveEntry::*Field>
void SortByField(const TArchiveEntry* entries, uint32_t* rows, size_t n)
{
    std::vector<Row> keyed(n);
    for (size_t r = 0; r < n; ++r) keyed[r] = MakeRow(entries[rows[r]].*Field, rows[r]);
    SortKeyedRows(keyed.data(), n);
    WriteBack(rows, keyed);
}

int Sign(int c) { return (c > 0) - (c < 0); }
int CompareUnsigned(uint32_t x, uint32_t y) { return x < y ? -1 : x > y ? 1 : 0; }

}  // namespace

int CompareRows(const Catalogue& cat, uint32_t a, uint32_t b, int col)
{
    const uint32_t ea = cat.RowOrder[a];
    const uint32_t eb = cat.RowOrder[b];
    switch (col) {
    case 0:
        return CompareUnsigned(ea, eb);
    case 1:
        // memcmp compares as unsigned char: code order, case-sensitive.
        return Sign(std::memcmp(cat.Entries[ea].Name, cat.Entries[eb].Name, kNameLen));
    case 2:
        return CompareUnsigned(cat.Entries[ea].Offset, cat.Entries[eb].Offset);
    case 3:
        return CompareUnsigned(cat.Entries[ea].Size, cat.Entries[eb].Size);
    default:
        return 0;
    }
}

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

TSortOutcome SortByColumn(Catalogue& cat, uint32_t rowCount, int col)
{
    // An empty archive, or a search filter that shows no rows: the click
    // changes nothing, not even the sort column or its caption mark.
    if (cat.Entries.empty() || rowCount == 0) return TSortOutcome::soNothing;
    if (col < 0 || col > 3) return TSortOutcome::soNothing;
    const size_t n = std::min<size_t>(rowCount, cat.RowOrder.size());
    uint32_t* rows = cat.RowOrder.data();

    if (col == cat.SortColumn) {
        std::reverse(rows, rows + n);
        return TSortOutcome::soReversed;
    }

    switch (col) {
    case 0:
        SortByNumber(rows, n);
        break;
    case 1:
        SortByName(cat.Entries.data(), rows, n);
        break;
    case 2:
        SortByField<&TArchiveEntry::Offset>(cat.Entries.data(), rows, n);
        break;
    case 3:
        SortByField<&TArchiveEntry::Size>(cat.Entries.data(), rows, n);
        break;
    }
    cat.SortColumn = col;
    return TSortOutcome::soSorted;
}

}  // namespace korvane
