#include "listview/RowSearch.h"

#include <algorithm>

namespace korvane {

namespace {

uint32_t ClampRows(const Catalogue& cat, const TRowOrder& order, uint32_t rowCount)
{
    return std::min<uint32_t>(rowCount, uint32_t(std::min(order.RowOrder.size(), cat.Entries.size())));
}

}  // namespace

int64_t FindNextRow(const Catalogue& cat, const TRowOrder& order, uint32_t rowCount, uint32_t from, const TNameMatcher& matcher)
{
    const uint32_t rows = ClampRows(cat, order, rowCount);
    for (uint32_t r = from; r < rows; ++r)
        if (matcher.Matches(EntryName(cat.Entries[order.RowOrder[r]]))) return r;
    return -1;
}

std::vector<uint32_t> FindAllRows(const Catalogue& cat, const TRowOrder& order, uint32_t rowCount, const TNameMatcher& matcher)
{
    std::vector<uint32_t> found;
    const uint32_t rows = ClampRows(cat, order, rowCount);
    for (uint32_t r = 0; r < rows; ++r)
        if (matcher.Matches(EntryName(cat.Entries[order.RowOrder[r]]))) found.push_back(r);
    return found;
}

uint32_t FilterRows(const Catalogue& cat, TRowOrder& order, const TNameMatcher& matcher)
{
    order.RowOrder.resize(cat.Entries.size());
    uint32_t k = 0;
    const uint32_t n = uint32_t(cat.Entries.size());
    for (uint32_t i = 0; i < n; ++i)
        if (matcher.Matches(EntryName(cat.Entries[i]))) order.RowOrder[k++] = i;
    return k;
}

uint32_t ShowAllRows(const Catalogue& cat, TRowOrder& order)
{
    const uint32_t n = uint32_t(cat.Entries.size());
    order.RowOrder.resize(n);
    for (uint32_t i = 0; i < n; ++i) order.RowOrder[i] = i;
    return n;
}

}  // namespace korvane
