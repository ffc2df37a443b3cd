// Adding, removing, replacing and renaming entries, checked by reading the
// archive and directory files back byte for byte and by opening them again.
#include <gtest/gtest.h>

#include <cerrno>

#include "archive/ArchiveOpen.h"
#include "archive/EntryOps.h"
#include "base/Errors.h"
#include "base/FaultInjection.h"
#include "ops/ArchiveOps.h"
#include "support/ArchiveWriters.h"
#include "support/EntryOpsInRows.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

TListedCatalogue OpenCat(const std::string& path) { return TListedCatalogue(OpenCatalogue(path)); }

// Bytes that differ from sector to sector and from seed to seed.
std::string Pattern(size_t n, int seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 7 + i / 2048 * 13 + size_t(seed) * 31 + 1) % 251);
    return s;
}

std::string Name(const TArchiveEntry& e) { return std::string(EntryName(e)); }

// The bytes of entry i as the open catalogue places them.
std::string DataOf(const std::string& archive, const TArchiveEntry& e)
{
    const std::string all = ReadBytes(archive);
    const size_t pos = size_t(e.Offset) * 2048;
    return pos >= all.size() ? std::string() : all.substr(pos, size_t(e.Size) * 2048);
}

// A VER2 archive of n one-sector entries, entry i at sector first + i with
// Pattern(2048, i) as its data.
std::string Ver2WithData(uint32_t n, uint32_t first)
{
    std::vector<TDirRecord> records;
    for (uint32_t i = 0; i < n; ++i) records.push_back({first + i, 1, "E" + std::to_string(i) + ".DAT"});
    std::string bytes = Ver2Bytes(records, uint64_t(first) * 2048);
    for (uint32_t i = 0; i < n; ++i) bytes += Pattern(2048, int(i));
    return bytes;
}

class EntryOpsTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, const std::string& bytes)
    {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    // A two-file archive of `n` one-sector entries with their data.
    std::string Img(uint32_t n)
    {
        std::vector<TDirRecord> records;
        std::string data;
        for (uint32_t i = 0; i < n; ++i) {
            records.push_back({i, 1, "F" + std::to_string(i) + ".TXD"});
            data += Pattern(2048, int(i));
        }
        WriteBytes(dir.File("a.dir"), ImgDirBytes(records));
        return File("a.img", data);
    }
    TempDir dir;
};

}  // namespace

TEST_F(EntryOpsTest, AddingAnEmptyFileAddsARecordAndNoData)
{
    TListedCatalogue cat = OpenCat(Img(2));
    uint32_t rows = 2;
    EXPECT_EQ(AddFileEntry(cat, rows, File("empty.bin", "")), 2u);
    EXPECT_EQ(ReadBytes(dir.File("a.img")).size(), 4096u);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(64), DirRecordBytes({2, 0, "empty.bin"}));
    EXPECT_EQ(rows, 3u);
    EXPECT_EQ(cat.RowOrder, tDWORDArray({0, 1, 2}));
    EXPECT_EQ(cat.Entries[2].DirPos, 64u);

    const Catalogue again = OpenCat(dir.File("a.img"));
    ASSERT_EQ(again.Entries.size(), 3u);
    EXPECT_EQ(Name(again.Entries[2]), "empty.bin");
    EXPECT_EQ(again.Entries[2].Size, 0u);
}

TEST_F(EntryOpsTest, AddedDataTakesWholeSectorsWithTheLastOneFilledWithZeros)
{
    TListedCatalogue cat = OpenCat(Img(2));
    uint32_t rows = 2;
    const std::string four = Pattern(4096, 7), fourPlus = Pattern(4097, 8);
    AddFileEntry(cat, rows, File("four.bin", four));
    AddFileEntry(cat, rows, File("four1.bin", fourPlus));
    const std::string img = ReadBytes(dir.File("a.img"));
    ASSERT_EQ(img.size(), 2048u * (2 + 2 + 3));
    EXPECT_EQ(img.substr(0, 4096), Pattern(2048, 0) + Pattern(2048, 1));
    EXPECT_EQ(img.substr(4096, 4096), four);
    EXPECT_EQ(img.substr(8192), fourPlus + std::string(2047, '\0'));
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(64),
              DirRecordBytes({2, 2, "four.bin"}) + DirRecordBytes({4, 3, "four1.bin"}));
}

// The same bytes whether the kernel copies the file's data or the buffer
// does, at either place within a page (an archive of one or two sectors).
TEST_F(EntryOpsTest, AddingAndReplacingWriteTheSameBytesWithoutTheKernelCopy)
{
    for (int refusal : {0, EXDEV}) {
        for (uint32_t n : {1u, 2u}) {
            SCOPED_TRACE(std::to_string(refusal) + " " + std::to_string(n));
            TListedCatalogue cat = OpenCat(Img(n));
            uint32_t rows = n;
            TFaultInjection fault({.FailAt = 0, .RefuseKernelCopy = refusal});
            AddFileEntry(cat, rows, File("big.bin", Pattern(300000, 9)));
            ReplaceEntry(cat, rows, 0, File("r.bin", Pattern(1500, 5)));
            std::string want;
            for (uint32_t i = 0; i < n; ++i) want += Pattern(2048, int(i));
            want.replace(0, 1500, Pattern(1500, 5));
            want += Pattern(300000, 9) + std::string(147 * 2048 - 300000, '\0');
            EXPECT_TRUE(ReadBytes(dir.File("a.img")) == want);
        }
    }
}

TEST_F(EntryOpsTest, LongNamesAreCutInTheDirectoryOnlyAndDuplicatesAreAdded)
{
    File("v.img", Ver2WithData(2, 1));
    TListedCatalogue cat = OpenCat(dir.File("v.img"));
    uint32_t rows = 2;
    const std::string name30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ.TXD";
    const std::string src = File(name30, "x");
    AddFileEntry(cat, rows, src);
    AddFileEntry(cat, rows, src);
    EXPECT_EQ(Name(cat.Entries[2]), name30);
    EXPECT_EQ(Name(cat.Entries[3]), name30);
    const std::string bytes = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(bytes.substr(8 + 64 + 8, 24), name30.substr(0, 24));
    EXPECT_EQ(bytes.substr(8 + 96 + 8, 24), name30.substr(0, 24));
    const Catalogue again = OpenCat(dir.File("v.img"));
    EXPECT_EQ(Name(again.Entries[2]), name30.substr(0, 24));
    EXPECT_EQ(Name(again.Entries[3]), name30.substr(0, 24));
}

TEST_F(EntryOpsTest, FileNamesBecomeWindows1251EntryNames)
{
    EXPECT_EQ(EntryNameFromPath("/tmp/x/Привет.txd"), "\xCF\xF0\xE8\xE2\xE5\xF2.txd");
    EXPECT_EQ(EntryNameFromPath("/tmp/日本.txd"), "??.txd");
    EXPECT_EQ(EntryNameFromPath("plain"), "plain");
    EXPECT_EQ(EntryNameFromPath("/a/b\\c:d"), "b\\c:d");
}

TEST_F(EntryOpsTest, Ver2CountAndRecordFollowAddsAndDeletes)
{
    File("v.img", Ver2WithData(10, 1));
    TListedCatalogue cat = OpenCat(dir.File("v.img"));
    uint32_t rows = 10;
    AddFileEntry(cat, rows, File("new.bin", Pattern(100, 3)));
    std::string bytes = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(bytes.substr(4, 4), LE32(11));
    EXPECT_EQ(bytes.substr(328, 32), DirRecordBytes({11, 1, "new.bin"}));
    EXPECT_EQ(bytes.substr(11 * 2048), Pattern(100, 3) + std::string(1948, '\0'));

    RemoveEntry(cat, rows, 4);
    bytes = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(bytes.substr(4, 4), LE32(10));
    EXPECT_EQ(bytes.substr(8 + 4 * 32, 32), DirRecordBytes({6, 1, "E5.DAT"}));
    EXPECT_EQ(bytes.substr(8 + 9 * 32, 32), DirRecordBytes({11, 1, "new.bin"}));
    // The removed entry's data stays where it was.
    EXPECT_EQ(bytes.substr(5 * 2048, 2048), Pattern(2048, 4));
    const Catalogue again = OpenCat(dir.File("v.img"));
    ASSERT_EQ(again.Entries.size(), 10u);
    EXPECT_EQ(Name(again.Entries[4]), "E5.DAT");
    EXPECT_EQ(again.Entries[4].DirPos, 8u + 4 * 32);

    // Past one byte: 256 is 00 01 00 00, and back to 255.
    File("w.img", Ver2Bytes(std::vector<TDirRecord>(255, {0, 0, "e"})));
    TListedCatalogue w = OpenCat(dir.File("w.img"));
    rows = 255;
    AddFileEntry(w, rows, File("e.bin", ""));
    EXPECT_EQ(ReadBytes(dir.File("w.img")).substr(4, 4), std::string("\0\x01\0\0", 4));
    RemoveEntry(w, rows, 0);
    EXPECT_EQ(ReadBytes(dir.File("w.img")).substr(4, 4), std::string("\xFF\0\0\0", 4));
}

TEST_F(EntryOpsTest, DeletingFromADirFileCutsItToTheRemainingRecords)
{
    TListedCatalogue cat = OpenCat(Img(10));
    const std::string before = ReadBytes(dir.File("a.dir"));
    uint32_t rows = 10;
    RemoveEntry(cat, rows, 3);
    const std::string after = ReadBytes(dir.File("a.dir"));
    ASSERT_EQ(after.size(), 288u);
    EXPECT_EQ(after, before.substr(0, 96) + before.substr(128));
    EXPECT_EQ(cat.Entries.size(), 9u);
    EXPECT_EQ(cat.Entries[3].DirPos, 96u);
    EXPECT_EQ(Name(cat.Entries[3]), "F4.TXD");
    EXPECT_EQ(cat.RowOrder, tDWORDArray({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(rows, 9u);
}

TEST_F(EntryOpsTest, ALongDirectoryTailIsRewrittenWhole)
{
    std::vector<TDirRecord> records;
    for (uint32_t i = 0; i < 5000; ++i) records.push_back({i, 1, "N" + std::to_string(i)});
    WriteBytes(dir.File("a.dir"), ImgDirBytes(records));
    TListedCatalogue cat = OpenCat(File("a.img", ""));
    uint32_t rows = 5000;
    RemoveEntry(cat, rows, 1);
    records.erase(records.begin() + 1);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), ImgDirBytes(records));
}

TEST_F(EntryOpsTest, DeletingTheOnlyEntryLeavesAnEmptyDirectory)
{
    TListedCatalogue img = OpenCat(Img(1));
    uint32_t rows = 1;
    RemoveEntry(img, rows, 0);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), "");
    EXPECT_TRUE(img.Entries.empty());
    EXPECT_TRUE(img.RowOrder.empty());
    EXPECT_EQ(rows, 0u);

    File("v.img", Ver2WithData(1, 1));
    TListedCatalogue v2 = OpenCat(dir.File("v.img"));
    rows = 1;
    RemoveEntry(v2, rows, 0);
    EXPECT_EQ(ReadBytes(dir.File("v.img")).substr(0, 8), "VER2" + LE32(0));
    EXPECT_TRUE(OpenCat(dir.File("v.img")).Entries.empty());
}

TEST_F(EntryOpsTest, SortedAndFilteredRowsMapThroughRowOrder)
{
    TListedCatalogue cat = OpenCat(Img(5));
    // Sorted: every entry shown, in another order.
    cat.RowOrder = {3, 1, 4, 0, 2};
    uint32_t rows = 5;
    AddFileEntry(cat, rows, File("new.bin", "n"));
    EXPECT_EQ(cat.RowOrder, tDWORDArray({3, 1, 4, 0, 2, 5}));
    EXPECT_EQ(rows, 6u);
    RemoveEntry(cat, rows, 1);
    EXPECT_EQ(cat.RowOrder, tDWORDArray({2, 3, 0, 1, 4}));
    EXPECT_EQ(Name(cat.Entries[cat.RowOrder[0]]), "F3.TXD");

    // Filtered: two rows shown; the added entry is the third row.
    cat.RowOrder = {1, 3, 0, 2, 4};
    rows = 2;
    AddFileEntry(cat, rows, File("other.bin", "o"));
    EXPECT_EQ(rows, 3u);
    EXPECT_EQ(cat.RowOrder[2], 5u);
    EXPECT_EQ(Name(cat.Entries[cat.RowOrder[2]]), "other.bin");
    RemoveEntry(cat, rows, 3);  // the entry of row 1
    EXPECT_EQ(rows, 2u);
    EXPECT_EQ(cat.RowOrder.size(), cat.Entries.size());
    EXPECT_EQ(cat.RowOrder[0], 1u);
    EXPECT_EQ(cat.RowOrder[1], 4u);
    EXPECT_EQ(Name(cat.Entries[4]), "other.bin");
}

TEST_F(EntryOpsTest, ReplacingWithExactlyTheSlotSizeStaysInPlace)
{
    File("v.img", Ver2WithData(3, 1));
    TListedCatalogue cat = OpenCat(dir.File("v.img"));
    uint32_t rows = 3;
    const std::string before = ReadBytes(dir.File("v.img"));
    const std::string fits = Pattern(2048, 40);
    EXPECT_EQ(ReplaceEntry(cat, rows, 1, File("fits.bin", fits)), TReplaceResult::rrInPlace);
    const std::string after = ReadBytes(dir.File("v.img"));
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(8 + 32, 32), DirRecordBytes({2, 1, "fits.bin"}));
    EXPECT_EQ(after.substr(2 * 2048, 2048), fits);
    EXPECT_EQ(after.substr(2048, 2048), before.substr(2048, 2048));
    EXPECT_EQ(after.substr(3 * 2048), before.substr(3 * 2048));
    EXPECT_EQ(Name(cat.Entries[1]), "fits.bin");
}

TEST_F(EntryOpsTest, ReplacingWithOneByteMoreMovesTheEntryToTheEnd)
{
    File("v.img", Ver2WithData(3, 1));
    TListedCatalogue cat = OpenCat(dir.File("v.img"));
    cat.RowOrder = {2, 1, 0};  // sorted descending
    uint32_t rows = 3;
    const std::string before = ReadBytes(dir.File("v.img"));
    const std::string big = Pattern(2049, 41);
    EXPECT_EQ(ReplaceEntry(cat, rows, 1, File("big.bin", big)), TReplaceResult::rrMoved);
    const std::string after = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(after.substr(8 + 96, before.size() - 8 - 96), before.substr(8 + 96));  // old sectors unused, untouched
    EXPECT_EQ(after.substr(before.size()), big + std::string(2047, '\0'));
    EXPECT_EQ(after.substr(4, 4), LE32(3));
    EXPECT_EQ(after.substr(8, 96), DirRecordBytes({1, 1, "E0.DAT"}) + DirRecordBytes({3, 1, "E2.DAT"}) + DirRecordBytes({4, 2, "big.bin"}));
    EXPECT_EQ(cat.RowOrder, tDWORDArray({1, 0, 2}));
    EXPECT_EQ(rows, 3u);
    const Catalogue again = OpenCat(dir.File("v.img"));
    EXPECT_EQ(DataOf(dir.File("v.img"), again.Entries[2]), big + std::string(2047, '\0'));
}

TEST_F(EntryOpsTest, ReplacingAFourSectorEntryBy3000BytesKeepsTheOldTail)
{
    std::string img = Pattern(6 * 2048, 50);
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A"}, {1, 4, "FOUR.TXD"}, {5, 1, "C"}}));
    File("a.img", img);
    TListedCatalogue cat = OpenCat(dir.File("a.img"));
    uint32_t rows = 3;
    const std::string small = Pattern(3000, 51);
    EXPECT_EQ(ReplaceEntry(cat, rows, 1, File("small.txd", small)), TReplaceResult::rrInPlace);
    const std::string after = ReadBytes(dir.File("a.img"));
    EXPECT_EQ(after.substr(2048, 3000), small);
    EXPECT_EQ(after.substr(2048 + 3000), img.substr(2048 + 3000));
    EXPECT_EQ(after.substr(0, 2048), img.substr(0, 2048));
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32, 32), DirRecordBytes({1, 2, "small.txd"}));
}

TEST_F(EntryOpsTest, RenamingKeepsTheOldNamesTailBehindTheZero)
{
    TListedCatalogue cat = OpenCat(Img(2));
    RenameEntry(cat, 1, "LONGNAME.TXD");
    RenameEntry(cat, 1, "AB");
    EXPECT_EQ(Name(cat.Entries[1]), "AB");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32 + 8, 24), std::string("AB\0GNAME.TXD", 12) + std::string(12, '\0'));
    RenameEntry(cat, 1, "");
    EXPECT_EQ(Name(cat.Entries[1]), "");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32 + 8, 24), std::string("\0B\0GNAME.TXD", 12) + std::string(12, '\0'));
    EXPECT_EQ(Name(OpenCat(dir.File("a.img")).Entries[1]), "");
}

TEST_F(EntryOpsTest, AGrowingVer2DirectoryMovesTheEntryUnderItsNewRecord)
{
    // 63 records end at byte 2024; entry 0's data starts at sector 1, right
    // after the directory, so the 64th record would cover it.
    File("v.img", Ver2WithData(63, 1));
    TListedCatalogue cat = OpenCat(dir.File("v.img"));
    uint32_t rows = 63;
    AddFileEntry(cat, rows, File("new.bin", Pattern(100, 99)));
    const std::string bytes = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(bytes.substr(4, 4), LE32(64));
    EXPECT_EQ(bytes.substr(8, 32), DirRecordBytes({65, 1, "E0.DAT"}));
    EXPECT_EQ(bytes.substr(2024, 32), DirRecordBytes({64, 1, "new.bin"}));
    EXPECT_EQ(bytes.size(), 66u * 2048);
    EXPECT_EQ(bytes.substr(65 * 2048), Pattern(2048, 0));

    // More adds: every entry keeps its data, however far the directory grows.
    for (int k = 0; k < 70; ++k) AddFileEntry(cat, rows, File("f" + std::to_string(k), Pattern(3000, 100 + k)));
    const Catalogue again = OpenCat(dir.File("v.img"));
    ASSERT_EQ(again.Entries.size(), 134u);
    const std::string archive = dir.File("v.img");
    for (uint32_t i = 0; i < 63; ++i) EXPECT_EQ(DataOf(archive, again.Entries[i]), Pattern(2048, int(i))) << i;
    EXPECT_EQ(DataOf(archive, again.Entries[63]).substr(0, 100), Pattern(100, 99));
    for (int k = 0; k < 70; ++k)
        EXPECT_EQ(DataOf(archive, again.Entries[64 + k]).substr(0, 3000), Pattern(3000, 100 + k)) << k;
    for (uint32_t i = 0; i < 134; ++i) {
        EXPECT_EQ(Name(again.Entries[i]), Name(cat.Entries[i]));
        EXPECT_EQ(again.Entries[i].Offset, cat.Entries[i].Offset);
    }

    // 63 records end at byte 2024, the 64th takes 2024..2055: the file ends
    // at its start, inside it, or 2 bytes into sector 1 under entry 0's data.
    for (const std::string& tail : {std::string(), std::string(16, 'j'), std::string(24, 'j') + "ab"}) {
        const bool under = tail.size() > 24;
        std::vector<TDirRecord> records;
        for (int i = 0; i < 63; ++i) records.push_back({0, 0, "E" + std::to_string(i)});
        if (under) records[0] = {1, 1, "E0"};
        File("v.img", Ver2Bytes(records) + tail);
        TListedCatalogue cat = OpenCat(dir.File("v.img"));
        uint32_t rows = 63;
        AddFileEntry(cat, rows, File("new.bin", Pattern(100, 5)));
        const std::string bytes = ReadBytes(dir.File("v.img"));
        EXPECT_EQ(bytes.substr(4, 4), LE32(64));
        // 2056 rounds up to sector 2 for the new data; zeros between.
        EXPECT_EQ(bytes.substr(2024, 32), DirRecordBytes({2, 1, "new.bin"}));
        EXPECT_EQ(bytes.substr(2056, 2040), std::string(2040, '\0'));
        EXPECT_EQ(bytes.substr(4096, 2048), Pattern(100, 5) + std::string(1948, '\0'));
        // Entry 0 moves to sector 3 with the 2 bytes it had.
        EXPECT_EQ(bytes.substr(8, 32), DirRecordBytes(under ? TDirRecord{3, 1, "E0"} : TDirRecord{0, 0, "E0"}));
        EXPECT_EQ(bytes.substr(6144), under ? "ab" + std::string(2046, '\0') : "") << tail.size();
    }
}

TEST_F(EntryOpsTest, AnArchiveOfPartialSectorsIsPaddedBeforeAppending)
{
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A"}}));
    File("a.img", Pattern(3000, 60));
    TListedCatalogue cat = OpenCat(dir.File("a.img"));
    uint32_t rows = 1;
    AddFileEntry(cat, rows, File("x.bin", "0123456789"));
    const std::string img = ReadBytes(dir.File("a.img"));
    ASSERT_EQ(img.size(), 6144u);
    EXPECT_EQ(img.substr(0, 3000), Pattern(3000, 60));
    EXPECT_EQ(img.substr(3000, 1096), std::string(1096, '\0'));
    EXPECT_EQ(img.substr(4096, 10), "0123456789");
    EXPECT_EQ(cat.Entries[1].Offset, 2u);

    // An empty file leaves such an archive as it is.
    File("b.img", "VER2" + LE32(0) + "xy");
    TListedCatalogue v2 = OpenCat(dir.File("b.img"));
    rows = 0;
    AddFileEntry(v2, rows, File("e.bin", ""));
    EXPECT_EQ(ReadBytes(dir.File("b.img")), "VER2" + LE32(1) + DirRecordBytes({0, 0, "e.bin"}));
}

TEST_F(EntryOpsTest, ArchivesThatCannotBeWrittenRefuseEveryChange)
{
    const std::string syb = File("s.syb", SybBytes({{"a.txt", 3}}));
    const std::string big = File("b.big", BigBytes({{0x24, 4, "b.txt"}}));
    const std::string src = File("src.bin", "data");
    for (const std::string& path : {syb, big}) {
        const std::string before = ReadBytes(path);
        TListedCatalogue cat = OpenCat(path);
        uint32_t rows = 1;
        EXPECT_THROW(AddFileEntry(cat, rows, src), EEntryError);
        EXPECT_THROW(RemoveEntry(cat, rows, 0), EEntryError);
        EXPECT_THROW(ReplaceEntry(cat, rows, 0, src), EEntryError);
        TEntryChanges changes;
        EXPECT_THROW(OnLoan(cat, [&](ops::TLockedCatalogue& l) { ops::Rename(l, 0, "x", changes); }), EEntryError);
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(cat.Entries.size(), 1u);
        EXPECT_EQ(rows, 1u);
    }
}

TEST_F(EntryOpsTest, AFailedOpenOfTheSourceChangesNothing)
{
    TListedCatalogue cat = OpenCat(Img(2));
    const std::string img = ReadBytes(dir.File("a.img")), dirBytes = ReadBytes(dir.File("a.dir"));
    uint32_t rows = 2;
    try {
        AddFileEntry(cat, rows, dir.File("missing.bin"));
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_THROW(ReplaceEntry(cat, rows, 0, dir.Path()), EInOutError);
    EXPECT_THROW(RemoveEntry(cat, rows, 2), EEntryError);
    EXPECT_EQ(ReadBytes(dir.File("a.img")), img);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    EXPECT_EQ(cat.Entries.size(), 2u);
    EXPECT_EQ(rows, 2u);
}

// Archives written by other people's tools, edited in a copy: every entry
// that was there keeps its bytes, however the directory grows and shrinks.
TEST(RealDataEdit, EntriesOfRealArchivesSurviveAddsDeletesAndRenames)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "the real sample files are not there";
    for (const std::string name : {"gtaimgrs_v2", "gtaimgrs_v1"}) {
        TempDir dir;
        const std::string from = root + "/img/" + name;
        WriteBytes(dir.File("a.img"), ReadBytes(from + ".img"));
        if (name == "gtaimgrs_v1") WriteBytes(dir.File("a.dir"), ReadBytes(from + ".dir"));
        const std::string archive = dir.File("a.img");
        TListedCatalogue cat = OpenCat(archive);
        ASSERT_EQ(cat.Entries.size(), 3u) << name;
        std::vector<std::string> original;
        for (uint32_t i = 0; i < 3; ++i) {
            ExtractEntry(cat, i, dir.File("orig" + std::to_string(i)));
            original.push_back(ReadBytes(dir.File("orig" + std::to_string(i))));
        }
        uint32_t rows = 3;
        // Enough new entries that a VER2 directory grows over the first data sectors.
        for (int k = 0; k < 70; ++k) AddFileEntry(cat, rows, dir.File("orig0"));
        RemoveEntry(cat, rows, 5);
        RenameEntry(cat, 1, "RENAMED.DFF");
        const Catalogue again = OpenCat(archive);
        ASSERT_EQ(again.Entries.size(), 72u) << name;
        EXPECT_EQ(Name(again.Entries[1]), "RENAMED.DFF");
        // Some entries' data runs past the end of the file: the bytes they
        // had are kept, and what is appended after them now lies under them.
        for (uint32_t i = 0; i < 3; ++i) {
            ExtractEntry(again, i, dir.File("now"));
            EXPECT_TRUE(ReadBytes(dir.File("now")).substr(0, original[i].size()) == original[i]) << name << " entry " << i;
        }
        EXPECT_EQ(original[0].size(), 2048u);
        for (uint32_t i = 3; i < 72; ++i) {
            ExtractEntry(again, i, dir.File("now"));
            EXPECT_TRUE(ReadBytes(dir.File("now")) == original[0]) << name << " entry " << i;
        }
    }
}
