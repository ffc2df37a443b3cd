// Repacking, checked by reading the files back byte for byte.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RepackFixtures.h"
#include "archive/ArchiveOpen.h"
#include "archive/Repack.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

using namespace korvane;
using namespace repack_test;

TEST(Repack, Ver2DirectoryFillerAndDataStartFor100_127And128Entries)
{
    const struct {
        uint32_t n;
        size_t dirEnd, filler, dataStart;
    } cases[] = {{100, 3208, 888, 4096}, {127, 4072, 24, 4096}, {128, 4104, 4088, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        TempDir dir;
        auto [file, recs] = ScatteredVer2(c.n);
        WriteBytes(dir.File("v.img"), file);
        Catalogue cat = Open(dir.File("v.img"));
        const std::vector<uint32_t> offsets = RepackArchive(cat);

        const std::string got = ReadBytes(dir.File("v.img"));
        const TExpected want = Expect(true, file, recs);
        EXPECT_EQ(offsets, want.offsets);
        EXPECT_EQ(offsets[0], c.dataStart / 2048);
        ASSERT_EQ(got.size(), want.archive.size());
        EXPECT_TRUE(got == want.archive);
        EXPECT_EQ(got.substr(0, 4), "VER2");
        EXPECT_EQ(got.substr(4, 4), LE32(c.n));
        EXPECT_EQ(got.substr(c.dirEnd, c.filler), std::string(c.filler, '\0'));
        EXPECT_NE(got.substr(c.dataStart, 2048), std::string(2048, '\0'));
        EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"v.img"}));
        // Reopens with the catalogue order, names and sizes kept.
        const TRecArray again = ReadDirectory(LocateArchive(dir.File("v.img")));
        ASSERT_EQ(again.size(), c.n);
        for (uint32_t i = 0; i < c.n; ++i) {
            EXPECT_EQ(EntryName(again[i]), recs[i].name);
            EXPECT_EQ(again[i].Size, recs[i].size);
            EXPECT_EQ(again[i].Offset, want.offsets[i]);
        }
    }
}

TEST(Repack, ImgStartsAtSectorZeroWithEveryEntryWhereThePreviousEnds)
{
    TempDir dir;
    std::vector<TDirRecord> recs = {{14, 2, "B.TXD"}, {10, 3, "A.DFF"}, {20, 1, "C.COL"}};
    std::string img;
    for (size_t i = 0; i < recs.size(); ++i) Put(img, recs[i].offset * 2048ull, SectorData(recs[i].size, char('a' + i)));
    WriteBytes(dir.File("gta3.img"), img);
    WriteBytes(dir.File("gta3.dir"), ImgDirBytes(recs));
    ::chmod(dir.File("gta3.img").c_str(), 0640);
    ::chmod(dir.File("gta3.dir").c_str(), 0604);

    EXPECT_EQ(RepackArchive(Open(dir.File("gta3.img"))), std::vector<uint32_t>({0, 2, 5}));
    const TExpected want = Expect(false, img, recs);
    EXPECT_TRUE(ReadBytes(dir.File("gta3.img")) == want.archive);
    EXPECT_EQ(ReadBytes(dir.File("gta3.img")).size(), 6u * 2048);
    EXPECT_EQ(ReadBytes(dir.File("gta3.dir")), want.dir);
    EXPECT_EQ(ReadBytes(dir.File("gta3.dir")).size(), 96u);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"gta3.img", "gta3.dir"}));
    // The replacements keep the permissions of the files they replace.
    struct stat st {};
    ::stat(dir.File("gta3.img").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ::stat(dir.File("gta3.dir").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
}

TEST(Repack, SharedSectorsGetTwoCopiesAndEmptyEntriesTakeNoSpace)
{
    TempDir dir;
    std::vector<TDirRecord> recs = {{4, 2, "ONE.TXD"}, {4, 2, "TWO.TXD"}, {9, 0, "EMPTY"}, {6, 1, "LAST"}};
    std::string file = Ver2Bytes(recs);
    Put(file, 4 * 2048, SectorData(2, 'q'));
    Put(file, 6 * 2048, SectorData(1, 'z'));
    WriteBytes(dir.File("s.img"), file);
    EXPECT_EQ(RepackArchive(Open(dir.File("s.img"))), std::vector<uint32_t>({2, 4, 6, 6}));
    const std::string got = ReadBytes(dir.File("s.img"));
    EXPECT_TRUE(got == Expect(true, file, recs).archive);
    EXPECT_EQ(got.substr(4096, 4096), SectorData(2, 'q'));
    EXPECT_EQ(got.substr(8192, 4096), SectorData(2, 'q'));
    EXPECT_EQ(got.substr(12288), SectorData(1, 'z'));
}

TEST(Repack, DataRunningPastTheEndIsPaddedSoLaterOffsetsHold)
{
    TempDir dir;
    // The first entry claims 3 sectors from sector 1 but the file ends after
    // 1.5 of them; an empty archive file gives all zeros.
    std::vector<TDirRecord> recs = {{1, 3, "SHORT"}, {0, 1, "FIRST"}};
    std::string img = SectorData(2, 'k') + std::string(1024, 'm');
    WriteBytes(dir.File("p.img"), img);
    WriteBytes(dir.File("p.dir"), ImgDirBytes(recs));
    EXPECT_EQ(RepackArchive(Open(dir.File("p.img"))), std::vector<uint32_t>({0, 3}));
    const std::string got = ReadBytes(dir.File("p.img"));
    ASSERT_EQ(got.size(), 4u * 2048);
    EXPECT_EQ(got.substr(0, 3072), img.substr(2048, 3072));
    EXPECT_EQ(got.substr(3072, 3072), std::string(3072, '\0'));
    EXPECT_EQ(got.substr(6144), img.substr(0, 2048));

    WriteBytes(dir.File("p.img"), "");
    WriteBytes(dir.File("p.dir"), ImgDirBytes({{5, 2, "GONE"}}));
    RepackArchive(Open(dir.File("p.img")));
    EXPECT_EQ(ReadBytes(dir.File("p.img")), std::string(4096, '\0'));
}

TEST(Repack, Ver2EntryRunningPastTheEndAfterAFullSectorOfRecordsGetsZeros)
{
    // 64 records are 2048 bytes of directory and 2040 bytes of filler take
    // the data to 4096: the 2048 zeros written for the last sector the old
    // file lacks must not take the directory's last 8 bytes from a buffer.
    TempDir dir;
    auto [file, recs] = ScatteredVer2(64);
    recs[63].name = "THE_LAST_RECORD_IS_LONG";  // so the directory does not end in zeros
    Put(file, 0, Ver2Bytes(recs).substr(0, 8 + 64 * 32));
    size_t last = 0;
    for (size_t i = 0; i < recs.size(); ++i)
        if (recs[i].offset + recs[i].size > recs[last].offset + recs[last].size) last = i;
    file.resize((recs[last].offset + recs[last].size) * 2048ull - 2048);  // its last sector gone
    WriteBytes(dir.File("v.img"), file);
    RepackArchive(Open(dir.File("v.img")));
    const std::string got = ReadBytes(dir.File("v.img"));
    const TExpected want = Expect(true, file, recs);
    EXPECT_TRUE(got == want.archive);
    const size_t end = (want.offsets[last] + recs[last].size) * 2048ull;
    ASSERT_GE(got.size(), end);
    EXPECT_EQ(got.substr(end - 2048, 2048), std::string(2048, '\0'));
}

TEST(Repack, EmptyCatalogues)
{
    TempDir dir;
    WriteBytes(dir.File("e.img"), Ver2Bytes({}, 10000));
    RepackArchive(Open(dir.File("e.img")));
    EXPECT_EQ(ReadBytes(dir.File("e.img")), "VER2" + LE32(0) + std::string(4088, '\0'));

    WriteBytes(dir.File("f.img"), std::string(5000, 'x'));
    WriteBytes(dir.File("f.dir"), "");
    RepackArchive(Open(dir.File("f.img")));
    EXPECT_EQ(ReadBytes(dir.File("f.img")), "");
    EXPECT_EQ(ReadBytes(dir.File("f.dir")), "");
}

TEST(Repack, TheNewArchiveIsBuiltInDotNewUnlessThatNamesTheArchiveItself)
{
    Catalogue cat;
    cat.ArchiveKind = akImgV2;
    cat.ArchivePath = cat.DirPath = "/no/such/gta3.img";
    EXPECT_EQ(RepackFilesFor(cat).ArchiveTemp, "/no/such/gta3.~new");
    cat.ArchivePath = cat.DirPath = "/no/such/archive";
    EXPECT_EQ(RepackFilesFor(cat).ArchiveTemp, "/no/such/archive.~new");

    TempDir dir;
    auto [file, recs] = ScatteredVer2(5);
    WriteBytes(dir.File("odd.~new"), file);
    Catalogue odd = Open(dir.File("odd.~new"));
    EXPECT_EQ(RepackFilesFor(odd).ArchiveTemp, dir.File("odd.~new~"));
    RepackArchive(odd);
    EXPECT_TRUE(ReadBytes(dir.File("odd.~new")) == Expect(true, file, recs).archive);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"odd.~new"}));

    // A leftover of an earlier run is replaced; a link there is not followed.
    WriteBytes(dir.File("keep.txt"), "precious");
    WriteBytes(dir.File("v.img"), file);
    ASSERT_EQ(::symlink(dir.File("keep.txt").c_str(), dir.File("v.~new").c_str()), 0);
    RepackArchive(Open(dir.File("v.img")));
    EXPECT_EQ(ReadBytes(dir.File("keep.txt")), "precious");
    EXPECT_TRUE(ReadBytes(dir.File("v.img")) == Expect(true, file, recs).archive);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"odd.~new", "keep.txt", "v.img"}));
}

TEST(Repack, ALinkedArchiveIsReplacedWhereItLies)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    auto [file, recs] = ScatteredVer2(4);
    WriteBytes(dir.File("real/r.img"), file);
    ASSERT_EQ(::symlink(dir.File("real/r.img").c_str(), dir.File("l.img").c_str()), 0);
    RepackArchive(Open(dir.File("l.img")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("l.img")));
    EXPECT_TRUE(ReadBytes(dir.File("real/r.img")) == Expect(true, file, recs).archive);
    EXPECT_EQ(FilesIn(dir.File("real")), std::set<std::string>({"r.img"}));
}

// Every checked file operation of a repack made to fail in turn: each
// failure leaves the old files byte for byte and no file of the run behind;
// the loop ends when a run meets no failure.

// Entries next to each other in the old file and in the catalogue make one
// run; gaps, shared sectors, reversed order and zeros past the end do not.
TEST(Repack, RunsOfTheOldFileFollowTheLayout)
{
    const uint64_t S = 2048;
    const struct {
        const char* what;
        std::vector<TDirRecord> recs;
        uint64_t oldLength;
        std::vector<TCopyRun> runs;
    } cases[] = {
        {"adjacent, an empty one between", {{4, 2, "A"}, {9, 0, "E"}, {6, 1, "B"}}, 100 * S, {{4 * S, 3 * S, 0}}},
        {"an empty one first", {{9, 0, "E"}, {4, 2, "A"}}, 100 * S, {{4 * S, 2 * S, 0}}},
        {"reversed", {{6, 1, "B"}, {4, 2, "A"}}, 100 * S, {{6 * S, S, 0}, {4 * S, 2 * S, 0}}},
        {"gap", {{4, 2, "A"}, {7, 1, "B"}}, 100 * S, {{4 * S, 2 * S, 0}, {7 * S, S, 0}}},
        {"shared", {{4, 2, "A"}, {4, 2, "B"}}, 100 * S, {{4 * S, 2 * S, 0}, {4 * S, 2 * S, 0}}},
        {"past the end, then zeros only, then data",
         {{19, 1, "A"}, {20, 2, "B"}, {30, 3, "C"}, {0, 1, "D"}},
         20 * S + 1000,
         {{19 * S, S + 1000, S - 1000 + S + 3 * S}, {0, S, 0}}},
        {"zeros between bytes that follow each other",
         {{10, 2, "A"}, {50, 1, "B"}, {12, 1, "C"}},
         20 * S,
         {{10 * S, 2 * S, S}, {12 * S, S, 0}}},
        {"nothing of the old file", {{5, 2, "A"}, {6, 1, "B"}}, 0, {{5 * S, 0, 3 * S}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TRecArray entries;
        for (const TDirRecord& r : c.recs) entries.push_back(TArchiveEntry{r.offset, r.size, {}, 0});
        EXPECT_EQ(PlanCopyRuns(akImgV2, entries, c.oldLength), c.runs);
    }
}

// Runs longer than the buffer, gaps, an entry cut by the old file's end and
// the zeros after it: the same bytes whether the kernel copies or the buffer
// does (the file system refusing the kernel's copy in each of its ways).
TEST(Repack, KernelCopyAndBufferWriteTheSameBytes)
{
    std::vector<TDirRecord> recs = {{4, 2, "A"},      {6, 1, "B"}, {9, 600, "C"}, {609, 1, "D"},
                                    {700, 2, "PAST"}, {2, 2, "F"}, {0, 0, "G"}};
    std::string file = Ver2Bytes(recs);
    for (size_t i = 0; i < 6; ++i) Put(file, recs[i].offset * 2048ull, SectorData(recs[i].size, char('a' + i)));
    file.resize(609 * 2048 + 1000);
    const TExpected want = Expect(true, file, recs);
    ASSERT_EQ(want.offsets, std::vector<uint32_t>({2, 4, 5, 605, 606, 608, 610}));
    uint64_t kernelReads = 0;
    for (int refusal : {0, EXDEV, EINVAL, ENOSYS}) {
        SCOPED_TRACE(refusal);
        TempDir dir;
        WriteBytes(dir.File("k.img"), file);
        const Catalogue cat = Open(dir.File("k.img"));
        TFaultInjection fault({.FailAt = 0, .Ops = foRead, .RefuseKernelCopy = refusal});
        EXPECT_EQ(RepackArchive(cat), want.offsets);
        const std::string got = ReadBytes(dir.File("k.img"));
        EXPECT_TRUE(got == want.archive);
        EXPECT_EQ(got.substr(605 * 2048 + 1000, 1048 + 4096), std::string(1048 + 4096, '\0'));
        EXPECT_EQ(got.substr(608 * 2048), SectorData(2, 'f'));
        // The buffer reads more often than the kernel copies.
        if (refusal == 0) kernelReads = fault.Counted();
        else EXPECT_GT(fault.Counted(), kernelReads);
    }
}
