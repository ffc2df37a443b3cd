// korvane-cli ipl, run as a separate process.
#include <gtest/gtest.h>

#include "CliRun.h"

#include <cfloat>
#include <cstdio>
#include <fstream>

#include "support/ArchiveWriters.h"
#include "support/PlacementWriters.h"
#include "support/TempDir.h"

namespace {


constexpr float kM = -FLT_MAX;
constexpr int32_t kI = INT32_MIN;
// The second car is the longest car line, every field at its longest text.
const std::string kPlacement = BinaryIplBytes({{{0.125f, -2.5f, 10.0f, 0, 0, 0, 1}, 1234, 0, -1}},
                                              {{{-0.375f, -0.004f, 1e6f, 2}, {1, 2, 3, 4, 5, 6, 7, -8}},
                                               {{kM, kM, kM, kM}, {kI, kI, kI, kI, kI, kI, kI, kI}}});
// -FLT_MAX is -(2^24 - 1) · 2^104 exactly.
const std::string kMText = "-340282346638528859811704183484516925440.00", kIText = ", -2147483648";

std::string Body(const std::string& eol)
{
    const std::string lines[] = {"# Korvane 3.0", "inst", "1234, item1, 0, 0.13, -2.50, 10.00, 0.00, 0.00, 0.00, 1.00, -1",
                                 "end", "cull", "end", "path", "end", "grge", "end", "enex", "end", "pick", "end", "cars",
                                 "-0.38, 0.00, 1000000.00, 2.00, 1, 2, 3, 4, 5, 6, 7, -8",
                                 kMText + ", " + kMText + ", " + kMText + ", " + kMText + kIText + kIText + kIText +
                                     kIText + kIText + kIText + kIText + kIText,
                                 "end", "jump", "end", "tcyc", "end", "mult", "end"};
    std::string s;
    for (const std::string& l : lines) s += l + eol;
    return s;
}

// A "VER2" archive: a text placement file at sector 1, the binary one named
// "Привет.ipl" (Windows-1251) at sector 2.
std::string Archive()
{
    std::string bytes = Ver2Bytes({{1, 1, "text.ipl"}, {2, 1, "\xCF\xF0\xE8\xE2\xE5\xF2.ipl"}}, 3 * 2048);
    bytes.replace(2048, 5, "# ipl");
    bytes.replace(2 * 2048, kPlacement.size(), kPlacement);
    return bytes;
}

}  // namespace

TEST(CliIpl, PrintsTheLinesOfAnArchiveEntryAsUtf8)
{
    TempDir dir;
    WriteBytes(dir.File("a.img"), Archive());
    const TRun r = Cli("ipl " + Quote(dir.File("a.img")) + " 1");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "# IPL generated from binary IPL file Привет.ipl\n" + Body("\n"));
    EXPECT_TRUE(r.err.empty());
}

TEST(CliIpl, ALooseFileIsTheEntryAndNamedByItsBaseName)
{
    TempDir dir;
    WriteBytes(dir.File("Мир.ipl"), kPlacement);
    const TRun r = Cli("ipl " + Quote(dir.File("Мир.ipl")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "# IPL generated from binary IPL file Мир.ipl\n" + Body("\n"));
}

TEST(CliIpl, OutputFileHoldsWindows1251WithCrLf)
{
    TempDir dir;
    WriteBytes(dir.File("a.img"), Archive());
    WriteBytes(dir.File("out.ipl"), std::string(10000, 'x'));
    const TRun r = Cli("ipl " + Quote(dir.File("a.img")) + " 1 -o " + Quote(dir.File("out.ipl")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(ReadBytes(dir.File("out.ipl")),
              "# IPL generated from binary IPL file \xCF\xF0\xE8\xE2\xE5\xF2.ipl\r\n" + Body("\r\n"));
}

TEST(CliIpl, ARecordPastTheEndPrintsTheLinesBeforeItAndFails)
{
    TempDir dir;
    WriteBytes(dir.File("short.ipl"), IplHeaderBytes(1000000, 76, 0, 76) + IplInstanceBytes({{1, 1, 1, 1, 1, 1, 1}, 7, 8, 9}) +
                                          std::string(39, '\0'));
    const std::string expected = "# IPL generated from binary IPL file short.ipl\n# Korvane 3.0\ninst\n"
                                 "7, item1, 8, 1.00, 1.00, 1.00, 1.00, 1.00, 1.00, 1.00, 9\n";
    const TRun r = Cli("ipl " + Quote(dir.File("short.ipl")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("short.ipl") + ": Read beyond end of file\n");
    EXPECT_EQ(r.out, expected);

    // -o gets the same lines, as the window would save them after the failure.
    const TRun o = Cli("ipl " + Quote(dir.File("short.ipl")) + " -o " + Quote(dir.File("out.ipl")));
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.err, "korvane-cli: " + dir.File("short.ipl") + ": Read beyond end of file\n");
    std::string crlf;
    for (char c : expected) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ReadBytes(dir.File("out.ipl")), crlf);
}

TEST(CliIpl, CommaDecimalLocaleStillWritesPoints)
{
    TempDir dir;
    WriteBytes(dir.File("p.ipl"), kPlacement);
    const TRun r = Cli("ipl " + Quote(dir.File("p.ipl")),
                       std::string("LOCPATH=") + KORVANE_TEST_LOCALES + " LC_ALL=ru_RU.UTF-8");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "# IPL generated from binary IPL file p.ipl\n" + Body("\n"));
}

TEST(CliIpl, ErrorsAndUsage)
{
    TempDir dir;
    WriteBytes(dir.File("a.img"), Archive());
    const std::string a = Quote(dir.File("a.img"));

    const TRun text = Cli("ipl " + a + " 0");
    EXPECT_EQ(text.code, 1);
    EXPECT_EQ(text.err, "korvane-cli: " + dir.File("a.img") + ": entry 0 (text.ipl) holds no binary placement file\n");
    EXPECT_TRUE(text.out.empty());
    const TRun past = Cli("ipl " + a + " 2");
    EXPECT_EQ(past.code, 1);
    EXPECT_EQ(past.err, "korvane-cli: no entry 2: the archive has 2 entries\n");

    // A header cut short prints nothing and writes no output file.
    WriteBytes(dir.File("tiny.ipl"), "bnry");
    const TRun tiny = Cli("ipl " + Quote(dir.File("tiny.ipl")) + " -o " + Quote(dir.File("o.ipl")));
    EXPECT_EQ(tiny.code, 1);
    EXPECT_EQ(tiny.err, "korvane-cli: " + dir.File("tiny.ipl") + ": Read beyond end of file\n");
    EXPECT_FALSE(std::ifstream(dir.File("o.ipl")).good());

    // The output never replaces the file being read.
    const std::string archive = ReadBytes(dir.File("a.img"));
    const TRun same = Cli("ipl " + a + " 1 -o " + Quote(dir.File(".") + "/a.img"));
    EXPECT_EQ(same.code, 1);
    EXPECT_EQ(ReadBytes(dir.File("a.img")), archive);
    WriteBytes(dir.File("p.ipl"), kPlacement);
    EXPECT_EQ(Cli("ipl " + Quote(dir.File("p.ipl")) + " -o " + Quote(dir.File("p.ipl"))).code, 1);
    EXPECT_EQ(ReadBytes(dir.File("p.ipl")), kPlacement);

    EXPECT_EQ(Cli("ipl " + Quote(dir.File("none.ipl"))).err, "korvane-cli: " + dir.File("none.ipl") + ": File not found\n");
    EXPECT_EQ(Cli("ipl").code, 2);
    EXPECT_EQ(Cli("ipl " + a + " x").code, 2);
    EXPECT_EQ(Cli("ipl " + a + " -1").code, 2);
    EXPECT_EQ(Cli("ipl " + a + " 1 2").code, 2);
    EXPECT_EQ(Cli("ipl " + a + " 1 -o").code, 2);
    EXPECT_EQ(Cli("ipl " + a + " 1 --frob").code, 2);
    const TRun help = Cli("ipl --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: korvane-cli ipl SOURCE [INDEX] [-o FILE]"), std::string::npos);
    EXPECT_NE(Cli("--help").out.find("  ipl "), std::string::npos);
}
