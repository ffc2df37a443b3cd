#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/FileIO.h"
#include "formats/ipl/Placement.h"
#include "formats/ipl/PlacementTextFile.h"
#include "support/ArchiveWriters.h"
#include "support/PlacementWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

std::string Text(float v)
{
    char buf[FloatTextMax];
    return std::string(buf, FormatFloat2(v, buf));
}

struct TRecorder : TPlacementSink {
    std::vector<std::string> lines;
    void Line(std::string_view l) override { lines.emplace_back(l); }
};

const std::vector<std::string> kAfterInstances = {"end", "cull", "end", "path", "end", "grge",
                                                  "end", "enex", "end", "pick", "end", "cars"};
const std::vector<std::string> kClosing = {"end", "jump", "end", "tcyc", "end", "mult", "end"};

// Converts the placement entry at `entryPos` of the file holding `bytes`;
// the lines delivered before a failure are kept in `rec`.
void Convert(const std::string& bytes, uint64_t entryPos, const std::string& name, TRecorder& rec)
{
    TempDir dir;
    WriteBytes(dir.File("a.img"), bytes);
    TFile file = TFile::OpenReadWrite(dir.File("a.img"));
    file.Seek(entryPos);
    unsigned char header[IplHeaderSize];
    file.ReadExact(header, sizeof header);
    ConvertPlacement(file, entryPos, ParseIplHeader(header), name, rec);
}

std::vector<std::string> Convert(const std::string& bytes, const std::string& name = "p.ipl")
{
    TRecorder rec;
    Convert(bytes, 0, name, rec);
    return rec.lines;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

TEST(FormatFloat2, RoundsHalfAwayFromZeroOnTheExactValue)
{
    EXPECT_EQ(Text(0.125f), "0.13");
    EXPECT_EQ(Text(-0.375f), "-0.38");
    EXPECT_EQ(Text(0.375f), "0.38");
    EXPECT_EQ(Text(-2.5f), "-2.50");
    EXPECT_EQ(Text(10.0f), "10.00");
    EXPECT_EQ(Text(1.0f), "1.00");
    EXPECT_EQ(Text(8388607.5f), "8388607.50");
    EXPECT_EQ(Text(-0.625f), "-0.63");
    // Stored values just below a half round down: 0.005f is 0.00499999988...,
    // 0.015f is 0.01499999966..., 2.675f is 2.67499995231...
    EXPECT_EQ(Text(0.005f), "0.00");
    EXPECT_EQ(Text(0.015f), "0.01");
    EXPECT_EQ(Text(1.005f), "1.00");
    EXPECT_EQ(Text(2.675f), "2.67");
    // ... and just above a half round up: 0.045f is 0.04500000178...
    EXPECT_EQ(Text(0.045f), "0.05");
    EXPECT_EQ(Text(-0.035f), "-0.04");
    EXPECT_EQ(Text(0.995f), "1.00");
    EXPECT_EQ(Text(123456.789f), "123456.79");
}

TEST(FormatFloat2, ZeroHasNoSignAndLargeValuesNoSeparators)
{
    EXPECT_EQ(Text(0.0f), "0.00");
    EXPECT_EQ(Text(-0.0f), "0.00");
    EXPECT_EQ(Text(-0.004f), "0.00");
    EXPECT_EQ(Text(-0.00499f), "0.00");
    EXPECT_EQ(Text(-std::numeric_limits<float>::denorm_min()), "0.00");
    EXPECT_EQ(Text(-0.005001f), "-0.01");
    EXPECT_EQ(Text(1234567.0f), "1234567.00");
    EXPECT_EQ(Text(16777216.0f), "16777216.00");
    EXPECT_EQ(Text(-1e10f), "-10000000000.00");
    EXPECT_EQ(Text(FLT_MAX), "340282346638528859811704183484516925440.00");
    EXPECT_EQ(Text(-FLT_MAX), "-340282346638528859811704183484516925440.00");
    EXPECT_EQ(Text(std::numeric_limits<float>::infinity()), "INF");
    EXPECT_EQ(Text(-std::numeric_limits<float>::infinity()), "-INF");
    EXPECT_EQ(Text(std::numeric_limits<float>::quiet_NaN()), "NAN");
}

TEST(FormatFloat2, AgreesWithTheExactDecimalExpansionOnRandomFloats)
{
    // glibc's printf prints the exact binary value and rounds ties to even;
    // the two agree everywhere except on exact ties and on a negative value
    // that rounds to zero.
    std::mt19937 gen(1234);
    std::uniform_int_distribution<uint32_t> bits;
    int checked = 0;
    for (int k = 0; k < 300000; ++k) {
        uint32_t b = bits(gen);
        // Mostly the magnitudes placement files hold, some of every size.
        if (k % 4) b = (b & 0x807FFFFFu) | ((110u + b % 40u) << 23);
        float v;
        std::memcpy(&v, &b, 4);
        if (!std::isfinite(v)) continue;
        const double scaled = std::fabs(double(v)) * 100.0;
        if (scaled - std::floor(scaled) == 0.5) continue;
        char expect[64];
        std::snprintf(expect, sizeof expect, "%.2f", double(v));
        std::string e = expect;
        if (e == "-0.00") e = "0.00";
        ASSERT_EQ(Text(v), e) << "bits " << std::hex << b;
        ++checked;
    }
    EXPECT_GT(checked, 200000);
}

TEST(Placement, BothCountsZeroGiveTheTwentyTwoFixedLines)
{
    const auto lines = Convert(IplHeaderBytes(0, 76, 0, 76));
    EXPECT_EQ(lines, Join({{"# IPL generated from binary IPL file p.ipl", "# Korvane 3.0", "inst"},
                           kAfterInstances,
                           kClosing}));
    EXPECT_EQ(lines.size(), 22u);
}

TEST(Placement, InstancesAndCarsInTheirPlaces)
{
    // The longest lines: every field at its longest text.
    const float m = -FLT_MAX;
    const int32_t i = INT32_MIN;
    const std::string bytes = BinaryIplBytes(
        {{{0.125f, -2.5f, 10.0f, 0.0f, 0.0f, 0.0f, 1.0f}, 1234, 0, -1},
         {{-0.004f, -0.375f, 1e6f, 0.5f, -0.5f, 0.25f, -1.0f}, -7, 2147483647, -2147483647 - 1},
         {{m, m, m, m, m, m, m}, i, i, i}},
        {{{1.5f, -3.25f, 0.001f, 90.0f}, {1, -2, 3, 4, 5, 6, 7, -8}}, {{m, m, m, m}, {i, i, i, i, i, i, i, i}}});
    const auto lines = Convert(bytes, "\xCF\xF0\xE8\xE2\xE5\xF2.ipl");
    // -FLT_MAX is -(2^24 - 1) · 2^104 exactly.
    const std::string f = ", -340282346638528859811704183484516925440.00", n = ", -2147483648";
    EXPECT_EQ(lines, Join({{"# IPL generated from binary IPL file \xCF\xF0\xE8\xE2\xE5\xF2.ipl", "# Korvane 3.0", "inst",
                            "1234, item1, 0, 0.13, -2.50, 10.00, 0.00, 0.00, 0.00, 1.00, -1",
                            "-7, item2, 2147483647, 0.00, -0.38, 1000000.00, 0.50, -0.50, 0.25, -1.00, -2147483648",
                            "-2147483648, item3" + n + f + f + f + f + f + f + f + n},
                           kAfterInstances,
                           {"1.50, -3.25, 0.00, 90.00, 1, -2, 3, 4, 5, 6, 7, -8",
                            (f + f + f + f).substr(2) + n + n + n + n + n + n + n + n},
                           kClosing}));
}

TEST(Placement, RecordsAreReadWhereTheOffsetsPointFromTheEntrysFirstByte)
{
    // The entry starts at 2048; cars come before instances, and the
    // instances lie past the entry's own bytes, in the next entry.
    std::string bytes(2048, 'x');
    bytes += IplHeaderBytes(1, 3000, 2, 100);
    bytes.resize(2048 + 100, 'y');
    bytes += IplCarBytes({{1, 2, 3, 4}, {1, 1, 1, 1, 1, 1, 1, 1}});
    bytes += IplCarBytes({{5, 6, 7, 8}, {2, 2, 2, 2, 2, 2, 2, 2}});
    bytes.resize(2048 + 3000, 'z');
    bytes += IplInstanceBytes({{9, 9, 9, 9, 9, 9, 9}, 42, 43, 44});
    TRecorder rec;
    Convert(bytes, 2048, "q.ipl", rec);
    ASSERT_EQ(rec.lines.size(), 25u);
    EXPECT_EQ(rec.lines[3], "42, item1, 43, 9.00, 9.00, 9.00, 9.00, 9.00, 9.00, 9.00, 44");
    EXPECT_EQ(rec.lines[15], "cars");
    EXPECT_EQ(rec.lines[16], "1.00, 2.00, 3.00, 4.00, 1, 1, 1, 1, 1, 1, 1, 1");
    EXPECT_EQ(rec.lines[17], "5.00, 6.00, 7.00, 8.00, 2, 2, 2, 2, 2, 2, 2, 2");
}

TEST(Placement, NegativeCountsGiveNoRecordsAndReadNothing)
{
    // Offsets far past the end would fail if they were followed.
    const auto lines = Convert(IplHeaderBytes(-1, 0xFFFFFFF0u, -2147483647 - 1, 0xFFFFFFF0u));
    EXPECT_EQ(lines.size(), 22u);
}

TEST(Placement, ACountPastTheEndKeepsTheLinesBeforeTheFailure)
{
    // Two whole instances and half of a third; a count no file could hold.
    std::string bytes = IplHeaderBytes(2147483647, 76, 1, 76);
    bytes += IplInstanceBytes({{1, 1, 1, 1, 1, 1, 1}, 1, 1, 1});
    bytes += IplInstanceBytes({{2, 2, 2, 2, 2, 2, 2}, 2, 2, 2});
    bytes += std::string(20, '\0');
    TRecorder rec;
    try {
        Convert(bytes, 0, "p.ipl", rec);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
    }
    ASSERT_EQ(rec.lines.size(), 5u);
    EXPECT_EQ(rec.lines[4], "2, item2, 2, 2.00, 2.00, 2.00, 2.00, 2.00, 2.00, 2.00, 2");

    // The cars' failure comes after the instance section has been closed.
    std::string cars = IplHeaderBytes(0, 76, 3, 76) + IplCarBytes({{0, 0, 0, 0}, {}});
    TRecorder carRec;
    EXPECT_THROW(Convert(cars, 0, "p.ipl", carRec), EInOutError);
    ASSERT_EQ(carRec.lines.size(), 3u + 12u + 1u);
    EXPECT_EQ(carRec.lines.back(), "0.00, 0.00, 0.00, 0.00, 0, 0, 0, 0, 0, 0, 0, 0");
}

TEST(Placement, ACommaDecimalLocaleStillWritesPoints)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    setenv("LOCPATH", KORVANE_TEST_LOCALES, 1);
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8")) GTEST_SKIP() << "ru_RU.UTF-8 could not be compiled for the tests";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 0.5);
    const auto lines = Convert(BinaryIplBytes({{{1234.5f, -0.375f, 0.125f, 0, 0, 0, 1}, 1, 2, 3}}));
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_STREQ(probe, "0,50");  // the locale really is in force
    EXPECT_EQ(lines.at(3), "1, item1, 2, 1234.50, -0.38, 0.13, 0.00, 0.00, 0.00, 1.00, 3");
}

TEST(PlacementTextFile, EndsEveryLineWithCrLfAndKeepsTheBytes)
{
    TempDir dir;
    const std::string path = dir.File("out.ipl");
    WriteBytes(path, std::string(100000, 'o'));  // replaced, not appended to
    TPlacementTextFile out(path);
    out.Line("# \xCF\xF0\xE8\xE2\xE5\xF2");
    out.Line("");
    const std::string longLine(70000, 'L');  // longer than the buffer
    out.Line(longLine);
    out.Line("end");
    out.Close();
    EXPECT_EQ(ReadBytes(path), "# \xCF\xF0\xE8\xE2\xE5\xF2\r\n\r\n" + longLine + "\r\nend\r\n");
}

TEST(PlacementTextFile, AnUnfinishedFileIsRemovedAndAnUncreatableOneRaises)
{
    TempDir dir;
    const std::string path = dir.File("half.ipl");
    {
        TPlacementTextFile out(path);
        out.Line("inst");
    }
    EXPECT_FALSE(FileExists(path));
    try {
        TPlacementTextFile out(dir.File("missing/x.ipl"));
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}
