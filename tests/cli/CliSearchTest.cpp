// korvane-cli list --filter and korvane-cli find.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "base/NameCodec.h"

using korvane::Utf8ToCp1251;

namespace {

class CliSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* names[] = {"Player.txd", "TXDLOAD.DAT", "car.dff", "a.dff.bak", "player.TXD", "Машина.txd"};
        std::vector<TBigRecord> records;
        uint32_t offset = 0x40;
        for (const char* n : names) records.push_back({offset += 0x10, 100, Utf8ToCp1251(n)});
        WriteBytes(dir.File("s.big"), BigBytes(records));
        archive = ShellQuote(dir.File("s.big"));
    }
    TempDir dir;
    std::string archive;
};

const char* const kTxdRows =
    "0\tPlayer.txd\t00000050\t100 байт\n"
    "1\tTXDLOAD.DAT\t00000060\t100 байт\n"
    "4\tplayer.TXD\t00000090\t100 байт\n"
    "5\tМашина.txd\t000000A0\t100 байт\n";

}  // namespace

TEST_F(CliSearch, ListFilterKeepsTheMatchesInCatalogueOrder)
{
    const TCliRun r = RunCli("list " + archive + " --filter txd --format tsv");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kTxdRows);
    EXPECT_EQ(RunCli("list " + archive + " --filter '*.dff' --whole-word --format tsv").out,
              "2\tcar.dff\t00000070\t100 байт\n");
    EXPECT_EQ(RunCli("list " + archive + " --format tsv --match-case --filter PLAYER").out,
              "0\tPlayer.txd\t00000050\t100 байт\n4\tplayer.TXD\t00000090\t100 байт\n");
    EXPECT_EQ(RunCli("list " + archive + " --filter машина --format tsv").out, "5\tМашина.txd\t000000A0\t100 байт\n");
    // Cyrillic keeps its case with --match-case: no rows, and no failure.
    const TCliRun none = RunCli("list " + archive + " --filter машина --match-case");
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.out, "№  Имя  Адрес  Размер\n");
    // The sort clicks act on the filtered rows.
    EXPECT_EQ(RunCli("list " + archive + " --filter txd --sort 1 --sort 1 --format tsv").out,
              "5\tМашина.txd\t000000A0\t100 байт\n4\tplayer.TXD\t00000090\t100 байт\n"
              "1\tTXDLOAD.DAT\t00000060\t100 байт\n0\tPlayer.txd\t00000050\t100 байт\n");
}

TEST_F(CliSearch, FindPrintsTheRowsFindAllSelects)
{
    const TCliRun tsv = RunCli("find " + archive + " txd --format tsv");
    EXPECT_EQ(tsv.code, 0) << tsv.err;
    EXPECT_EQ(tsv.out, kTxdRows);
    EXPECT_TRUE(tsv.err.empty());
    EXPECT_EQ(RunCli("find " + archive + " dff").out,
              "№  Имя        Адрес     Размер\n"
              "2  car.dff    00000070  100 байт\n"
              "3  a.dff.bak  00000080  100 байт\n");
    EXPECT_EQ(RunCli("find --whole-word " + archive + " '*.DFF' --format json").out,
              "[\n {\"index\": \"2\", \"name\": \"car.dff\", \"address\": \"00000070\", \"size\": \"100 байт\"}\n]\n");
    // An empty text finds every row.
    EXPECT_EQ(RunCli("find " + archive + " '' --format tsv").out.size(),
              RunCli("list " + archive + " --format tsv").out.size());
    // A text that begins with "-".
    EXPECT_EQ(RunCli("find " + archive + " --format tsv -- -").code, 1);
}

TEST_F(CliSearch, NothingFoundAndMalformedMasksFail)
{
    const TCliRun none = RunCli("find " + archive + " PLAYER.TXT");
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "korvane-cli: Данная строка не найдена.\n");
    EXPECT_TRUE(none.out.empty());

    const TCliRun bad = RunCli("find " + archive + " '[12'");
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "korvane-cli: '*[12*' is an invalid mask at (6)\n");
    EXPECT_TRUE(bad.out.empty());
    const TCliRun badFilter = RunCli("list " + archive + " --filter '[!]' --whole-word");
    EXPECT_EQ(badFilter.code, 1);
    EXPECT_EQ(badFilter.err, "korvane-cli: '[!]' is an invalid mask at (3)\n");
    EXPECT_TRUE(badFilter.out.empty());

    EXPECT_EQ(RunCli("find " + archive).code, 2);
    EXPECT_EQ(RunCli("find " + archive + " a b").code, 2);
    EXPECT_EQ(RunCli("find " + archive + " a --format xml").code, 2);
    EXPECT_EQ(RunCli("find " + archive + " a --bogus").code, 2);
    const TCliRun help = RunCli("find --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: korvane-cli find ARCHIVE TEXT"), std::string::npos);
}
