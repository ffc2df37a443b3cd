#include "listview/CellText.h"

#include <clocale>
#include <cstdio>

#include "base/NameCodec.h"

namespace korvane {

namespace {

// n / 2^shift with two decimals, rounded half away from zero, in exact
// integer arithmetic so that no binary fraction tips a digit.
std::string Fixed2(uint32_t n, int shift, std::string_view decimalPoint)
{
    uint64_t hundredths = ((uint64_t(n) * 200) + (uint64_t(1) << shift)) >> (shift + 1);
    char frac[3];
    std::snprintf(frac, sizeof frac, "%02u", unsigned(hundredths % 100));
    std::string text = std::to_string(hundredths / 100);
    text += decimalPoint;
    text += frac;
    return text;
}

}  // namespace

std::string FormatSize(uint32_t n, std::string_view decimalPoint, const TTextWords& words)
{
    std::string text;
    std::string_view unit;
    if (n < 1024) {
        text = std::to_string(n);
        unit = words.Bytes;
    } else if (n < 0x100000) {
        text = Fixed2(n, 10, decimalPoint);
        unit = words.KB;
    } else if (n < 0x40000000) {
        text = Fixed2(n, 20, decimalPoint);
        unit = words.MB;
    } else {
        text = Fixed2(n, 30, decimalPoint);
        unit = words.GB;
    }
    return text.append(" ").append(unit);
}

std::string LocaleDecimalPoint()
{
    const lconv* lc = std::localeconv();
    return lc && lc->decimal_point && *lc->decimal_point ? lc->decimal_point : ".";
}

std::string FormatSize(uint32_t n) { return FormatSize(n, LocaleDecimalPoint()); }

std::string AddressText(uint64_t bytePos)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%08llX", static_cast<unsigned long long>(bytePos));
    return buf;
}

std::string CellText(const Catalogue& cat, const TRowOrder& rows, uint32_t row, int col, std::string_view decimalPoint,
                     const TTextWords& words)
{
    const uint32_t index = rows.RowOrder[row];
    const TArchiveEntry& e = cat.Entries[index];
    switch (col) {
    case 0:
        return std::to_string(index);
    case 1:
        return Cp1251ToUtf8(EntryName(e));
    case 2:
        return AddressText(EntryBytePos(cat.ArchiveKind, e));
    case 3:
        // A sector is two kilobytes; counted in 64 bits so huge sizes don't wrap.
        if (IsSectorKind(cat.ArchiveKind)) return std::to_string(uint64_t(e.Size) * 2).append(" ").append(words.KB);
        return FormatSize(e.Size, decimalPoint, words);
    default:
        return {};
    }
}

uint64_t EntrySizeKB(TArchiveKind kind, const TArchiveEntry& e)
{
    if (IsSectorKind(kind)) return uint64_t(e.Size) * 2;
    return (uint64_t(e.Size) + 1023) / 1024;
}

std::string EntrySizeText(TArchiveKind kind, const TArchiveEntry& e, const TTextWords& words)
{
    return std::to_string(EntrySizeKB(kind, e)).append(" ").append(words.KB);
}

}  // namespace korvane
