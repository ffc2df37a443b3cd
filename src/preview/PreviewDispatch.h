// Which preview an entry gets, and the texts the preview pages show for it.
#pragma once

#include <string>
#include <string_view>

#include "archive/Catalogue.h"
#include "archive/TextWords.h"

namespace korvane {

// The part of a name from the last "." that follows the last "\" or ":",
// the "." included, with a-z turned to A-Z; empty when there is none.
std::string EntryExtension(std::string_view name);

// The entry's size in whole kilobytes: Size×2 for the sector kinds; byte
// sizes are rounded up, so a non-empty entry never shows as 0.
uint64_t EntrySizeKB(TArchiveKind kind, const TArchiveEntry& e);
// "%d КБ" (UTF-8; the unit is the words').
std::string EntrySizeText(TArchiveKind kind, const TArchiveEntry& e, const TTextWords& words = RussianWords);

// The first bytes a binary placement file starts with.
constexpr size_t PlacementHeaderSize = 76;
bool IsBinaryPlacement(const unsigned char* header);  // "bnry", case-sensitive

}  // namespace korvane
