#include "listview/RowSort.h"

#include <gtest/gtest.h>

#include "support/ListedCatalogue.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvane {
namespace {

// The list's quicksort written out step by step, recursion and all. It is the
// reference the real sort is held to, ties included; it is quadratic and
// recurses once per row on keys already in order, so it only sees small inputs.
namespace reference {

// CompareRows, refusing positions outside the range being partitioned: the
// scans must never leave it.
int CompareInRange(const TListedCatalogue& cat, int64_t a, int64_t b, int64_t lo, int64_t hi, int col)
{
    if (a < lo || a > hi || b < lo || b > hi) throw std::logic_error("partition scan left its range");
    return CompareRows(cat, cat, uint32_t(a), uint32_t(b), col);
}

int64_t PartitionRows(TListedCatalogue& cat, int64_t lo, int64_t hi, int col)
{
    std::vector<uint32_t>& rows = cat.RowOrder;
    int64_t i = lo - 1;
    int64_t j = hi;
    for (;;) {
        j = j - 1;
        while (CompareInRange(cat, j, hi, lo, hi, col) > 0 && j != i + 1) j = j - 1;
        i = i + 1;
        while (CompareInRange(cat, i, hi, lo, hi, col) < 0 && i != j - 1) i = i + 1;
        std::swap(rows[i], rows[j]);
        if (j > i) continue;
        std::swap(rows[i], rows[j]);
        std::swap(rows[i], rows[hi]);
        return i;
    }
}

void QuickSortRows(TListedCatalogue& cat, int64_t lo, int64_t hi, int col)
{
    if (hi > lo) {
        const int64_t p = PartitionRows(cat, lo, hi, col);
        QuickSortRows(cat, lo, p - 1, col);
        QuickSortRows(cat, p + 1, hi, col);
    }
}

// RowOrder after a first click on column col with n rows shown.
std::vector<uint32_t> SortedRows(TListedCatalogue cat, uint32_t n, int col)
{
    QuickSortRows(cat, 0, int64_t(n) - 1, col);
    return cat.RowOrder;
}

}  // namespace reference

void SetName(TArchiveEntry& e, const std::string& bytes)
{
    ASSERT_LE(bytes.size(), sizeof e.Name);
    std::memset(e.Name, 0, sizeof e.Name);
    std::memcpy(e.Name, bytes.data(), bytes.size());
}

TArchiveEntry MakeEntry(uint32_t offset, uint32_t size, const std::string& name = {})
{
    TArchiveEntry e;
    std::memset(&e, 0, sizeof e);
    e.Offset = offset;
    e.Size = size;
    SetName(e, name);
    return e;
}

// A freshly opened catalogue: RowOrder is the identity, nothing sorted.
TListedCatalogue MakeCatalogue(TRecArray entries)
{
    TListedCatalogue cat;
    cat.Entries = std::move(entries);
    cat.RowOrder.resize(cat.Entries.size());
    std::iota(cat.RowOrder.begin(), cat.RowOrder.end(), 0u);
    return cat;
}

TListedCatalogue CatalogueOfSizes(const std::vector<uint32_t>& sizes)
{
    TRecArray entries;
    for (uint32_t s : sizes) entries.push_back(MakeEntry(0, s));
    return MakeCatalogue(std::move(entries));
}

// The key of a row compared independently of CompareRows.
bool KeyLess(const TListedCatalogue& cat, uint32_t ea, uint32_t eb, int col)
{
    const TArchiveEntry& a = cat.Entries[ea];
    const TArchiveEntry& b = cat.Entries[eb];
    switch (col) {
    case 0: return ea < eb;
    case 1:
        return std::lexicographical_compare(reinterpret_cast<const unsigned char*>(a.Name),
                                            reinterpret_cast<const unsigned char*>(a.Name) + 512,
                                            reinterpret_cast<const unsigned char*>(b.Name),
                                            reinterpret_cast<const unsigned char*>(b.Name) + 512);
    case 2: return a.Offset < b.Offset;
    default: return a.Size < b.Size;
    }
}

::testing::AssertionResult RowsInKeyOrder(const TListedCatalogue& cat, uint32_t n, int col)
{
    for (uint32_t r = 1; r < n; ++r)
        if (KeyLess(cat, cat.RowOrder[r], cat.RowOrder[r - 1], col))
            return ::testing::AssertionFailure() << "rows " << r - 1 << " and " << r << " out of order";
    return ::testing::AssertionSuccess();
}

// One click on a not yet sorted column, checked against the reference.
void ExpectSameAsReference(TListedCatalogue cat, uint32_t n, int col)
{
    SCOPED_TRACE("col " + std::to_string(col) + ", " + std::to_string(n) + " of " +
                 std::to_string(cat.Entries.size()) + " rows");
    const std::vector<uint32_t> expected = reference::SortedRows(cat, n, col);
    cat.SortColumn = -1;
    const bool empty = cat.Entries.empty() || n == 0;
    ASSERT_EQ(SortByColumn(cat, cat, n, col), empty ? TSortOutcome::soNothing : TSortOutcome::soSorted);
    EXPECT_EQ(cat.SortColumn, empty ? -1 : col);
    EXPECT_EQ(cat.RowOrder, expected);
}

// Keys from a small alphabet give plenty of ties.
TRecArray RandomEntries(std::mt19937& rng, size_t count, uint32_t alphabet)
{
    std::uniform_int_distribution<uint32_t> key(0, alphabet - 1);
    TRecArray entries;
    for (size_t k = 0; k < count; ++k) {
        TArchiveEntry e = MakeEntry(key(rng), key(rng));
        // Names from three letters, one of them above 0x7F (it sorts after
        // ASCII): short ones that repeat, and longer ones that often agree on
        // their first eight bytes. Some have bytes after the terminating zero,
        // which count.
        const uint32_t len = rng() % 2 ? key(rng) % 4 : 6 + rng() % 7;
        for (uint32_t c = 0; c < len; ++c) e.Name[c] = "aB\xE0"[(len > 3 ? rng() : key(rng)) % 3];
        if (key(rng) % 3 == 0) e.Name[len + 1 + key(rng) % 3] = char(1 + key(rng) % 2);
        if (key(rng) % 7 == 0) e.Name[511] = 'z';
        entries.push_back(e);
    }
    return entries;
}

TEST(CompareRows, ComparesTheColumnsKeyThroughRowOrder)
{
    TListedCatalogue cat = MakeCatalogue({MakeEntry(5, 0x80000000u, "b"), MakeEntry(5, 1, "a"), MakeEntry(0xFFFFFFFFu, 1, "b")});
    cat.RowOrder = {2, 0, 1};
    // Column 0 compares the entry indices in the rows, not the row numbers.
    EXPECT_EQ(CompareRows(cat, cat, 0, 1, 0), 1);
    EXPECT_EQ(CompareRows(cat, cat, 2, 1, 0), 1);
    EXPECT_EQ(CompareRows(cat, cat, 1, 1, 0), 0);
    EXPECT_EQ(CompareRows(cat, cat, 2, 0, 1), -1);
    EXPECT_EQ(CompareRows(cat, cat, 0, 1, 1), 0);
    // Offsets and sizes are unsigned.
    EXPECT_EQ(CompareRows(cat, cat, 0, 1, 2), 1);
    EXPECT_EQ(CompareRows(cat, cat, 1, 2, 2), 0);
    EXPECT_EQ(CompareRows(cat, cat, 1, 0, 3), 1);
    EXPECT_EQ(CompareRows(cat, cat, 0, 2, 3), 0);
    EXPECT_EQ(CompareRows(cat, cat, 2, 1, 3), -1);
}

TEST(CompareRows, NamesCompareAsUnsignedBytesOverTheWholeField)
{
    TListedCatalogue cat = MakeCatalogue({MakeEntry(0, 0, "a"), MakeEntry(0, 0, "B"), MakeEntry(0, 0, "ab"),
                                   MakeEntry(0, 0, "\xE0"), MakeEntry(0, 0, std::string("a\0x", 3)),
                                   MakeEntry(0, 0, "z")});
    EXPECT_EQ(CompareRows(cat, cat, 1, 0, 1), -1);  // upper case first
    EXPECT_EQ(CompareRows(cat, cat, 0, 2, 1), -1);  // a name before its extensions
    EXPECT_EQ(CompareRows(cat, cat, 3, 5, 1), 1);   // 0xE0 after 'z'
    EXPECT_EQ(CompareRows(cat, cat, 4, 0, 1), 1);   // bytes after the zero count
    EXPECT_EQ(CompareRows(cat, cat, 4, 2, 1), -1);
    cat.Entries[0].Name[511] = 1;
    EXPECT_EQ(CompareRows(cat, cat, 0, 4, 1), -1);  // ... up to the field's last byte
}

TEST(SortByColumn, NamesSortInByteOrder)
{
    TListedCatalogue cat = MakeCatalogue({MakeEntry(0, 0, "a"), MakeEntry(0, 0, "B"), MakeEntry(0, 0, "ab")});
    EXPECT_EQ(SortByColumn(cat, cat, 3, 1), TSortOutcome::soSorted);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{1, 0, 2}));
    EXPECT_EQ(cat.SortColumn, 1);
}

TEST(SortByColumn, SecondClickReversesAndThirdRestores)
{
    TListedCatalogue cat = MakeCatalogue({MakeEntry(0, 0, "m"), MakeEntry(0, 0, "c"), MakeEntry(0, 0, "x"),
                                   MakeEntry(0, 0, "a"), MakeEntry(0, 0, "q")});
    ASSERT_EQ(SortByColumn(cat, cat, 5, 1), TSortOutcome::soSorted);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{3, 1, 0, 4, 2}));
    EXPECT_EQ(SortByColumn(cat, cat, 5, 1), TSortOutcome::soReversed);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{2, 4, 0, 1, 3}));
    EXPECT_EQ(cat.SortColumn, 1);
    EXPECT_EQ(SortByColumn(cat, cat, 5, 1), TSortOutcome::soReversed);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{3, 1, 0, 4, 2}));
    // Another column sorts afresh.
    EXPECT_EQ(SortByColumn(cat, cat, 5, 0), TSortOutcome::soSorted);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{0, 1, 2, 3, 4}));
    EXPECT_EQ(cat.SortColumn, 0);
}

TEST(SortByColumn, ReversingTouchesOnlyTheShownRows)
{
    TListedCatalogue cat = CatalogueOfSizes({1, 2, 3, 4, 5, 6});
    cat.SortColumn = 3;
    cat.RowOrder = {5, 3, 1, 0, 2, 4};
    EXPECT_EQ(SortByColumn(cat, cat, 4, 3), TSortOutcome::soReversed);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{0, 1, 3, 5, 2, 4}));
    // The reverse of what the rows show, whatever order they were in.
    EXPECT_EQ(SortByColumn(cat, cat, 3, 3), TSortOutcome::soReversed);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{3, 1, 0, 5, 2, 4}));
}

TEST(SortByColumn, EqualSizesEndInTheQuicksortsOrder)
{
    // Worked by hand: two equal rows trade places; of three the pivot lands in
    // the middle after the first two were exchanged.
    TListedCatalogue two = CatalogueOfSizes({7, 7});
    SortByColumn(two, two, 2, 3);
    EXPECT_EQ(two.RowOrder, (tDWORDArray{1, 0}));
    TListedCatalogue three = CatalogueOfSizes({7, 7, 7});
    SortByColumn(three, three, 3, 3);
    EXPECT_EQ(three.RowOrder, (tDWORDArray{1, 2, 0}));

    for (uint32_t n : {4u, 5u, 8u, 17u, 100u, 1000u}) ExpectSameAsReference(CatalogueOfSizes(std::vector<uint32_t>(n, 9)), n, 3);
}

TEST(SortByColumn, EmptyCatalogueDoesNothing)
{
    TListedCatalogue cat;
    for (int col = 0; col < 4; ++col) {
        EXPECT_EQ(SortByColumn(cat, cat, 0, col), TSortOutcome::soNothing);
        EXPECT_EQ(cat.SortColumn, -1);
        EXPECT_TRUE(cat.RowOrder.empty());
    }
}

TEST(SortByColumn, FilterShowingNoRowsLeavesTheRows)
{
    TListedCatalogue cat = CatalogueOfSizes({3, 1, 2});
    cat.RowOrder = {2, 0, 1};
    // With nothing shown a header click changes nothing at all.
    EXPECT_EQ(SortByColumn(cat, cat, 0, 3), TSortOutcome::soNothing);
    EXPECT_EQ(cat.SortColumn, -1);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{2, 0, 1}));
    cat.SortColumn = 3;
    EXPECT_EQ(SortByColumn(cat, cat, 0, 3), TSortOutcome::soNothing);
    EXPECT_EQ(cat.SortColumn, 3);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{2, 0, 1}));
}

TEST(SortByColumn, FilteredRowsSortAmongThemselves)
{
    // Rows show entries 1, 3, 4 and 6; the slots past them are left alone.
    TListedCatalogue cat = CatalogueOfSizes({50, 40, 30, 40, 10, 0, 40});
    cat.RowOrder = {1, 3, 4, 6, 2, 0, 5};
    const tDWORDArray expected = reference::SortedRows(cat, 4, 3);
    EXPECT_EQ(SortByColumn(cat, cat, 4, 3), TSortOutcome::soSorted);
    EXPECT_EQ(cat.RowOrder, expected);
    EXPECT_EQ(cat.RowOrder[0], 4u);
    EXPECT_EQ((tDWORDArray(cat.RowOrder.begin() + 4, cat.RowOrder.end())), (tDWORDArray{2, 0, 5}));
}

TEST(SortByColumn, ColumnOutsideTheListChangesNothing)
{
    TListedCatalogue cat = CatalogueOfSizes({3, 1, 2});
    for (int col : {-1, 4}) {
        EXPECT_EQ(SortByColumn(cat, cat, 3, col), TSortOutcome::soNothing);
        EXPECT_EQ(cat.SortColumn, -1);
        EXPECT_EQ(cat.RowOrder, (tDWORDArray{0, 1, 2}));
    }
}

TEST(SortByColumn, RowCountBeyondRowOrderIsClamped)
{
    TListedCatalogue cat = CatalogueOfSizes({3, 1, 2});
    EXPECT_EQ(SortByColumn(cat, cat, 1000, 3), TSortOutcome::soSorted);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{1, 2, 0}));
}

TEST(SortByColumn, MatchesTheQuicksortOnRandomRowsWithTies)
{
    std::mt19937 rng(20240601);
    std::vector<size_t> sizes;
    for (size_t n = 0; n <= 40; ++n) sizes.push_back(n);
    for (size_t n : {63, 64, 65, 100, 257, 500, 1000, 2000}) sizes.push_back(n);
    for (size_t count : sizes) {
        for (uint32_t alphabet : {1u, 2u, 3u, 5u, 16u, 1000u}) {
            const int rounds = count <= 40 ? 20 : 3;
            for (int round = 0; round < rounds; ++round) {
                TListedCatalogue cat = MakeCatalogue(RandomEntries(rng, count, alphabet));
                std::shuffle(cat.RowOrder.begin(), cat.RowOrder.end(), rng);
                // Every column, with all rows shown and with a filter on.
                const uint32_t shown = count == 0 ? 0 : uint32_t(rng() % (count + 1));
                for (int col = 0; col < 4; ++col) {
                    ExpectSameAsReference(cat, uint32_t(count), col);
                    ExpectSameAsReference(cat, shown, col);
                }
                if (HasFailure()) return;
            }
        }
    }
}

// Rows in or near key order are where the quicksort degenerates; these are the
// inputs that reach the fallback paths.
std::vector<uint32_t> Pattern(const std::string& kind, size_t n, std::mt19937& rng)
{
    std::vector<uint32_t> v(n);
    for (size_t k = 0; k < n; ++k) {
        if (kind == "sorted") v[k] = uint32_t(k);
        else if (kind == "reversed") v[k] = uint32_t(n - k);
        else if (kind == "equal") v[k] = 42;
        else if (kind == "sorted-ties") v[k] = uint32_t(k / 3);
        else if (kind == "sorted-runs") v[k] = uint32_t(k / (1 + rng() % 40));
        else if (kind == "reversed-ties") v[k] = uint32_t((n - k) / 2);
        else if (kind == "organ-pipe") v[k] = uint32_t(std::min(k, n - k) / 2);
        else if (kind == "sawtooth") v[k] = uint32_t(k % 50);
        else if (kind == "two-values") v[k] = k < n / 2 ? 1u : 0u;
        else if (kind == "max-last") v[k] = k + 1 == n ? 0xFFFFFFFFu : uint32_t(k % 7);
    }
    if (kind == "sorted-swapped" && n >= 2) {
        for (size_t k = 0; k < n; ++k) v[k] = uint32_t(k);
        std::swap(v[n / 3], v[n / 2]);
    }
    if (kind == "sorted-ties-noise")
        for (size_t k = 0; k < n; ++k) v[k] = rng() % 16 == 0 ? uint32_t(rng() % (n / 2 + 1)) : uint32_t(k / 2);
    return v;
}

const char* const kPatterns[] = {"sorted",     "reversed",   "equal",    "sorted-ties",    "sorted-runs",
                                 "reversed-ties", "organ-pipe", "sawtooth", "two-values", "max-last",
                                 "sorted-swapped", "sorted-ties-noise"};

TEST(SortByColumn, MatchesTheQuicksortOnOrderedPatterns)
{
    std::mt19937 rng(7);
    for (const char* kind : kPatterns) {
        for (size_t n : {2, 3, 4, 31, 32, 33, 34, 35, 100, 777, 2000, 5000}) {
            SCOPED_TRACE(kind);
            const std::vector<uint32_t> keys = Pattern(kind, n, rng);
            TRecArray entries;
            char name[16];
            for (size_t k = 0; k < n; ++k) {
                // Names in the same order as the keys, padded so that their
                // common prefix is long.
                std::snprintf(name, sizeof name, "model%08u", keys[k]);
                entries.push_back(MakeEntry(keys[k], keys[k], name));
            }
            const TListedCatalogue cat = MakeCatalogue(std::move(entries));
            for (int col = 1; col < 4; ++col) ExpectSameAsReference(cat, uint32_t(n), col);
            if (HasFailure()) return;
        }
    }
}

TEST(SortByColumn, NamesAlikeFarIntoTheFieldMatchTheQuicksort)
{
    // Long shared prefixes, copies of one name, and names that part only in
    // the last bytes of the field, hidden behind the terminating zero.
    std::mt19937 rng(3);
    for (size_t n : {40, 300, 1500}) {
        TRecArray entries;
        for (size_t k = 0; k < n; ++k) {
            TArchiveEntry e = MakeEntry(0, 0);
            const size_t shared = (k % 3 == 0) ? 0 : 300 + rng() % 3;
            std::memset(e.Name, 'q', shared);
            e.Name[shared] = char('a' + rng() % 3);
            if (rng() % 4 == 0) e.Name[508 + rng() % 4] = char(rng() % 3);
            entries.push_back(e);
        }
        ExpectSameAsReference(MakeCatalogue(std::move(entries)), uint32_t(n), 1);
    }
}

TEST(SortByColumn, NumberColumnRestoresCatalogueOrder)
{
    TListedCatalogue cat = CatalogueOfSizes(std::vector<uint32_t>(50, 0));
    std::reverse(cat.RowOrder.begin(), cat.RowOrder.end());
    EXPECT_EQ(SortByColumn(cat, cat, 50, 0), TSortOutcome::soSorted);
    for (uint32_t r = 0; r < 50; ++r) ASSERT_EQ(cat.RowOrder[r], r);
}

// The engine on its own, with the path for degenerate inputs taken at once or
// after a few badly split partitions, so that tree-assisted partitions meet
// every kind of tie and not only keys in order.
TEST(SortKeyedRows, FallbackPathMatchesTheQuicksort)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        const size_t n = 33 + rng() % 700;
        const uint32_t alphabet = 1 + rng() % (round % 2 ? 4 : 60);
        std::vector<uint32_t> sizes(n);
        for (auto& s : sizes) s = rng() % alphabet;
        if (round % 5 == 0) std::sort(sizes.begin(), sizes.end());
        if (round % 5 == 1) std::sort(sizes.rbegin(), sizes.rend());
        if (round % 7 == 0) sizes.back() = round % 2 ? 0 : alphabet;
        const TListedCatalogue cat = CatalogueOfSizes(sizes);
        const tDWORDArray expected = reference::SortedRows(cat, uint32_t(n), 3);

        for (int lopsidedLimit : {0, 1, 3}) {
            std::vector<uint64_t> keyed(n);
            for (size_t k = 0; k < n; ++k) keyed[k] = (uint64_t(sizes[k]) << 32) | k;
            SortKeyedRows(keyed.data(), n, lopsidedLimit);
            tDWORDArray got(n);
            for (size_t k = 0; k < n; ++k) got[k] = uint32_t(keyed[k]);
            ASSERT_EQ(got, expected) << "round " << round << ", limit " << lopsidedLimit;
        }
    }
}

TEST(SortKeyedRows, KeepsTheEntryWithItsKey)
{
    std::vector<uint64_t> keyed = {(uint64_t(3) << 32) | 0xFFFFFFFFu, (uint64_t(1) << 32) | 7, (uint64_t(2) << 32) | 0};
    SortKeyedRows(keyed.data(), keyed.size());
    EXPECT_EQ(keyed, (std::vector<uint64_t>{(uint64_t(1) << 32) | 7, (uint64_t(2) << 32) | 0,
                                            (uint64_t(3) << 32) | 0xFFFFFFFFu}));
}

// Large lists in or against key order: the quicksort as written needs a
// recursion level and a pass over the rows per row here. These finish only if
// that is avoided; the order itself is checked for being ascending and a
// permutation (the reference cannot follow at this size).
class LargeSort : public ::testing::TestWithParam<const char*> {};

TEST_P(LargeSort, SortsWithoutDegenerating)
{
    constexpr size_t n = 300000;
    std::mt19937 rng(5);
    const std::vector<uint32_t> keys = Pattern(GetParam(), n, rng);
    TRecArray entries(n);
    for (size_t k = 0; k < n; ++k) {
        std::memset(&entries[k], 0, sizeof entries[k]);
        entries[k].Offset = entries[k].Size = keys[k];
        std::snprintf(entries[k].Name, 16, "x%010u", keys[k]);
    }
    TListedCatalogue cat = MakeCatalogue(std::move(entries));
    for (int col = 0; col < 4; ++col) {
        SCOPED_TRACE(col);
        ASSERT_EQ(SortByColumn(cat, cat, n, col), TSortOutcome::soSorted);
        EXPECT_TRUE(RowsInKeyOrder(cat, n, col));
        tDWORDArray seen = cat.RowOrder;
        std::sort(seen.begin(), seen.end());
        for (uint32_t k = 0; k < n; ++k) ASSERT_EQ(seen[k], k);
        // Put the rows back in catalogue order for the next column.
        std::iota(cat.RowOrder.begin(), cat.RowOrder.end(), 0u);
        cat.SortColumn = -1;
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, LargeSort,
                         ::testing::Values("sorted", "reversed", "equal", "sorted-ties", "reversed-ties",
                                           "organ-pipe", "sorted-swapped", "sorted-ties-noise"),
                         [](const auto& info) {
                             std::string s = info.param;
                             std::replace(s.begin(), s.end(), '-', '_');
                             return s;
                         });

}  // namespace
}  // namespace korvane
