// korvane-cli extract, add, replace, delete and rename, run as a separate
// process, with the files read back byte for byte.
#include <gtest/gtest.h>

#include "CliRun.h"

#include <cstdio>
#include <filesystem>

#include "support/ArchiveWriters.h"
#include "support/ExtractLinkCases.h"
#include "support/TempDir.h"

namespace {


std::string Bytes(size_t n, int seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 3 + size_t(seed) * 41 + 5) % 239);
    return s;
}

class CliEdit : public ::testing::Test {
protected:
    // A two-file archive of n one-sector entries F0.TXD ... with their data.
    std::string Img(int n)
    {
        std::vector<TDirRecord> records;
        std::string data;
        for (int i = 0; i < n; ++i) {
            records.push_back({uint32_t(i), 1, "F" + std::to_string(i) + ".TXD"});
            data += Bytes(2048, i);
        }
        WriteBytes(dir.File("a.dir"), ImgDirBytes(records));
        WriteBytes(dir.File("a.img"), data);
        return Quote(dir.File("a.img"));
    }
    std::string Names(const std::string& archive)
    {
        const TRun r = Cli("list " + archive + " --format tsv");
        std::string names;
        for (size_t at = 0; at < r.out.size();) {
            const size_t tab = r.out.find('\t', at), end = r.out.find('\n', at);
            names += r.out.substr(tab + 1, r.out.find('\t', tab + 1) - tab - 1) + " ";
            at = end + 1;
        }
        return names;
    }
    TempDir dir;
};

}  // namespace

TEST_F(CliEdit, ExtractWritesEveryEntryOrTheChosenOnes)
{
    WriteBytes(dir.File("a.img"), Bytes(3 * 2048 + 100, 1));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "one.txd"}, {1, 1, "sub\\two.dff"}, {2, 2, "three"}}));
    std::filesystem::create_directories(dir.File("out/sub"));
    const std::string all = Bytes(3 * 2048 + 100, 1);
    const std::string a = Quote(dir.File("a.img"));

    TRun r = Cli("extract " + a + " -C " + Quote(dir.File("out")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(ReadBytes(dir.File("out/one.txd")), all.substr(0, 2048));
    EXPECT_EQ(ReadBytes(dir.File("out/sub/two.dff")), all.substr(2048, 2048));
    EXPECT_EQ(ReadBytes(dir.File("out/three")), all.substr(4096));  // up to the archive's end

    std::filesystem::create_directory(dir.File("here"));
    r = Cli("extract " + a + " 2 0", "cd " + Quote(dir.File("here")) + " &&");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("here/three")), all.substr(4096));
    EXPECT_EQ(ReadBytes(dir.File("here/one.txd")), all.substr(0, 2048));

    r = Cli("extract " + a + " 1 --to " + Quote(dir.File("single.bin")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("single.bin")), all.substr(2048, 2048));

    // A missing folder ends the command with the file error.
    r = Cli("extract " + a + " 1 -C " + Quote(dir.File("here")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("here/sub/two.dff") + ": File not found\n");
}

TEST_F(CliEdit, ExtractRefusesNamesThatLeadOutsideTheFolder)
{
    WriteBytes(dir.File("a.img"), Bytes(2 * 2048, 2));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "..\\..\\up.txt"}, {1, 1, "fine.txt"}}));
    std::filesystem::create_directories(dir.File("x/y"));
    const TRun r = Cli("extract " + Quote(dir.File("a.img")) + " -C " + Quote(dir.File("x/y")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: Not extracted, the name leads outside the chosen folder: \"..\\..\\up.txt\"\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("up.txt")));
    EXPECT_EQ(ReadBytes(dir.File("x/y/fine.txt")), Bytes(2 * 2048, 2).substr(2048));
}

TEST_F(CliEdit, ExtractingIntoAFolderNeverWritesThroughALink)
{
    for (const link_cases::TLinkCase& c : link_cases::kCases) {
        TempDir root;
        link_cases::Plant(root.Path(), c);
        const TRun r = Cli("extract a.img -C " + std::string(c.folder), "cd " + Quote(root.Path()) + " &&");
        // The link from the root; the path guard's message only without one.
        const std::string link = std::filesystem::canonical(root.Path()).string() + "/out/a";
        EXPECT_EQ(r.err, "korvane-cli: " + (c.inTheWay ? link + ": a symbolic link is in the way" : link_cases::kGuard) + "\n");
        EXPECT_EQ(r.code, 1);
        link_cases::ExpectNotWrittenThrough(root.Path(), c);
    }
    TempDir root;  // --to FILE is the user's choice: its link is followed
    link_cases::Plant(root.Path(), link_cases::kCases[0]);
    EXPECT_EQ(Cli("extract a.img 0 --to out/r.txt", "cd " + Quote(root.Path()) + " &&").code, 0);
    EXPECT_EQ(ReadBytes(root.File("victim")), link_cases::Data(0));
}

TEST_F(CliEdit, AddReplaceDeleteAndRenameChangeTheArchiveAsTheWindowDoes)
{
    const std::string a = Img(4);
    WriteBytes(dir.File("new.bin"), Bytes(3000, 9));
    WriteBytes(dir.File("Имя.dff"), "x");
    TRun r = Cli("add " + a + " " + Quote(dir.File("new.bin")) + " " + Quote(dir.File("Имя.dff")));
    EXPECT_EQ(r.code, 0) << r.err;
    std::string img = ReadBytes(dir.File("a.img"));
    EXPECT_EQ(img.substr(4 * 2048), Bytes(3000, 9) + std::string(1096, '\0') + "x" + std::string(2047, '\0'));
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(128),
              DirRecordBytes({4, 2, "new.bin"}) + DirRecordBytes({6, 1, "\xC8\xEC\xFF.dff"}));
    EXPECT_EQ(Names(a), "F0.TXD F1.TXD F2.TXD F3.TXD new.bin Имя.dff ");

    WriteBytes(dir.File("fits.bin"), Bytes(2048, 10));
    r = Cli("replace " + a + " 1 " + Quote(dir.File("fits.bin")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("a.img")).substr(2048, 2048), Bytes(2048, 10));
    EXPECT_EQ(Names(a), "F0.TXD fits.bin F2.TXD F3.TXD new.bin Имя.dff ");

    r = Cli("replace " + a + " 0 " + Quote(dir.File("new.bin")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Names(a), "fits.bin F2.TXD F3.TXD new.bin Имя.dff new.bin ");
    EXPECT_EQ(ReadBytes(dir.File("a.img")).substr(7 * 2048), Bytes(3000, 9) + std::string(1096, '\0'));

    r = Cli("delete " + a + " 1 3 1");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Names(a), "fits.bin F3.TXD Имя.dff new.bin ");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).size(), 4u * 32);

    r = Cli("rename " + a + " 1 " + Quote("ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ"));  // 24 characters
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32 + 8, 24), std::string(24, '\xC6'));
    r = Cli("rename " + a + " 2 ''");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Names(a), "fits.bin ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ  new.bin ");
}

// The directory keeps 24 Windows-1251 bytes of a name; a name that does not
// survive that is stored all the same, with a warning.
TEST_F(CliEdit, AddAndReplaceWarnWhenANameIsNotStoredAsItStands)
{
    const std::string a = Img(1);
    const std::string fits = dir.File("exactly_24_characters.ab"), longer = dir.File("twenty_five_characters.ab"),
                      snow = dir.File("snow☃.txt"), russian = dir.File("Привет.txt");
    for (const std::string& f : {fits, longer, snow, russian}) WriteBytes(f, "x");
    TRun r = Cli("add " + a + " " + Quote(fits) + " " + Quote(longer) + " " + Quote(snow) + " " + Quote(russian));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "korvane-cli: warning: " + longer + " stored as \"twenty_five_characters.a\"\n"
                     "korvane-cli: warning: " + snow + " stored as \"snow?.txt\"\n");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32),
              DirRecordBytes({1, 1, "exactly_24_characters.ab"}) + DirRecordBytes({2, 1, "twenty_five_characters.a"}) +
                  DirRecordBytes({3, 1, "snow?.txt"}) + DirRecordBytes({4, 1, "\xCF\xF0\xE8\xE2\xE5\xF2.txt"}));
    r = Cli("replace " + a + " 0 " + Quote(longer));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "korvane-cli: warning: " + longer + " stored as \"twenty_five_characters.a\"\n");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(0, 32), DirRecordBytes({0, 1, "twenty_five_characters.a"}));
}

TEST_F(CliEdit, Ver2ArchivesGrowTheirCountAndRecords)
{
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 1, "A"}, {2, 1, "B"}}, 3 * 2048));
    const std::string v = Quote(dir.File("v.img"));
    WriteBytes(dir.File("c.bin"), "ccc");
    EXPECT_EQ(Cli("add " + v + " " + Quote(dir.File("c.bin"))).code, 0);
    std::string bytes = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(bytes.substr(4, 4), LE32(3));
    EXPECT_EQ(bytes.substr(72, 32), DirRecordBytes({3, 1, "c.bin"}));
    EXPECT_EQ(Cli("delete " + v + " 0").code, 0);
    bytes = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(bytes.substr(4, 4), LE32(2));
    EXPECT_EQ(Names(v), "B c.bin ");
}

TEST_F(CliEdit, AnIndexThatNamesNoEntryChangesNothing)
{
    const std::string a = Img(10);
    WriteBytes(dir.File("src.bin"), "s");
    const std::string img = ReadBytes(dir.File("a.img")), dirBytes = ReadBytes(dir.File("a.dir"));
    const std::pair<std::string, std::string> runs[] = {
        {"delete " + a + " 2 10", "delete"},
        {"rename " + a + " 12 X", "rename"},
        {"replace " + a + " 10 " + Quote(dir.File("src.bin")), "replace"},
        {"extract " + a + " 3 99 -C " + Quote(dir.Path()), "extract"},
        {"extract " + a + " 10 --to " + Quote(dir.File("never")), "extract"},
    };
    for (const auto& [args, verb] : runs) {
        const TRun r = Cli(args);
        EXPECT_EQ(r.code, 1) << args;
        EXPECT_NE(r.err.find("korvane-cli " + verb + ": no entry "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(": the archive has 10 entries"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadBytes(dir.File("a.img")), img);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    EXPECT_FALSE(std::filesystem::exists(dir.File("F3.TXD")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("never")));
}

TEST_F(CliEdit, UsageErrorsAndHelp)
{
    const std::string a = Img(2);
    const std::string dirBytes = ReadBytes(dir.File("a.dir"));
    const TRun longName = Cli("rename " + a + " 0 ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(longName.code, 2);
    EXPECT_NE(longName.err.find("more than 24 characters"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    for (const std::string& args : {"add " + a, "delete " + a, "delete " + a + " x1", "rename " + a + " 0",
                                    "replace " + a + " 0", "extract " + a + " 0 1 --to f",
                                    "extract " + a + " 0 -C d --to f", "extract " + a + " -C", std::string("extract"),
                                    "extract " + a + " -1", "delete " + a + " 4294967296", "import " + a,
                                    "import " + a + " x --format csv"})
        EXPECT_EQ(Cli(args).code, 2) << args;
    for (const char* verb : {"extract", "add", "replace", "delete", "rename", "import"}) {
        const TRun help = Cli(std::string(verb) + " --help");
        EXPECT_EQ(help.code, 0) << verb;
        EXPECT_EQ(help.out.find(std::string("usage: korvane-cli ") + verb), 0u) << verb;
    }
    EXPECT_NE(Cli("--help").out.find("  rename "), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
}

TEST_F(CliEdit, ArchivesThatCannotBeChangedOnlyExtract)
{
    WriteBytes(dir.File("s.syb"), SybBytes({{"a.txt", 3}, {"b.txt", 4}}));
    WriteBytes(dir.File("src.bin"), "s");
    const std::string s = Quote(dir.File("s.syb"));
    const std::string before = ReadBytes(dir.File("s.syb"));
    for (const std::string& args : {"add " + s + " " + Quote(dir.File("src.bin")), "delete " + s + " 0",
                                    "rename " + s + " 0 x", "replace " + s + " 0 " + Quote(dir.File("src.bin"))}) {
        const TRun r = Cli(args);
        EXPECT_EQ(r.code, 1) << args;
        EXPECT_EQ(r.err, "korvane-cli: Entries of VXBG and BIGF archives can only be viewed and extracted\n");
    }
    EXPECT_EQ(ReadBytes(dir.File("s.syb")), before);
    EXPECT_EQ(Cli("extract " + s + " 1 --to " + Quote(dir.File("b"))).code, 0);
    EXPECT_EQ(ReadBytes(dir.File("b")), "bbbb");
}

// Five entries, A.TXD 1 sector, B.DFF 2, C.COL, D.IFP and E.IPL 1 each, back
// to back; a folder of five files: three named like entries (a.txd in other
// case), two new, and a subfolder that is left alone. Worked out by hand: the
// adds become entries 5 and 6; D.IFP (2049 bytes) does not fit its sector and
// moves to the end, the entries after it one number lower; B.DFF is written
// over its old data, whose tail stays; a.txd (2100 bytes) moves to the end
// last, every other entry one number lower again.
TEST_F(CliEdit, ImportReplacesByNameAndAddsTheRestAsOneChange)
{
    std::filesystem::create_directories(dir.File("in/sub"));
    WriteBytes(dir.File("in/B.DFF"), Bytes(3000, 2));
    WriteBytes(dir.File("in/D.IFP"), Bytes(2049, 3));
    WriteBytes(dir.File("in/a.txd"), Bytes(2100, 4));
    WriteBytes(dir.File("in/new1.bin"), Bytes(5000, 5));
    WriteBytes(dir.File("in/new2.bin"), Bytes(10, 6));
    WriteBytes(dir.File("in/sub/C.COL"), "never");
    const std::string lines = "replaced 0 B.DFF\nreplaced 5 D.IFP\nreplaced 6 a.txd\nadded 3 new1.bin\nadded 4 new2.bin\n"
                              "total: replaced 3, added 2\n";
    const std::string old = Bytes(6 * 2048, 1);
    const std::string after = old.substr(0, 2048) + Bytes(3000, 2) + old.substr(5048, 1096) + old.substr(6144) +
                              Bytes(5000, 5) + std::string(1144, '\0') + Bytes(10, 6) + std::string(2038, '\0') +
                              Bytes(2049, 3) + std::string(2047, '\0') + Bytes(2100, 4) + std::string(1996, '\0');
    for (const uint32_t f : {0u, 1u}) {  // the first data sector: after a VER2 directory, 1
        SCOPED_TRACE(f ? "VER2" : ".img and .dir");
        const std::vector<TDirRecord> before = {
            {f, 1, "A.TXD"}, {f + 1, 2, "B.DFF"}, {f + 3, 1, "C.COL"}, {f + 4, 1, "D.IFP"}, {f + 5, 1, "E.IPL"}};
        const std::vector<TDirRecord> want = {{f + 1, 2, "B.DFF"},     {f + 3, 1, "C.COL"},   {f + 5, 1, "E.IPL"},
                                              {f + 6, 3, "new1.bin"},  {f + 9, 1, "new2.bin"}, {f + 10, 2, "D.IFP"},
                                              {f + 12, 2, "a.txd"}};
        const std::string a = dir.File(f ? "v.img" : "a.img"), d = dir.File("a.dir");
        WriteBytes(a, (f ? Ver2Bytes(before, 2048) : "") + old);
        if (!f) WriteBytes(d, ImgDirBytes(before));
        auto files = [&] { return ReadBytes(a) + (f ? "" : "|" + ReadBytes(d)); };
        const std::string filesBefore = files();

        TRun r = Cli("import --dry-run " + Quote(a) + " " + Quote(dir.File("in")));
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, lines);
        EXPECT_EQ(files(), filesBefore);

        r = Cli("import " + Quote(a) + " " + Quote(dir.File("in")));
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out + r.err, lines);
        EXPECT_EQ(files(), f ? Ver2Bytes(want, 2048) + after : after + "|" + ImgDirBytes(want));
    }
}

// A name the directory cannot hold is refused, with the file named, before
// anything is written; with --cut-names it is stored as add stores it. Two
// files of one name are refused.
TEST_F(CliEdit, ImportRefusesNamesThatDoNotFitUnlessToldToCutThem)
{
    const std::string a = Img(1);
    const std::string fits = dir.File("exactly_24_characters.ab"), longer = dir.File("twenty_five_characters.ab"),
                      snow = dir.File("snow☃.txt"), other = dir.File("o/F0.txd");
    std::filesystem::create_directory(dir.File("o"));
    for (const std::string& f : {fits, longer, snow, other}) WriteBytes(f, "x");
    const std::string img = ReadBytes(dir.File("a.img")), dirBytes = ReadBytes(dir.File("a.dir"));
    const std::string noFit = ": the name does not fit the archive's directory (at most 24 bytes, characters of "
                              "Windows-1251 only); nothing was written; --cut-names stores it cut\n";
    const std::pair<std::string, std::string> refused[] = {
        {Quote(fits) + " " + Quote(longer), "korvane-cli: " + longer + noFit},
        {Quote(snow), "korvane-cli: " + snow + noFit},
        {Quote(dir.File("F0.TXD")) + " " + Quote(other) + " --cut-names",
         "korvane-cli: \"" + dir.File("F0.TXD") + "\" and \"" + other +
             "\" would be the same entry: import them one at a time\n"},
    };
    WriteBytes(dir.File("F0.TXD"), "y");
    for (const auto& [files, message] : refused) {
        const TRun r = Cli("import " + a + " " + files);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, message);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadBytes(dir.File("a.img")), img);
        EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    }
    const TRun r = Cli("import " + a + " " + Quote(fits) + " " + Quote(longer) + " " + Quote(snow) + " --cut-names");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "added 1 exactly_24_characters.ab\nadded 2 twenty_five_characters.a\nadded 3 snow?.txt\n"
                     "total: replaced 0, added 3\n");
    EXPECT_EQ(r.err, "korvane-cli: warning: " + longer + " stored as \"twenty_five_characters.a\"\n"
                     "korvane-cli: warning: " + snow + " stored as \"snow?.txt\"\n");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32),
              DirRecordBytes({1, 1, "exactly_24_characters.ab"}) + DirRecordBytes({2, 1, "twenty_five_characters.a"}) +
                  DirRecordBytes({3, 1, "snow?.txt"}));
}

// Of two entries whose names differ in case alone the first is replaced,
// with a warning; json and tsv print the same as the text lines.
TEST_F(CliEdit, ImportWarnsWhenSeveralEntriesHaveTheNameAndPrintsJsonAndTsv)
{
    WriteBytes(dir.File("a.img"), Bytes(3 * 2048, 1));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "x.txd"}, {1, 1, "X.TXD"}, {2, 1, "Y"}}));
    const std::string a = Quote(dir.File("a.img")), x = dir.File("X.txd"), n = dir.File("n\"1.bin");
    WriteBytes(x, "new");
    WriteBytes(n, Bytes(2049, 7));
    TRun r = Cli("import " + a + " " + Quote(x) + " " + Quote(n) + " --format json");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "korvane-cli: warning: " + x + " replaces the first of 2 entries named \"X.txd\" (a-z and A-Z alike)\n");
    EXPECT_EQ(r.out, "[\n {\"action\": \"replaced\", \"index\": 0, \"name\": \"X.txd\", \"file\": \"" + x +
                         "\"},\n {\"action\": \"added\", \"index\": 3, \"name\": \"n\\\"1.bin\", \"file\": \"" +
                         dir.File("n\\\"1.bin") + "\"}\n]\n");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), ImgDirBytes({{0, 1, "X.txd"}, {1, 1, "X.TXD"}, {2, 1, "Y"}, {3, 2, "n\"1.bin"}}));
    EXPECT_EQ(ReadBytes(dir.File("a.img")).substr(0, 3), "new");
    WriteBytes(x, Bytes(2049, 8));  // no longer fits: moves to the end
    r = Cli("import " + a + " " + Quote(x) + " --format tsv --dry-run");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "replaced\t3\tX.txd\n");
    EXPECT_EQ(Cli("import " + a + " " + Quote(dir.File("none"))).err, "korvane-cli: " + dir.File("none") + ": File not found\n");
}
