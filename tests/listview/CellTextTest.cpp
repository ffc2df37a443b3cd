#include <gtest/gtest.h>

#include "support/ListedCatalogue.h"

#include <clocale>
#include <cstdlib>

#include "listview/CellText.h"

using namespace korvane;

namespace {

TListedCatalogue OneEntry(TArchiveKind kind, uint32_t offset, uint32_t size, const char* name = "A")
{
    TListedCatalogue cat;
    cat.ArchiveKind = kind;
    TArchiveEntry e{};
    e.Offset = offset;
    e.Size = size;
    std::snprintf(e.Name, sizeof e.Name, "%s", name);
    cat.Entries.push_back(e);
    cat.RowOrder.push_back(0);
    return cat;
}

std::string CellTextOf(const TListedCatalogue& cat, uint32_t row, int col, std::string_view point)
{
    return CellText(cat, cat, row, col, point);
}

}  // namespace

TEST(FormatSize, RangeBoundaries)
{
    EXPECT_EQ(FormatSize(0, "."), "0 байт");
    EXPECT_EQ(FormatSize(1023, "."), "1023 байт");
    EXPECT_EQ(FormatSize(1024, "."), "1.00 КБ");
    EXPECT_EQ(FormatSize(1048575, "."), "1024.00 КБ");
    EXPECT_EQ(FormatSize(1048576, "."), "1.00 МБ");
    EXPECT_EQ(FormatSize(0x3FFFFFFF, "."), "1024.00 МБ");
    EXPECT_EQ(FormatSize(0x40000000, "."), "1.00 ГБ");
    EXPECT_EQ(FormatSize(0xFFFFFFFF, "."), "4.00 ГБ");
    EXPECT_EQ(FormatSize(1536, "."), "1.50 КБ");
}

TEST(FormatSize, HalvesRoundAwayFromZeroAndTheSeparatorIsTheLocales)
{
    EXPECT_EQ(FormatSize(1152, "."), "1.13 КБ");   // 1.125
    EXPECT_EQ(FormatSize(1408, "."), "1.38 КБ");   // 1.375
    EXPECT_EQ(FormatSize(1034, "."), "1.01 КБ");   // 1.0097...
    EXPECT_EQ(FormatSize(1024, ","), "1,00 КБ");
    EXPECT_EQ(FormatSize(5 * 1048576 / 2, ","), "2,50 МБ");
}

// The same numbers with the English units; the sector kinds' kilobytes too.
TEST(FormatSize, EnglishUnitsAtEachBoundary)
{
    EXPECT_EQ(FormatSize(1023, ".", EnglishWords), "1023 bytes");
    EXPECT_EQ(FormatSize(1024, ",", EnglishWords), "1,00 KB");
    EXPECT_EQ(FormatSize(1048576, ".", EnglishWords), "1.00 MB");
    EXPECT_EQ(FormatSize(0x40000000, ".", EnglishWords), "1.00 GB");
    const TListedCatalogue cat = OneEntry(akImg, 1, 3);
    EXPECT_EQ(CellText(cat, cat, 0, 3, ".", EnglishWords), "6 KB");
}

TEST(FormatSize, FollowsLcNumeric)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    setenv("LOCPATH", KORVANE_TEST_LOCALES, 1);
    const bool russian = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    if (!russian) GTEST_SKIP() << "the ru_RU.UTF-8 locale could not be made (localedef missing?)";
    EXPECT_EQ(FormatSize(1024), "1,00 КБ");
    EXPECT_EQ(FormatSize(3 * 1048576 / 2), "1,50 МБ");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(FormatSize(1024), "1.00 КБ");
}

TEST(CellText, SectorArchivesShowBytePositionsAndKilobytes)
{
    const TListedCatalogue cat = OneEntry(akImg, 1, 3, "LANDSTAL.DFF");
    EXPECT_EQ(CellText(cat, cat, 0, 0, "."), "0");
    EXPECT_EQ(CellText(cat, cat, 0, 1, "."), "LANDSTAL.DFF");
    EXPECT_EQ(CellText(cat, cat, 0, 2, "."), "00000800");
    EXPECT_EQ(CellText(cat, cat, 0, 3, "."), "6 КБ");
}

TEST(CellText, PositionsPastFourGigabytesAndHugeSizesDoNotWrap)
{
    const TListedCatalogue cat = OneEntry(akImgV2, 0x200000, 0xFFFFFFFF);
    EXPECT_EQ(CellText(cat, cat, 0, 2, "."), "100000000");
    EXPECT_EQ(CellText(cat, cat, 0, 3, "."), "8589934590 КБ");
}

TEST(CellText, ByteArchivesUseFormatSize)
{
    for (TArchiveKind kind : {akBig, akSyb}) {
        EXPECT_EQ(CellTextOf(OneEntry(kind, 0x1234, 1023), 0, 2, "."), "00001234");
        EXPECT_EQ(CellTextOf(OneEntry(kind, 0x1234, 1023), 0, 3, "."), "1023 байт");
        EXPECT_EQ(CellTextOf(OneEntry(kind, 0x1234, 1024), 0, 3, ","), "1,00 КБ");
        EXPECT_EQ(CellTextOf(OneEntry(kind, 0xABCDEF12, 1048576), 0, 3, "."), "1.00 МБ");
        EXPECT_EQ(CellTextOf(OneEntry(kind, 0xABCDEF12, 1), 0, 2, "."), "ABCDEF12");
    }
}

TEST(CellText, NumberColumnShowsTheCatalogueIndexAndNamesAreDecoded)
{
    TListedCatalogue cat = OneEntry(akImg, 0, 1, "\xD2\xE5\xF1\xF2.txd");
    cat.Entries.push_back(cat.Entries[0]);
    std::snprintf(cat.Entries[1].Name, sizeof cat.Entries[1].Name, "second");
    cat.RowOrder = {1, 0};
    EXPECT_EQ(CellText(cat, cat, 0, 0, "."), "1");
    EXPECT_EQ(CellText(cat, cat, 0, 1, "."), "second");
    EXPECT_EQ(CellText(cat, cat, 1, 0, "."), "0");
    EXPECT_EQ(CellText(cat, cat, 1, 1, "."), "Тест.txd");
}

TEST(EntrySizeText, SectorKindsDoubleTheSizeByteKindsRoundUp)
{
    TArchiveEntry e{};
    e.Size = 3;
    EXPECT_EQ(EntrySizeText(akImg, e), "6 КБ");
    EXPECT_EQ(EntrySizeText(akImgV2, e), "6 КБ");
    e.Size = 0xFFFFFFFFu;  // no 32-bit wrap
    EXPECT_EQ(EntrySizeText(akImgV2, e), "8589934590 КБ");
    for (auto [bytes, kb] : {std::pair{0u, 0u}, {1u, 1u}, {1024u, 1u}, {1025u, 2u}}) {
        e.Size = bytes;
        EXPECT_EQ(EntrySizeKB(akBig, e), kb) << bytes;
        EXPECT_EQ(EntrySizeKB(akSyb, e), kb) << bytes;
    }
}
