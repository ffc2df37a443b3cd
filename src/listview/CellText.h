// The texts of the entry list's cells, computed from the catalogue on demand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/Catalogue.h"
#include "base/TextWords.h"
#include "listview/RowOrder.h"

namespace korvane {

// "%d байт", "%.2f КБ", "%.2f МБ" or "%.2f ГБ" (UTF-8; the units are the
// words'), two decimals rounded half away from zero, with the given decimal
// separator and no grouping.
std::string FormatSize(uint32_t n, std::string_view decimalPoint, const TTextWords& words = RussianWords);
// The same with the decimal separator of the C library's LC_NUMERIC.
std::string FormatSize(uint32_t n);
std::string LocaleDecimalPoint();

// The entry's size in whole kilobytes, as the preview pages' headers show
// it: Size×2 for the sector kinds; byte sizes are rounded up, so a non-empty
// entry never shows as 0.
uint64_t EntrySizeKB(TArchiveKind kind, const TArchiveEntry& e);
// "%d КБ" (UTF-8; the unit is the words').
std::string EntrySizeText(TArchiveKind kind, const TArchiveEntry& e, const TTextWords& words = RussianWords);

// Byte position as at least eight upper-case hex digits.
std::string AddressText(uint64_t bytePos);

// Text of column col (0..3) for list row `row` (an index into RowOrder).
// Names are decoded from Windows-1251 into UTF-8.
std::string CellText(const Catalogue& cat, const TRowOrder& rows, uint32_t row, int col, std::string_view decimalPoint,
                     const TTextWords& words = RussianWords);

}  // namespace korvane
