#include "listview/RowSearch.h"

#include <algorithm>

namespace korvane {

namespace {

uint32_t ClampRows(const Catalogue& cat, uint32_t rowCount)
{
    return std::min<uint32_t>(rowCount, uint32_t(std::min(cat.RowOrder.size(), cat.Entries.size())));
}

}  // namespace

int64_t FindNextRow(const Catalogue& cat, uint32_t rowCount, uint32_t from, const TNameMatcher& matcher)
{
    const uint32_t rows = ClampRows(cat, rowCount);
    for (uint32_t r = from; r < rows; ++r)
        if (matcher.Matches(EntryName(cat.Entries[cat.RowOrder[r]]))) return r;
    return -1;
}

std::vector<uint32_t> FindAllRows(const Catalogue& cat, uint32_t rowCount, const TNameMatcher& matcher)
{
    std::vector<uint32_t> found;
    const uint32_t rows = ClampRows(cat, rowCount);
    for (uint32_t r = 0; r < rows; ++r)
        if (matcher.Matches(EntryName(cat.Entries[cat.RowOrder[r]]))) found.push_back(r);
    return found;
}

uint32_t FilterRows(Catalogue& cat, const TNameMatcher& matcher)
{
    cat.RowOrder.resize(cat.Entries.size());
    uint32_t k = 0;
    const uint32_t n = uint32_t(cat.Entries.size());
    for (uint32_t i = 0; i < n; ++i)
        if (matcher.Matches(EntryName(cat.Entries[i]))) cat.RowOrder[k++] = i;
    return k;
}

uint32_t ShowAllRows(Catalogue& cat)
{
    const uint32_t n = uint32_t(cat.Entries.size());
    cat.RowOrder.resize(n);
    for (uint32_t i = 0; i < n; ++i) cat.RowOrder[i] = i;
    return n;
}

}  // namespace korvane
