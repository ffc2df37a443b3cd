#include "archive/QuickCheck.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace korvane {

namespace {

constexpr size_t kCheckedChars = 24;  // the part of a name the directory keeps

unsigned char FoldAscii(char c)
{
    auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

// Byte order after folding a-z to A-Z; only used to bring equal names together.
int CompareFolded(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        const unsigned char x = FoldAscii(a[k]), y = FoldAscii(b[k]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool HasBadChar(const TArchiveEntry& e)
{
    const size_t n = strnlen(e.Name, kCheckedChars);
    return !std::all_of(e.Name, e.Name + n, IsAllowedNameChar);
}

// For every entry, whether another entry has the same name. Sorting the
// indices by folded name finds them in n log n rather than comparing every
// pair, which a catalogue of a million entries could not wait for.
std::vector<char> RepeatedNames(const TRecArray& entries)
{
    std::vector<uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return CompareFolded(EntryName(entries[a]), EntryName(entries[b])) < 0;
    });
    std::vector<char> repeated(entries.size(), 0);
    for (size_t k = 1; k < order.size(); ++k)
        if (CompareFolded(EntryName(entries[order[k - 1]]), EntryName(entries[order[k]])) == 0)
            repeated[order[k - 1]] = repeated[order[k]] = 1;
    return repeated;
}

}  // namespace

bool IsAllowedNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '.' ||
           c == '@' || c == '_' || c == '~';
}

TCheckMessage CheckMessage(TCheckOutcome outcome, const TTextWords& words)
{
    switch (outcome) {
    case TCheckOutcome::coBadName:
        return {words.BadNameCaption, words.BadNameText};
    case TCheckOutcome::coDuplicates:
        return {words.DuplicatesCaption, words.DuplicatesText};
    case TCheckOutcome::coPassed:
        break;
    }
    return {"", words.CheckPassed};
}

TCheckResult QuickCheck(const TRecArray& entries)
{
    TCheckResult result;
    const std::vector<char> repeated = RepeatedNames(entries);
    for (uint32_t i = 0; i < entries.size(); ++i) {
        if (HasBadChar(entries[i])) {
            result.Outcome = TCheckOutcome::coBadName;
            result.Entries = {i};
            return result;
        }
        if (!repeated[i]) continue;
        // Every earlier entry passed, so i is the first of its name.
        result.Outcome = TCheckOutcome::coDuplicates;
        const std::string_view name = EntryName(entries[i]);
        for (uint32_t j = i; j < entries.size(); ++j)
            if (CompareFolded(name, EntryName(entries[j])) == 0) result.Entries.push_back(j);
        return result;
    }
    return result;
}

}  // namespace korvane
