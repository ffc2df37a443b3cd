// The archive check: names with characters other programs may not accept,
// and names that occur twice.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "archive/Catalogue.h"
#include "base/TextWords.h"

namespace korvane {

enum class TCheckOutcome { coPassed, coBadName, coDuplicates };

struct TCheckResult {
    TCheckOutcome Outcome = TCheckOutcome::coPassed;
    // The entries concerned, ascending: the entry with the bad name, or every
    // entry of the duplicated name.
    std::vector<uint32_t> Entries;
};

// Texts of the two reports: the message box's caption and text (UTF-8).
struct TCheckMessage {
    std::string_view Caption;
    std::string_view Text;
};
TCheckMessage CheckMessage(TCheckOutcome outcome, const TTextWords& words = RussianWords);

// "+", ".", digits, "@", Latin letters, "_" and "~".
bool IsAllowedNameChar(char c);

// Walks the entries in catalogue order and stops at the first problem: an
// entry whose first 24 characters hold one that is not allowed, or an entry
// that a later one repeats (ASCII letters compared without case, whole names).
// An entry's characters are looked at before its duplicates.
TCheckResult QuickCheck(const TRecArray& entries);

}  // namespace korvane
