#include <gtest/gtest.h>

#include "base/NameCodec.h"

using namespace korvane;

TEST(NameCodec, EveryByteSurvivesTheRoundTrip)
{
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, char(b));
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one) << b;
    }
}

TEST(NameCodec, CyrillicAndPunctuationOfTheWholeChart)
{
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2.txd"), "Привет.txd");
    EXPECT_EQ(Cp1251ToUtf8("\xA8\xB8\x95\xB9"), "Ёё•№");
    EXPECT_EQ(Utf8ToCp1251("Ёлка_№1.dff"), "\xA8\xEB\xEA\xE0_\xB9" "1.dff");
    EXPECT_EQ(Cp1251ToUnicode(0x88), U'€');
    // Every high byte, as the code page's chart shows it.
    std::string high;
    for (int b = 0x80; b < 0x100; ++b) high += char(b);
    // 0x98 has no character: the control code U+0098.
    EXPECT_EQ(Cp1251ToUtf8(high), "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\u0098™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
                                  "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя");
}

TEST(NameCodec, CharactersTheCodePageLacksBecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToCp1251("a日b"), "a?b");
    EXPECT_EQ(Utf8ToCp1251("é"), "?");
    EXPECT_EQ(Utf8ToCp1251("\xFF" "x"), "?x");
}
