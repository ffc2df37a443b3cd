// korvane-cli list, run as a separate process.
#include <gtest/gtest.h>

#include "CliRun.h"

#include <cstdio>

#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

TEST(CliList, TsvPrintsTheFourCellTextsOfEveryRow)
{
    TempDir dir;
    WriteBytes(dir.File("a.img"), "");
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "VIRGO.DFF"}, {1, 3, "\xCF\xF0\xE8\xE2\xE5\xF2.txd"}}));
    const TRun r = Cli("list " + Quote(dir.File("a.img")) + " --format tsv");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "0\tVIRGO.DFF\t00000000\t2 КБ\n1\tПривет.txd\t00000800\t6 КБ\n");
    EXPECT_TRUE(r.err.empty());
}

TEST(CliList, EachSortIsOneHeaderClick)
{
    TempDir dir;
    WriteBytes(dir.File("b.big"), BigBytes({{0x30, 2000, "ab"}, {0x10, 7, "B"}, {0x20, 1024, "a"}}));
    const std::string f = Quote(dir.File("b.big"));
    EXPECT_EQ(Cli("list " + f + " --sort 1 --format tsv").out,
              "1\tB\t00000010\t7 байт\n2\ta\t00000020\t1.00 КБ\n0\tab\t00000030\t1.95 КБ\n");
    EXPECT_EQ(Cli("list " + f + " --sort 1 --sort 1 --format tsv").out,
              "0\tab\t00000030\t1.95 КБ\n2\ta\t00000020\t1.00 КБ\n1\tB\t00000010\t7 байт\n");
    EXPECT_EQ(Cli("list " + f + " --sort 3 --sort 0 --format tsv").out.substr(0, 2), "0\t");
}

TEST(CliList, TextAndJsonFormats)
{
    TempDir dir;
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 1, "A\"B.TXD"}, {2, 2, "C.DFF"}}));
    const std::string f = Quote(dir.File("v.img"));
    const TRun text = Cli("list " + f + " --sort 3");
    EXPECT_EQ(text.code, 0);
    EXPECT_EQ(text.out,
              "№  Имя      Адрес     Размер •\n"
              "0  A\"B.TXD  00000800  2 КБ\n"
              "1  C.DFF    00001000  4 КБ\n");
    const TRun json = Cli("list " + f + " --format json");
    EXPECT_EQ(json.out,
              "[\n {\"index\": \"0\", \"name\": \"A\\\"B.TXD\", \"address\": \"00000800\", \"size\": \"2 КБ\"},\n"
              " {\"index\": \"1\", \"name\": \"C.DFF\", \"address\": \"00001000\", \"size\": \"4 КБ\"}\n]\n");
}

TEST(CliList, ErrorsAndUsage)
{
    TempDir dir;
    WriteBytes(dir.File("bad.img"), Ver2Bytes({}, 0, 5));
    const TRun bad = Cli("list " + Quote(dir.File("bad.img")));
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "korvane-cli: " + dir.File("bad.img") + ": Read beyond end of file\n");
    EXPECT_TRUE(bad.out.empty());

    EXPECT_EQ(Cli("list " + Quote(dir.File("none.img"))).err, "korvane-cli: " + dir.File("none.img") + ": File not found\n");
    EXPECT_EQ(Cli("list").code, 2);
    EXPECT_EQ(Cli("list x --sort 4").code, 2);
    EXPECT_EQ(Cli("list x --format xml").code, 2);
    EXPECT_EQ(Cli("list x --whole-word").code, 2);
    EXPECT_EQ(Cli("list x --filter").code, 2);
    EXPECT_EQ(Cli("frobnicate").code, 2);
    EXPECT_EQ(Cli("").code, 2);
    const TRun help = Cli("list --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: korvane-cli list"), std::string::npos);
}

TEST(CliList, SizeTextsFollowLcNumeric)
{
    TempDir dir;
    WriteBytes(dir.File("b.big"), BigBytes({{0x10, 1536, "a"}}));
    const std::string f = Quote(dir.File("b.big"));
    EXPECT_EQ(Cli("list " + f + " --format tsv", "LC_ALL=C").out, "0\ta\t00000010\t1.50 КБ\n");
    const TRun ru = Cli("list " + f + " --format tsv",
                        std::string("LOCPATH=") + KORVANE_TEST_LOCALES + " LC_ALL= LC_NUMERIC=ru_RU.UTF-8");
    if (ru.out.find(',') == std::string::npos) GTEST_SKIP() << "the ru_RU.UTF-8 locale could not be made";
    EXPECT_EQ(ru.out, "0\ta\t00000010\t1,50 КБ\n");
}

TEST(CliList, AFileErrorNamesTheFileItConcerns)
{
    TempDir dir;
    // A file with no ".dir" beside it is read as an .img archive, whose
    // directory is the file missing; a relative name is shown from the root.
    WriteBytes(dir.File("notes.txt"), "just some notes\n");
    TRun r = Cli("list notes.txt", "cd " + Quote(dir.Path()) + " &&");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("notes.dir") + ": File not found\n");
    EXPECT_TRUE(r.out.empty());
    r = Cli("list " + Quote(dir.File("notes.txt")));
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("notes.dir") + ": File not found\n");
    r = Cli("list .//notes.txt", "cd " + Quote(dir.Path()) + " &&");
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("notes.dir") + ": File not found\n");
    // ".." over a folder that is not there names the path as given.
    r = Cli("list sub/../notes.txt", "cd " + Quote(dir.Path()) + " &&");
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("sub/../notes.txt") + ": File not found\n");

    r = Cli("list /no/such.img");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: /no/such.img: File not found\n");

    // Errors that concern no file read as before.
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 1, "m.dff"}}, 2 * 2048));
    r = Cli("extract " + Quote(dir.File("v.img")) + " 5");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("korvane-cli", 0), 0u);
    EXPECT_EQ(r.err.find(dir.Path()), std::string::npos) << r.err;
}
