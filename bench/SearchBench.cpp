// Matching a million entry names against typical search masks, beside glibc
// fnmatch doing the same job in the same run.
//
//   Mask/<mask>             TNameMatcher::Matches on each name (the mask as
//                           the find dialog builds it without match case:
//                           names upper-cased, Cyrillic included)
//   MaskMatchCase/<mask>    the same with match case (only a-z folded)
//   Fnmatch/<mask>          fnmatch(pattern, name, FNM_CASEFOLD) in the C
//                           locale, the equivalent pattern
//   FilterRows/<mask>       the results filter over a catalogue of a million
//                           entries (512-byte name fields), as the window runs it
//   FnmatchRows/<mask>      fnmatch over the same catalogue, writing RowOrder alike
//
// Masks: *.txd (whole word), *car* (the text "car"), ?a[b-d]* (whole word).
// Names are made-up game file names of 5 to 24 characters in mixed case.
// The counter ns_per_name is the time per name.

#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "listview/RowSearch.h"
#include "listview/SearchMask.h"

namespace korvane {
namespace {

constexpr size_t kNames = 1000000;

struct TCase {
    const char* label;
    const char* text;  // as typed into the find dialog
    bool wholeWord;
    const char* pattern;  // the same for fnmatch
};

const TCase kCases[] = {
    {"*.txd", "*.txd", true, "*.txd"},
    {"*car*", "car", false, "*car*"},
    {"?a[b-d]*", "?a[b-d]*", true, "?a[b-d]*"},
};

struct TNames {
    std::string bytes;  // the names back to back, each followed by a zero
    std::vector<std::string_view> views;
    Catalogue cat;
    TRowOrder order;
};

const TNames& Names()
{
    static const std::unique_ptr<TNames> names = [] {
        auto n = std::make_unique<TNames>();
        const char* const stems[] = {"car",   "Player", "VEHICLE", "cabin", "bach",  "tree",  "LOD_Road",
                                     "wheel", "Carbon", "sabre",   "radar", "Water", "infernus", "hud"};
        const char* const exts[] = {".txd", ".dff", ".TXD", ".DFF", ".col", ".ipl", ".ifp", ".dat"};
        std::mt19937 rng(4242);
        std::vector<std::string> list;
        list.reserve(kNames);
        for (size_t k = 0; k < kNames; ++k) {
            std::string name = stems[rng() % std::size(stems)];
            const int digits = int(rng() % 6);
            for (int d = 0; d < digits; ++d) name += char('0' + rng() % 10);
            if (rng() % 4 == 0) name += stems[rng() % std::size(stems)];
            name += exts[rng() % std::size(exts)];
            if (name.size() > 24) name.resize(24);
            list.push_back(name);
        }
        size_t total = 0;
        for (const std::string& s : list) total += s.size() + 1;
        n->bytes.reserve(total);
        std::vector<size_t> starts;
        for (const std::string& s : list) {
            starts.push_back(n->bytes.size());
            n->bytes += s;
            n->bytes += '\0';
        }
        for (size_t k = 0; k < list.size(); ++k) n->views.emplace_back(n->bytes.data() + starts[k], list[k].size());
        n->cat.Entries.resize(kNames);  // zero-filled
        for (size_t k = 0; k < list.size(); ++k) list[k].copy(n->cat.Entries[k].Name, list[k].size());
        n->order.RowOrder.resize(kNames);
        return n;
    }();
    return *names;
}

void PerName(benchmark::State& state, size_t matches)
{
    state.SetItemsProcessed(int64_t(state.iterations() * kNames));
    state.counters["ns_per_name"] =
        benchmark::Counter(double(state.iterations() * kNames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["matches"] = double(matches);
}

void BM_Mask(benchmark::State& state, const TCase& c, bool matchCase)
{
    const TNames& names = Names();
    const TNameMatcher matcher(BuildSearchMask(c.text, c.wholeWord, matchCase));
    size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (std::string_view name : names.views) matches += matcher.Matches(name);
        benchmark::DoNotOptimize(matches);
    }
    PerName(state, matches);
}

void BM_Fnmatch(benchmark::State& state, const TCase& c)
{
    const TNames& names = Names();
    size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (std::string_view name : names.views) matches += fnmatch(c.pattern, name.data(), FNM_CASEFOLD) == 0;
        benchmark::DoNotOptimize(matches);
    }
    PerName(state, matches);
}

void BM_FilterRows(benchmark::State& state, const TCase& c)
{
    const Catalogue& cat = Names().cat;
    TRowOrder& order = const_cast<TNames&>(Names()).order;
    const TNameMatcher matcher(BuildSearchMask(c.text, c.wholeWord, false));
    uint32_t rows = 0;
    for (auto _ : state) {
        rows = FilterRows(cat, order, matcher);
        benchmark::DoNotOptimize(rows);
    }
    PerName(state, rows);
}

void BM_FnmatchRows(benchmark::State& state, const TCase& c)
{
    const Catalogue& cat = Names().cat;
    TRowOrder& order = const_cast<TNames&>(Names()).order;
    uint32_t rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (uint32_t i = 0; i < kNames; ++i)
            if (fnmatch(c.pattern, cat.Entries[i].Name, FNM_CASEFOLD) == 0) order.RowOrder[rows++] = i;
        benchmark::DoNotOptimize(rows);
    }
    PerName(state, rows);
}

int Register()
{
    for (const TCase& c : kCases) {
        const std::string l = c.label;
        benchmark::RegisterBenchmark(("Mask/" + l).c_str(), BM_Mask, c, false)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("MaskMatchCase/" + l).c_str(), BM_Mask, c, true)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Fnmatch/" + l).c_str(), BM_Fnmatch, c)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("FilterRows/" + l).c_str(), BM_FilterRows, c)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("FnmatchRows/" + l).c_str(), BM_FnmatchRows, c)->Unit(benchmark::kMillisecond);
    }
    return 0;
}

const int registered = Register();

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
