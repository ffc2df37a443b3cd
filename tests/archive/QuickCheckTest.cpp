#include <gtest/gtest.h>

#include <cstring>

#include "archive/QuickCheck.h"

using namespace korvane;

namespace {

TRecArray Entries(const std::vector<std::string>& names)
{
    TRecArray entries(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        entries[i] = TArchiveEntry{};
        std::memcpy(entries[i].Name, names[i].data(), std::min(names[i].size(), size_t(511)));
    }
    return entries;
}

TCheckResult Check(const std::vector<std::string>& names) { return QuickCheck(Entries(names)); }

const TCheckResult kPassed{};

bool operator==(const TCheckResult& a, const TCheckResult& b) { return a.Outcome == b.Outcome && a.Entries == b.Entries; }

TCheckResult Bad(uint32_t i) { return {TCheckOutcome::coBadName, {i}}; }
TCheckResult Dups(std::vector<uint32_t> e) { return {TCheckOutcome::coDuplicates, std::move(e)}; }

}  // namespace

TEST(QuickCheck, AllowedCharactersAndTheFirst24Only)
{
    EXPECT_TRUE(Check({}) == kPassed);
    EXPECT_TRUE(Check({"plain.txd", "A+B_C~D@E.DFF", "0123456789", ""}) == kPassed);
    EXPECT_TRUE(Check({"ok.txd", "a-b.txd"}) == Bad(1));
    EXPECT_TRUE(Check({"a b.txd"}) == Bad(0));
    EXPECT_TRUE(Check({"\xCF\xF0\xE8.txd"}) == Bad(0));  // Cyrillic in Windows-1251
    // Every byte but the zero, against the set written out.
    const std::string allowed = "+.0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz~";
    for (int c = 1; c < 256; ++c)
        EXPECT_TRUE(Check({std::string("x") + char(c)}) == (allowed.find(char(c)) != std::string::npos ? kPassed : Bad(0)))
            << c;
    // The 25th character and after are not looked at; a longer name kept in
    // the catalogue after adding is cut the same way.
    EXPECT_TRUE(Check({std::string(24, 'a') + "- $"}) == kPassed);
    EXPECT_TRUE(Check({std::string(23, 'a') + "-"}) == Bad(0));
}

TEST(QuickCheck, DuplicatesAreWholeNamesWithLatinLettersFoldedOnly)
{
    EXPECT_TRUE(Check({"x.dff", "CAR.TXD", "car.txd"}) == Dups({1, 2}));
    EXPECT_TRUE(Check({"A", "b", "a", "B", "a"}) == Dups({0, 2, 4}));
    // Names equal in their first 24 characters but not after are different.
    EXPECT_TRUE(Check({std::string(24, 'a') + "1", std::string(24, 'A') + "2"}) == kPassed);
    EXPECT_TRUE(Check({std::string(30, 'a'), std::string(30, 'A')}) == Dups({0, 1}));
    // Each Latin letter against its other case.
    const std::string lower = "abcdefghijklmnopqrstuvwxyz", upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (size_t k = 0; k < 26; ++k) EXPECT_TRUE(Check({"n" + lower.substr(k, 1), "N" + upper.substr(k, 1)}) == Dups({0, 1})) << k;
    // No other pair folds: the neighbours of both alphabets, and Cyrillic
    // а/А, я/Я, ё/Ё in Windows-1251 (past the 24 characters that must be allowed).
    const std::string left = "@[\xC0\xDF\xA8", right = "`{\xE0\xFF\xB8", p(24, 'p');
    for (size_t k = 0; k < left.size(); ++k) EXPECT_TRUE(Check({p + left[k], p + right[k]}) == kPassed) << k;
}

TEST(QuickCheck, AnEarlierEntrysProblemComesFirstAndItsCharactersBeforeItsDuplicates)
{
    EXPECT_TRUE(Check({"car.txd", "bad name", "CAR.TXD"}) == Dups({0, 2}));
    EXPECT_TRUE(Check({"bad name", "car.txd", "CAR.TXD"}) == Bad(0));
    EXPECT_TRUE(Check({"ok", "a-b", "A-B"}) == Bad(1));
    EXPECT_TRUE(Check({"ok", "x", "y", "Y", "X"}) == Dups({1, 4}));
    EXPECT_TRUE(Check({"ok", "x", "y-", "Y", "X"}) == Dups({1, 4}));
}

TEST(QuickCheck, MessageTexts)
{
    EXPECT_EQ(CheckMessage(TCheckOutcome::coBadName).Caption, "Некорректное имя файла");
    EXPECT_EQ(CheckMessage(TCheckOutcome::coBadName).Text, "В именах файлов не рекомендуется употреблять подобные символы");
    EXPECT_EQ(CheckMessage(TCheckOutcome::coDuplicates).Caption, "Найдены дубликаты!");
    EXPECT_EQ(CheckMessage(TCheckOutcome::coDuplicates).Text, "Выделенные файлы имеют одинаковые имена");
    EXPECT_EQ(CheckMessage(TCheckOutcome::coPassed).Text, "Проверка завершена");
    EXPECT_EQ(CheckMessage(TCheckOutcome::coBadName, EnglishWords).Caption, "Invalid file name");
    EXPECT_EQ(CheckMessage(TCheckOutcome::coDuplicates, EnglishWords).Text, "The selected files have the same names");
    EXPECT_EQ(CheckMessage(TCheckOutcome::coPassed, EnglishWords).Text, "Check complete");
}
