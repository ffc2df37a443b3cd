// Sorting the list rows by a column: each column's rows reduced to numeric
// keys for the engine in RowSortEngine.cpp, and the header clicks.
#include "listview/RowSort.h"

#include "listview/RowSortTree.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace korvane {

namespace {

using namespace rowsort;

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

int CompareRows(const Catalogue& cat, const TRowOrder& rows, uint32_t a, uint32_t b, int col)
{
    const uint32_t ea = rows.RowOrder[a];
    const uint32_t eb = rows.RowOrder[b];
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

TSortOutcome SortByColumn(const Catalogue& cat, TRowOrder& order, uint32_t rowCount, int col)
{
    // An empty archive, or a search filter that shows no rows: the click
    // changes nothing, not even the sort column or its caption mark.
    if (cat.Entries.empty() || rowCount == 0) return TSortOutcome::soNothing;
    if (col < 0 || col > 3) return TSortOutcome::soNothing;
    const size_t n = std::min<size_t>(rowCount, order.RowOrder.size());
    uint32_t* rows = order.RowOrder.data();

    if (col == order.SortColumn) {
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
    order.SortColumn = col;
    return TSortOutcome::soSorted;
}

}  // namespace korvane
