// Sorting a million rows by each column, beside std::sort doing the same job.
//
//   SortByColumn/<pattern>/col<N>    the list's sort
//   StdSort/<pattern>/col<N>         std::sort on the same keys: RowOrder
//                                    itself (col 0), row indices by memcmp of
//                                    the 512-byte names (col 1), rows packed
//                                    with their 32-bit key (cols 2, 3)
//   StdSortIndirect/<pattern>/col<N> std::sort of RowOrder comparing through
//                                    Entries (cols 2, 3)
//
// Patterns (every entry carries the same key as its offset, size and, spelled
// out, its name): random (distinct in practice), sorted, reversed, equal (one
// key), sorted_ties and reversed_ties (each key four times, in order or
// against it), few_values (1000 keys at random). Column 0 is sorted from a
// shuffled, sorted or reversed RowOrder.
//
// Building the catalogue (524 MB) happens once per pattern, outside the timed
// region; each iteration restores RowOrder with the timer paused.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "listview/RowSort.h"

namespace korvane {
namespace {

constexpr size_t kRows = 1000000;

enum Pattern { pRandom, pSorted, pReversed, pEqual, pSortedTies, pReversedTies, pFewValues, pCount };
const char* const kPatternNames[pCount] = {"random",      "sorted",        "reversed",  "equal",
                                           "sorted_ties", "reversed_ties", "few_values"};

struct Setup {
    Pattern pattern;
    Catalogue cat;
    TRowOrder order;
    tDWORDArray identity;  // RowOrder as opened
    tDWORDArray shuffled;  // RowOrder in the pattern's order, for column 0
};

// Entry k gets the same key in all columns: offset, size and a name that
// sorts like the number. The random pattern gives random keys and names.
std::unique_ptr<Setup> Build(Pattern pattern)
{
    auto s = std::make_unique<Setup>();
    s->pattern = pattern;
    s->cat.Entries.resize(kRows);  // zero-filled, as a load leaves them
    std::mt19937 rng(12345);
    for (size_t k = 0; k < kRows; ++k) {
        TArchiveEntry& e = s->cat.Entries[k];
        uint32_t key = 0;
        switch (pattern) {
        case pSorted: key = uint32_t(k); break;
        case pReversed: key = uint32_t(kRows - k); break;
        case pEqual: key = 4096; break;
        case pSortedTies: key = uint32_t(k / 4); break;
        case pReversedTies: key = uint32_t((kRows - k) / 4); break;
        case pFewValues: key = uint32_t(rng() % 1000); break;
        default: key = uint32_t(rng()); break;
        }
        e.Offset = key;
        e.Size = key;
        e.DirPos = uint32_t(32 * k);
        if (pattern == pRandom) {
            const size_t len = 8 + rng() % 9;
            for (size_t c = 0; c < len; ++c) e.Name[c] = char('a' + rng() % 26);
            std::memcpy(e.Name + len, ".dff", 4);
        } else {
            std::snprintf(e.Name, sizeof e.Name, "model%07u.dff", key);
        }
    }
    s->identity.resize(kRows);
    std::iota(s->identity.begin(), s->identity.end(), 0u);
    s->shuffled = s->identity;
    if (pattern == pReversed) std::reverse(s->shuffled.begin(), s->shuffled.end());
    if (pattern == pRandom) std::shuffle(s->shuffled.begin(), s->shuffled.end(), rng);
    return s;
}

// Only one catalogue of this size lives at a time; the benchmarks are
// registered grouped by pattern, so each is built once.
Setup& Get(Pattern pattern)
{
    static std::unique_ptr<Setup> current;
    if (!current || current->pattern != pattern) {
        current.reset();
        current = Build(pattern);
    }
    return *current;
}

const tDWORDArray& StartOrder(const Setup& s, int col) { return col == 0 ? s.shuffled : s.identity; }

void Restore(benchmark::State& state, Setup& s, int col)
{
    state.PauseTiming();
    s.order.RowOrder = StartOrder(s, col);
    s.order.SortColumn = -1;
    state.ResumeTiming();
}

void BM_SortByColumn(benchmark::State& state, Pattern pattern, int col)
{
    Setup& s = Get(pattern);
    for (auto _ : state) {
        Restore(state, s, col);
        SortByColumn(s.cat, s.order, uint32_t(kRows), col);
        benchmark::DoNotOptimize(s.order.RowOrder.data());
    }
}

void BM_StdSort(benchmark::State& state, Pattern pattern, int col)
{
    Setup& s = Get(pattern);
    const TArchiveEntry* entries = s.cat.Entries.data();
    std::vector<uint64_t> keyed(kRows);
    for (auto _ : state) {
        Restore(state, s, col);
        tDWORDArray& rows = s.order.RowOrder;
        if (col == 0) {
            std::sort(rows.begin(), rows.end());
        } else if (col == 1) {
            std::sort(rows.begin(), rows.end(), [&](uint32_t a, uint32_t b) {
                return std::memcmp(entries[a].Name, entries[b].Name, sizeof entries[a].Name) < 0;
            });
        } else {
            for (size_t r = 0; r < kRows; ++r) {
                const TArchiveEntry& e = entries[rows[r]];
                keyed[r] = (uint64_t(col == 2 ? e.Offset : e.Size) << 32) | rows[r];
            }
            std::sort(keyed.begin(), keyed.end());
            for (size_t r = 0; r < kRows; ++r) rows[r] = uint32_t(keyed[r]);
        }
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_StdSortIndirect(benchmark::State& state, Pattern pattern, int col)
{
    Setup& s = Get(pattern);
    const TArchiveEntry* entries = s.cat.Entries.data();
    for (auto _ : state) {
        Restore(state, s, col);
        tDWORDArray& rows = s.order.RowOrder;
        if (col == 2)
            std::sort(rows.begin(), rows.end(), [&](uint32_t a, uint32_t b) { return entries[a].Offset < entries[b].Offset; });
        else
            std::sort(rows.begin(), rows.end(), [&](uint32_t a, uint32_t b) { return entries[a].Size < entries[b].Size; });
        benchmark::DoNotOptimize(rows.data());
    }
}

const bool registered = [] {
    for (int p = 0; p < pCount; ++p) {
        const Pattern pattern = Pattern(p);
        for (int col = 0; col < 4; ++col) {
            // Column 0 keys are entry indices: always distinct, so only the
            // orders of RowOrder itself make sense for it.
            if (col == 0 && pattern != pRandom && pattern != pSorted && pattern != pReversed) continue;
            const std::string suffix = std::string("/") + kPatternNames[p] + "/col" + std::to_string(col);
            benchmark::RegisterBenchmark(("SortByColumn" + suffix).c_str(), BM_SortByColumn, pattern, col)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("StdSort" + suffix).c_str(), BM_StdSort, pattern, col)
                ->Unit(benchmark::kMillisecond);
            if (col >= 2)
                benchmark::RegisterBenchmark(("StdSortIndirect" + suffix).c_str(), BM_StdSortIndirect, pattern, col)
                    ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
