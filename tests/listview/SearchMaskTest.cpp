#include <gtest/gtest.h>

#include "support/ListedCatalogue.h"

#include <cstring>

#include "base/NameCodec.h"
#include "listview/RowSearch.h"
#include "listview/SearchMask.h"

using namespace korvane;

namespace {

// Names are Windows-1251 bytes; the tests write them in UTF-8.
std::string W(const char* utf8) { return Utf8ToCp1251(utf8); }

bool Finds(const char* text, bool wholeWord, bool matchCase, const char* name)
{
    return TNameMatcher(BuildSearchMask(text, wholeWord, matchCase)).Matches(W(name));
}

// The message and position a malformed mask reports.
std::pair<std::string, int> Malformed(const std::string& mask)
{
    try {
        NameMatchesMask("x", mask);
    } catch (const EMaskException& e) {
        EXPECT_EQ(std::string(e.what()), "'" + e.Mask + "' is an invalid mask at (" + std::to_string(e.Position) + ")");
        return {e.Mask, e.Position};
    }
    return {"", 0};
}

}  // namespace

TEST(SearchMask, BuildAddsAsterisksAndUpperCasesWithoutMatchCase)
{
    EXPECT_EQ(BuildSearchMask("txd", false, false).Mask, "*TXD*");
    EXPECT_TRUE(BuildSearchMask("txd", false, false).UpperNames);
    EXPECT_EQ(BuildSearchMask("txd", true, false).Mask, "TXD");
    EXPECT_EQ(BuildSearchMask("txd", false, true).Mask, "*txd*");
    EXPECT_FALSE(BuildSearchMask("txd", false, true).UpperNames);
    EXPECT_EQ(BuildSearchMask("", false, false).Mask, "**");
    EXPECT_EQ(BuildSearchMask("", true, false).Mask, "");
    // Cyrillic letters of the code page, ё included, and letters outside it.
    EXPECT_EQ(BuildSearchMask("привет ёж ґї", true, false).Mask, "ПРИВЕТ ЁЖ ҐЇ");
    EXPECT_EQ(BuildSearchMask("[а-я]!", true, true).Mask, "[а-я]!");
}

TEST(SearchMask, TheFindDialogsTypicalTexts)
{
    // txd: *TXD*, anywhere in the name and in any case.
    EXPECT_TRUE(Finds("txd", false, false, "Player.txd"));
    EXPECT_TRUE(Finds("txd", false, false, "TXDLOAD.DAT"));
    EXPECT_FALSE(Finds("txd", false, false, "player.dff"));
    // *.dff as a whole word: only names that end in .dff, any case.
    EXPECT_TRUE(Finds("*.dff", true, false, "a.dff"));
    EXPECT_TRUE(Finds("*.dff", true, false, "B.DFF"));
    EXPECT_TRUE(Finds("*.dff", true, false, ".Dff"));
    EXPECT_FALSE(Finds("*.dff", true, false, "a.dff.bak"));
    EXPECT_FALSE(Finds("*.dff", true, false, "a.dfff"));
    // An empty text: every name, or as a whole word only the empty name.
    EXPECT_TRUE(Finds("", false, false, "anything"));
    EXPECT_TRUE(Finds("", false, false, ""));
    EXPECT_TRUE(Finds("", true, false, ""));
    EXPECT_FALSE(Finds("", true, false, "a"));
    EXPECT_FALSE(Finds("", true, true, "a"));
}

TEST(SearchMask, MatchCaseStillFoldsLatinButNoOtherLetter)
{
    EXPECT_TRUE(Finds("PLAYER", false, true, "player.txd"));
    EXPECT_TRUE(Finds("player", true, true, "PLAYER"));
    EXPECT_TRUE(Finds("[p]LAYER", true, true, "player"));
    // Cyrillic: the same letter in the same case only.
    EXPECT_TRUE(Finds("машина", false, true, "машина.txd"));
    EXPECT_FALSE(Finds("МАШИНА", false, true, "машина.txd"));
    EXPECT_FALSE(Finds("машина", false, true, "Машина.txd"));
    EXPECT_FALSE(Finds("[м]", true, true, "М"));
    // Without match case Cyrillic and ё compare alike too.
    EXPECT_TRUE(Finds("машина", false, false, "МАШИНА.TXD"));
    EXPECT_TRUE(Finds("ЁЛКА", true, false, "ёлка"));
    EXPECT_TRUE(Finds("[а-я]", true, false, "Ж"));
    // Other characters never fold: ä is not in the code page, µ has no capital there.
    EXPECT_TRUE(Finds("µ", true, false, "µ"));
    // A character the code page lacks is in no name.
    EXPECT_FALSE(NameMatchesMask("?", "é"));
    EXPECT_FALSE(NameMatchesMask("a", "[é-ü]"));
}

TEST(SearchMask, FloatingStepsBacktrack)
{
    EXPECT_TRUE(NameMatchesMask("XAXB", "*A*B"));
    EXPECT_TRUE(NameMatchesMask("AB", "*A*B"));
    EXPECT_FALSE(NameMatchesMask("BA", "*A*B"));
    EXPECT_FALSE(NameMatchesMask("ABA", "*A*B"));
    EXPECT_TRUE(NameMatchesMask("ABAB", "*A*B"));
    EXPECT_TRUE(NameMatchesMask("aaab", "*A?B"));
    EXPECT_TRUE(NameMatchesMask("xaxaxb", "*aX*xB"));
    EXPECT_FALSE(NameMatchesMask("xaxb", "*AXAX*"));
    // Runs of "*" act as one.
    EXPECT_TRUE(NameMatchesMask("ab", "a***b"));
    EXPECT_TRUE(NameMatchesMask("a", "a***"));
    // The end step: the whole name must be used up.
    EXPECT_FALSE(NameMatchesMask("abc", "ab"));
    EXPECT_FALSE(NameMatchesMask("ab", "abc"));
    EXPECT_TRUE(NameMatchesMask("abc", "a?c"));
    EXPECT_FALSE(NameMatchesMask("ac", "a?c"));
}

TEST(SearchMask, AQuestionMarkRightAfterAnAsteriskIsDropped)
{
    EXPECT_TRUE(NameMatchesMask("", "*?"));
    EXPECT_TRUE(NameMatchesMask("ab", "a*?b"));
    EXPECT_TRUE(NameMatchesMask("ab", "a**?b"));
    // Only the "?" straight after the "*": the next one takes a character.
    EXPECT_FALSE(NameMatchesMask("", "*??"));
    EXPECT_TRUE(NameMatchesMask("x", "*??"));
    EXPECT_FALSE(NameMatchesMask("ab", "a?*b"));
    EXPECT_TRUE(NameMatchesMask("axb", "a?*b"));
    EXPECT_FALSE(NameMatchesMask("ab", "a?b"));
}

TEST(SearchMask, Sets)
{
    EXPECT_TRUE(NameMatchesMask("b", "[abc]"));
    EXPECT_FALSE(NameMatchesMask("d", "[abc]"));
    EXPECT_TRUE(NameMatchesMask("B", "[abc]"));
    EXPECT_TRUE(NameMatchesMask("b", "[A-C]"));
    EXPECT_TRUE(NameMatchesMask("5", "[0-9]"));
    EXPECT_TRUE(NameMatchesMask("d", "[!abc]"));
    EXPECT_FALSE(NameMatchesMask("A", "[!abc]"));
    EXPECT_FALSE(NameMatchesMask("!", "[!!]"));
    EXPECT_TRUE(NameMatchesMask("x", "[!!]"));
    // A set matches exactly one character.
    EXPECT_FALSE(NameMatchesMask("", "[!a]"));
    EXPECT_FALSE(NameMatchesMask("ab", "[ab]"));
    // A reversed range adds nothing, its ends included.
    EXPECT_FALSE(NameMatchesMask("z", "[z-a]"));
    EXPECT_FALSE(NameMatchesMask("a", "[z-a]"));
    EXPECT_FALSE(NameMatchesMask("q", "[z-ax]"));
    EXPECT_TRUE(NameMatchesMask("x", "[z-ax]"));
    EXPECT_TRUE(NameMatchesMask("m", "[!z-a]"));
    // Characters that are wildcards elsewhere are themselves in a set; a "-"
    // before the "]" is itself too.
    EXPECT_TRUE(NameMatchesMask("*", "[*?[]"));
    EXPECT_TRUE(NameMatchesMask("[", "[*?[]"));
    EXPECT_FALSE(NameMatchesMask("a", "[*?[]"));
    EXPECT_TRUE(NameMatchesMask("-", "[a-]"));
    EXPECT_TRUE(NameMatchesMask("a", "[a-]"));
    EXPECT_TRUE(NameMatchesMask("-", "[a-c-e]"));
    EXPECT_TRUE(NameMatchesMask("e", "[a-c-e]"));
    EXPECT_FALSE(NameMatchesMask("d", "[a-c-e]"));
    // "]" outside a set is an ordinary character.
    EXPECT_TRUE(NameMatchesMask("a]", "a]"));
    // Ranges run in code page order: Ё (0xA8) .. я (0xFF) holds every Cyrillic letter.
    EXPECT_TRUE(NameMatchesMask(W("ё"), "[Ё-я]"));
    EXPECT_TRUE(NameMatchesMask(W("Ж"), "[Ё-я]"));
    EXPECT_FALSE(NameMatchesMask(W("ё"), "[а-я]"));
    // The case of a-z in a range's ends folds the members, not the range.
    EXPECT_TRUE(NameMatchesMask("z", "[Z-a]"));
    EXPECT_TRUE(NameMatchesMask("_", "[Z-a]"));
    EXPECT_FALSE(NameMatchesMask("b", "[Z-a]"));
}

TEST(SearchMask, MalformedMasksReportTheMaskAndWhereReadingStopped)
{
    // The find text [12 in the find dialog: the set runs on through the "*".
    try {
        TNameMatcher(BuildSearchMask("[12", false, false)).Matches("x");
        FAIL() << "no exception";
    } catch (const EMaskException& e) {
        EXPECT_STREQ(e.what(), "'*[12*' is an invalid mask at (6)");
    }
    EXPECT_EQ(Malformed("[]"), std::make_pair(std::string("[]"), 2));
    EXPECT_EQ(Malformed("ab[!]"), std::make_pair(std::string("ab[!]"), 5));
    EXPECT_EQ(Malformed("*[-a]"), std::make_pair(std::string("*[-a]"), 3));
    EXPECT_EQ(Malformed("[!-a]"), std::make_pair(std::string("[!-a]"), 3));
    EXPECT_EQ(Malformed("a["), std::make_pair(std::string("a["), 3));
    EXPECT_EQ(Malformed("[!"), std::make_pair(std::string("[!"), 3));
    // The first fault from the left is the one reported.
    EXPECT_EQ(Malformed("[]x[").second, 2);
    // Messages carry the mask as built, upper-cased without match case.
    try {
        TNameMatcher(BuildSearchMask("привет[", false, false)).Matches("x");
        FAIL() << "no exception";
    } catch (const EMaskException& e) {
        EXPECT_STREQ(e.what(), "'*ПРИВЕТ[*' is an invalid mask at (10)");
    }
}

TEST(SearchMask, AtMostThirtyFloatingSteps)
{
    // "*a" thirty times and the end: 31 floating steps.
    std::string thirty;
    for (int k = 0; k < 29; ++k) thirty += "*a";
    thirty += "*";  // 29 + the floating end = 30
    EXPECT_TRUE(NameMatchesMask(std::string(29, 'a'), thirty));
    EXPECT_EQ(Malformed(thirty + "a*").second, 62);  // the 30th "a" floats; the end is the 31st
    EXPECT_EQ(Malformed(thirty + "a*").first, thirty + "a*");
    EXPECT_EQ(Malformed(thirty + "ab").second, 0);     // end not floating: 30
    EXPECT_EQ(Malformed(thirty + "*b*c").second, 63);  // runs count once; "c" is the 31st
    // The steps the dialog adds count too: 30 in the text and the floating end make 31.
    std::string text;
    for (int k = 0; k < 30; ++k) text += "a*";
    try {
        TNameMatcher(BuildSearchMask(text, false, true)).Matches("x");
        FAIL() << "no exception";
    } catch (const EMaskException& e) {
        EXPECT_EQ(e.Position, 63);
    }
}

TEST(SearchMask, AMalformedMaskIsReportedByTheFirstTest)
{
    TNameMatcher m(BuildSearchMask("[", true, false));
    EXPECT_TRUE(m.Malformed());
    EXPECT_THROW(m.Matches(""), EMaskException);
    EXPECT_FALSE(TNameMatcher(BuildSearchMask("[a]", true, false)).Malformed());
}

TEST(SearchMask, UpperCaseOfTheCodePage)
{
    std::string changed;
    for (int b = 1; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        if (UpperCp1251(c) != c) changed += char(c);
    }
    // Exactly the lower-case letters change, each to its own capital.
    EXPECT_EQ(Cp1251ToUtf8(changed),
              "abcdefghijklmnopqrstuvwxyzѓђљњќћџўіґёєјѕїабвгдежзийклмнопрстуфхцчшщъыьэюя");
    EXPECT_EQ(Cp1251ToUtf8(UpperCp1251(W("abcxyzабвгдеёжзийклмнопрстуфхцчшщъыьэюяђѓљњќћџўјґєіїѕ"))),
              "ABCXYZАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯЂЃЉЊЌЋЏЎЈҐЄІЇЅ");
    EXPECT_EQ(changed.size(), 26u + 33u + 14u);
    EXPECT_EQ(UpperCp1251(W("µ€№«")), W("µ€№«"));
}

TEST(RowSearch, WalksReportAMalformedMaskOnlyWhenTheyTestAName)
{
    TListedCatalogue cat;
    const TNameMatcher bad(BuildSearchMask("[12", false, false));
    EXPECT_EQ(FilterRows(cat, cat, bad), 0u);
    EXPECT_TRUE(FindAllRows(cat, cat, 0, bad).empty());

    cat.Entries.resize(4);
    const char* names[] = {"b.txd", "a.dff", "c.TXD", ""};
    for (size_t i = 0; i < 4; ++i) std::strcpy(cat.Entries[i].Name, names[i]);
    cat.RowOrder = {3, 2, 1, 0};
    EXPECT_EQ(FindNextRow(cat, cat, 4, 4, bad), -1);
    EXPECT_THROW(FindNextRow(cat, cat, 4, 3, bad), EMaskException);
    EXPECT_THROW(FilterRows(cat, cat, bad), EMaskException);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{3, 2, 1, 0}));

    const TNameMatcher txd(BuildSearchMask("txd", false, false));
    EXPECT_EQ(FindNextRow(cat, cat, 4, 0, txd), 1);
    EXPECT_EQ(FindNextRow(cat, cat, 4, 2, txd), 3);
    EXPECT_EQ(FindNextRow(cat, cat, 3, 2, txd), -1);  // rows past the count are not walked
    EXPECT_EQ(FindAllRows(cat, cat, 4, txd), (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(FilterRows(cat, cat, txd), 2u);
    EXPECT_EQ(cat.RowOrder[0], 0u);
    EXPECT_EQ(cat.RowOrder[1], 2u);
    EXPECT_EQ(ShowAllRows(cat, cat), 4u);
    EXPECT_EQ(cat.RowOrder, (tDWORDArray{0, 1, 2, 3}));
}
